#pragma once

#include "base/AppError.h"
#include "base/RandomSource.h"
#include "expr/clsExpressionParser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orbiplot::test {

struct Failure {
    int32_t number;
    int32_t position;
    std::string source;
    std::string description;
};

// The failure of one parse, or nothing when it succeeded.
inline std::optional<Failure> ParseFailure(clsExpressionParser& parser, const std::string& text) {
    try {
        parser.ParseExpression(text);
    } catch (const AppError& e) {
        return Failure{e.Number, parser.LastErrorPosition(), e.Source, e.Description};
    }
    return std::nullopt;
}

inline const char* const TraceToAtom =
    "ParseExpression->ParseNumExp->ParseTerm->ParseValue->ParseAtom";
inline const char* const TraceToTerm = "ParseExpression->ParseNumExp->ParseTerm";

} // namespace orbiplot::test

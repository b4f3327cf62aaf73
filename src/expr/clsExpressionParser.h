#pragma once

#include "expr/ExpressionGrammar.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orbiplot {

class AppError;
class RandomSource;

// The expression language's evaluator: computes while it reads, every call scanning the
// text anew.
// Positions are 1-based; the grammar is ASCII, so byte and character positions agree up
// to the first character it cannot read.
class clsExpressionParser {
public:
    // random: the source RND draws from.
    explicit clsExpressionParser(RandomSource& random);

    double ParseExpression(std::string_view expression);
    void AddConstant(std::string_view name, double value);
    void RemoveConstant(std::string_view name);
    // A new value for a constant the table has; raises the unknown-constant error otherwise.
    void SetConstant(std::string_view name, double value);
    int32_t LastErrorPosition() const { return position_ + 1; }

    bool ConstantExists(std::string_view name) const;
    // The constant's value, or nothing when the table has no such name.
    std::optional<double> ConstantValue(std::string_view name) const;
    // Every constant in the table (upper-case names), sorted by name: what a value worked out
    // from texts depends on besides the texts.
    std::vector<std::pair<std::string, double>> Constants() const;

    void SetRandomSource(RandomSource& random) { random_ = &random; }

private:
    // The table is looked up by name ignoring letter case, without copying the name.
    struct CaselessHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const noexcept;
    };
    struct CaselessEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };

    struct Evaluation;
    double CallBuiltinFunction(std::string_view name, double x);
    double Rnd(double x);
    const double* FindConstant(std::string_view name) const;
    [[noreturn]] void Raise(int code, std::string description) const;

    std::string text_;
    int32_t position_ = -1; // where the last reading stopped, 0-based
    std::unordered_map<std::string, double, CaselessHash, CaselessEqual> constants_; // upper case
    RandomSource* random_;                                                           // never null
    bool haveRandom_ = false;
    float lastRandom_ = 0;
};

bool IsBuiltinFunction(std::string_view name);

// A digit string with at most one point, read as the parser reads a number: too large
// raises overflow, too small to tell from zero is zero.
double ConvertNumber(std::string_view digits);

// Prepends a procedure's name to the error's source trace.
void TraceErrorSource(AppError& error, std::string_view procedure);

// Replaces the one-letter variable by the text of its value wherever no letter touches it.
// The result is in lower case. Positions are 16-bit: an occurrence beyond 32767 overflows.
std::string SubstituteVariable(std::string_view expression, std::string_view varName,
                               std::string_view valueText);

} // namespace orbiplot

// Any text as a curve's expression: the compiled program gives the text path's value or
// error, bit for bit, at values across the usual range and beyond; its derivative's run gives
// the program's own value.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"

#include <bit>
#include <cstdlib>

namespace {

struct Outcome {
    uint64_t bits = 0;
    int32_t number = 0, position = 0;
    std::string source, description;
    bool operator==(const Outcome&) const = default;
};

template <class F> Outcome Run(orbiplot::clsExpressionParser& parser, F f) {
    Outcome o;
    try {
        o.bits = std::bit_cast<uint64_t>(f());
    } catch (const orbiplot::AppError& e) {
        o = {0, e.Number, parser.LastErrorPosition(), e.Source, e.Description};
    }
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two parsers, so that RND draws the same numbers on both paths.
    orbiplot::fuzz::Core a, b;
    a.context.Random.Reseed(-1);
    b.context.Random.Reseed(-1);
    const std::string text = orbiplot::fuzz::Text(data, size);
    orbiplot::CurveEvaluator compiled(a.context.Parser, text, "x");
    const orbiplot::CurveEvaluator reference(b.context.Parser, text, "x");
    for (float v :
         {0.0f, 1.0f, -1.0f, 0.5f, -2.75f, 3.14159f, 1e-5f, 123.4567f, -98765.4f, 1e9f, 1e13f})
        if (!(Run(a.context.Parser, [&] { return compiled.Value(v); }) ==
              Run(b.context.Parser, [&] { return reference.TextValue(v); })))
            std::abort();
    // The derivative's run gives the same value, or raises the same error, at exact arguments.
    if (compiled.IsCompiled())
        for (double v : {0.0, 0.7, -1.3, 2.5e-8, 1e300, -4096.0}) {
            const Outcome exact = Run(a.context.Parser, [&] { return compiled.ExactValue(v); });
            if (!(exact == Run(a.context.Parser, [&] { return compiled.ExactSlope(v).Value; })))
                std::abort();
            // The run that never raises fails exactly where the checked one does.
            const std::optional<double> quiet = compiled.QuietExactValue(v);
            if (quiet.has_value() != (exact.number == 0) ||
                (quiet && std::bit_cast<uint64_t>(*quiet) != exact.bits))
                std::abort();
        }
    return 0;
}

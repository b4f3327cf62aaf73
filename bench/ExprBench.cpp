// Per-sample cost of equation curves: one substitution and one full parse per sample.
#include "base/NumberFormat.h"
#include "expr/clsExpressionParser.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace orbiplot;

namespace {

// Value texts as the sampler makes them: a sweep of -5..5 in "0.0###".
const std::vector<std::string>& ValueTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> out;
        const float step = 0.01f;
        for (float v = -5.0f; v <= 5.0f; v += step)
            out.push_back(FormatSingle(v, "0.0###"));
        return out;
    }();
    return texts;
}

void SampleCurve(benchmark::State& state, const char* expression, const char* var) {
    clsExpressionParser parser;
    const auto& texts = ValueTexts();
    size_t i = 0;
    for (auto _ : state) {
        const std::string text = SubstituteVariable(expression, var, texts[i]);
        benchmark::DoNotOptimize(parser.ParseExpression(text));
        if (++i == texts.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void FormatValueText(benchmark::State& state) {
    float v = -5.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatSingle(v, "0.0###"));
        v += 0.0001f;
        if (v > 5.0f) v = -5.0f;
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK_CAPTURE(SampleCurve, x_times_x, "x*x", "x");
BENCHMARK_CAPTURE(SampleCurve, sin_x_times_x_plus_2, "sin(x)*x+2", "x");
BENCHMARK_CAPTURE(SampleCurve, three_sin_7z, "3*sin(7*z)", "z");
BENCHMARK_CAPTURE(SampleCurve, rational_cubic, "(x^3-2*x)/(x*x+1)", "x");
BENCHMARK(FormatValueText);

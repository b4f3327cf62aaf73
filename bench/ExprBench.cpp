// Per-sample cost of equation curves over the samples of a 640-pixel view: the text path
// (one substitution and one full parse per sample), the compiled program, and the same
// formula written in C++ as the floor.
#include "base/NumberFormat.h"
#include "base/RandomSource.h"
#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"
#include "plot/View.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

using namespace orbiplot;

namespace {

// The values a y = f(x) run takes across a 640 x 480 view at the initial unit length.
const std::vector<float>& Samples() {
    static const std::vector<float> samples = [] {
        const View view(640 * TwipsPerPixel, 480 * TwipsPerPixel);
        std::vector<float> out;
        const float step = view.SampleStep();
        for (float v = view.ScaleLeft(); v <= view.Right(); v += step)
            out.push_back(v);
        return out;
    }();
    return samples;
}

struct Formula {
    const char* text;
    double (*native)(double);
};

const Formula Formulas[] = {
    {"x*x", [](double x) { return x * x; }},
    {"sin(x)*x+2", [](double x) { return std::sin(x) * x + 2; }},
    {"3*sin(7*x)", [](double x) { return 3 * std::sin(7 * x); }},
    {"sqr(abs(x))+exp(-(x*x))", [](double x) { return std::sqrt(std::fabs(x)) + std::exp(-(x * x)); }},
    {"tan(x)", [](double x) { return std::tan(x); }},
    {"(x^3-2*x)/(x*x+1)", [](double x) { return (std::pow(x, 3) - 2 * x) / (x * x + 1); }},
    {"sin(x)+sin(2*x)/2+sin(3*x)/3+sin(4*x)/4+sin(5*x)/5", [](double x) {
         return std::sin(x) + std::sin(2 * x) / 2 + std::sin(3 * x) / 3 + std::sin(4 * x) / 4 +
                std::sin(5 * x) / 5;
     }},
};

template <class Evaluate> void OverSamples(benchmark::State& state, Evaluate evaluate) {
    const std::vector<float>& samples = Samples();
    for (auto _ : state)
        for (float v : samples)
            benchmark::DoNotOptimize(evaluate(v));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(samples.size()));
}

void TextPath(benchmark::State& state, int formula) {
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    const CurveEvaluator f(parser, Formulas[formula].text, "x");
    OverSamples(state, [&](float v) { return f.TextValue(v); });
}

void Compiled(benchmark::State& state, int formula) {
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    CurveEvaluator f(parser, Formulas[formula].text, "x");
    if (!f.IsCompiled()) state.SkipWithError("not compiled");
    OverSamples(state, [&](float v) { return f.Value(v); });
}

void NativeCpp(benchmark::State& state, int formula) {
    const auto native = Formulas[formula].native;
    OverSamples(state, [&](float v) { return native(v); });
}

void ValueText(benchmark::State& state) {
    OverSamples(state, [](float v) { return SampleValueText(v); });
}

void ValueTenThousandths(benchmark::State& state) {
    OverSamples(state, [](float v) { return SampleValueTenThousandths(v); });
}

} // namespace

#define ORBIPLOT_FORMULA_BENCH(name, index)                                                        \
    BENCHMARK_CAPTURE(TextPath, name, index)->Unit(benchmark::kMicrosecond);                      \
    BENCHMARK_CAPTURE(Compiled, name, index)->Unit(benchmark::kMicrosecond);                      \
    BENCHMARK_CAPTURE(NativeCpp, name, index)->Unit(benchmark::kMicrosecond)

ORBIPLOT_FORMULA_BENCH(x_times_x, 0);
ORBIPLOT_FORMULA_BENCH(sin_x_times_x_plus_2, 1);
ORBIPLOT_FORMULA_BENCH(three_sin_7x, 2);
ORBIPLOT_FORMULA_BENCH(sqr_abs_plus_exp, 3);
ORBIPLOT_FORMULA_BENCH(tan_x, 4);
ORBIPLOT_FORMULA_BENCH(rational_cubic, 5);
ORBIPLOT_FORMULA_BENCH(five_sines, 6);
BENCHMARK(ValueText)->Unit(benchmark::kMicrosecond);
BENCHMARK(ValueTenThousandths)->Unit(benchmark::kMicrosecond);

// The compiled evaluation of curves against the text path, bit for bit and error for error.
#include "ScriptedSeams.h"

#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "base/RandomSource.h"
#include "base/TextEncoding.h"
#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdlib>
#include <random>

using namespace orbiplot;

namespace {

// ORBIPLOT_LONG_CHECK=1 runs the long versions (a hundred times the samples, and every
// single of the usual magnitudes for the value text).
bool LongCheck() {
    const char* v = std::getenv("ORBIPLOT_LONG_CHECK");
    return v && *v && *v != '0';
}

// k of the value text, read from the text itself.
int64_t TextTenThousandths(float v) {
    std::string text = SampleValueText(v);
    const bool negative = text[0] == '(';
    if (negative) text = text.substr(2, text.size() - 3);
    const size_t point = text.find('.');
    std::string fraction = text.substr(point + 1);
    fraction.resize(4, '0');
    const int64_t k = std::stoll(text.substr(0, point) + fraction);
    return negative ? -k : k;
}

void ExpectSameTenThousandths(float v) {
    const int64_t k = SampleValueTenThousandths(v);
    if (!(std::fabs(v) < 9.0e11f)) {
        EXPECT_EQ(k, NoTenThousandths) << v;
        return;
    }
    ASSERT_EQ(k, TextTenThousandths(v)) << std::bit_cast<uint32_t>(v) << " " << v;
}

TEST(SampleValue, TenThousandthsAgreeWithTheTextEverywhere) {
    // Both roundings at their edges: half at the 7th digit (a sixth of a binary fraction
    // lands exactly on it), half at the 4th place after the 7-digit rounding, zero, the
    // denormals, the cut-offs near 0.00005 and 9e11.
    for (float v : {0.0f,         -0.0f,      1.0078125f, 2.00005f,    1.00005f,  0.00005f,
                    0.000049999f, 4.99e-5f,   4.9999e-5f, 9.99995f,    99.99995f, 999999.94f,
                    999999.5f,    1000000.5f, 8388607.5f, 16777215.0f, 1e7f,      123456789.0f,
                    8.9999e11f,   9e11f,      1e12f,      3.4e38f,     1e-45f,    1.17549435e-38f})
        for (float s : {1.0f, -1.0f})
            ExpectSameTenThousandths(s * v);
    std::mt19937 random(20261207u);
    const int count = LongCheck() ? 100'000'000 : 400'000;
    for (int i = 0; i < count; ++i) {
        // Whole bit patterns of the usual magnitudes, and values on a sampler's grid.
        const float v = i % 2 ? std::bit_cast<float>(static_cast<uint32_t>(
                                    (random() & 0x807FFFFFu) | ((90 + random() % 70) << 23)))
                              : -1000.0f + static_cast<float>(i % 1000000) * 0.0015625f;
        ExpectSameTenThousandths(v);
        if (HasFatalFailure()) return;
    }
}

// The outcome of one evaluation: its value's bits or its error.
struct Outcome {
    uint64_t bits = 0;
    int32_t number = 0;
    std::string source, description;
    int32_t position = 0;
    bool operator==(const Outcome&) const = default;
};

template <class Evaluate> Outcome Run(clsExpressionParser& parser, Evaluate evaluate) {
    try {
        Outcome value;
        value.bits = std::bit_cast<uint64_t>(evaluate());
        return value;
    } catch (const AppError& e) {
        return {0, e.Number, e.Source, e.Description, parser.LastErrorPosition()};
    }
}

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    if (o.number)
        return out << o.number << " " << o.source << " " << o.description << " @" << o.position;
    return out << std::bit_cast<double>(o.bits);
}

// Two parsers with the same constants and the same random sequence: one for the program,
// one for the reference.
struct Differential {
    test::SeededRandom randomA, randomB;
    clsExpressionParser a{randomA}, b{randomB};
    size_t samples = 0, failures = 0;

    Differential() {
        for (clsExpressionParser* p : {&a, &b}) {
            p->AddConstant("g", 9.8);
            p->AddConstant("k_2", -3);
            p->AddConstant("X1", 0.25);
        }
    }

    void Check(const std::string& expression, const char* var, const std::vector<float>& values) {
        CurveEvaluator evaluator(a, expression, var);
        const CurveEvaluator reference(b, expression, var);
        for (float v : values) {
            const Outcome got = Run(a, [&] { return evaluator.Value(v); });
            const Outcome want = Run(b, [&] { return reference.TextValue(v); });
            ++samples;
            failures += want.number != 0;
            ASSERT_EQ(got, want) << expression << " at " << SampleValueText(v);
        }
        if (AsciiLower(expression).find("rnd") != std::string::npos) return;
        // Drawn where defined: the same value, nothing for an arithmetic error, and any
        // other error as it is raised. The values run through the samples' cache again.
        CurveEvaluator defined(a, expression, var);
        for (float v : values) {
            const Outcome want = Run(b, [&] { return reference.TextValue(v); });
            std::optional<double> value;
            const Outcome got = Run(a, [&] {
                value = defined.DefinedValue(v);
                return value.value_or(0.0);
            });
            // A part without the variable that fails fails because of the text.
            const bool textFails = expression.find("1/0") != std::string::npos ||
                                   expression.find("1/(2-2)") != std::string::npos ||
                                   expression.find("10^308") != std::string::npos ||
                                   expression.find("exp(709)*exp(709)") != std::string::npos;
            if (IsArithmeticError(want.number) && !textFails)
                ASSERT_TRUE(got.number == 0 && !value) << expression << " at " << v;
            else
                ASSERT_EQ(got, want) << expression << " at " << SampleValueText(v);
            if (!defined.IsCompiled()) continue;
            // The quiet run at exact arguments gives ExactValue's number, or nothing where
            // it raises.
            for (const double x : {static_cast<double>(v), static_cast<double>(v) / 3}) {
                const Outcome exact = Run(a, [&] { return defined.ExactValue(x); });
                const std::optional<double> quiet = defined.QuietExactValue(x);
                ASSERT_EQ(quiet.has_value(), exact.number == 0) << expression << " at " << x;
                if (quiet) {
                    ASSERT_EQ(std::bit_cast<uint64_t>(*quiet), exact.bits) << expression;
                }
            }
        }
    }
};

std::vector<float> SweepValues(std::mt19937& random, size_t count) {
    std::vector<float> values;
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (size_t i = 0; i < count; ++i) {
        const float scale = std::array{1.0f, 3.2f, 10.0f, 200.0f, 1e4f, 1e7f}[i % 6];
        values.push_back(unit(random) * scale);
    }
    for (float v : {0.0f, 1.0f, -1.0f, 0.5f, -0.5f, 2.0f, 1e-6f, -1e-6f, 1e12f, -3e20f})
        values.push_back(v);
    return values;
}

// Texts of the parser's own tests, with the variable put in, and ones that must stay on the
// text path: the variable beside a digit, a point or an underscore, inside a name, as a
// function, RND, nesting at the limit.
const std::vector<std::string> FixedExpressions = {
    "x*x",
    "sin(x)*x+2",
    "3*sin(7*x)",
    "sqr(abs(x))+exp(-(x*x))",
    "tan(x)",
    "(x^3-2*x)/(x*x+1)",
    "sin(x)+sin(2*x)/2+sin(3*x)/3+sin(4*x)/4+sin(5*x)/5",
    "-x",
    "-x^2",
    "2^-x",
    "3*-x",
    "x^x",
    "(-x)^(1/3)",
    "x^0.5",
    "0^x",
    "1/x",
    "1/(x-1)",
    "x/0",
    "1/-x",
    "arcsin(x)",
    "arccos(x)",
    "arccot(x)",
    "arctg(x)",
    "atn(x)",
    "cot(x)",
    "ctg(x)",
    "sec(x)",
    "csc(x)",
    "r2d(x)",
    "d2r(x)",
    "log(x)",
    "ln(x)",
    "log10(x)",
    "lg(x)",
    "fix(x)",
    "sgn(x)",
    "exp(x)",
    "exp(x*100)",
    "x*1e300",
    "10^x",
    "x^400",
    "abs( - x )",
    "  X +\t2  ",
    "SIN\t(X)",
    "pi*x",
    "e^x",
    "c+gr*x-eg",
    "g*x*x/2",
    "k_2*x",
    "x1*x",
    "x+x1",
    "2x",
    "x2",
    "x.5",
    "x_1",
    "a_x",
    "xx",
    "x(2)",
    "(x)(2)",
    "x 2",
    "x)",
    "(x",
    "sin(x",
    "foo(x)",
    "foo",
    "x+foo",
    "rnd(x)",
    "rnd(1)*x",
    "x+rnd(-3)",
    "1/0+x",
    "x+1/0",
    "sqr(x)+1/(2-2)",
    "sin(x)+中",
    "10^39*x",
    "exp(709)*exp(709)*x",
    "123456789012345678901234567890*x",
    "--x",
    "x--2",
    "x*--2",
    "2+*x",
    "",
    "   ",
    "x",
    "X",
    "(((x)))",
    "r2d(10^308)*x",
    "arcsin(10^200*x)",
    std::string(999, '(') + "x" + std::string(999, ')'),
    std::string(1000, '(') + "x" + std::string(1000, ')'),
    std::string(1000, '(') + "1" + std::string(1000, ')') + "*x"};

// Random texts are the evaluator fuzzer's part; these are the texts known to be tricky.
TEST(CurveEvaluator, MatchesTheTextPathOnTheParsersOwnTextsAndEveryVariable) {
    std::mt19937 random(7);
    Differential d;
    const size_t scale = LongCheck() ? 100 : 1;
    for (const std::string& e : FixedExpressions) {
        // Errors at the nesting limit carry a thousand-step trace: a few samples do.
        d.Check(e, "x", SweepValues(random, (e.size() > 1000 ? 20 : 600) * scale));
        if (HasFatalFailure()) return;
    }
    // The other variables, and a sampler's own sequence of values.
    std::vector<float> run;
    for (float v = -10.0f; v <= 10.0f; v += 0.0015625f)
        run.push_back(v);
    for (const char* var : {"y", "t", "z"}) {
        std::string e = "3*sin(7*x)+x^2/(x-1)";
        for (char& c : e)
            if (c == 'x') c = var[0];
        d.Check(e, var, run);
    }
    // Beyond 10000 the value text keeps two places: runs of samples share a text, a failing
    // one among them (1/(x-10000.01)), and a sequence that turns back.
    std::vector<float> shared;
    for (float v = 9999.95f; v <= 10000.07f; v = std::nextafter(v, 1e9f))
        shared.push_back(v);
    for (float v = 10000.07f; v >= 9999.99f; v = std::nextafter(v, 0.0f))
        shared.push_back(v);
    shared.insert(shared.end(), {-12345.67f, 12345.67f, -12345.67f, 12345.671f, 12345.67f});
    for (const char* e : {"sin(x)*x", "1/(x-10000.01)", "x", "-x"})
        d.Check(e, "x", shared);
    EXPECT_GE(d.samples, 90'000u);
    EXPECT_GT(d.failures, 10'000u);
}

TEST(CurveEvaluator, ADivisionByZeroFailsWhateverTheDividend) {
    test::SeededRandom random;
    clsExpressionParser parser(random);
    // x/x at 0 is 0/0, (x+1)/x is 1/0, x/(x-2) at 2 is 2/0: the compiled run and the text
    // path both report the parser's division by zero, and at exact arguments the run raises
    // its own, the quiet run gives nothing.
    for (const auto& [text, at] :
         {std::pair{"x/x", 0.0f}, std::pair{"(x+1)/x", 0.0f}, std::pair{"x/(x-2)", 2.0f}}) {
        CurveEvaluator f(parser, text, "x");
        ASSERT_TRUE(f.IsCompiled()) << text;
        try {
            f.Value(at);
            ADD_FAILURE() << text << " gave a value";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number, ParserErrorNumber(2)) << text;
            EXPECT_EQ(e.Description, "除数为零错误") << text;
        }
        try {
            f.ExactValue(at);
            ADD_FAILURE() << text << " gave an exact value";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number, ErrDivisionByZero) << text;
        }
        EXPECT_FALSE(f.QuietExactValue(at)) << text;
        EXPECT_FALSE(f.DefinedValue(at)) << text;
        EXPECT_TRUE(f.DefinedValue(at + 1)) << text;
    }
}

TEST(CurveEvaluator, TextsWhoseReadingDependsOnTheValueStayOnTheTextPath) {
    test::SeededRandom random;
    clsExpressionParser parser(random);
    parser.AddConstant("x1", 1);
    parser.AddConstant("xk", 1);
    for (const char* e : {"2x", "x2", "x.5", "x_1", "a_x", "x(2)", "x1+x", "rnd(x)", "foo(x)",
                          "1/0+x", "sin(x)+中"})
        EXPECT_FALSE(CurveEvaluator(parser, e, "x").IsCompiled()) << e;
    for (const char* e : {"x*x", "xk+x", "x*xk", "-X^2", "sin( x )"})
        EXPECT_TRUE(CurveEvaluator(parser, e, "x").IsCompiled()) << e;

    // A long text compiles when every occurrence of the letter stays within the positions
    // the substitution counts, the longest value texts before it included.
    std::string tail;
    for (int i = 0; i < 16000; ++i)
        tail += "+1";
    CurveEvaluator early(parser, "x" + tail, "x");
    EXPECT_TRUE(early.IsCompiled());
    EXPECT_EQ(early.Value(-2.5f), early.TextValue(-2.5f));
    EXPECT_EQ(early.Value(-2.5f), -2.5 + 16000);
    EXPECT_FALSE(CurveEvaluator(parser, "1" + std::string(32766, ' ') + "+x", "x").IsCompiled());
    EXPECT_FALSE(
        CurveEvaluator(parser, "x+" + std::string(32745, ' ') + "+exp(1)", "x").IsCompiled());
    EXPECT_TRUE(
        CurveEvaluator(parser, "x+" + std::string(32700, ' ') + "+exp(1)", "x").IsCompiled());
}

// The derivative against a difference quotient of the function itself (Richardson's
// extrapolation of central differences), and a few worked by hand.
TEST(CurveEvaluator, SlopesFollowTheRulesOfEveryOperationAndFunction) {
    test::SeededRandom random;
    clsExpressionParser parser(random);
    parser.AddConstant("k", 0.75);
    const auto quotient = [](CurveEvaluator& f, double x) {
        const auto central = [&](double h) {
            return (f.ExactValue(x + h) - f.ExactValue(x - h)) / (2 * h);
        };
        const double h = 1e-3 * std::max(1.0, std::fabs(x));
        return (4 * central(h / 2) - central(h)) / 3;
    };
    const char* const texts[] = {"sin(x)",        "cos(2*x)",    "tan(x)",
                                 "tg(x/2)",       "cot(x)",      "sec(x)",
                                 "csc(x)",        "arcsin(x/2)", "arccos(x/3)",
                                 "arctan(x)",     "atn(k*x)",    "arccot(x)",
                                 "r2d(x)",        "d2r(x*x)",    "abs(x-0.3)",
                                 "sqr(x+3)",      "log(x+3)",    "ln(x*x+1)",
                                 "log10(x+3)",    "exp(-x*x)",   "fix(x)*x",
                                 "sgn(x)+x",      "x^3-2*x",     "2^x",
                                 "(x+3)^(x/2)",   "x/(x+5)",     "1/x",
                                 "(x*x-1)/(x+4)", "-x^2+k",      "x-3*x",
                                 "3-x",           "(x+1)*(x-2)", "x*x/4-3",
                                 "k^x",           "(x+3)^x",     "sin(x)^2",
                                 "(x+3)^k",       "sqr(abs(x))", "exp(sin(x))*cos(x)"};
    for (const char* text : texts) {
        CurveEvaluator f(parser, text, "x");
        ASSERT_TRUE(f.IsCompiled()) << text;
        for (const double x : {-1.3, -0.55, 0.35, 0.8, 1.45}) {
            const auto [value, slope] = f.ExactSlope(x);
            EXPECT_EQ(value, f.ExactValue(x)) << text << " at " << x;
            const double expected = quotient(f, x);
            EXPECT_NEAR(slope, expected, 1e-6 * std::max(1.0, std::fabs(expected)))
                << text << " at " << x;
        }
    }

    // Worked by hand.
    CurveEvaluator cubic(parser, "x^3-2*x", "x");
    EXPECT_EQ(cubic.ExactSlope(1.5).Slope, 4.75); // 3 * 2.25 - 2
    CurveEvaluator power(parser, "x^x", "x");
    EXPECT_DOUBLE_EQ(power.ExactSlope(2).Slope, 4 * (std::log(2.0) + 1));
    CurveEvaluator vertex(parser, "x*x/4-3", "x");
    EXPECT_EQ(vertex.ExactSlope(0).Slope, 0);
    EXPECT_EQ(vertex.ExactSlope(-3).Slope, -1.5);
    // No derivative at a corner or a step; the value still there.
    CurveEvaluator corner(parser, "abs(x-0.5)", "x");
    EXPECT_TRUE(std::isnan(corner.ExactSlope(0.5).Slope));
    EXPECT_EQ(corner.ExactSlope(0.5).Value, 0);
    EXPECT_EQ(corner.ExactSlope(0.25).Slope, -1);
    CurveEvaluator step(parser, "fix(x)", "x");
    EXPECT_TRUE(std::isnan(step.ExactSlope(2).Slope));
    EXPECT_EQ(step.ExactSlope(2.5).Slope, 0);
    // A negative base with a varying exponent has no derivative; with a fixed one it has.
    CurveEvaluator varying(parser, "(x-4)^(x/2)", "x");
    EXPECT_TRUE(std::isnan(varying.ExactSlope(2).Slope)); // (-2)^1
    CurveEvaluator fixed(parser, "(x-4)^3", "x");
    EXPECT_EQ(fixed.ExactSlope(2).Slope, 12);
    // What the function raises, the slope raises too.
    CurveEvaluator root(parser, "sqr(x)", "x");
    EXPECT_THROW(root.ExactSlope(-1), AppError);
}

} // namespace

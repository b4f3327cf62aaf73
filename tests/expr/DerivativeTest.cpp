// The derivative written in the language, against textbook forms written out here, the
// compiled derivative and central differences of the function itself.
#include "ScriptedSeams.h"

#include "base/AppError.h"
#include "expr/CurveEvaluator.h"
#include "expr/Derivative.h"
#include "expr/clsExpressionParser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace orbiplot;
using ::testing::HasSubstr;

namespace {

struct Fixture {
    test::SeededRandom random;
    clsExpressionParser parser{random};
    Fixture() { parser.AddConstant("k", 0.75); }
    std::string D(const std::string& text, const char* var = "x") {
        return DeriveExpression(parser, text, var);
    }
    // The error DeriveExpression raises, by its description.
    std::string Refusal(const std::string& text) {
        try {
            D(text);
        } catch (const AppError& e) {
            return e.Description;
        }
        return "(none)";
    }
};

// The function's slope by Richardson's extrapolation of central differences of step h (not a
// number where the function fails nearby).
double Difference(CurveEvaluator& f, double x, double step) {
    const auto central = [&](double h) {
        const auto a = f.QuietExactValue(x + h), b = f.QuietExactValue(x - h);
        return a && b ? (*a - *b) / (2 * h) : NAN;
    };
    const double h = step * std::max(1.0, std::fabs(x));
    return (4 * central(h / 2) - central(h)) / 3;
}

} // namespace

TEST(Derivative, EachBuiltInFunctionByItsTextbookRule) {
    Fixture f;
    const std::pair<const char*, const char*> rules[] = {
        {"sin(x)", "cos(x)"},
        {"cos(x)", "-sin(x)"},
        {"tan(x)", "1+tan(x)^2"},
        {"tg(x)", "1+tan(x)^2"},
        {"cot(x)", "-(1+cot(x)^2)"},
        {"ctg(x)", "-(1+cot(x)^2)"},
        {"sec(x)", "sec(x)*tan(x)"},
        {"csc(x)", "-csc(x)*cot(x)"},
        {"arcsin(x)", "1/sqr(1-x^2)"},
        {"arccos(x)", "-1/sqr(1-x^2)"},
        {"arctan(x)", "1/(1+x^2)"},
        {"atn(x)", "1/(1+x^2)"},
        {"arccot(x)", "-1/(1+x^2)"},
        {"r2d(x)", "180/3.14159265358979"},
        {"d2r(x)", "3.14159265358979/180"},
        {"abs(x)", "sgn(x)"},
        {"sqr(x)", "1/(2*sqr(x))"},
        {"log(x)", "1/x"},
        {"ln(x)", "1/x"},
        {"log10(x)", "1/(x*log(10))"},
        {"lg(x)", "1/(x*log(10))"},
        {"exp(x)", "exp(x)"},
        {"fix(x)", "0"},
        {"sgn(x)", "0"},
    };
    for (const auto& [text, derivative] : rules)
        EXPECT_EQ(f.D(text), derivative) << text;
    // The chain rule, and the simplest forms: no 0*, 1*, +0 or ^1, numbers worked out.
    EXPECT_EQ(f.D("sin(x)*x+2"), "cos(x)*x+sin(x)");
    EXPECT_EQ(f.D("x^3-2*x"), "3*(x^2)-2");
    EXPECT_EQ(f.D("exp(3*x)"), "exp(3*x)*3");
    EXPECT_EQ(f.D("abs(x^2-4)"), "sgn(x^2-4)*(2*x)");
    EXPECT_EQ(f.D("2*3*x+k"), "6");
    EXPECT_EQ(f.D("k*x"), "k"); // a named constant stays named
    EXPECT_EQ(f.D("2^x"), "2^x*log(2)");
    EXPECT_EQ(f.D("x^x"), "x^x*(log(x)+1)");
    // The language's own grouping: 3*x^2 is (3x)^2, -x^2 is (-x)^2, x/5^2 is (x/5)^2.
    EXPECT_EQ(f.D("3*x^2"), "2*(3*x)*3");
    EXPECT_EQ(f.D("-x^2"), "2*x");
    EXPECT_EQ(f.D("arcsin(x/5)"), "0.2/sqr(1-(x/5)^2)");
    // Again: the second derivative; X=f(Y) in y.
    EXPECT_EQ(f.D(f.D("sin(x)")), "-sin(x)");
    EXPECT_EQ(f.D("y^2-3*y", "y"), "2*y-3");
    EXPECT_EQ(f.D("Y*Y", "y"), "2*y");
}

TEST(Derivative, ItsTextAgreesWithTheCompiledDerivativeAndWithDifferences) {
    Fixture f;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> where(-3.0, 3.0);
    const char* const texts[] = {"sin(x)*x+2",
                                 "(x^3-2*x)/(x*x+1)",
                                 "exp(-x*x)*3",
                                 "tan(x)/x",
                                 "sqr(abs(x))+exp(-(x*x))",
                                 "3*sin(7*x)",
                                 "x^x",
                                 "(x+2)^(x/3)",
                                 "2^sin(x)",
                                 "arcsin(x/4)+arccos(x/5)",
                                 "arctan(x^2)-arccot(2*x)",
                                 "log(x^2+1)*log10(x^2+2)",
                                 "sec(x)+csc(x)+cot(x)",
                                 "r2d(x)-d2r(x^2)",
                                 "abs(x-1)*fix(x)+sgn(x)",
                                 "-x^3",
                                 "-(x^3)",
                                 "1/(1+exp(-x))",
                                 "k*x^2/2",
                                 "cos(cos(cos(x)))",
                                 "x/(x-0.5)^2",
                                 "sqr(4-x^2)"};
    int compared = 0;
    for (const char* text : texts) {
        const std::string d = f.D(text);
        CurveEvaluator original(f.parser, text, "x");
        CurveEvaluator derivative(f.parser, d, "x");
        ASSERT_TRUE(original.IsCompiled()) << text;
        ASSERT_TRUE(derivative.IsCompiled()) << text << " -> " << d;
        for (int i = 0; i < 40; ++i) {
            const double x = where(random);
            const auto slope = original.QuietExactValue(x)
                                   ? original.ExactSlope(x)
                                   : CurveEvaluator::ValueAndSlope{NAN, NAN};
            const std::optional<double> written = derivative.QuietExactValue(x);
            if (!written || !std::isfinite(slope.Slope)) continue;
            EXPECT_NEAR(*written, slope.Slope, 1e-9 * std::max(1.0, std::fabs(slope.Slope)))
                << text << " -> " << d << " at " << x;
            // The differences, where they can be trusted: away from corners, steps and poles,
            // where two step sizes agree.
            if (std::string(text).find("fix") != std::string::npos ||
                std::string(text).find("abs") != std::string::npos)
                continue;
            const double near = Difference(original, x, 1e-3),
                         nearer = Difference(original, x, 2.5e-4);
            if (!std::isfinite(near) || !std::isfinite(nearer) ||
                std::fabs(near - nearer) > 1e-7 * std::max(1.0, std::fabs(near)))
                continue;
            EXPECT_NEAR(*written, nearer, 1e-6 * std::max(1.0, std::fabs(*written)))
                << text << " -> " << d << " at " << x;
            ++compared;
        }
    }
    EXPECT_GT(compared, 500);
}

TEST(Derivative, WhatCannotBeDerivedIsRefusedWithAClearMessage) {
    Fixture f;
    EXPECT_EQ(f.Refusal("rnd(x)*x"), "表达式含随机函数 RND, 没有导数");
    EXPECT_EQ(f.Refusal("sin(x"), "缺少 ')'");
    EXPECT_EQ(f.Refusal("foo(x)"), "函数 foo 不存在");
    EXPECT_EQ(f.Refusal("x+q"), "常数 q 不存在");
    EXPECT_EQ(f.Refusal("2+*x"), "表达式语法错误");
    // A division by zero at the value tried is no fault of the text.
    EXPECT_EQ(f.D("1/(x-1)"), "-1/((x-1)^2)");
    // Nesting deeper than the parser reads, a tree too deep to work on, and a derivative
    // longer than a curve's text may be.
    std::string nested = "x";
    for (int i = 0; i < 1200; ++i)
        nested = "sin(" + nested + ")";
    EXPECT_EQ(f.Refusal(nested), "堆栈空间溢出");
    std::string sum = "x";
    for (int i = 0; i < 3000; ++i)
        sum += "+x";
    EXPECT_THAT(f.Refusal(sum), HasSubstr("嵌套过深"));
    std::string wide = "x";
    for (int i = 0; i < 12; ++i)
        wide = "sin(" + wide + ")*cos(" + wide + ")";
    EXPECT_THAT(f.Refusal(wide), HasSubstr("导数的表达式过长"));
    EXPECT_EQ(f.Refusal("x"), "(none)");
}

#include "ParserTestSupport.h"

#include "ScriptedSeams.h"

#include <cmath>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {
constexpr double PiLiteral = 3.14159265358979;
}

TEST(BuiltinFunctions, ExactFormulasAndOperationOrder) {
    const std::pair<const char*, double> cases[] = {
        {"sin(pi)", std::sin(PiLiteral)},
        {"cot(1)", 1 / std::tan(1.0)},
        {"csc(1)", 1 / std::sin(1.0)},
        {"arcsin(0.5)", std::atan(0.5 / std::sqrt(0.75))},
        {"arccos(0.5)", PiLiteral / 2 - std::atan(0.5 / std::sqrt(0.75))},
        {"arccot(1)", PiLiteral / 2 - std::atan(1.0)},
        {"r2d(pi)", 180},
        {"d2r(180)", PiLiteral},
        {"log(e)", std::log(2.71828)},
        {"lg(1000)", std::log(1000.0) / std::log(10.0)},
        {"fix(-2.5)", -2},
        {"sgn(-0.001)", -1},
        {"exp(-1000)", 0},
    };
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parser.ParseExpression(text), expected) << text;
    EXPECT_NEAR(parser.ParseExpression("arcsin(0.5)"), 0.5235987756, 1e-10);
    EXPECT_NEAR(parser.ParseExpression("arccos(0.5)"), 1.0471975512, 1e-10);
    EXPECT_NEAR(parser.ParseExpression("log(e)"), 0.9999993273, 1e-10);
    EXPECT_NEAR(parser.ParseExpression("sin(pi)"), 3.2e-15, 1e-16);
}

TEST(BuiltinFunctions, BoundaryValuesAtZeroAndAtTheEndsOfTheirDomains) {
    const std::pair<const char*, double> values[] = {
        {"arcsin(1)", PiLiteral / 2},
        {"arcsin(-1)", -PiLiteral / 2},
        {"arcsin(0)", 0},
        {"arccos(1)", 0},
        {"arccos(-1)", PiLiteral},
        {"arccos(0)", PiLiteral / 2},
        {"sqr(0)", 0},
        {"log(1)", 0},
        {"lg(1)", 0},
        {"exp(0)", 1},
        {"sgn(0)", 0},
        {"sgn(0.001)", 1},
        {"fix(2.5)", 2},
        {"fix(-0.5)", 0},
        {"abs(-3)", 3},
        {"tan(0)", 0},
        {"arccot(0)", PiLiteral / 2},
        {"r2d(0)", 0},
    };
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    for (const auto& [text, expected] : values)
        EXPECT_EQ(parser.ParseExpression(text), expected) << text;
    EXPECT_TRUE(std::isfinite(parser.ParseExpression("exp(709)")));
    // Just past either end of a domain.
    for (const char* text : {"arcsin(1.0001)", "arcsin(-1.0001)", "arccos(1.0001)", "sqr(-0.0001)"})
        EXPECT_EQ(ParseFailure(parser, text)->number, ErrInvalidCall) << text;
}

TEST(BuiltinFunctions, DomainAndRangeFailuresAreArithmeticErrors) {
    const std::pair<const char*, int32_t> cases[] = {
        {"cot(0)", ErrDivisionByZero},       {"ctg(0)", ErrDivisionByZero},
        {"csc(0)", ErrDivisionByZero},       {"arcsin(2)", ErrInvalidCall},
        {"arccos(-1.0001)", ErrInvalidCall}, {"sqr(-1)", ErrInvalidCall},
        {"log(0)", ErrInvalidCall},          {"ln(-1)", ErrInvalidCall},
        {"lg(0)", ErrInvalidCall},           {"log10(-5)", ErrInvalidCall},
        {"exp(710)", ErrOverflow},           {"r2d(10^308)", ErrOverflow},
        {"arcsin(10^200)", ErrOverflow},
    };
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    for (const auto& [text, number] : cases) {
        const auto failure = ParseFailure(parser, text);
        ASSERT_TRUE(failure) << text;
        EXPECT_EQ(failure->number, number) << text;
        EXPECT_EQ(failure->source, std::string(TraceToAtom) + "->CallBuiltinFunction") << text;
    }
}

TEST(BuiltinFunctions, NamesAreCaseFreeAndAliasesAgree) {
    const std::vector<std::vector<std::string>> groups = {
        {"sin", "Sin", "SIN"}, {"tan", "tg", "TG"}, {"cot", "ctg"},  {"arctan", "arctg", "atn"},
        {"arccot", "arcctg"},  {"log", "ln", "LN"}, {"log10", "lg"},
    };
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    for (const auto& group : groups) {
        const double first = parser.ParseExpression(group[0] + "(0.7)");
        for (const auto& name : group)
            EXPECT_EQ(parser.ParseExpression(name + "(0.7)"), first) << name;
    }
    EXPECT_TRUE(IsBuiltinFunction(" sin\t"));
    for (const char* name : {"", "SINH", "PI", "SQRT", "LOG2", "ARCSINX"})
        EXPECT_FALSE(IsBuiltinFunction(name)) << name;
}

TEST(BuiltinFunctions, RndFollowsItsThreeArgumentCases) {
    ScriptedRandom random;
    random.values = {0.25f, 0.5f, 0.75f, 0.1f};
    clsExpressionParser parser(random);
    EXPECT_EQ(parser.ParseExpression("rnd(1)"), 0.25);
    EXPECT_EQ(parser.ParseExpression("rnd(0)"), 0.25);
    EXPECT_EQ(parser.ParseExpression("rnd(3)"), 0.5);
    EXPECT_EQ(parser.ParseExpression("rnd(-2)"), 0.75);
    EXPECT_EQ(random.seeds, std::vector<double>{-2});
    EXPECT_EQ(parser.ParseExpression("rnd(0)"), 0.75);
    // single precision widened, not rounded to a decimal double
    EXPECT_EQ(parser.ParseExpression("rnd(1)"), static_cast<double>(0.1f));
}

TEST(BuiltinFunctions, RndRestartsTheSameSequenceForTheSameNegativeArgument) {
    DefaultRandomSource random;
    clsExpressionParser parser(random);
    const double a = parser.ParseExpression("rnd(-7)");
    const double a2 = parser.ParseExpression("rnd(1)");
    parser.ParseExpression("rnd(1)");
    EXPECT_EQ(parser.ParseExpression("rnd(-7)"), a);
    EXPECT_EQ(parser.ParseExpression("rnd(1)"), a2);
    EXPECT_NE(parser.ParseExpression("rnd(-8)"), a);
    for (int i = 0; i < 1000; ++i) {
        const double v = parser.ParseExpression("rnd(1)");
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 1);
    }
}

#include "ParserTestSupport.h"

using namespace orbiplot;
using namespace orbiplot::test;

TEST(ParserGrammar, PrecedenceGroupingAndSigns) {
    const std::pair<const char*, double> cases[] = {
        {"2^3^2", 64},  {"2*3^2", 36}, {"8/2^2", 16},   {"8/4/2", 1},       {"2^2*3", 12},
        {"1-2-3", -4},  {"1-2+3", 2},  {"2+3*4", 14},   {"-2^2", 4},        {"2^-1", 0.5},
        {"2*-3", -6},   {"2--3", 5},   {"2-+3", -1},    {"+3", 3},          {"-(2+3)*2", -10},
        {"(((1)))", 1}, {"-2*-2", 4},  {"10/-4", -2.5}, {"(2+3)^2", 25},    {"4-2^2", 0},
        {"-1+2", 1},    {"0^0", 1},    {"(-2)^3", -8},  {"(-8)^(1/1)", -8}, {"3-(-(2))", 5},
    };
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parser.ParseExpression(text), expected) << text;
}

TEST(ParserGrammar, NumbersBlanksAndNames) {
    const std::pair<std::string, double> cases[] = {
        {"5.", 5},
        {"1/0.0001", 10000},
        {"0.1+0.2", 0.1 + 0.2},
        {"  1 +\t2  ", 3},
        {"\t(\t1\t)\t", 1},
        {"sin (0)", 0},
        {"pi", 3.14159265358979},
        {"abs( - 3 )", 3},
        // below the smallest double a digit string is zero, not an error
        {"0." + std::string(400, '0') + "1", 0},
        {"123456789012345678901234567890", 123456789012345678901234567890.0},
    };
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parser.ParseExpression(text), expected) << text;
}

TEST(ParserGrammar, NestingUpToTheLimitWorksAndBeyondFailsCleanly) {
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    const auto nested = [](int depth, const std::string& open, const std::string& inner) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += open;
        text += inner;
        text += std::string(static_cast<size_t>(depth), ')');
        return text;
    };
    EXPECT_EQ(parser.ParseExpression(nested(MaxNestingDepth, "(", "1")), 1);
    EXPECT_EQ(parser.ParseExpression(nested(MaxNestingDepth, "-(", "1")), 1);
    EXPECT_EQ(parser.ParseExpression(nested(MaxNestingDepth, "abs(", "-2")), 2);

    for (const auto& [depth, open] : {std::pair{MaxNestingDepth + 1, "("}, std::pair{100000, "("},
                                      std::pair{100000, "sin("}, std::pair{100000, "-("}}) {
        const auto failure = ParseFailure(parser, nested(depth, open, "1"));
        ASSERT_TRUE(failure) << depth << open;
        EXPECT_EQ(failure->number, ErrOutOfStack);
        EXPECT_EQ(failure->description, "堆栈空间溢出");
        EXPECT_EQ(failure->source.rfind("ParseExpression->ParseNumExp->ParseTerm->ParseValue", 0),
                  0u);
    }
    // The parser is whole again after the failure.
    EXPECT_EQ(parser.ParseExpression("(1+(2))"), 3);
}

TEST(ParserGrammar, MegabyteTextsParseInLinearTime) {
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    std::string sum = "1";
    for (int i = 0; i < 1000000; ++i)
        sum += "+1";
    std::string product = "1";
    for (int i = 0; i < 500000; ++i)
        product += "*1.0000";
    // Linear work: quadratic work on these texts would run into the test's time limit.
    EXPECT_EQ(parser.ParseExpression(sum), 1000001);
    EXPECT_EQ(parser.ParseExpression(product), 1);
    const std::string longName(3000000, 'q');
    const auto failure = ParseFailure(parser, longName);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->position, 3000001);
}

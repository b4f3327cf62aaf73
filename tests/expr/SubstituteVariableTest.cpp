#include "ParserTestSupport.h"
#include "RaisedNumber.h"

using namespace orbiplot;

TEST(SubstituteVariable, OnlyLettersProtectAnOccurrence) {
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"2*x+exp(x)", "x", "0.5", "2*0.5+exp(0.5)"},
        {"-x", "x", "-1", "--1"},
        {"x2", "x", "3", "32"},
        {"max(x)", "x", "1", "max(1)"},
        {"xx", "x", "1", "xx"},
        {"x", "x", "xx", "xx"},
        {"x+x", "x", "x1", "x1+x1"},
        {"SIN(X)*X", "x", "2", "sin(2)*2"},
        {"x x", "x", "(-1.5)", "(-1.5) (-1.5)"},
        {"1+1", "1", "2", "2+2"},
        {"中x", "x", "1", "中1"},
        {"ÄX", "x", "1", "ä1"},
    };
    for (const auto& [expression, var, value, expected] : cases)
        EXPECT_EQ(SubstituteVariable(expression, var, value), expected) << expression;
}

TEST(SubstituteVariable, PositionsBeyondSixteenBitsOverflow) {
    const auto overflows = [](const std::string& expression, const std::string& value) {
        return test::RaisedNumber([&] { SubstituteVariable(expression, "x", value); }) == ErrOverflow;
    };
    const std::string pad(32766, '1');
    EXPECT_EQ(SubstituteVariable(pad + "x", "x", "2"), pad + "2"); // position 32767
    EXPECT_TRUE(overflows(pad + "1x", "2"));                       // position 32768
    // Positions count in the updated text: the first value pushes the second occurrence out.
    const std::string early(32750, '1');
    EXPECT_NO_THROW(SubstituteVariable(early + "+x+x", "x", "2"));
    EXPECT_TRUE(overflows(early + "+x+x", "123456789012345678"));
    // A long text without the variable, or with it only early, is fine.
    const std::string longText(3000000, '1');
    EXPECT_EQ(SubstituteVariable(longText, "x", "2"), longText);
    EXPECT_TRUE(overflows("x+" + longText + "+x", "2"));
    // Characters, not bytes, are counted.
    std::string wide;
    for (int i = 0; i < 32766; ++i)
        wide += "中";
    EXPECT_EQ(SubstituteVariable(wide + "x", "x", "2"), wide + "2");
    EXPECT_TRUE(overflows(wide + "中x", "2"));
}

// A value holding the variable is found again inside itself until the position overflows:
// an error soon, not minutes of growing text.
TEST(SubstituteVariable, AValueHoldingTheVariableOverflowsQuickly) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"x", "x", "(x)"}, {"x*2", "x", std::string(1000, '+') + "x"}, {"\xe6\x95\xb0x", "x", "(x)"}};
    for (const auto& [expression, var, value] : cases) {
        EXPECT_EQ(test::RaisedNumber([&] { SubstituteVariable(expression, var, value); }), ErrOverflow)
            << expression;
    }
    // Letters beside the inner occurrence stop the chain: it is left as it is.
    EXPECT_EQ(SubstituteVariable("x+1", "x", "(ax)"), "(ax)+1");
}

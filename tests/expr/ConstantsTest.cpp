#include "ParserTestSupport.h"
#include "RaisedNumber.h"

using namespace orbiplot;
using namespace orbiplot::test;

TEST(Constants, NameChecksInTheirOrder) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"", 4, "常数名不能为空值"},
        {"2a", 4, "常数名必须以字母开头"},
        {"中", 4, "常数名必须以字母开头"},
        {"a-b", 4, "无效常数名"},
        {"a中", 4, "无效常数名"},
        {"E", 7, "此常数已存在"},
        {"pi", 7, "此常数已存在"}, // exists is checked before reserved
        {"SIN", 6, "常数名使用了保留字符"},
        {"2sin", 4, "常数名必须以字母开头"},
    };
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    for (const auto& [name, code, description] : cases) {
        const auto failure = Raised([&] { parser.AddConstant(name, 1); });
        ASSERT_TRUE(failure) << name;
        EXPECT_EQ(failure->Number, ParserErrorNumber(code)) << name;
        EXPECT_EQ(failure->Description, description) << name;
        EXPECT_EQ(failure->Source, "Orbiplot") << name; // not traced
    }
    // Nothing was added by the failures.
    EXPECT_FALSE(parser.ConstantExists("A"));
    EXPECT_FALSE(parser.ConstantExists("SIN"));
}

TEST(Constants, RemovalIsCaseFreeAndReportsUnknownNamesUpperCased) {
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    parser.AddConstant("g", 9.8);
    parser.RemoveConstant(" G ");
    EXPECT_FALSE(parser.ConstantExists("g"));
    const auto unknown = Raised([&] { parser.RemoveConstant(" zz "); });
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->Number, ParserErrorNumber(8));
    EXPECT_EQ(unknown->Description, "常数 ZZ 不存在");
    EXPECT_EQ(unknown->Source, "Orbiplot");
    // The named constants can be removed too, and then are unknown names.
    parser.RemoveConstant("pi");
    const auto failure = ParseFailure(parser, "pi");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->description, "常数 pi 不存在");
    parser.AddConstant("Pi", 3);
    EXPECT_EQ(parser.ParseExpression("PI"), 3);
}

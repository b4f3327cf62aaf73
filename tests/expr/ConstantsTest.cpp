#include "ParserTestSupport.h"

using namespace orbiplot;
using namespace orbiplot::test;

namespace {
std::optional<Failure> AddFailure(clsExpressionParser& parser, const std::string& name) {
    try {
        parser.AddConstant(name, 1);
    } catch (const AppError& e) {
        return Failure{e.Number, 0, e.Source, e.Description};
    }
    return std::nullopt;
}
} // namespace

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
    clsExpressionParser parser;
    for (const auto& [name, code, description] : cases) {
        const auto failure = AddFailure(parser, name);
        ASSERT_TRUE(failure) << name;
        EXPECT_EQ(failure->number, ParserErrorNumber(code)) << name;
        EXPECT_EQ(failure->description, description) << name;
        EXPECT_EQ(failure->source, "Orbiplot") << name; // not traced
    }
    // Nothing was added by the failures.
    EXPECT_FALSE(parser.ConstantExists("A"));
    EXPECT_FALSE(parser.ConstantExists("SIN"));
}

TEST(Constants, RemovalIsCaseFreeAndReportsUnknownNamesUpperCased) {
    clsExpressionParser parser;
    parser.AddConstant("g", 9.8);
    parser.RemoveConstant(" G ");
    EXPECT_FALSE(parser.ConstantExists("g"));
    try {
        parser.RemoveConstant(" zz ");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number, ParserErrorNumber(8));
        EXPECT_EQ(e.Description, "常数 ZZ 不存在");
        EXPECT_EQ(e.Source, "Orbiplot");
    }
    // The named constants can be removed too, and then are unknown names.
    parser.RemoveConstant("pi");
    const auto failure = ParseFailure(parser, "pi");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->description, "常数 pi 不存在");
    parser.AddConstant("Pi", 3);
    EXPECT_EQ(parser.ParseExpression("PI"), 3);
}

#include "base/AppError.h"
#include "base/modError.h"

#include <gtest/gtest.h>

using namespace orbiplot;

TEST(ErrorNumbers, ProgramErrorsCarryTheirFixedMessage) {
    for (uint32_t number = 0x800403FF; number <= 0x8004040B; ++number) {
        const auto n = static_cast<int32_t>(number);
        EXPECT_TRUE(IsOwnError(n));
        try {
            RaiseOwnError(n);
            ADD_FAILURE() << "no error raised";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number, n);
            EXPECT_EQ(e.Source, "Orbiplot");
            EXPECT_FALSE(e.Description.empty());
            EXPECT_EQ(e.Description, OwnErrorMessage(n));
        }
    }
    EXPECT_EQ(OwnErrorMessage(static_cast<int32_t>(0x8004040Au)), "未知曲线类型");
    EXPECT_FALSE(IsOwnError(static_cast<int32_t>(0x800403FEu)));
    EXPECT_FALSE(IsOwnError(static_cast<int32_t>(0x8004040Cu)));
    EXPECT_TRUE(OwnErrorMessage(static_cast<int32_t>(0x8004040Cu)).empty());
    EXPECT_EQ(static_cast<uint32_t>(SystemErrorBase + 5), 0x8004714Du);
}

TEST(ErrorNumbers, ParserRangeIsCodesOneToEight) {
    EXPECT_EQ(static_cast<uint32_t>(ParserErrorNumber(1)), 0x80040201u);
    EXPECT_EQ(static_cast<uint32_t>(ParserErrorNumber(8)), 0x80040208u);
    EXPECT_FALSE(IsParserError(ParserErrorNumber(0)));
    EXPECT_FALSE(IsParserError(ParserErrorNumber(9)));
    for (int code = 1; code <= 8; ++code) {
        EXPECT_TRUE(IsParserError(ParserErrorNumber(code)));
        EXPECT_EQ(ParserErrorCode(ParserErrorNumber(code)), code);
    }
    // Runtime numbers never fall into the parser's range.
    for (int32_t n : {ErrInvalidCall, ErrOverflow, ErrSubscript, ErrDivisionByZero, ErrTypeMismatch,
                      ErrOutOfStack, ErrFileNotFound})
        EXPECT_FALSE(IsParserError(n) || IsOwnError(n));
}

TEST(ErrorReport, ThreeKindsOfBox) {
    const ErrorReport parser = BuildErrorReport(AppError(
        ParserErrorNumber(3), "ParseExpression->ParseNumExp->ParseTerm->ParseValue", "缺少 ')'"));
    EXPECT_EQ(parser.Title, "Orbiplot 表达式分析错误");
    EXPECT_EQ(parser.Text, "错误号 No. 3 - 缺少 ')'\n\n错误发生在: "
                           "ParseExpression->ParseNumExp->ParseTerm->ParseValue");

    const ErrorReport own =
        BuildErrorReport(AppError(ErrFileVersion, "Orbiplot", "ignored description"));
    EXPECT_EQ(own.Title, "Orbiplot 错误报告");
    EXPECT_EQ(own.Text, "文件版本错误");

    const ErrorReport general = BuildErrorReport(AppError(ErrDivisionByZero, "Calc", "除数为零"));
    EXPECT_EQ(general.Title, "Orbiplot 错误报告");
    const std::string tail = "\n\nErr.Number = 11\nErr.Source = Calc\nErr.Description = 除数为零";
    ASSERT_GT(general.Text.size(), tail.size());
    EXPECT_EQ(general.Text.substr(general.Text.size() - tail.size()), tail);
    EXPECT_EQ(general.Text.find('\n'), general.Text.size() - tail.size());

    const ErrorReport system =
        BuildErrorReport(AppError(SystemErrorBase + 5, "Orbiplot.Windows", "x"));
    EXPECT_NE(system.Text.find("Err.Number = " + std::to_string(SystemErrorBase + 5)),
              std::string::npos);
    EXPECT_LT(SystemErrorBase + 5, 0); // shown as the signed 32-bit number
}

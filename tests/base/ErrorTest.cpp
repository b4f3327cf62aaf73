#include "base/AppError.h"
#include "base/modError.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace orbiplot;

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

TEST(ErrorReport, AnUnexpectedExceptionKeepsItsOwnText) {
    const auto reported = [](auto thrown) {
        try {
            throw thrown;
        } catch (...) {
            return BuildErrorReport(CurrentError());
        }
    };
    const ErrorReport text = reported(std::runtime_error("磁盘索引已损坏"));
    EXPECT_EQ(text.Title, "Orbiplot 错误报告");
    EXPECT_EQ(text.Text, "未知错误: 磁盘索引已损坏");
    EXPECT_NE(reported(std::bad_alloc()).Text.find("Err.Number = 7\n"), std::string::npos);
    // Something that is no exception at all still reaches the report.
    EXPECT_EQ(reported(42).Text, "未知错误");
    // Our own errors keep their own words, as before.
    EXPECT_EQ(reported(AppError(ErrFileVersion, "Orbiplot", "x")).Text, "文件版本错误");
}

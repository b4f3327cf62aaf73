#include "calc/LineCalculators.h"

#include <gtest/gtest.h>

using namespace orbiplot;

namespace {

std::string PL(const std::string& point, const std::string& a, const std::string& b,
               const std::string& c) {
    return ComputePointLine({point, a, b, c}).Output.value_or("<unchanged>");
}

std::string LL(const std::string& a1, const std::string& b1, const std::string& c1,
               const std::string& a2, const std::string& b2, const std::string& c2) {
    return ComputeLineLine({"", a1, b1, c1, a2, b2, c2}).Output.value_or("<unchanged>");
}

} // namespace

TEST(PointLineCalculator, AnswersAndTheirTexts) {
    EXPECT_EQ(PL("1,1", "1", "1", "-2"), "点 P(1,1) 在直线 L:1*x+1*y-2=0 上。");
    EXPECT_EQ(PL(" 0 , 0 ", "0", "-0.5", "1"), "点 P(0,0) 到直线 L:0*x-0.5*y+1=0 的距离为 2.0 。");
    // Exponent inputs, and the texts of large and small singles.
    EXPECT_EQ(PL("1e3,-2.5E-3", "1E+15", "1.5e-7", "+0"),
              "点 P(1000,-0.0025) 到直线 L:1E+15*x+1.5E-07*y+0=0 的距离为 1000.0 。");
    // 0.1 is not exact as a single; the distance is computed from the singles in double and
    // rounded once.
    EXPECT_EQ(PL("0.1,0.2", "1", "1", "0"),
              "点 P(0.1,0.2) 到直线 L:1*x+1*y+0=0 的距离为 0.212132 。");
    // A zero typed with a sign shows none.
    EXPECT_EQ(PL("-0,0", "1", "-0", "0"), "点 P(0,0) 在直线 L:1*x+0*y+0=0 上。");
}

TEST(PointLineCalculator, InvalidInputInBoxOrder) {
    for (const char* point : {"1;1", "1,2,3", "", "1,", "$1,2", "1 000,1", "0x10,1", "inf,1"}) {
        const CalcOutcome o = ComputePointLine({point, "1", "1", "1"});
        EXPECT_EQ(o.Focus, 0) << point;
        EXPECT_EQ(o.Output, "非法数值。") << point;
        ASSERT_TRUE(o.Message) << point;
    }
    // A bad point or a bad C is found before the degenerate line.
    EXPECT_EQ(ComputePointLine({"x,1", "0", "0", "1"}).Focus, 0);
    EXPECT_EQ(ComputePointLine({"1,1", "0", "0", "c"}).Focus, 3);
    const CalcOutcome degenerate = ComputePointLine({"1,1", "0", "0", "5"});
    EXPECT_EQ(degenerate.Focus, 1);
    EXPECT_EQ(degenerate.Output, "注意：在直线方程 A*x+B*y+c=0 中 A，B不全为零(A*A+B*B<>0)。");
    // A square too small for a single counts as zero.
    EXPECT_EQ(ComputePointLine({"1,1", "1e-30", "0", "5"}).Focus, 1);
}

TEST(PointLineCalculator, OverflowIsReportedAndKeepsTheOutput) {
    const CalcOutcome input = ComputePointLine({"1,1", "1", "1e39", "0"});
    ASSERT_TRUE(input.Error);
    EXPECT_EQ(input.Error->Number, ErrOverflow);
    EXPECT_EQ(input.Focus, 2);
    EXPECT_FALSE(input.Output);
    // A square beyond the single range; each value fits a single, the distance does not.
    EXPECT_EQ(ComputePointLine({"1,1", "1e20", "1", "0"}).Error->Number, ErrOverflow);
    const CalcOutcome distance = ComputePointLine({"3e38,3e38", "1", "1", "3e38"});
    ASSERT_TRUE(distance.Error);
    EXPECT_FALSE(distance.Output || distance.Focus);
}

TEST(LineLineCalculator, IntersectingCoincidentAndParallel) {
    EXPECT_EQ(LL("1", "1", "-2", "1", "-1", "0"),
              "直线 L1:1*x+1*y-2=0 与直线 L2:1*x-1*y+0=0相交于点 P(1.0,1.0) 。");
    EXPECT_EQ(LL("1", "1", "-2", "2", "2", "-4"),
              "直线 L1:1*x+1*y-2=0 与直线 L2:2*x+2*y-4=0 重合。");
    EXPECT_EQ(LL("3", "4", "0", "3", "4", "-10"),
              "直线 L1:3*x+4*y+0=0 与直线 L2:3*x+4*y-10=0 平行，其距离为 d=2.0 。");
    // Coefficients that differ between the lines, either way round: (3, 2) by hand, and
    // parallel lines 2/sqrt(5) apart.
    EXPECT_EQ(LL("2", "3", "-12", "1", "-4", "5"),
              "直线 L1:2*x+3*y-12=0 与直线 L2:1*x-4*y+5=0相交于点 P(3.0,2.0) 。");
    EXPECT_EQ(LL("1", "-4", "5", "2", "3", "-12"),
              "直线 L1:1*x-4*y+5=0 与直线 L2:2*x+3*y-12=0相交于点 P(3.0,2.0) 。");
    EXPECT_EQ(LL("2", "4", "2", "1", "2", "3"),
              "直线 L1:2*x+4*y+2=0 与直线 L2:1*x+2*y+3=0 平行，其距离为 d=0.8944272 。");
    EXPECT_EQ(LL("1", "2", "3", "2", "4", "2"),
              "直线 L1:1*x+2*y+3=0 与直线 L2:2*x+4*y+2=0 平行，其距离为 d=0.8944272 。");
    // One third as a single, printed from its seven-digit text.
    EXPECT_EQ(LL("3", "0", "-1", "0", "1", "0"),
              "直线 L1:3*x+0*y-1=0 与直线 L2:0*x+1*y+0=0相交于点 P(0.3333333,0.0) 。");
    // Two vertical lines are told apart.
    EXPECT_EQ(LL("1", "0", "-1", "2", "0", "-2"),
              "直线 L1:1*x+0*y-1=0 与直线 L2:2*x+0*y-2=0 重合。");
    EXPECT_EQ(LL("1", "0", "-1", "1", "0", "-3"),
              "直线 L1:1*x+0*y-1=0 与直线 L2:1*x+0*y-3=0 平行，其距离为 d=2.0 。");
}

TEST(LineLineCalculator, InvalidDegenerateAndOverflow) {
    EXPECT_EQ(ComputeLineLine({"", "1", "1", "1", "1", "b", "1"}).Focus, 5);
    EXPECT_EQ(ComputeLineLine({"", "0", "0", "c", "1", "1", "1"}).Focus, 3);
    EXPECT_EQ(ComputeLineLine({"", "1", "1", "5", "0", "0", "5"}).Focus, 4);
    // The intersection lies beyond the single range.
    const CalcOutcome far = ComputeLineLine({"", "1", "1e-30", "-3e38", "1", "0", "3e38"});
    ASSERT_TRUE(far.Error);
    EXPECT_EQ(far.Error->Number, ErrOverflow);
    EXPECT_FALSE(far.Output);
}

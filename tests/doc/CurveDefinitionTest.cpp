#include "doc/CurveDefinition.h"
#include "RaisedNumber.h"
#include "ScriptedSeams.h"
#include "base/AppError.h"
#include "base/RandomSource.h"
#include "expr/clsExpressionParser.h"

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

CurveInput Input(int32_t type, std::array<std::string, 4> values = {"1", "2", "3", "4"}) {
    CurveInput input;
    input.Type = type;
    input.Values = values;
    return input;
}

std::optional<ValidationFailure> Validate(const CurveInput& input, ValidatedInput* out = nullptr) {
    DefaultRandomSource source;
    clsExpressionParser parser{source};
    ValidatedInput result;
    auto failure = ValidateInput(parser, input, result);
    if (out) *out = result;
    return failure;
}

} // namespace

TEST(CurveDefinition, TypeRulesInOrderWithMessageAndFocus) {
    const uint32_t NotValid = 0x80040400, DivZero = 0x80040401;
    const std::tuple<int32_t, std::array<std::string, 4>, uint32_t, InputField> cases[] = {
        {LineGeneral, {"0", "0", "1", "1"}, NotValid, InputField::Value0},
        {LinePP, {"1", "2", "1", "5"}, DivZero, InputField::Value0},
        {LinePP, {"1", "2", "3", "2"}, DivZero, InputField::Value2},
        {LineII, {"0", "2", "1", "1"}, DivZero, InputField::Value0},
        {CircleGeneral, {"0", "0", "0", "1"}, NotValid, InputField::Value0},
        {CircleGeneral, {"2", "0", "1", "1"}, NotValid, InputField::Value0}, // 4 - 4 = 0
        {Ellipse, {"0", "0", "1", "1"}, DivZero, InputField::Value0},
        {Ellipse, {"2", "4/2", "1", "1"}, DivZero, InputField::Value0},
        {HyperbolaX, {"0", "1", "1", "1"}, DivZero, InputField::Value0},
        {HyperbolaY, {"1", "0", "1", "1"}, DivZero, InputField::Value1},
        {ParabolaX, {"0", "1", "1", "1"}, NotValid, InputField::Value0},
    };
    for (const auto& [type, values, number, focus] : cases) {
        const auto failure = Validate(Input(type, values));
        ASSERT_TRUE(failure) << type;
        EXPECT_EQ(static_cast<uint32_t>(failure->Error.Number), number) << type;
        EXPECT_EQ(failure->Focus, focus) << type;
    }
    for (int32_t type : {Point, LinePS, LineSI, CircleStandard, Polar})
        EXPECT_FALSE(Validate(Input(type, {"0", "0", "0", "0"}))) << type;
    ValidatedInput v;
    EXPECT_FALSE(Validate(Input(LinePP, {"0", "0", "1", "2"}), &v));
    EXPECT_EQ(v.FunData, (std::array<float, 4>{0, 0, 1, 2}));
    EXPECT_FALSE(Validate(Input(Point, {"2*pi", "1/3", "0", "0"}), &v));
    EXPECT_EQ(v.FunData[0], static_cast<float>(2 * 3.14159265358979));
    // Every parameter box is evaluated, visible or not; a parse error has no focus box.
    const auto hidden = Validate(Input(Point, {"1", "1", "1", "2+*3"}));
    ASSERT_TRUE(hidden);
    EXPECT_EQ(hidden->Error.Number, ParserErrorNumber(1));
    EXPECT_FALSE(hidden->Focus);
}

TEST(CurveDefinition, RangesAndShifts) {
    CurveInput input = Input(CurveGeneralY);
    ValidatedInput v;
    for (const auto& pair : {std::array<std::string, 2>{"auto", "AUTO"}, {"Auto", "aUtO"}}) {
        input.FirstLast = pair;
        EXPECT_FALSE(Validate(input, &v));
        EXPECT_TRUE(v.IsAuto);
    }
    input.FirstLast = {"5", "-2.5"}; // no order is required
    EXPECT_FALSE(Validate(input, &v));
    EXPECT_FALSE(v.IsAuto);
    EXPECT_EQ(v.xtMin, 5.0f);
    EXPECT_EQ(v.xtMax, -2.5f);
    for (const auto& bad : {std::array<std::string, 2>{"auto", "5"}, {"1", "x"}, {"", ""}}) {
        input.FirstLast = bad;
        const auto failure = Validate(input);
        ASSERT_TRUE(failure);
        EXPECT_EQ(static_cast<uint32_t>(failure->Error.Number), 0x800403FFu);
        EXPECT_EQ(failure->Focus, InputField::FirstLast0);
    }
    // The shift is checked for every type, the polar one included.
    for (int32_t type : {Point, CurveGeneralY, Polar}) {
        CurveInput shifted = Input(type);
        shifted.CT = {"", "0"};
        ASSERT_TRUE(Validate(shifted));
        EXPECT_EQ(Validate(shifted)->Focus, InputField::CT0);
        shifted.CT = {"0.5", "abc"};
        EXPECT_EQ(Validate(shifted)->Focus, InputField::CT1);
        shifted.CT = {" -1.5 ", "2e3"};
        EXPECT_FALSE(Validate(shifted)) << type;
    }
    // Ranges of parameter types are not looked at.
    CurveInput point = Input(Point);
    point.FirstLast = {"x", "y"};
    EXPECT_FALSE(Validate(point));
}

TEST(CurveDefinition, TheStoredRecord) {
    CurveInput input = Input(CurveParameter);
    input.ExpressionP = {"COS(T)", "Sin(T)"};
    input.LineWidth = {"2.5", "3.5"};
    input.CT = {"1", "-2"};
    input.Hide = true;
    input.Colors = {0x0000FF, 0x00FF00};
    ValidatedInput v;
    v.IsAuto = true;
    const CurveRecord c = BuildCurveRecord(input, v);
    EXPECT_EQ(c.Expression1, "cos(t)");
    EXPECT_EQ(c.Expression2, "sin(t)");
    EXPECT_EQ(c.LineWidth, 2); // halves go to the even neighbour
    EXPECT_EQ(c.ExLineWidth, 4);
    EXPECT_FALSE(c.ShowHide);
    EXPECT_TRUE(c.IsAuto);
    EXPECT_EQ(c.LineColor, 0x0000FFu);
    EXPECT_EQ(c.ExLineColor, 0x00FF00u);
    EXPECT_EQ(std::pair(c.CTh, c.CTk), std::pair(1.0f, -2.0f));
    // Each auxiliary box on its own, either way round.
    input.Type = HyperbolaY;
    input.ExLine = {true, false};
    EXPECT_EQ(std::pair(BuildCurveRecord(input, v).ExLine1, BuildCurveRecord(input, v).ExLine2),
              std::pair(true, false));
    input.ExLine = {false, true};
    EXPECT_EQ(std::pair(BuildCurveRecord(input, v).ExLine1, BuildCurveRecord(input, v).ExLine2),
              std::pair(false, true));

    input.Type = Polar;
    input.ExpressionJ = "R*Z";
    EXPECT_EQ(BuildCurveRecord(input, v).Expression1, "r*z");
    input.LineWidth = {"wide", "1"};
    EXPECT_EQ(RaisedNumber([&] { BuildCurveRecord(input, v); }), ErrTypeMismatch);
}

TEST(CurveDefinition, ControlsForAnExistingCurve) {
    CurveRecord c;
    c.FType = CurveGeneralY;
    c.IsAuto = false;
    c.xtMin = -2.5f;
    c.xtMax = 7.25f;
    EXPECT_EQ(InputForCurve(c).FirstLast, (std::array<std::string, 2>{"-2.5", "7.25"}));

    CurveRecord line;
    line.FType = LinePS;
    line.SData1 = "pi";
    line.SData2 = "";
    EXPECT_EQ(InputForCurve(line).Values, (std::array<std::string, 4>{"pi", "0", "0", "0"}));

    // Each field to its own control: the curve's and the auxiliary line's, h and k.
    CurveRecord h;
    h.FType = HyperbolaX;
    h.CTh = 1.5f;
    h.CTk = -2;
    h.LineWidth = 3;
    h.ExLineWidth = 1;
    h.LineColor = 0x0000FF;
    h.ExLineColor = 0x00FF00;
    h.ExLine1 = false;
    h.ExLine2 = true;
    const CurveInput in = InputForCurve(h);
    EXPECT_EQ(in.CT, (std::array<std::string, 2>{"1.5", "-2"}));
    EXPECT_EQ(in.LineWidth, (std::array<std::string, 2>{"3", "1"}));
    EXPECT_EQ(in.Colors, (std::array<Rgb, 2>{0x0000FF, 0x00FF00}));
    EXPECT_EQ(in.ExLine, (std::array<bool, 2>{false, true}));
}

TEST(CurveDefinition, StartingColourAvoidsTheBackground) {
    ScriptedRandom random;
    random.values = {14.5f / 15, 0.0f};
    EXPECT_EQ(StartingColor(random, 0xFFFFFF), 0x800000u); // index 15 is white: next pick, index 1
    random.values = {11.2f / 15};
    EXPECT_EQ(StartingColor(random, 0xFFFFFF), 0x0000FFu); // index 12, red
    random.values = {14.9f / 15}; // a source stuck on the background still ends
    EXPECT_NE(StartingColor(random, 0xFFFFFF), 0xFFFFFFu);
}

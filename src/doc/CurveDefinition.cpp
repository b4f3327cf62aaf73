#include "doc/CurveDefinition.h"

#include "base/NumberFormat.h"
#include "base/RandomSource.h"
#include "base/TextEncoding.h"
#include "expr/CheckedMath.h"
#include "expr/PlaneFunction.h"
#include "expr/clsExpressionParser.h"

#include <algorithm>
#include <cmath>

namespace orbiplot {

namespace {

struct TypeInfo {
    const char* caption;
    const char* equation;
    const char* parameters;
};

constexpr std::array<TypeInfo, CurveTypeCount> Types{{
    {"点", "x=a, y=b", "a,b"},
    {"直线 - 一般式", "a*x+b*y+c=0 (a^2+b^2<>0)", "a,b,c"},
    {"直线 - 点斜式", "y-y1=k*(x-x1)", "x1,y1,k"},
    {"直线 - 斜截式", "y=k*x+b", "k,b"},
    {"直线 - 两点式", "(y-y1)/(y2-y1)=(x-x1)/(x2-x1) (y2<>y1,x2<>x1)", "x1,y1,x2,y2"},
    {"直线 - 截距式", "x/a+y/b=1 (a<>0, b<>0)", "a,b"},
    {"圆 - 标准方程", "(x-a)^2+(y-b)^2=r^2", "a,b,r"},
    {"圆 - 一般方程", "x^2+y^2+d*x+e*y+f=0 (d^2+e^2-4*f>0)", "d,e,f"},
    {"椭圆", "x^2/a^2+y^2/b^2=1", "a,b"},
    {"双曲线 - X", "x^2/a^2-y^2/b^2=1", "a,b"},
    {"双曲线 - Y", "y^2/a^2-x^2/b^2=1", "a,b"},
    {"抛物线 - X", "y^2=2*p*x", "p"},
    {"抛物线 - Y", "x^2=2*p*y", "p"},
    {"一般曲线 - 普通方程 - Y=f(X)", "", ""},
    {"一般曲线 - 普通方程 - X=f(Y)", "", ""},
    {"一般曲线 - 参数方程", "", ""},
    {"一般曲线 - 普通方程(极坐标)", "", ""},
}};
constexpr const char* ImplicitCaption = "一般曲线 - 隐函数 F(X,Y)=0";

ValidationFailure Failure(int32_t number, std::optional<InputField> focus) {
    return {AppError(number, DefaultErrorSource, OwnErrorMessage(number)), focus};
}

bool IsAuto(const std::string& text) { return AsciiLower(text) == "auto"; }

std::optional<float> Number(const std::string& text) {
    try {
        return TextToSingle(text);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

int32_t Width(const std::string& text) {
    const double value = TextToDouble(text);
    const double rounded = std::nearbyint(value); // halves to the even neighbour
    if (!(std::fabs(rounded) <= 2147483647.0)) RaiseRuntimeError(ErrOverflow);
    return static_cast<int32_t>(rounded);
}

} // namespace

const std::array<const char*, ListedTypeCount>& CurveTypeCaptions() {
    static const std::array<const char*, ListedTypeCount> captions = [] {
        std::array<const char*, ListedTypeCount> c{};
        for (size_t i = 0; i < Types.size(); ++i)
            c[i] = Types[i].caption;
        c[static_cast<size_t>(ListedIndex(Implicit))] = ImplicitCaption;
        return c;
    }();
    return captions;
}

TypeConfiguration ConfigureFor(int32_t type) {
    TypeConfiguration c;
    if (!IsKnownCurveType(type)) return c;
    if (type == Implicit) {
        c.Frame = CurveFrame::Implicit;
        return c;
    }
    const TypeInfo& info = Types[static_cast<size_t>(type)];
    c.ShiftEnabled = type != Polar;
    if (type <= ParabolaY) {
        c.Frame = CurveFrame::Parameters;
        c.EquationCaption =
            std::string(type == LinePP ? "曲线方程:" : "曲线方程: ") + info.equation;
        c.ParameterNames = Split(info.parameters, ',');
        c.ShowDirectrix = type >= Ellipse;
        c.ShowAsymptote = type == HyperbolaX || type == HyperbolaY;
        c.AuxiliaryEnabled = type >= Ellipse;
        return c;
    }
    if (type == Polar) {
        c.Frame = CurveFrame::Polar;
        return c;
    }
    c.Frame = CurveFrame::Expressions;
    c.RangeEnabled = true;
    if (type == CurveGeneralY) {
        c.GeneralLabel = "Y=f(X)";
        c.GeneralText = "2*X";
        c.GeneralSelected = true;
    } else if (type == CurveGeneralX) {
        c.GeneralLabel = "X=f(Y)";
        c.GeneralText = "2*Y";
        c.GeneralSelected = true;
        c.Axis = RangeAxis::Y;
    } else {
        c.Axis = RangeAxis::T;
    }
    return c;
}

std::array<std::string, 3> RangeCaptions(RangeAxis axis) {
    const std::string a = axis == RangeAxis::X ? "X" : axis == RangeAxis::Y ? "Y" : "T";
    return {a + " 取值范围", a + " 最小值:", a + " 最大值:"};
}

std::optional<ValidationFailure> ValidateInput(clsExpressionParser& parser, const CurveInput& input,
                                               ValidatedInput& result) {
    const int32_t type = input.Type;
    if (type < CurveGeneralY) {
        for (size_t i = 0; i < 4; ++i) {
            try {
                result.FunData[i] = checked::Narrow(parser.ParseExpression(input.Values[i]));
            } catch (const AppError& error) {
                return ValidationFailure{error, std::nullopt};
            }
        }
        // Squares are taken in double precision, as the power operator gives them.
        const auto& d = result.FunData;
        const double a = d[0], b = d[1], c = d[2], e = d[3];
        switch (type) {
        case LineGeneral:
            if (a * a + b * b == 0) return Failure(ErrResultNotValid, InputField::Value0);
            break;
        case LinePP:
            if (a == c) return Failure(ErrResultDivByZero, InputField::Value0);
            if (b == e) return Failure(ErrResultDivByZero, InputField::Value2);
            break;
        case LineII:
            if (a == 0) return Failure(ErrResultDivByZero, InputField::Value0);
            if (b == 0) return Failure(ErrResultDivByZero, InputField::Value1);
            break;
        case CircleGeneral:
            if (a * a + b * b - 4 * c <= 0) return Failure(ErrResultNotValid, InputField::Value0);
            break;
        case Ellipse:
            if (a == 0) return Failure(ErrResultDivByZero, InputField::Value0);
            if (b == 0) return Failure(ErrResultDivByZero, InputField::Value1);
            if (a == b) return Failure(ErrResultDivByZero, InputField::Value0);
            break;
        case HyperbolaX:
        case HyperbolaY:
            if (a == 0) return Failure(ErrResultDivByZero, InputField::Value0);
            if (b == 0) return Failure(ErrResultDivByZero, InputField::Value1);
            break;
        case ParabolaX:
        case ParabolaY:
            if (a == 0) return Failure(ErrResultNotValid, InputField::Value0);
            break;
        default: break;
        }
    }
    if (type == Implicit && !ImplicitFunctionText(input.ExpressionI))
        return ValidationFailure{AppError(ErrInvalidCall, DefaultErrorSource,
                                          "隐函数方程中只能有一个等号, 且两边都不能为空"),
                                 InputField::ExpressionI};
    if (type >= CurveGeneralY && type <= CurveParameter) {
        if (IsAuto(input.FirstLast[0]) && IsAuto(input.FirstLast[1])) {
            result.IsAuto = true;
        } else {
            const auto min = Number(input.FirstLast[0]);
            const auto max = Number(input.FirstLast[1]);
            if (!min || !max) return Failure(ErrDataInvalid, InputField::FirstLast0);
            result.xtMin = *min;
            result.xtMax = *max;
            result.IsAuto = false;
        }
    }
    if (!Number(input.CT[0])) return Failure(ErrDataInvalid, InputField::CT0);
    if (!Number(input.CT[1])) return Failure(ErrDataInvalid, InputField::CT1);
    return std::nullopt;
}

CurveRecord BuildCurveRecord(const CurveInput& input, const ValidatedInput& v) {
    CurveRecord c;
    c.FType = input.Type;
    c.Data1 = v.FunData[0];
    c.Data2 = v.FunData[1];
    c.Data3 = v.FunData[2];
    c.Data4 = v.FunData[3];
    c.SData1 = input.Values[0];
    c.SData2 = input.Values[1];
    c.SData3 = input.Values[2];
    c.SData4 = input.Values[3];
    if (input.Type == CurveParameter) {
        c.Expression1 = AsciiLower(input.ExpressionP[0]);
        c.Expression2 = AsciiLower(input.ExpressionP[1]);
    } else if (input.Type == Polar) {
        c.Expression1 = AsciiLower(input.ExpressionJ);
    } else if (input.Type == Implicit) {
        c.Expression1 = AsciiLower(input.ExpressionI);
    } else {
        c.Expression1 = AsciiLower(input.ExpressionG);
    }
    c.CTh = TextToSingle(input.CT[0]);
    c.CTk = TextToSingle(input.CT[1]);
    c.LineWidth = Width(input.LineWidth[0]);
    c.ExLineWidth = Width(input.LineWidth[1]);
    c.LineColor = input.Colors[0];
    c.ExLineColor = input.Colors[1];
    c.ShowHide = !input.Hide;
    c.ExLine1 = input.ExLine[0];
    c.ExLine2 = input.ExLine[1];
    c.xtMin = v.xtMin;
    c.xtMax = v.xtMax;
    c.IsAuto = v.IsAuto;
    return c;
}

CurveInput InputForCurve(const CurveRecord& curve) {
    CurveInput input;
    input.Type = curve.FType;
    const TypeConfiguration config = ConfigureFor(curve.FType);
    if (config.GeneralText) input.ExpressionG = *config.GeneralText;
    input.LineWidth = {std::to_string(curve.LineWidth), std::to_string(curve.ExLineWidth)};
    input.CT = {GeneralTextSingle(curve.CTh), GeneralTextSingle(curve.CTk)};
    input.Hide = !curve.ShowHide;
    if (curve.IsAuto)
        input.FirstLast = {"Auto", "Auto"};
    else
        input.FirstLast = {GeneralTextSingle(curve.xtMin), GeneralTextSingle(curve.xtMax)};
    input.ExLine = {curve.ExLine1, curve.ExLine2};
    input.Colors = {curve.LineColor, curve.ExLineColor};
    if (curve.FType < CurveGeneralY)
        for (int i = 0; i < 4; ++i)
            input.Values[static_cast<size_t>(i)] =
                curve.SData(i + 1).empty() ? "0" : curve.SData(i + 1);
    if (curve.FType == CurveGeneralY || curve.FType == CurveGeneralX)
        input.ExpressionG = curve.Expression1;
    if (curve.FType == CurveParameter) input.ExpressionP = {curve.Expression1, curve.Expression2};
    if (curve.FType == Polar) input.ExpressionJ = curve.Expression1;
    if (curve.FType == Implicit) input.ExpressionI = curve.Expression1;
    return input;
}

Rgb StartingColor(RandomSource& random, Rgb background) {
    static constexpr Rgb Palette[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const auto index = static_cast<int>(random.Next() * 15 + 1);
        const Rgb color = Palette[std::clamp(index, 1, 15)];
        if (color != background) return color;
    }
    // A source that keeps naming the background still gets an answer.
    return background == Palette[9] ? Palette[12] : Palette[9];
}

namespace {

// What reading text with each of the variables as one digit says, its position moved on by
// offset (every other character stays where it is).
std::string NoteOf(const clsExpressionParser& parser, std::string text,
                   std::initializer_list<const char*> vars, size_t offset) {
    DefaultRandomSource random; // the check's own, so that RND in the text takes nothing
    clsExpressionParser own(parser);
    own.SetRandomSource(random);
    for (const char* var : vars)
        text = SubstituteVariable(text, var, "1");
    try {
        own.ParseExpression(text);
    } catch (const AppError& error) {
        if (!IsArithmeticError(error.Number))
            return error.Description + " (位置 " +
                   std::to_string(own.LastErrorPosition() + static_cast<int32_t>(offset)) + ")";
    }
    return {};
}

} // namespace

std::string ExpressionNote(const clsExpressionParser& parser, const std::string& text,
                           const std::string& var) {
    return NoteOf(parser, text, {var.c_str()}, 0);
}

std::string ImplicitNote(const clsExpressionParser& parser, const std::string& text) {
    if (!ImplicitFunctionText(text)) return "只能有一个等号, 且两边都不能为空";
    const size_t equals = text.find('=');
    if (equals == std::string::npos) return NoteOf(parser, text, {"x", "y"}, 0);
    std::string note = NoteOf(parser, text.substr(0, equals), {"x", "y"}, 0);
    if (note.empty()) note = NoteOf(parser, text.substr(equals + 1), {"x", "y"}, equals + 1);
    return note;
}

} // namespace orbiplot

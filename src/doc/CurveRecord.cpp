#include "doc/CurveRecord.h"

namespace orbiplot {

int ParameterCount(int32_t type) {
    switch (type) {
    case Point:
    case LineSI:
    case LineII:
    case Ellipse:
    case HyperbolaX:
    case HyperbolaY: return 2;
    case LineGeneral:
    case LinePS:
    case CircleStandard:
    case CircleGeneral: return 3;
    case LinePP: return 4;
    case ParabolaX:
    case ParabolaY: return 1;
    default: return 0;
    }
}

void CopyDefinition(const CurveRecord& from, CurveRecord& slot) {
    const int32_t type = from.FType;
    slot.FType = type;
    for (int i = 1; i <= ParameterCount(type); ++i) {
        slot.Data(i) = from.Data(i);
        slot.SData(i) = from.SData(i);
    }
    slot.LineWidth = from.LineWidth;
    slot.LineColor = from.LineColor;
    slot.ShowHide = from.ShowHide;
    if (type != Polar) {
        slot.CTh = from.CTh;
        slot.CTk = from.CTk;
    }
    if (type >= Ellipse && type <= ParabolaY) {
        slot.ExLineWidth = from.ExLineWidth;
        slot.ExLineColor = from.ExLineColor;
        slot.ExLine1 = from.ExLine1;
    }
    if (type == HyperbolaX || type == HyperbolaY) slot.ExLine2 = from.ExLine2;
    if (type >= CurveGeneralY) slot.Expression1 = from.Expression1;
    if (type == CurveParameter) slot.Expression2 = from.Expression2;
    if (type >= CurveGeneralY && type <= CurveParameter) {
        slot.xtMin = from.xtMin;
        slot.xtMax = from.xtMax;
        slot.IsAuto = from.IsAuto;
    }
}

std::string CurveDescription(const CurveRecord& c) {
    const std::string& s1 = c.SData1;
    const std::string& s2 = c.SData2;
    const std::string& s3 = c.SData3;
    const std::string& s4 = c.SData4;
    switch (c.FType) {
    case Point: return "点: (" + s1 + "," + s2 + ")";
    case LineGeneral: return "直线: (" + s1 + ")*x+(" + s2 + ")*y+(" + s3 + ")=0";
    case LinePS: return "直线: y-(" + s2 + ")=(" + s3 + ")*(x-(" + s1 + "))";
    case LineSI: return "直线: y=(" + s1 + ")*x+(" + s2 + ")";
    case LinePP:
        return "直线: (y-(" + s2 + "))/((" + s4 + ")-(" + s2 + "))=(x-(" + s1 + "))/((" + s3 +
               ")-(" + s1 + "))";
    case LineII: return "直线: x/(" + s1 + ")+y/(" + s2 + ")=1";
    case CircleStandard: return "圆: (x-(" + s1 + "))^2+(y-(" + s2 + "))^2=(" + s3 + ")^2";
    case CircleGeneral: return "圆: x^2+y^2+(" + s1 + ")*x+(" + s2 + ")*y+(" + s3 + ")=0";
    case Ellipse: return "椭圆: x^2/(" + s1 + ")^2+y^2/(" + s2 + ")^2=1";
    case HyperbolaX: return "双曲线: x^2/(" + s1 + ")^2-y^2/(" + s2 + ")^2=1";
    case HyperbolaY: return "双曲线: y^2/(" + s1 + ")^2-x^2/(" + s2 + ")^2=1";
    case ParabolaX: return "抛物线: y^2=2*(" + s1 + ")*x";
    case ParabolaY: return "抛物线: x^2=2*(" + s1 + ")*y";
    case CurveGeneralY: return "普通方程: y=" + c.Expression1;
    case CurveGeneralX: return "普通方程: x=" + c.Expression1;
    case CurveParameter: return "参数方程: x=" + c.Expression1 + ", y=" + c.Expression2;
    case Polar: return "普通方程(极坐标): r=" + c.Expression1;
    case Implicit:
        return "隐函数: " + c.Expression1 +
               (c.Expression1.find('=') == std::string::npos ? "=0" : "");
    default: return "未知类型";
    }
}

std::string CurveEquation(const CurveRecord& c) {
    const std::string description = CurveDescription(c);
    const size_t colon = description.find(": ");
    return colon == std::string::npos ? description : description.substr(colon + 2);
}

} // namespace orbiplot

#pragma once

#include "base/Seams.h"

#include <array>
#include <cstdint>
#include <string>

namespace orbiplot {

// Curve type codes, the value of CurveRecord::FType.
enum CurveType : int32_t {
    Point = 0,
    LineGeneral = 1,
    LinePS = 2,
    LineSI = 3,
    LinePP = 4,
    LineII = 5,
    CircleStandard = 6,
    CircleGeneral = 7,
    Ellipse = 8,
    HyperbolaX = 9,
    HyperbolaY = 10,
    ParabolaX = 11,
    ParabolaY = 12,
    CurveGeneralY = 13,
    CurveGeneralX = 14,
    CurveParameter = 15,
    Polar = 16,
};

inline constexpr int32_t CurveTypeCount = 17;
inline constexpr int32_t MaxCurves = 254;

// Curve types beyond the seventeen are numbered from 100, so that a reader that knows only
// the seventeen lists them as unknown, keeps them and draws nothing.
enum ExtensionCurveType : int32_t {
    Implicit = 100, // F(x, y) = 0, its text in Expression1
};
// The types the curve dialog and menus offer, in their order: the seventeen, then the
// extensions.
inline constexpr int32_t ListedTypeCount = CurveTypeCount + 1;
constexpr int32_t ListedType(int32_t index) { return index < CurveTypeCount ? index : Implicit; }
constexpr int32_t ListedIndex(int32_t type) { return type == Implicit ? CurveTypeCount : type; }

constexpr bool IsKnownCurveType(int32_t type) {
    return (type >= 0 && type < CurveTypeCount) || type == Implicit;
}
// The curves given by expressions: Y=f(X), X=f(Y), parametric, polar and implicit.
constexpr bool IsExpressionCurve(int32_t type) {
    return (type >= CurveGeneralY && type < CurveTypeCount) || type == Implicit;
}

// One curve slot. A slot never written reads as type 0 with all numbers 0, all flags false
// and all texts empty.
struct CurveRecord {
    int32_t FType = 0;
    float Data1 = 0, Data2 = 0, Data3 = 0, Data4 = 0; // values of SData1..SData4
    std::string SData1, SData2, SData3, SData4;       // parameter texts as typed
    std::string Expression1, Expression2;             // lower case
    float CTh = 0, CTk = 0;                           // shift along X and Y
    bool ShowHide = false;
    bool ExLine1 = false; // directrices
    bool ExLine2 = false; // asymptotes
    int32_t LineWidth = 0, ExLineWidth = 0;
    Rgb LineColor = 0, ExLineColor = 0;
    float xtMin = 0, xtMax = 0;
    bool IsAuto = false;

    // Parameter i (1 to 4).
    float& Data(int i) { return *std::array{&Data1, &Data2, &Data3, &Data4}[Index(i)]; }
    float Data(int i) const { return std::array{Data1, Data2, Data3, Data4}[Index(i)]; }
    std::string& SData(int i) { return *std::array{&SData1, &SData2, &SData3, &SData4}[Index(i)]; }
    const std::string& SData(int i) const {
        return *std::array{&SData1, &SData2, &SData3, &SData4}[Index(i)];
    }

    bool operator==(const CurveRecord&) const = default;

private:
    static size_t Index(int i) { return static_cast<size_t>(i - 1); }
};

// How many parameters a type uses (0 for the expression curves).
int ParameterCount(int32_t type);

// Copies into slot exactly the fields that are part of the type's definition, and the type.
void CopyDefinition(const CurveRecord& from, CurveRecord& slot);

// The one-line description of a curve, for the curve list and the legend.
std::string CurveDescription(const CurveRecord& curve);
// The description's equation alone, without the kind before it: "y=sqr(x)".
std::string CurveEquation(const CurveRecord& curve);

} // namespace orbiplot

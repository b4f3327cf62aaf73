#pragma once

#include "base/AppError.h"
#include "doc/CurveRecord.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orbiplot {

class clsExpressionParser;
class RandomSource;

// What the curve dialog decides, without its widgets: how it looks for each type, whether
// the input is valid, and the record it stores.

// Captions of the types the dialog lists, in its order (ListedType): the 17 in code order,
// then the extensions.
const std::array<const char*, ListedTypeCount>& CurveTypeCaptions();

enum class CurveFrame { Parameters, Expressions, Polar, Implicit };
enum class RangeAxis { X, Y, T };

struct TypeConfiguration {
    CurveFrame Frame = CurveFrame::Parameters;
    std::string EquationCaption;             // "曲线方程: " and the equation (types 0..12)
    std::vector<std::string> ParameterNames; // rows shown, "a", "b", ...
    std::optional<std::string> GeneralLabel; // "Y=f(X)" or "X=f(Y)" (types 13, 14)
    std::optional<std::string> GeneralText;  // "2*X" or "2*Y": the expression box is reset
    bool GeneralSelected = false;            // general form chosen (13, 14) or parametric (15)
    bool RangeEnabled = false;
    RangeAxis Axis = RangeAxis::X;
    bool ShowDirectrix = false;
    bool ShowAsymptote = false;
    bool AuxiliaryEnabled = false;
    bool ShiftEnabled = true;
};

TypeConfiguration ConfigureFor(int32_t type);

// Captions of the range frame and its two labels.
std::array<std::string, 3> RangeCaptions(RangeAxis axis);

// The texts and choices of the dialog's controls.
struct CurveInput {
    int32_t Type = CurveGeneralY;
    std::array<std::string, 4> Values{"1", "1", "1", "1"};
    std::string ExpressionG = "2*X";
    std::array<std::string, 2> ExpressionP{"T", "2*T"};
    std::string ExpressionJ = "3*sin(7*z)";
    std::string ExpressionI = "x^2/9+y^2/4-1";
    std::array<std::string, 2> FirstLast{"auto", "auto"};
    std::array<std::string, 2> CT{"0", "0"};
    std::array<std::string, 2> LineWidth{"1", "1"};
    std::array<Rgb, 2> Colors{0, 0};
    bool Hide = false;
    std::array<bool, 2> ExLine{false, false};
};

// The control that gets the focus, its whole text selected, when validation fails.
enum class InputField { Value0, Value1, Value2, Value3, FirstLast0, FirstLast1, CT0, CT1, ExpressionI };

struct ValidationFailure {
    AppError Error;
    std::optional<InputField> Focus; // none for a parse error of a parameter box
};

// Results of a successful validation.
struct ValidatedInput {
    std::array<float, 4> FunData{0, 0, 0, 0};
    float xtMin = 0;
    float xtMax = 0;
    bool IsAuto = false;
};

// Checks the input in order: parameters evaluated, the type's rules, the range, the shift.
std::optional<ValidationFailure> ValidateInput(clsExpressionParser& parser, const CurveInput& input,
                                               ValidatedInput& result);

// The record to store; a width that is not a number raises "type mismatch". Widths round
// half to even; expressions are stored in lower case.
CurveRecord BuildCurveRecord(const CurveInput& input, const ValidatedInput& validated);

// The controls as the dialog shows them for an existing curve of the record's type.
CurveInput InputForCurve(const CurveRecord& curve);

// What an expression box says as its text changes: the parser's message and where reading
// stopped when the text cannot be read with var in it ("缺少 ')' (位置 6)"), nothing when it
// can (a failure at one value of var, a division by zero say, is no fault of the text). The
// parser is copied, so that nothing it keeps changes, RND's numbers among them.
std::string ExpressionNote(const clsExpressionParser& parser, const std::string& text,
                           const std::string& var);
// The same for an implicit curve's text: both variables, and at most one "=" with a side on
// each part of it.
std::string ImplicitNote(const clsExpressionParser& parser, const std::string& text);

// One of the 15 non-black colours of the 16-colour palette, at random, unlike background.
Rgb StartingColor(RandomSource& random, Rgb background);

} // namespace orbiplot

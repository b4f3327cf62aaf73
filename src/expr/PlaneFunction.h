#pragma once

#include "expr/BuiltinFunctions.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbiplot {

class clsExpressionParser;

// The function whose zeros an implicit curve's text describes: "lhs=rhs" is lhs-(rhs), a
// text without "=" the function itself. Nothing when the text has more than one "=" or a
// side is empty.
std::optional<std::string> ImplicitFunctionText(std::string_view text);

// F(x, y) read once into a program of the two variables, evaluated at exact double arguments:
// what drawing and searching an implicit curve needs, millions of times a redraw. Its values
// are the parser's (the same operations in the same order); where the parser would raise an
// arithmetic error, or give no finite number, F has no value.
class PlaneFunction {
public:
    // A text using RND, a name the parser does not know, or one it cannot read gives no
    // program (IsCompiled is false).
    PlaneFunction(const clsExpressionParser& parser, std::string_view text);

    bool IsCompiled() const { return !program_.empty(); }
    std::optional<double> Value(double x, double y);
    // The value and the partial derivatives; no gradient where a derivative is not finite.
    struct WithGradient {
        double Value, Dx, Dy;
    };
    std::optional<WithGradient> Gradient(double x, double y);
    // Bounds of F over the box [x0, x1] x [y0, y1] by interval arithmetic: every value F has
    // in the box lies within them (up to rounding). Nothing where they cannot be given: F
    // may have no value somewhere in the box, or an interval meets a pole.
    struct Bounds {
        double Low, High;
    };
    std::optional<Bounds> Range(double x0, double x1, double y0, double y1);

    enum class Op : uint8_t { Number, X, Y, Negate, Function, Add, Subtract, Multiply, Divide, Power };
    struct Instruction {
        Op op;
        double number = 0;
        BuiltinFunction builtin = BuiltinFunction::None;
        BuiltinFunctionPointer quiet = nullptr;
    };

private:
    std::vector<Instruction> program_;
    std::vector<double> stack_;
    std::vector<WithGradient> duals_;
    std::vector<Bounds> ranges_;
};

} // namespace orbiplot

#pragma once

#include <string>
#include <string_view>

namespace orbiplot {

class clsExpressionParser;

// The derivative of an expression with respect to its one-letter variable, worked out on the
// expression's syntax tree by each operator's and built-in function's rule and the chain
// rule, and written back in the expression language, so that any reader of a document draws
// it. It is simplified to be read: no 0*u, 1*u, u+0 or u^1, numbers worked out where their
// text stays short; named constants stay named (a slider may move them). Where a function has
// no derivative everywhere: abs(u) gives sgn(u)*u', fix and sgn give 0.
//
// A text that cannot be read raises the parser's error (with its position); one using RND,
// one nested too deep to work on, or one whose derivative is longer than a curve's text may
// be raise ErrInvalidCall with a description that says so.
std::string DeriveExpression(const clsExpressionParser& parser, std::string_view text,
                             std::string_view var);

// The longest derivative written: what a curve's text may hold.
inline constexpr size_t MaxDerivativeLength = 32767;

} // namespace orbiplot

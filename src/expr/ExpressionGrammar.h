#pragma once

#include "base/TextEncoding.h"
#include "expr/CheckedMath.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orbiplot {

// Parser error codes; as error numbers they are ParserErrorNumber(code).
enum ParserErrorCode : int {
    ParseSyntaxError = 1,
    ParseDivisionByZero = 2,
    ParseMissingParenthesis = 3,
    ParseInvalidConstantName = 4,
    ParseUnknownFunction = 5,
    ParseReservedName = 6,
    ParseConstantExists = 7,
    ParseUnknownConstant = 8,
};

// The characters of the expression language.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsNameChar(char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_'; }

// Whether the text names the constant or function `name` (letter case aside) as a whole name
// of its own.
inline bool MentionsName(std::string_view text, std::string_view name) {
    for (size_t i = 0; i < text.size();) {
        if (!IsAsciiLetter(text[i])) {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && IsNameChar(text[end]))
            ++end;
        if (EqualsIgnoringAsciiCase(text.substr(i, end - i), TrimBlanks(name))) return true;
        i = end;
    }
    return false;
}

// The operators, and the parentheses, as the grammar reads them.
enum class Operator { None, Plus, Minus, Power, Times, Divide, Open, Close };

// What each binary operator does to two numbers; a failure raises the runtime error the
// parser reports.
inline double ApplyOperator(Operator op, double left, double right) {
    switch (op) {
    case Operator::Plus: return checked::Add(left, right);
    case Operator::Minus: return checked::Sub(left, right);
    case Operator::Times: return checked::Mul(left, right);
    case Operator::Divide: return checked::Div(left, right);
    case Operator::Power: return checked::Pow(left, right);
    default: RaiseRuntimeError(ErrInvalidCall);
    }
}

// Deepest nesting of parentheses and function arguments; deeper texts fail with
// "out of stack space" instead of overflowing the real stack.
inline constexpr int MaxNestingDepth = 1000;

// The expression language, read once by recursive descent:
//   NumExp := Term { (+|-) Term }
//   Term   := Value { (^|*|/) Value }          (all three bind alike, from the left)
//   Value  := [+|-] ( "(" NumExp ")" | Atom )
//   Atom   := number | name | name "(" NumExp ")"
// What each step does is the reader's: it evaluates the text while reading it, or emits a
// program. Actions provides
//   using Result;                       what a part of the text reads as
//   Result Number(std::string_view digits);
//   Result Name(std::string_view name, int nesting);       a name not followed by "("
//   Result Call(std::string_view name, Result argument);
//   Result Binary(Operator op, Result left, Result right);
//   Result Signed(bool negative, Result value);
//   template <class F> Result Step(const char* procedure, F&& step);   wraps each rule
//   [[noreturn]] void Fail(int code, std::string description);         a syntax error
//   [[noreturn]] void TooDeep();
// The position is 0-based; where reading stopped is where an error lies.
template <class Actions> class ExpressionGrammar {
public:
    using Result = typename Actions::Result;

    ExpressionGrammar(std::string_view text, Actions& actions) : text_(text), actions_(actions) {}

    Result Read() {
        return actions_.Step("ParseExpression", [&] {
            position_ = 0;
            nesting_ = 0;
            SkipBlanks();
            Result value = NumExp();
            SkipBlanks();
            if (position_ < Size()) actions_.Fail(ParseSyntaxError, "表达式语法错误");
            return value;
        });
    }

    int32_t Position() const { return position_; }

private:
    int32_t Size() const { return static_cast<int32_t>(text_.size()); }
    char At(int32_t i) const { return text_[static_cast<size_t>(i)]; }

    void SkipBlanks() {
        while (position_ < Size() && IsBlank(At(position_)))
            ++position_;
    }

    Operator Peek() const {
        if (position_ >= Size()) return Operator::None;
        switch (At(position_)) {
        case '+': return Operator::Plus;
        case '-': return Operator::Minus;
        case '^': return Operator::Power;
        case '*': return Operator::Times;
        case '/': return Operator::Divide;
        case '(': return Operator::Open;
        case ')': return Operator::Close;
        default: return Operator::None;
        }
    }

    // Every operator is one character long.
    void Accept() {
        ++position_;
        SkipBlanks();
    }

    Result NumExp() {
        return actions_.Step("ParseNumExp", [&] {
            Result value = Term();
            while (position_ < Size()) {
                const Operator op = Peek();
                if (op == Operator::Plus || op == Operator::Minus) {
                    Accept();
                    value = actions_.Binary(op, std::move(value), Term());
                } else if (op == Operator::None) {
                    actions_.Fail(ParseSyntaxError, "表达式语法错误");
                } else {
                    break;
                }
            }
            return value;
        });
    }

    Result Term() {
        return actions_.Step("ParseTerm", [&] {
            Result value = Value();
            while (position_ < Size()) {
                const Operator op = Peek();
                if (op == Operator::Power || op == Operator::Times || op == Operator::Divide) {
                    Accept();
                    value = actions_.Binary(op, std::move(value), Value());
                } else if (op == Operator::None) {
                    actions_.Fail(ParseSyntaxError, "表达式语法错误");
                } else {
                    break;
                }
            }
            return value;
        });
    }

    // A parenthesised NumExp or function argument, one nesting level deeper.
    Result Nested() {
        if (nesting_ >= MaxNestingDepth) actions_.TooDeep();
        ++nesting_;
        Result value = NumExp();
        --nesting_;
        return value;
    }

    Result Value() {
        return actions_.Step("ParseValue", [&] {
            const Operator sign = Peek();
            if (sign == Operator::Minus || sign == Operator::Plus) Accept();
            Result value;
            if (Peek() == Operator::Open) {
                Accept();
                value = Nested();
                if (Peek() != Operator::Close) actions_.Fail(ParseMissingParenthesis, "缺少 ')'");
                Accept();
            } else {
                value = Atom();
            }
            return actions_.Signed(sign == Operator::Minus, std::move(value));
        });
    }

    Result Atom() {
        return actions_.Step("ParseAtom", [&]() -> Result {
            if (position_ >= Size()) actions_.Fail(ParseSyntaxError, "表达式语法错误");
            const int32_t start = position_;
            if (IsDigit(At(start))) {
                int32_t end = start + 1;
                bool seenPoint = false;
                for (; end < Size(); ++end) {
                    const char c = At(end);
                    if (c == '.') {
                        if (seenPoint) actions_.Fail(ParseSyntaxError, "表达式语法错误");
                        seenPoint = true;
                    } else if (!IsDigit(c)) {
                        break;
                    }
                }
                Result value = actions_.Number(Slice(start, end));
                position_ = end;
                SkipBlanks();
                return value;
            }
            if (!IsAsciiLetter(At(start))) actions_.Fail(ParseSyntaxError, "表达式语法错误");
            int32_t end = start + 1;
            while (end < Size() && IsNameChar(At(end)))
                ++end;
            const std::string_view name = Slice(start, end);
            position_ = end;
            SkipBlanks();
            if (Peek() != Operator::Open) return actions_.Name(name, nesting_);
            Accept();
            Result argument = Nested();
            if (Peek() != Operator::Close) actions_.Fail(ParseMissingParenthesis, "缺少 ')'");
            Accept();
            return actions_.Call(name, std::move(argument));
        });
    }

    std::string_view Slice(int32_t start, int32_t end) const {
        return text_.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    }

    std::string_view text_;
    Actions& actions_;
    int32_t position_ = 0;
    int nesting_ = 0;
};

} // namespace orbiplot

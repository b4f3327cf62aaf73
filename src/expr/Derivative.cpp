// Symbolic differentiation of the expression language. No library fits: the language's own
// grammar (^, * and / bind alike from the left, a sign binds tighter than ^), its function
// names and its number texts decide how a tree is read and written, so the tree, its rules
// and its printing are our own.
#include "expr/Derivative.h"

#include "base/AppError.h"
#include "base/RandomSource.h"
#include "base/TextEncoding.h"
#include "expr/BuiltinFunctions.h"
#include "expr/CheckedMath.h"
#include "expr/ExpressionGrammar.h"
#include "expr/clsExpressionParser.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <unordered_map>

namespace orbiplot {

namespace {

constexpr double PiLiteral = 3.14159265358979; // the literal the built-in functions use

struct Node;
using P = std::shared_ptr<const Node>;

struct Node {
    enum Kind { Number, Variable, Constant, Negate, Add, Subtract, Multiply, Divide, Power, Call };
    Kind kind = Number;
    double value = 0; // Number
    std::string name; // Constant
    BuiltinFunction fn = BuiltinFunction::None;
    P a, b;
    int depth = 1;
};

[[noreturn]] void Refuse(const std::string& why) {
    throw AppError(ErrInvalidCall, DefaultErrorSource, why);
}

// Deeper trees are refused: the rules and the printing go down them one call a level.
constexpr int MaxDepth = 2000;

Node NodeOf(Node::Kind kind, double value = 0, BuiltinFunction fn = BuiltinFunction::None,
            P a = nullptr, P b = nullptr) {
    Node node;
    node.kind = kind;
    node.value = value;
    node.fn = fn;
    node.a = std::move(a);
    node.b = std::move(b);
    return node;
}

P Make(Node node) {
    node.depth = 1 + std::max(node.a ? node.a->depth : 0, node.b ? node.b->depth : 0);
    if (node.depth > MaxDepth) Refuse("表达式嵌套过深, 无法求导");
    return std::make_shared<const Node>(std::move(node));
}

P Num(double v) { return Make(NodeOf(Node::Number, v)); }
bool IsNum(const P& p, double v) { return p->kind == Node::Number && p->value == v; }
bool IsNum(const P& p) { return p->kind == Node::Number; }

// The shortest text of a number that reads back to it, without an exponent (the language has
// none): digits, at most one point.
std::string NumberText(double v) {
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(v)).ptr;
    std::string digits(buf, end);
    const size_t e = digits.find('e');
    if (e != std::string::npos) {
        const int exponent = std::stoi(digits.substr(e + 1));
        std::string mantissa = digits.substr(0, e);
        const size_t point = mantissa.find('.');
        std::string whole = point == std::string::npos ? mantissa : mantissa.substr(0, point);
        std::string fraction = point == std::string::npos ? "" : mantissa.substr(point + 1);
        std::string all = whole + fraction;
        int pointAt = static_cast<int>(whole.size()) + exponent;
        if (pointAt <= 0) {
            digits = "0." + std::string(static_cast<size_t>(-pointAt), '0') + all;
        } else if (pointAt >= static_cast<int>(all.size())) {
            digits = all + std::string(static_cast<size_t>(pointAt) - all.size(), '0');
        } else {
            digits = all.substr(0, static_cast<size_t>(pointAt)) + "." +
                     all.substr(static_cast<size_t>(pointAt));
        }
    }
    return v < 0 ? "-" + digits : digits;
}

// A number is worked out in place of its expression only where its text stays short.
bool ShortNumber(double v) {
    if (!std::isfinite(v)) return false;
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    int significant = 0;
    bool leading = true;
    for (const char* c = buf; c < end && *c != 'e'; ++c) {
        if (*c < '0' || *c > '9') continue;
        if (*c != '0') leading = false;
        if (!leading) ++significant;
    }
    return significant <= 8 && std::fabs(v) < 1e12 && (v == 0 || std::fabs(v) >= 1e-6);
}

// The same operation on two numbers, worked out as the program works it out; none where it
// fails or its text would be long.
std::optional<double> Fold(Operator op, double a, double b) {
    try {
        const double r = ApplyOperator(op, a, b);
        if (ShortNumber(r)) return r;
    } catch (const AppError&) {
        // Kept as written: it fails where it is evaluated, as it did.
    }
    return std::nullopt;
}

// Whether two trees are written alike.
bool Same(const P& a, const P& b) {
    if (a == b) return true;
    if (a->kind != b->kind || a->value != b->value || a->fn != b->fn || a->name != b->name)
        return false;
    if (static_cast<bool>(a->a) != static_cast<bool>(b->a) ||
        static_cast<bool>(a->b) != static_cast<bool>(b->b))
        return false;
    return (!a->a || Same(a->a, b->a)) && (!a->b || Same(a->b, b->b));
}

P Neg(const P& a) {
    if (a->kind == Node::Number) return Num(-1.0 * a->value);
    if (a->kind == Node::Negate) return a->a;
    // -(2*u) is -2*u.
    if (a->kind == Node::Multiply && IsNum(a->a))
        return Make(
            NodeOf(Node::Multiply, 0, BuiltinFunction::None, Num(-1.0 * a->a->value), a->b));
    return Make(NodeOf(Node::Negate, 0, BuiltinFunction::None, a));
}

P Bin(Node::Kind kind, const P& a, const P& b) {
    return Make(NodeOf(kind, 0, BuiltinFunction::None, a, b));
}

P Mul(const P& a, const P& b);
P Sub(const P& a, const P& b);

P Add(const P& a, const P& b) {
    if (IsNum(a, 0)) return b;
    if (IsNum(b, 0)) return a;
    if (IsNum(a) && IsNum(b))
        if (const auto r = Fold(Operator::Plus, a->value, b->value)) return Num(*r);
    if (b->kind == Node::Negate) return Sub(a, b->a);
    if (IsNum(b) && b->value < 0) return Bin(Node::Subtract, a, Num(-b->value));
    if (Same(a, b)) return Mul(Num(2), a);
    return Bin(Node::Add, a, b);
}

P Sub(const P& a, const P& b) {
    if (IsNum(b, 0)) return a;
    if (IsNum(a, 0)) return Neg(b);
    if (IsNum(a) && IsNum(b))
        if (const auto r = Fold(Operator::Minus, a->value, b->value)) return Num(*r);
    if (b->kind == Node::Negate) return Add(a, b->a);
    if (IsNum(b) && b->value < 0) return Bin(Node::Add, a, Num(-b->value));
    if (Same(a, b)) return Num(0);
    if (a->kind == Node::Negate && Same(a->a, b)) return Neg(Mul(Num(2), b));
    return Bin(Node::Subtract, a, b);
}

P Div(const P& a, const P& b);

P Mul(const P& a, const P& b) {
    if (IsNum(a, 0) || IsNum(b, 0)) return Num(0);
    if (IsNum(a, 1)) return b;
    if (IsNum(b, 1)) return a;
    if (IsNum(a, -1)) return Neg(b);
    if (IsNum(b, -1)) return Neg(a);
    if (IsNum(a) && IsNum(b))
        if (const auto r = Fold(Operator::Times, a->value, b->value)) return Num(*r);
    // 1/s * u is u/s; a negation on the right comes out in front (-u*v reads as it is).
    if (a->kind == Node::Divide && IsNum(a->a, 1)) return Div(b, a->b);
    if (b->kind == Node::Divide && IsNum(b->a, 1)) return Div(a, b->b);
    if (b->kind == Node::Negate) return Neg(Mul(a, b->a));
    return Bin(Node::Multiply, a, b);
}

P Div(const P& a, const P& b) {
    if (IsNum(a, 0)) return Num(0);
    if (IsNum(b, 1)) return a;
    if (Same(a, b)) return Num(1);
    if (IsNum(a) && IsNum(b))
        if (const auto r = Fold(Operator::Divide, a->value, b->value)) return Num(*r);
    if (a->kind == Node::Negate) return Neg(Div(a->a, b));
    return Bin(Node::Divide, a, b);
}

P Pow(const P& a, const P& b) {
    if (IsNum(b, 1)) return a;
    if (IsNum(b, 0) || IsNum(a, 1)) return Num(1);
    if (IsNum(a) && IsNum(b))
        if (const auto r = Fold(Operator::Power, a->value, b->value)) return Num(*r);
    return Bin(Node::Power, a, b);
}

P Fn(BuiltinFunction fn, const P& u) {
    if (IsNum(u)) {
        try {
            const double r = BuiltinValue(fn, u->value);
            if (ShortNumber(r)) return Num(r);
        } catch (const AppError&) {
            // Kept as written.
        }
    }
    return Make(NodeOf(Node::Call, 0, fn, u));
}

// Reading the text into a tree, by the parser's own grammar.
class Building {
public:
    using Result = P;
    Building(const clsExpressionParser& parser, char var) : parser_(parser), var_(var) {}

    P Number(std::string_view digits) { return Num(ConvertNumber(digits)); }
    P Name(std::string_view name, int) {
        if (name.size() == 1 && AsciiLower(name[0]) == var_) return Make(NodeOf(Node::Variable));
        // Named constants keep their names: a slider may move them.
        if (!parser_.ConstantValue(name)) Refuse("常数 " + std::string(name) + " 不存在");
        Node constant = NodeOf(Node::Constant);
        constant.name = AsciiLower(std::string(name));
        return Make(std::move(constant));
    }
    P Call(std::string_view name, P argument) {
        const BuiltinFunction fn = LookUpBuiltinFunction(name);
        if (fn == BuiltinFunction::Rnd) Refuse("表达式含随机函数 RND, 没有导数");
        if (fn == BuiltinFunction::None) Refuse("函数 " + std::string(name) + " 不存在");
        return Make(NodeOf(Node::Call, 0, fn, std::move(argument)));
    }
    P Binary(Operator op, P left, P right) {
        switch (op) {
        case Operator::Plus: return Bin(Node::Add, left, right);
        case Operator::Minus: return Bin(Node::Subtract, left, right);
        case Operator::Times: return Bin(Node::Multiply, left, right);
        case Operator::Divide: return Bin(Node::Divide, left, right);
        default: return Bin(Node::Power, left, right);
        }
    }
    P Signed(bool negative, P value) {
        return negative ? Make(NodeOf(Node::Negate, 0, BuiltinFunction::None, value)) : value;
    }
    template <class F> P Step(const char*, F&& step) { return step(); }
    [[noreturn]] void Fail(int, std::string description) { Refuse(description); }
    [[noreturn]] void TooDeep() { Refuse("表达式嵌套过深, 无法求导"); }

private:
    const clsExpressionParser& parser_;
    char var_;
};

const char* FunctionName(BuiltinFunction fn) {
    switch (fn) {
    case BuiltinFunction::Sin: return "sin";
    case BuiltinFunction::Cos: return "cos";
    case BuiltinFunction::Tan: return "tan";
    case BuiltinFunction::Cot: return "cot";
    case BuiltinFunction::Sec: return "sec";
    case BuiltinFunction::Csc: return "csc";
    case BuiltinFunction::ArcSin: return "arcsin";
    case BuiltinFunction::ArcCos: return "arccos";
    case BuiltinFunction::ArcTan: return "arctan";
    case BuiltinFunction::ArcCot: return "arccot";
    case BuiltinFunction::R2D: return "r2d";
    case BuiltinFunction::D2R: return "d2r";
    case BuiltinFunction::Abs: return "abs";
    case BuiltinFunction::Sqr: return "sqr";
    case BuiltinFunction::Log: return "log";
    case BuiltinFunction::Log10: return "log10";
    case BuiltinFunction::Fix: return "fix";
    case BuiltinFunction::Sgn: return "sgn";
    case BuiltinFunction::Exp: return "exp";
    default: return "rnd";
    }
}

// The derivative of f at u, as a function of u (the chain rule multiplies it by u').
P Outer(BuiltinFunction fn, const P& u) {
    const P one = Num(1);
    const P squared = Pow(u, Num(2));
    switch (fn) {
    case BuiltinFunction::Sin: return Fn(BuiltinFunction::Cos, u);
    case BuiltinFunction::Cos: return Neg(Fn(BuiltinFunction::Sin, u));
    case BuiltinFunction::Tan: return Add(one, Pow(Fn(BuiltinFunction::Tan, u), Num(2)));
    case BuiltinFunction::Cot: return Neg(Add(one, Pow(Fn(BuiltinFunction::Cot, u), Num(2))));
    case BuiltinFunction::Sec: return Mul(Fn(BuiltinFunction::Sec, u), Fn(BuiltinFunction::Tan, u));
    case BuiltinFunction::Csc:
        return Neg(Mul(Fn(BuiltinFunction::Csc, u), Fn(BuiltinFunction::Cot, u)));
    case BuiltinFunction::ArcSin: return Div(one, Fn(BuiltinFunction::Sqr, Sub(one, squared)));
    case BuiltinFunction::ArcCos: return Neg(Div(one, Fn(BuiltinFunction::Sqr, Sub(one, squared))));
    case BuiltinFunction::ArcTan: return Div(one, Add(one, squared));
    case BuiltinFunction::ArcCot: return Neg(Div(one, Add(one, squared)));
    case BuiltinFunction::R2D: return Bin(Node::Divide, Num(180), Num(PiLiteral));
    case BuiltinFunction::D2R: return Bin(Node::Divide, Num(PiLiteral), Num(180));
    case BuiltinFunction::Abs: return Fn(BuiltinFunction::Sgn, u);
    case BuiltinFunction::Sqr: return Div(one, Mul(Num(2), Fn(BuiltinFunction::Sqr, u)));
    case BuiltinFunction::Log: return Div(one, u);
    case BuiltinFunction::Log10: return Div(one, Mul(u, Fn(BuiltinFunction::Log, Num(10))));
    case BuiltinFunction::Exp: return Fn(BuiltinFunction::Exp, u);
    default: return Num(0); // fix and sgn: level between their steps
    }
}

// Whether the variable occurs in the tree (what does not depend on it has derivative 0).
bool Varies(const P& p, std::unordered_map<const Node*, bool>& memo) {
    if (p->kind == Node::Variable) return true;
    if (!p->a) return false;
    if (const auto found = memo.find(p.get()); found != memo.end()) return found->second;
    const bool varies = Varies(p->a, memo) || (p->b && Varies(p->b, memo));
    memo[p.get()] = varies;
    return varies;
}

class Differentiation {
public:
    P D(const P& p) {
        if (!Varies(p, varies_)) return Num(0);
        if (const auto found = done_.find(p.get()); found != done_.end()) return found->second;
        const P d = Rule(p);
        done_[p.get()] = d;
        return d;
    }

private:
    P Rule(const P& p) {
        switch (p->kind) {
        case Node::Variable: return Num(1);
        case Node::Negate: return Neg(D(p->a));
        case Node::Add: return Add(D(p->a), D(p->b));
        case Node::Subtract: return Sub(D(p->a), D(p->b));
        case Node::Multiply:
            return Add(Mul(D(p->a), Simplified(p->b)), Mul(Simplified(p->a), D(p->b)));
        case Node::Divide: {
            const P u = Simplified(p->a), v = Simplified(p->b);
            if (!Varies(p->b, varies_)) return Div(D(p->a), v);
            return Div(Sub(Mul(D(p->a), v), Mul(u, D(p->b))), Pow(v, Num(2)));
        }
        case Node::Power: {
            const P u = Simplified(p->a), v = Simplified(p->b);
            if (!Varies(p->b, varies_)) {
                const P less = IsNum(v) ? Num(v->value - 1) : Sub(v, Num(1));
                return Mul(Mul(v, Pow(u, less)), D(p->a));
            }
            const P logU = Fn(BuiltinFunction::Log, u);
            if (!Varies(p->a, varies_)) return Mul(Mul(Pow(u, v), logU), D(p->b));
            return Mul(Pow(u, v), Add(Mul(D(p->b), logU), Div(Mul(v, D(p->a)), u)));
        }
        case Node::Call: return Mul(Outer(p->fn, Simplified(p->a)), D(p->a));
        default: return Num(0);
        }
    }

public:
    // The tree rebuilt by the simplifying constructors (what the text spelled out, such as
    // 2*3 or x^1, as the derivative would write it).
    P Simplified(const P& p) {
        if (const auto found = simple_.find(p.get()); found != simple_.end()) return found->second;
        P s = p;
        switch (p->kind) {
        case Node::Negate: s = Neg(Simplified(p->a)); break;
        case Node::Add: s = Add(Simplified(p->a), Simplified(p->b)); break;
        case Node::Subtract: s = Sub(Simplified(p->a), Simplified(p->b)); break;
        case Node::Multiply: s = Mul(Simplified(p->a), Simplified(p->b)); break;
        case Node::Divide: s = Div(Simplified(p->a), Simplified(p->b)); break;
        case Node::Power: s = Pow(Simplified(p->a), Simplified(p->b)); break;
        case Node::Call: s = Fn(p->fn, Simplified(p->a)); break;
        default: break;
        }
        simple_[p.get()] = s;
        return s;
    }

private:
    std::unordered_map<const Node*, bool> varies_;
    std::unordered_map<const Node*, P> done_, simple_;
};

// How tightly a node binds: a sum, a term (^, *, / alike), a signed value, an atom.
enum Level { SumLevel = 1, TermLevel, ValueLevel, AtomLevel };

Level LevelOf(const P& p) {
    switch (p->kind) {
    case Node::Add:
    case Node::Subtract: return SumLevel;
    case Node::Multiply:
    case Node::Divide:
    case Node::Power: return TermLevel;
    case Node::Negate: return ValueLevel;
    case Node::Number: return p->value < 0 ? ValueLevel : AtomLevel;
    default: return AtomLevel;
    }
}

class Printing {
public:
    explicit Printing(char var) : var_(var) {}

    // The length the text will have, worked out before it is written (shared parts of the
    // tree are written once each time they occur); capped just past the most allowed.
    size_t Length(const P& p) {
        if (const auto found = length_.find(p.get()); found != length_.end()) return found->second;
        size_t n = 0;
        const auto wrapped = [&](const P& c, bool paren) { return Length(c) + (paren ? 2 : 0); };
        switch (p->kind) {
        case Node::Number: n = NumberText(p->value).size(); break;
        case Node::Variable: n = 1; break;
        case Node::Constant: n = p->name.size(); break;
        case Node::Negate: n = 1 + wrapped(p->a, NegatedParens(p->a)); break;
        case Node::Call: n = std::string_view(FunctionName(p->fn)).size() + 2 + Length(p->a); break;
        default: n = wrapped(p->a, LeftParens(p)) + 1 + wrapped(p->b, RightParens(p)); break;
        }
        n = std::min(n, MaxDerivativeLength + 1);
        length_[p.get()] = n;
        return n;
    }

    void Write(const P& p, std::string& out) {
        const auto wrapped = [&](const P& c, bool paren) {
            if (paren) out += '(';
            Write(c, out);
            if (paren) out += ')';
        };
        switch (p->kind) {
        case Node::Number: out += NumberText(p->value); return;
        case Node::Variable: out += var_; return;
        case Node::Constant: out += p->name; return;
        case Node::Negate:
            out += '-';
            wrapped(p->a, NegatedParens(p->a));
            return;
        case Node::Call:
            out += FunctionName(p->fn);
            out += '(';
            Write(p->a, out);
            out += ')';
            return;
        default:
            wrapped(p->a, LeftParens(p));
            out += Symbol(p->kind);
            wrapped(p->b, RightParens(p));
            return;
        }
    }

private:
    static char Symbol(Node::Kind kind) {
        switch (kind) {
        case Node::Add: return '+';
        case Node::Subtract: return '-';
        case Node::Multiply: return '*';
        case Node::Divide: return '/';
        default: return '^';
        }
    }
    // Left operands group from the left; a sum inside a term needs its parentheses, and so
    // does a term raised to a power (x/5^2 is (x/5)^2 here, but reads as x/25).
    static bool LeftParens(const P& p) {
        if (LevelOf(p) != TermLevel) return false;
        return LevelOf(p->a) == SumLevel || (p->kind == Node::Power && LevelOf(p->a) == TermLevel);
    }
    // -a*b is (-a)*b, the same number as -(a*b); -a^b is (-a)^b, not -(a^b): a negated term
    // goes without parentheses unless a power leads it.
    static bool NegatedParens(const P& a) {
        if (LevelOf(a) == SumLevel) return true;
        const Node* lead = a.get();
        while (lead->kind == Node::Multiply || lead->kind == Node::Divide)
            lead = lead->a.get();
        return lead->kind == Node::Power || lead->kind == Node::Negate ||
               (lead->kind == Node::Number && lead->value < 0);
    }
    // A right operand at its operator's level or below is parenthesised; a signed value may
    // follow any operator.
    static bool RightParens(const P& p) { return LevelOf(p->b) <= LevelOf(p); }

    char var_;
    std::unordered_map<const Node*, size_t> length_;
};

} // namespace

std::string DeriveExpression(const clsExpressionParser& parser, std::string_view text,
                             std::string_view var) {
    if (var.size() != 1) Refuse("变量名必须是一个字母");
    const char letter = AsciiLower(var[0]);
    // A text that cannot be read is reported as the parser reports it, with its position.
    {
        DefaultRandomSource random;
        clsExpressionParser own(parser);
        own.SetRandomSource(random);
        try {
            own.ParseExpression(SubstituteVariable(text, var, "1"));
        } catch (const AppError& error) {
            if (!IsArithmeticError(error.Number)) throw;
        }
    }
    Building building(parser, letter);
    const P tree = ExpressionGrammar<Building>(text, building).Read();
    Differentiation rules;
    const P derivative = rules.D(tree);
    Printing printing(letter);
    if (printing.Length(derivative) > MaxDerivativeLength)
        Refuse("导数的表达式过长, 超过 " + std::to_string(MaxDerivativeLength) + " 个字符");
    std::string out;
    printing.Write(derivative, out);
    return out;
}

} // namespace orbiplot

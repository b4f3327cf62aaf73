#include "expr/clsExpressionParser.h"

#include "base/AppError.h"
#include "base/TextEncoding.h"
#include "expr/CheckedMath.h"

#include <charconv>

namespace orbiplot {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_'; }

// Runs one parsing step; any error leaving it gets the step's name in its source trace.
template <class Step> double Traced(const char* procedure, Step&& step) {
    try {
        return step();
    } catch (AppError& error) {
        TraceErrorSource(error, procedure);
        throw;
    }
}

} // namespace

double ConvertNumber(std::string_view digits) {
    double value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large overflows; too small to tell from zero is zero.
        for (char c : digits) {
            if (c == '.') break;
            if (c != '0') RaiseRuntimeError(ErrOverflow);
        }
        return 0;
    }
    return value;
}

void TraceErrorSource(AppError& error, std::string_view procedure) {
    if (error.Source == DefaultErrorSource) {
        error.Source.assign(procedure);
    } else {
        std::string traced;
        traced.reserve(procedure.size() + 2 + error.Source.size());
        traced.append(procedure).append("->").append(error.Source);
        error.Source = std::move(traced);
    }
}

clsExpressionParser::clsExpressionParser(RandomSource* random) : random_(random) {
    constants_ = {{"PI", 3.14159265358979},
                  {"E", 2.71828},
                  {"C", 0.915966},
                  {"GR", 1.61803},
                  {"EG", 0.577216}};
}

void clsExpressionParser::SetRandomSource(RandomSource* random) { random_ = random; }

void clsExpressionParser::Raise(int code, std::string description) const {
    throw AppError(ParserErrorNumber(code), DefaultErrorSource, std::move(description));
}

void clsExpressionParser::SkipBlanks() {
    const auto n = static_cast<int32_t>(text_.size());
    while (position_ < n && IsBlank(text_[static_cast<size_t>(position_)]))
        ++position_;
}

clsExpressionParser::Operator clsExpressionParser::PeekOperator() {
    if (position_ >= static_cast<int32_t>(text_.size())) return Operator::None;
    operatorLength_ = 0;
    Operator op = Operator::None;
    switch (text_[static_cast<size_t>(position_)]) {
    case '+': op = Operator::Plus; break;
    case '-': op = Operator::Minus; break;
    case '^': op = Operator::Power; break;
    case '*': op = Operator::Times; break;
    case '/': op = Operator::Divide; break;
    case '(': op = Operator::Open; break;
    case ')': op = Operator::Close; break;
    default: return Operator::None;
    }
    operatorLength_ = 1;
    return op;
}

void clsExpressionParser::AcceptOperator() {
    position_ += operatorLength_;
    SkipBlanks();
}

double clsExpressionParser::ParseExpression(std::string_view expression) {
    return Traced("ParseExpression", [&] {
        text_.assign(expression);
        position_ = 0;
        nesting_ = 0;
        SkipBlanks();
        const double value = ParseNumExp();
        SkipBlanks();
        if (position_ < static_cast<int32_t>(text_.size()))
            Raise(ParseSyntaxError, "表达式语法错误");
        return value;
    });
}

double clsExpressionParser::ParseNumExp() {
    return Traced("ParseNumExp", [&] {
        double value = ParseTerm();
        while (position_ < static_cast<int32_t>(text_.size())) {
            const Operator op = PeekOperator();
            if (op == Operator::Plus) {
                AcceptOperator();
                value = checked::Add(value, ParseTerm());
            } else if (op == Operator::Minus) {
                AcceptOperator();
                value = checked::Sub(value, ParseTerm());
            } else if (op == Operator::None) {
                Raise(ParseSyntaxError, "表达式语法错误");
            } else {
                break;
            }
        }
        return value;
    });
}

double clsExpressionParser::ParseTerm() {
    return Traced("ParseTerm", [&] {
        double value = ParseValue();
        while (position_ < static_cast<int32_t>(text_.size())) {
            const Operator op = PeekOperator();
            if (op == Operator::Power) {
                AcceptOperator();
                const double exponent = ParseValue();
                value = checked::Pow(value, exponent);
            } else if (op == Operator::Times) {
                AcceptOperator();
                value = checked::Mul(value, ParseValue());
            } else if (op == Operator::Divide) {
                AcceptOperator();
                const double divisor = ParseValue();
                if (divisor == 0) Raise(ParseDivisionByZero, "除数为零错误");
                value = checked::Div(value, divisor);
            } else if (op == Operator::None) {
                Raise(ParseSyntaxError, "表达式语法错误");
            } else {
                break;
            }
        }
        return value;
    });
}

// A parenthesised NumExp or function argument, one nesting level deeper.
double clsExpressionParser::ParseNested() {
    if (nesting_ >= MaxNestingDepth) RaiseRuntimeError(ErrOutOfStack);
    ++nesting_;
    const double value = ParseNumExp();
    --nesting_;
    return value;
}

double clsExpressionParser::ParseValue() {
    return Traced("ParseValue", [&] {
        double sign = 1.0;
        const Operator op = PeekOperator();
        if (op == Operator::Minus) {
            sign = -1.0;
            AcceptOperator();
        } else if (op == Operator::Plus) {
            AcceptOperator();
        }
        double v;
        if (PeekOperator() == Operator::Open) {
            AcceptOperator();
            v = ParseNested();
            if (PeekOperator() != Operator::Close) Raise(ParseMissingParenthesis, "缺少 ')'");
            AcceptOperator();
        } else {
            v = ParseAtom();
        }
        return sign * v;
    });
}

double clsExpressionParser::ParseAtom() {
    return Traced("ParseAtom", [&]() -> double {
        const auto n = static_cast<int32_t>(text_.size());
        if (position_ >= n) Raise(ParseSyntaxError, "表达式语法错误");
        const char first = text_[static_cast<size_t>(position_)];
        if (IsDigit(first)) {
            int32_t end = position_ + 1;
            bool seenPoint = false;
            for (; end < n; ++end) {
                const char c = text_[static_cast<size_t>(end)];
                if (c == '.') {
                    if (seenPoint) Raise(ParseSyntaxError, "表达式语法错误");
                    seenPoint = true;
                } else if (!IsDigit(c)) {
                    break;
                }
            }
            const double value = ConvertNumber(std::string_view(text_).substr(
                static_cast<size_t>(position_), static_cast<size_t>(end - position_)));
            position_ = end;
            SkipBlanks();
            return value;
        }
        if (IsAsciiLetter(first)) {
            int32_t end = position_ + 1;
            while (end < n && IsNameChar(text_[static_cast<size_t>(end)]))
                ++end;
            // The text does not change during a parse, so the name can stay a view of it.
            const std::string_view name = std::string_view(text_).substr(
                static_cast<size_t>(position_), static_cast<size_t>(end - position_));
            position_ = end;
            SkipBlanks();
            if (PeekOperator() != Operator::Open) {
                if (const double* constant = FindConstant(name)) return *constant;
                Raise(ParseUnknownConstant, "常数 " + std::string(name) + " 不存在");
            }
            AcceptOperator();
            const double argument = ParseNested();
            if (PeekOperator() == Operator::Close)
                AcceptOperator();
            else
                Raise(ParseMissingParenthesis, "缺少 ')'");
            return CallBuiltinFunction(name, argument);
        }
        Raise(ParseSyntaxError, "表达式语法错误");
    });
}

size_t clsExpressionParser::CaselessHash::operator()(std::string_view name) const noexcept {
    size_t hash = 14695981039346656037ull; // FNV-1a over the upper-case letters
    for (char c : name) {
        hash ^= static_cast<unsigned char>(AsciiUpper(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

bool clsExpressionParser::CaselessEqual::operator()(std::string_view a,
                                                    std::string_view b) const noexcept {
    return EqualsIgnoringAsciiCase(a, b);
}

const double* clsExpressionParser::FindConstant(std::string_view name) const {
    const auto found = constants_.find(name);
    return found == constants_.end() ? nullptr : &found->second;
}

bool clsExpressionParser::ConstantExists(std::string_view name) const {
    return FindConstant(name) != nullptr;
}

std::optional<double> clsExpressionParser::ConstantValue(std::string_view name) const {
    if (const double* constant = FindConstant(name)) return *constant;
    return std::nullopt;
}

void clsExpressionParser::AddConstant(std::string_view name, double value) {
    const std::string n = AsciiUpper(TrimBlanks(name));
    if (n.empty()) Raise(ParseInvalidConstantName, "常数名不能为空值");
    if (!IsAsciiLetter(n[0])) Raise(ParseInvalidConstantName, "常数名必须以字母开头");
    for (size_t i = 1; i < n.size(); ++i)
        if (!IsNameChar(n[i])) Raise(ParseInvalidConstantName, "无效常数名");
    if (ConstantExists(n)) Raise(ParseConstantExists, "此常数已存在");
    if (IsBuiltinFunction(n)) Raise(ParseReservedName, "常数名使用了保留字符");
    constants_.emplace(n, value);
}

void clsExpressionParser::RemoveConstant(std::string_view name) {
    const std::string n = AsciiUpper(TrimBlanks(name));
    if (constants_.erase(n) == 1) return;
    Raise(ParseUnknownConstant, "常数 " + n + " 不存在");
}

} // namespace orbiplot

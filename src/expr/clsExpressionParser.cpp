#include "expr/clsExpressionParser.h"

#include "base/AppError.h"
#include "base/RandomSource.h"
#include "base/TextEncoding.h"
#include "expr/BuiltinFunctions.h"
#include "expr/CheckedMath.h"

#include <algorithm>
#include <charconv>

namespace orbiplot {

namespace {

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

// Reading as evaluating: each part of the text is its value.
struct clsExpressionParser::Evaluation {
    clsExpressionParser& parser;
    using Result = double;

    double Number(std::string_view digits) { return ConvertNumber(digits); }
    double Name(std::string_view name, int) {
        if (const double* constant = parser.FindConstant(name)) return *constant;
        parser.Raise(ParseUnknownConstant, "常数 " + std::string(name) + " 不存在");
    }
    double Call(std::string_view name, double argument) {
        return parser.CallBuiltinFunction(name, argument);
    }
    double Binary(Operator op, double left, double right) {
        if (op == Operator::Divide && right == 0) parser.Raise(ParseDivisionByZero, "除数为零错误");
        return ApplyOperator(op, left, right);
    }
    double Signed(bool negative, double value) { return negative ? -1.0 * value : value; }
    template <class F> double Step(const char* procedure, F&& step) {
        return Traced(procedure, std::forward<F>(step));
    }
    [[noreturn]] void Fail(int code, std::string description) {
        parser.Raise(code, std::move(description));
    }
    [[noreturn]] void TooDeep() { RaiseRuntimeError(ErrOutOfStack); }
};

clsExpressionParser::clsExpressionParser(RandomSource& random) : random_(&random) {
    constants_ = {{"PI", 3.14159265358979},
                  {"E", 2.71828},
                  {"C", 0.915966},
                  {"GR", 1.61803},
                  {"EG", 0.577216}};
}

void clsExpressionParser::Raise(int code, std::string description) const {
    throw AppError(ParserErrorNumber(code), DefaultErrorSource, std::move(description));
}

double clsExpressionParser::ParseExpression(std::string_view expression) {
    text_.assign(expression);
    Evaluation evaluation{*this};
    ExpressionGrammar<Evaluation> grammar(text_, evaluation);
    // Where reading stopped is where an error lies, whatever way it leaves.
    struct KeepPosition {
        clsExpressionParser& parser;
        const ExpressionGrammar<Evaluation>& grammar;
        ~KeepPosition() { parser.position_ = grammar.Position(); }
    } keep{*this, grammar};
    return grammar.Read();
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

std::vector<std::pair<std::string, double>> clsExpressionParser::Constants() const {
    std::vector<std::pair<std::string, double>> all(constants_.begin(), constants_.end());
    std::sort(all.begin(), all.end());
    return all;
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

void clsExpressionParser::SetConstant(std::string_view name, double value) {
    const std::string n = AsciiUpper(TrimBlanks(name));
    const auto found = constants_.find(n);
    if (found == constants_.end()) Raise(ParseUnknownConstant, "常数 " + n + " 不存在");
    found->second = value;
}

void clsExpressionParser::RemoveConstant(std::string_view name) {
    const std::string n = AsciiUpper(TrimBlanks(name));
    if (constants_.erase(n) == 1) return;
    Raise(ParseUnknownConstant, "常数 " + n + " 不存在");
}

double clsExpressionParser::CallBuiltinFunction(std::string_view name, double x) {
    try {
        const BuiltinFunction fn = LookUpBuiltinFunction(name);
        if (fn == BuiltinFunction::None)
            Raise(ParseUnknownFunction, "函数 " + std::string(name) + " 不存在");
        if (fn == BuiltinFunction::Rnd) return Rnd(x);
        return BuiltinValue(fn, x);
    } catch (AppError& error) {
        TraceErrorSource(error, "CallBuiltinFunction");
        throw;
    }
}

double clsExpressionParser::Rnd(double x) {
    RandomSource& source = *random_;
    if (x < 0) {
        source.Reseed(x);
        lastRandom_ = source.Next();
    } else if (x > 0 || !haveRandom_) {
        lastRandom_ = source.Next();
    }
    haveRandom_ = true;
    return static_cast<double>(lastRandom_);
}

} // namespace orbiplot

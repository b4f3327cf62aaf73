#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orbiplot {

class AppError;
class RandomSource;

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

// Deepest nesting of parentheses and function arguments; deeper texts fail with
// "out of stack space" instead of overflowing the real stack.
inline constexpr int MaxNestingDepth = 1000;

// Recursive-descent evaluator that computes while it reads: every call scans the text anew.
// Positions are 1-based; the grammar is ASCII, so byte and character positions agree up
// to the first character it cannot read.
class clsExpressionParser {
public:
    // random: source for RND; null uses a process-wide default.
    explicit clsExpressionParser(RandomSource* random = nullptr);

    double ParseExpression(std::string_view expression);
    void AddConstant(std::string_view name, double value);
    void RemoveConstant(std::string_view name);
    int32_t LastErrorPosition() const { return position_ + 1; }

    bool ConstantExists(std::string_view name) const;
    // The constant's value, or nothing when the table has no such name.
    std::optional<double> ConstantValue(std::string_view name) const;

    void SetRandomSource(RandomSource* random);

private:
    // The table is looked up by name ignoring letter case, without copying the name.
    struct CaselessHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const noexcept;
    };
    struct CaselessEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };

    // The operator at the position, if any.
    enum class Operator { None, Plus, Minus, Power, Times, Divide, Open, Close };

    void SkipBlanks();
    Operator PeekOperator();
    void AcceptOperator();
    double ParseNumExp();
    double ParseTerm();
    double ParseValue();
    double ParseAtom();
    double ParseNested();
    double CallBuiltinFunction(std::string_view name, double x);
    double Rnd(double x);
    const double* FindConstant(std::string_view name) const;
    [[noreturn]] void Raise(int code, std::string description) const;

    std::string text_;
    int32_t position_ = -1; // 0-based; LastErrorPosition is one more
    int32_t operatorLength_ = 0;
    int nesting_ = 0;
    std::unordered_map<std::string, double, CaselessHash, CaselessEqual> constants_; // upper case
    RandomSource* random_ = nullptr;
    bool haveRandom_ = false;
    float lastRandom_ = 0;
};

bool IsBuiltinFunction(std::string_view name);

// A digit string with at most one point, read as the parser reads a number: too large
// raises overflow, too small to tell from zero is zero.
double ConvertNumber(std::string_view digits);

// Prepends a procedure's name to the error's source trace.
void TraceErrorSource(AppError& error, std::string_view procedure);

// Replaces the one-letter variable by the text of its value wherever no letter touches it.
// The result is in lower case. Positions are 16-bit: an occurrence beyond 32767 overflows.
std::string SubstituteVariable(std::string_view expression, std::string_view varName,
                               std::string_view valueText);

} // namespace orbiplot

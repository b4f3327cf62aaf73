#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace orbiplot {

// The one error value every failure travels as: a number, where it arose and what happened.
class AppError : public std::exception {
public:
    AppError(int32_t number, std::string source, std::string description)
        : Number(number), Source(std::move(source)), Description(std::move(description)) {}

    const char* what() const noexcept override { return Description.c_str(); }

    int32_t Number;
    std::string Source;
    std::string Description;
};

// Source carried by every freshly raised error: the application's name.
inline constexpr const char* DefaultErrorSource = "Orbiplot";

// Error numbers are counted from the application error base.
inline constexpr int32_t ErrorBase = static_cast<int32_t>(0x80040000u);

// The expression parser's own errors, codes 1 to 8.
inline constexpr int32_t ParserErrorBase = ErrorBase + 512;
constexpr int32_t ParserErrorNumber(int code) { return ParserErrorBase + code; }
constexpr bool IsParserError(int32_t number) {
    return number >= ParserErrorBase + 1 && number <= ParserErrorBase + 8;
}
constexpr int ParserErrorCode(int32_t number) { return number - ParserErrorBase; }

// The program's own errors, each with a fixed message.
enum AppErrorNumber : int32_t {
    ErrDataInvalid = ErrorBase + 1023,
    ErrResultNotValid = ErrorBase + 1024,
    ErrResultDivByZero = ErrorBase + 1025,
    ErrAddModifyCurve = ErrorBase + 1026,
    ErrConstantValue = ErrorBase + 1027,
    ErrNoConstantSelected = ErrorBase + 1028,
    ErrSaveFile = ErrorBase + 1029,
    ErrOpenFile = ErrorBase + 1030,
    ErrFileVersion = ErrorBase + 1031,
    ErrAlreadyRunning = ErrorBase + 1032,
    ErrToolNotFound = ErrorBase + 1033,
    ErrUnknownCurveType = ErrorBase + 1034,
    ErrUnknown = ErrorBase + 1035,
};

constexpr bool IsOwnError(int32_t number) {
    return number >= ErrDataInvalid && number <= ErrUnknown;
}

// Fixed message of one of the program's own errors; empty for any other number.
std::string OwnErrorMessage(int32_t number);

// Raises one of the program's own errors with its fixed message.
[[noreturn]] void RaiseOwnError(int32_t number);

// System errors after a failed system call: base + 29000 + errno.
inline constexpr int32_t SystemErrorBase = ErrorBase + 29000;

// Runtime failures outside the parser's own codes (arithmetic, indexing, files).
enum RuntimeErrorNumber : int32_t {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscript = 9,
    ErrDivisionByZero = 11,
    ErrTypeMismatch = 13,
    ErrOutOfStack = 28,
    ErrFileNotFound = 53,
    ErrPathFileAccess = 75,
    ErrNotSupported = 438,
};

std::string RuntimeErrorMessage(int32_t number);

// A failure of arithmetic at one value (a function outside its domain, a division by zero,
// the parser's own among them, an overflow), not of the text that was evaluated.
constexpr bool IsArithmeticError(int32_t number) {
    return number == ErrInvalidCall || number == ErrOverflow || number == ErrDivisionByZero ||
           number == ParserErrorNumber(2);
}

// Raises a runtime failure with its usual description and the default source.
[[noreturn]] void RaiseRuntimeError(int32_t number);

} // namespace orbiplot

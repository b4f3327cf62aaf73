#include "base/NumberFormat.h"

#include "base/AppError.h"
#include "base/TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orbiplot {

namespace {

struct Pattern {
    int minInt = 0;
    int minDec = 0;
    int maxDec = 0;
};

Pattern ParsePattern(std::string_view pattern) {
    Pattern p;
    const size_t point = pattern.find('.');
    const std::string_view intPart = pattern.substr(0, point);
    for (char c : intPart)
        if (c == '0') ++p.minInt;
    if (point != std::string_view::npos) {
        for (char c : pattern.substr(point + 1)) {
            if (c == '0') {
                ++p.minDec;
                ++p.maxDec;
            } else if (c == '#') {
                ++p.maxDec;
            }
        }
    }
    return p;
}

// Room for every digit a double's fixed text can have (309 before the point) and more.
constexpr int Capacity = 400;

// A decimal number as sign, significant digits and the count of digits before the point.
struct Decimal {
    bool negative = false;
    char digits[Capacity]; // no leading or trailing zeros; none for zero
    int count = 0;
    int pointPos = 0; // value = 0.digits * 10^pointPos
};

// Reads texts such as "-12.5", "0.0015" or "1.5e-07".
void ParseDecimalText(std::string_view text, Decimal& d) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        d.negative = text[i] == '-';
        ++i;
    }
    int intDigits = 0;
    bool seenPoint = false;
    bool significant = false;
    int leadingZeros = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            seenPoint = true;
        } else if (c >= '0' && c <= '9') {
            if (!seenPoint) ++intDigits;
            if (!significant && c == '0') {
                ++leadingZeros;
                continue;
            }
            significant = true;
            if (d.count < Capacity) d.digits[d.count++] = c;
        } else {
            break;
        }
    }
    int exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            expNegative = text[i] == '-';
            ++i;
        }
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            exponent = exponent * 10 + (text[i] - '0');
        if (expNegative) exponent = -exponent;
    }
    d.pointPos = intDigits + exponent - leadingZeros;
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
}

std::string Render(const Decimal& d, const Pattern& p) {
    // scaled: the value times 10^maxDec, rounded half away from zero, as digits.
    char scaled[Capacity + 2];
    int length = 0;
    const int keep = std::min(d.pointPos + p.maxDec, Capacity);
    bool roundUp = false;
    if (keep >= d.count) {
        for (int i = 0; i < d.count; ++i)
            scaled[length++] = d.digits[i];
        while (length < keep)
            scaled[length++] = '0';
    } else if (keep >= 0) {
        for (int i = 0; i < keep; ++i)
            scaled[length++] = d.digits[i];
        roundUp = d.digits[keep] >= '5';
    }
    if (length == 0) scaled[length++] = '0';
    if (roundUp) {
        int i = length - 1;
        for (; i >= 0 && scaled[i] == '9'; --i)
            scaled[i] = '0';
        if (i >= 0) {
            ++scaled[i];
        } else {
            std::memmove(scaled + 1, scaled, static_cast<size_t>(length++));
            scaled[0] = '1';
        }
    }
    if (length < p.maxDec + 1) {
        const int pad = p.maxDec + 1 - length;
        std::memmove(scaled + pad, scaled, static_cast<size_t>(length));
        std::memset(scaled, '0', static_cast<size_t>(pad));
        length += pad;
    }
    const int intLength = length - p.maxDec;
    bool isZero = true;
    for (int i = 0; i < length && isZero; ++i)
        isZero = scaled[i] == '0';
    int lead = 0;
    while (lead < intLength && scaled[lead] == '0' && intLength - lead > p.minInt)
        ++lead;
    int fracLength = p.maxDec;
    while (fracLength > p.minDec && scaled[intLength + fracLength - 1] == '0')
        --fracLength;

    char out[Capacity + 4];
    int o = 0;
    if (d.negative && !isZero) out[o++] = '-';
    for (int i = lead; i < intLength; ++i)
        out[o++] = scaled[i];
    if (fracLength > 0 || p.minDec > 0) {
        out[o++] = '.';
        for (int i = 0; i < fracLength; ++i)
            out[o++] = scaled[intLength + i];
    }
    return std::string(out, static_cast<size_t>(o));
}

std::string ToChars(double value, std::chars_format format, int precision) {
    char buf[400];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, format, precision);
    return std::string(buf, result.ptr);
}

std::string GeneralWithPrecision(double value, int precision) {
    if (value == 0) return "0";
    std::string text = ToChars(value, std::chars_format::general, precision);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

} // namespace

std::string FormatNumber(double value, std::string_view pattern) {
    const Pattern p = ParsePattern(pattern);
    if (!std::isfinite(value)) return GeneralText(value);
    // The nearest text at maxDec places is exact (ties to even); only an exact tie needs
    // the digit beyond to be rounded away from zero instead.
    const double scaledByTwo = std::ldexp(std::fabs(value), p.maxDec + 1);
    if (scaledByTwo == std::floor(scaledByTwo)) {
        const std::string exact = ToChars(value, std::chars_format::fixed, p.maxDec + 1);
        if (exact.back() == '5') {
            Decimal d;
            ParseDecimalText(exact, d);
            return Render(d, p);
        }
    }
    Decimal d;
    ParseDecimalText(ToChars(value, std::chars_format::fixed, p.maxDec), d);
    return Render(d, p);
}

std::string FormatSingle(float value, std::string_view pattern) {
    if (!std::isfinite(value)) return GeneralTextSingle(value);
    Decimal d;
    ParseDecimalText(GeneralTextSingle(value), d);
    return Render(d, ParsePattern(pattern));
}

std::string GeneralText(double value) { return GeneralWithPrecision(value, 15); }

std::string GeneralTextSingle(float value) {
    return GeneralWithPrecision(static_cast<double>(value), 7);
}

std::string ShortestText(double value) {
    if (value == 0) return "0";
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general);
    std::string text(buf, result.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

std::string GeneralTextDigits(double value, int digits) {
    return GeneralWithPrecision(value, std::clamp(digits, 1, 17));
}

} // namespace orbiplot

namespace orbiplot {

namespace {

// The decimal number in text, without blanks; empty when it is none.
std::string_view NumberPart(std::string_view text) {
    text = TrimBlanks(text);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0) return {};
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const size_t expStart = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9')
            ++j;
        if (j == expStart) return {};
        i = j;
    }
    return i == text.size() ? text : std::string_view{};
}

// Position of the first significant digit: 1 for 1.5, 0 for 0.5, -2 for 0.005, plus the
// exponent; 0 for zero.
long DecimalMagnitude(std::string_view number) {
    long integerDigits = 0, leadingZeros = 0;
    bool seenPoint = false, significant = false;
    size_t i = 0;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        const char c = number[i];
        if (c == '.') {
            seenPoint = true;
        } else if (!significant && c == '0') {
            if (seenPoint) ++leadingZeros;
        } else {
            significant = true;
            if (!seenPoint) ++integerDigits;
        }
    }
    if (!significant) return 0;
    long exponent = 0;
    if (i < number.size()) {
        ++i;
        bool negative = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negative = number[i++] == '-';
        for (; i < number.size() && exponent < 100000000; ++i)
            exponent = exponent * 10 + (number[i] - '0');
        if (negative) exponent = -exponent;
    }
    return (integerDigits > 0 ? integerDigits : -leadingZeros) + exponent;
}

template <class T> T ConvertText(std::string_view text) {
    const std::string_view number = NumberPart(text);
    if (number.empty()) RaiseRuntimeError(ErrTypeMismatch);
    const char* first = number.data();
    if (*first == '+') ++first;
    T value{};
    const auto result = std::from_chars(first, number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow when the first significant digit stands before the point.
        if (DecimalMagnitude(std::string_view(
                first, static_cast<size_t>(number.data() + number.size() - first))) > 0)
            RaiseRuntimeError(ErrOverflow);
        return T{0};
    }
    if (result.ec != std::errc() || result.ptr != number.data() + number.size())
        RaiseRuntimeError(ErrTypeMismatch);
    return value;
}

} // namespace

bool IsNumericText(std::string_view text) { return !NumberPart(text).empty(); }

double TextToDouble(std::string_view text) { return ConvertText<double>(text); }
float TextToSingle(std::string_view text) { return ConvertText<float>(text); }

} // namespace orbiplot

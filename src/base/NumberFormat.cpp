#include "base/NumberFormat.h"

#include "base/AppError.h"

#include <charconv>
#include <cmath>

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

// A decimal number as sign, significant digits and the count of digits before the point.
struct Decimal {
    bool negative = false;
    std::string digits; // no leading zeros; empty for zero
    int pointPos = 0;   // value = 0.digits * 10^pointPos
};

// Reads texts such as "-12.5", "0.0015" or "1.5e-07".
Decimal ParseDecimalText(std::string_view text) {
    Decimal d;
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        d.negative = text[i] == '-';
        ++i;
    }
    int intDigits = 0;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            seenPoint = true;
        } else if (c >= '0' && c <= '9') {
            d.digits.push_back(c);
            if (!seenPoint) ++intDigits;
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
    d.pointPos = intDigits + exponent;
    size_t lead = 0;
    while (lead < d.digits.size() && d.digits[lead] == '0')
        ++lead;
    d.digits.erase(0, lead);
    d.pointPos -= static_cast<int>(lead);
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

std::string Render(const Decimal& d, const Pattern& p) {
    // scaled: the value times 10^maxDec, rounded half away from zero, as digits.
    const int keep = d.pointPos + p.maxDec;
    const int n = static_cast<int>(d.digits.size());
    std::string scaled;
    bool roundUp = false;
    if (keep < 0) {
        scaled = "0";
    } else if (keep >= n) {
        scaled = d.digits;
        scaled.append(static_cast<size_t>(keep - n), '0');
    } else {
        scaled = d.digits.substr(0, static_cast<size_t>(keep));
        roundUp = d.digits[static_cast<size_t>(keep)] >= '5';
    }
    if (scaled.empty()) scaled = "0";
    if (roundUp) Increment(scaled);

    if (scaled.size() < static_cast<size_t>(p.maxDec) + 1)
        scaled.insert(0, static_cast<size_t>(p.maxDec) + 1 - scaled.size(), '0');
    std::string intPart = scaled.substr(0, scaled.size() - static_cast<size_t>(p.maxDec));
    std::string frac = scaled.substr(intPart.size());

    const bool isZero = scaled.find_first_not_of('0') == std::string::npos;

    size_t lead = 0;
    while (lead < intPart.size() && intPart[lead] == '0' &&
           intPart.size() - lead > static_cast<size_t>(p.minInt))
        ++lead;
    intPart.erase(0, lead);
    while (frac.size() > static_cast<size_t>(p.minDec) && frac.back() == '0')
        frac.pop_back();

    std::string out;
    if (d.negative && !isZero) out.push_back('-');
    out += intPart;
    if (!frac.empty() || p.minDec > 0) {
        out.push_back('.');
        out += frac;
    }
    return out;
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
        if (exact.back() == '5') return Render(ParseDecimalText(exact), p);
    }
    return Render(ParseDecimalText(ToChars(value, std::chars_format::fixed, p.maxDec)), p);
}

std::string FormatSingle(float value, std::string_view pattern) {
    if (!std::isfinite(value)) return GeneralTextSingle(value);
    return Render(ParseDecimalText(GeneralTextSingle(value)), ParsePattern(pattern));
}

std::string GeneralText(double value) { return GeneralWithPrecision(value, 15); }

std::string GeneralTextSingle(float value) {
    return GeneralWithPrecision(static_cast<double>(value), 7);
}

} // namespace orbiplot

namespace orbiplot {

namespace {

// The decimal number in text, without blanks; empty when it is none.
std::string_view NumberPart(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
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

double TextToDouble(std::string_view text) { return ConvertText<double>(text); }
float TextToSingle(std::string_view text) { return ConvertText<float>(text); }

} // namespace orbiplot

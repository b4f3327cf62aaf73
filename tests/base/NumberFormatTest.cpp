#include "base/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace orbiplot;

struct PatternCase {
    double value;
    const char* pattern;
    const char* expected;
};

TEST(NumberFormat, DoublePatternsRoundHalfAwayFromExactBinaryValue) {
    const PatternCase cases[] = {
        // value texts of the sampler
        {0, "0.0###", "0.0"},
        {2.0001, "0.0###", "2.0001"},
        {1234567.123456, "0.0###", "1234567.1235"},
        // exact binary ties go away from zero, not to even
        {0.03125, "0.0###", "0.0313"},
        {0.125, "0.0#", "0.13"},
        {2.5, "0", "3"},
        // decimal "ties" that are not ties in binary
        {1.0005, "0.000", "1.000"},
        {2.675, "0.0#", "2.67"},
        // calculator results
        {3, "#0.0######", "3.0"},
        {1.0 / 3, "#0.0######", "0.3333333"},
        {1e9, "#0.0######", "1000000000.0"},
        {1e-8, "#0.0######", "0.0"},
        {0.99999999, "#0.0######", "1.0"},
        // zoom read-outs and line calculators
        {72.9, "0.0#", "72.9"},
        {1.0 / 3, "0.0#######", "0.33333333"},
        {1e20, "0.0", "100000000000000000000.0"},
        // rounding to zero drops the sign
        {-0.00004, "0.0###", "0.0"},
        {-0.0, "0.000", "0.000"},
    };
    for (const PatternCase& c : cases)
        EXPECT_EQ(FormatNumber(c.value, c.pattern), c.expected) << c.value << " with " << c.pattern;
}

struct SingleCase {
    float value;
    const char* pattern;
    const char* expected;
};

TEST(NumberFormat, SinglePatternsRoundFromGeneralText) {
    const SingleCase cases[] = {
        {3.6f, "0.0#######", "3.6"},
        // 0.00035f lies below 0.00035 in binary, yet its text ties and goes away from zero
        {0.00035f, "0.0###", "0.0004"},
        {1.00005f, "0.0###", "1.0001"},
        {1.5e-7f, "0.0###", "0.0"},
        {-0.00004f, "0.0###", "0.0"},
        {1e10f, "0.0###", "10000000000.0"},
        {-4.99995f, "0.0###", "-5.0"},
        {0.999995f, "0.0###", "1.0"},
    };
    for (const SingleCase& c : cases)
        EXPECT_EQ(FormatSingle(c.value, c.pattern), c.expected) << c.value << " with " << c.pattern;
    // The double path sees the binary value of the same single.
    EXPECT_EQ(FormatNumber(static_cast<double>(3.6f), "0.0#######"), "3.5999999");
    EXPECT_EQ(FormatNumber(static_cast<double>(0.00035f), "0.0###"), "0.0003");
}

TEST(NumberFormat, GeneralTextOfDoubleHasFifteenDigits) {
    const std::pair<double, const char*> cases[] = {
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {1e20, "1E+20"},
        {1.5e-7, "1.5E-07"},
        {0.00001, "1E-05"},
        {-0.0, "0"},
        {0.1 + 0.2, "0.3"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(GeneralText(value), expected) << value;
}

TEST(NumberFormat, GeneralTextOfSingleHasSevenDigits) {
    const std::pair<float, const char*> cases[] = {
        {3.6f, "3.6"}, {3.14159265f, "3.141593"}, {1234567.0f, "1234567"},
        {1e7f, "1E+07"}, {2.5e-5f, "2.5E-05"},    {4995.0f / 499.5f, "10"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(GeneralTextSingle(value), expected) << value;
}

namespace {

// An independent reading of a single's pattern text: its 7-digit text as an integer
// mantissa and a power of ten, rounded half away from zero in integer arithmetic.
std::string ReferenceSingle(float value, int minDec, int maxDec) {
    const std::string text = GeneralTextSingle(value);
    bool negative = text[0] == '-';
    long long mantissa = 0;
    int exponent = 0;
    bool point = false;
    size_t i = negative ? 1 : 0;
    for (; i < text.size() && text[i] != 'E'; ++i) {
        if (text[i] == '.') {
            point = true;
            continue;
        }
        mantissa = mantissa * 10 + (text[i] - '0');
        if (point) --exponent;
    }
    if (i < text.size()) exponent += std::stoi(text.substr(i + 1));
    const int shift = exponent + maxDec; // scaled = mantissa * 10^shift
    long long scaled;
    if (shift >= 0) {
        scaled = mantissa;
        for (int k = 0; k < shift; ++k)
            scaled *= 10;
    } else {
        long long divisor = 1;
        for (int k = 0; k < -shift && divisor < 1000000000000000000LL; ++k)
            divisor *= 10;
        scaled = mantissa / divisor;
        if ((mantissa % divisor) * 2 >= divisor) ++scaled;
    }
    std::string digits = std::to_string(scaled);
    if (digits.size() < static_cast<size_t>(maxDec) + 1)
        digits.insert(0, maxDec + 1 - digits.size(), '0');
    std::string intPart = digits.substr(0, digits.size() - maxDec);
    std::string frac = digits.substr(intPart.size());
    while (static_cast<int>(frac.size()) > minDec && frac.back() == '0')
        frac.pop_back();
    if (scaled == 0) negative = false;
    return (negative ? "-" : "") + intPart + (frac.empty() ? "" : "." + frac);
}

} // namespace

TEST(NumberFormat, SinglePatternsAgreeWithIntegerArithmeticAcrossMagnitudes) {
    std::mt19937 engine(12345);
    std::uniform_real_distribution<double> exponent(-9, 9);
    for (int n = 0; n < 300000; ++n) {
        const auto value = static_cast<float>((n % 2 ? -1 : 1) * std::pow(10.0, exponent(engine)));
        ASSERT_EQ(FormatSingle(value, "0.0###"), ReferenceSingle(value, 1, 4)) << value;
        ASSERT_EQ(FormatSingle(value, "0.0#######"), ReferenceSingle(value, 1, 8)) << value;
    }
    // Samples of a sweep, as the curves make them.
    for (float v = -5.0f; v <= 5.0f; v += 0.000375f)
        ASSERT_EQ(FormatSingle(v, "0.0###"), ReferenceSingle(v, 1, 4)) << v;
}

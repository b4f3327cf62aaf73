#pragma once

#include <string>
#include <string_view>

namespace orbiplot {

// Display patterns: "0" is a required digit, "#" an optional one, "." the decimal point,
// e.g. "0.000", "0.0#", "0.0###", "0.0######", "#0.0######", "0.0#######".
// Rounding is half away from zero; a result that rounds to zero carries no sign.

// A double is rounded from its exact binary value.
std::string FormatNumber(double value, std::string_view pattern);

// A single is rounded from its general text, so the single nearest 3.6 shows as 3.6.
std::string FormatSingle(float value, std::string_view pattern);

// Shortest text with up to 15 significant digits; exponent form (1E+20, 1.5E-07) only for
// very large or very small magnitudes.
std::string GeneralText(double value);

// The same with up to 7 significant digits, for 32-bit floats.
std::string GeneralTextSingle(float value);

// The shortest text that reads back to the same double, in the same style.
std::string ShortestText(double value);

// The same with up to the given number of significant digits (1 to 17).
std::string GeneralTextDigits(double value, int digits);

} // namespace orbiplot

namespace orbiplot {

// True for an optionally signed decimal number with an optional point and exponent, blanks
// around it allowed; nothing else (no group separators, currency signs or hexadecimal).
bool IsNumericText(std::string_view text);

// Converts a decimal text (blanks around it allowed, "." as the point, an optional exponent)
// to a number; other text raises "type mismatch", a value beyond the type's range "overflow".
double TextToDouble(std::string_view text);
float TextToSingle(std::string_view text);

} // namespace orbiplot

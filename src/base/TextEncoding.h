#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orbiplot {

bool IsAscii(std::string_view text);

// Invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Without the blanks (spaces and tabs) at either end.
std::string_view TrimBlanks(std::string_view text);

// The parts between the separators; an empty text has no parts, two separators in a row
// give an empty part.
std::vector<std::string> Split(std::string_view text, char separator);

// Letter case of the ASCII letters only; other characters are left as they are.
constexpr bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace orbiplot

namespace orbiplot {

// Text files (settings, constants, documents) are read as UTF-8 when they carry a BOM or
// are valid UTF-8, and as GBK otherwise. The result is UTF-8.
std::string DecodeFileText(std::string_view bytes);

// GBK when every character fits it, so older readers keep working; otherwise UTF-8 with a
// BOM, so that no text is ever lost.
std::string EncodeFileText(std::string_view utf8);

bool IsValidUtf8(std::string_view bytes);

// Length as an 8-bit GBK text counts it: one for ASCII, two for any other character.
size_t GbkLength(std::string_view utf8);

} // namespace orbiplot

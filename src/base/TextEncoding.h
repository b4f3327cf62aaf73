#pragma once

#include <string>
#include <string_view>

namespace orbiplot {

bool IsAscii(std::string_view text);

// Invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Letter case of the ASCII letters only; other characters are left as they are.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);

} // namespace orbiplot

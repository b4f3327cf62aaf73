#include "base/AppError.h"
#include "base/TextEncoding.h"
#include "expr/clsExpressionParser.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <vector>

namespace orbiplot {

namespace {

// Positions of the substitution are 16-bit counters.
constexpr size_t MaxPosition = 32767;

template <class Char> bool IsLetterChar(Char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Occurrences beyond MaxPosition overflow, so only a head of the text can ever change; the
// rest is searched once and carried over untouched. A value that contains the variable is
// found again inside itself and grows the text at every step, so the head is cut back after
// each replacement: the work stays bounded by the head, not by what the text grows to.
template <class String> String Substitute(String s, const String& var, const String& value) {
    if (var.empty()) return s;
    const size_t headLength = MaxPosition + var.size() + 1;
    std::vector<String> far; // beyond the head, nearest last
    const auto cut = [&] {
        if (s.size() <= headLength) return;
        far.push_back(s.substr(headLength));
        s.resize(headLength);
    };
    cut();
    size_t start = 0; // 0-based index where the search begins
    for (;;) {
        const size_t p = s.find(var, start);
        if (p == String::npos) {
            String tail;
            for (auto chunk = far.rbegin(); chunk != far.rend(); ++chunk)
                tail += *chunk;
            // Whatever lies past the cut (straddling occurrences included) is beyond the limit.
            if (!tail.empty() &&
                (s.substr(s.size() - (var.size() - 1)) + tail).find(var) != String::npos)
                RaiseRuntimeError(ErrOverflow);
            return s + tail;
        }
        if (p + 1 > MaxPosition) RaiseRuntimeError(ErrOverflow);
        // Within the limit the text after an occurrence is always in the head.
        if (s.size() == 1 && far.empty()) {
            s = value;
        } else {
            const bool letterBefore = p > 0 && IsLetterChar(s[p - 1]);
            const size_t after = p + var.size();
            const bool letterAfter = after < s.size() && IsLetterChar(s[after]);
            if (!letterBefore && !letterAfter) s.replace(p, var.size(), value);
        }
        cut();
        start = p + 1;
    }
}

std::u16string LowerUtf16(std::u16string s) {
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    for (char16_t& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char16_t>(c - 'A' + 'a');
        else if (c >= 0x80 && (c < 0xD800 || c > 0xDFFF) && utf8)
            c = static_cast<char16_t>(towlower_l(static_cast<wint_t>(c), utf8));
    }
    return s;
}

} // namespace

std::string SubstituteVariable(std::string_view expression, std::string_view varName,
                               std::string_view valueText) {
    if (IsAscii(expression) && IsAscii(varName) && IsAscii(valueText))
        return Substitute(AsciiLower(expression), std::string(varName), std::string(valueText));
    // Positions count characters as the window toolkit's text does (UTF-16 units).
    return Utf16ToUtf8(Substitute(LowerUtf16(Utf8ToUtf16(expression)), Utf8ToUtf16(varName),
                                  Utf8ToUtf16(valueText)));
}

} // namespace orbiplot

#include "base/TextEncoding.h"

#include <gtest/gtest.h>

using namespace orbiplot;

TEST(TextEncoding, Utf16RoundTripKeepsEveryPlane) {
    const std::string text = "x=中文 Ä \xF0\x9F\x98\x80 end";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide.size(), 13u); // the emoji takes two units
    EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(TextEncoding, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"), u"\uFFFD\uFFFD"); // cut sequence
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextEncoding, AsciiCaseLeavesOtherCharactersAlone) {
    EXPECT_EQ(AsciiUpper("sin(x)ä中"), "SIN(X)ä中");
    EXPECT_EQ(AsciiLower("SIN(X)Ä"), "sin(x)Ä");
    EXPECT_TRUE(IsAscii("abc ~"));
    EXPECT_FALSE(IsAscii("中"));
}

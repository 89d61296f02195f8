#include <gtest/gtest.h>

#include "platform/sys/CodePage437.h"

using platform::cp437FromUtf8;
using platform::cp437ToUtf8;

TEST(CodePage437Test, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = cp437ToUtf8(all);
    std::string back;
    ASSERT_TRUE(cp437FromUtf8(utf8, back));
    EXPECT_EQ(back, all);
}

TEST(CodePage437Test, KnownCharacters) {
    EXPECT_EQ(cp437ToUtf8("\x80\x81\x82\xE1\x9C\xFF"), "Çüéß£\u00A0");
    std::string out;
    ASSERT_TRUE(cp437FromUtf8("café ñ.txt", out));
    EXPECT_EQ(out, "caf\x82 \xA4.txt");
    ASSERT_TRUE(cp437FromUtf8("plain.txt", out));
    EXPECT_EQ(out, "plain.txt");
}

TEST(CodePage437Test, CharactersOutsideTheCodePageAreRefused) {
    std::string out = "unchanged";
    EXPECT_FALSE(cp437FromUtf8("日本.txt", out));
    EXPECT_FALSE(cp437FromUtf8("\xE2\x82\xAC", out)); // euro sign
    EXPECT_FALSE(cp437FromUtf8("ł", out));
    EXPECT_EQ(out, "unchanged");
}

TEST(CodePage437Test, MalformedUtf8IsRefused) {
    std::string out;
    EXPECT_FALSE(cp437FromUtf8("\xC3", out));         // cut sequence
    EXPECT_FALSE(cp437FromUtf8("\xC3(", out));        // bad continuation
    EXPECT_FALSE(cp437FromUtf8("\xC0\xAF", out));     // overlong "/"
    EXPECT_FALSE(cp437FromUtf8("\xED\xA0\x80", out)); // surrogate
    EXPECT_FALSE(cp437FromUtf8("\xFF", out));
    EXPECT_FALSE(cp437FromUtf8("\xE2\x82", out)); // cut at the end
}

TEST(CodePage437Test, Utf8CheckFollowsTheEncodingRules) {
    EXPECT_TRUE(platform::isValidUtf8(""));
    EXPECT_TRUE(platform::isValidUtf8("plain"));
    EXPECT_TRUE(platform::isValidUtf8("café 日本 \xF0\x9F\x93\xB7")); // up to four bytes
    EXPECT_TRUE(platform::isValidUtf8("\xF4\x8F\xBF\xBF"));           // U+10FFFF, the last
    EXPECT_TRUE(platform::isValidUtf8(std::string_view("a\0b", 3)));  // NUL is a character here
    EXPECT_FALSE(platform::isValidUtf8("\xF4\x90\x80\x80"));          // beyond U+10FFFF
    EXPECT_FALSE(platform::isValidUtf8("\xE0\x80\xAF"));              // overlong in three bytes
    EXPECT_FALSE(platform::isValidUtf8("\xF0\x8F\xBF\xBF"));          // overlong in four bytes
    EXPECT_FALSE(platform::isValidUtf8("\xED\xBF\xBF"));              // low surrogate
    EXPECT_FALSE(platform::isValidUtf8("\x80"));                      // stray continuation
    EXPECT_FALSE(platform::isValidUtf8("ok\xF0\x9F\x93"));            // cut at the end
    EXPECT_FALSE(platform::isValidUtf8("\xF8\x88\x80\x80\x80"));      // five-byte form
}

#include <gtest/gtest.h>

#include <string_view>

#include "text/ascii.h"

using namespace std::string_view_literals;

TEST(Ascii, OnlyTheTwentySixLettersFold) {
    for (int c = 0; c < 256; ++c) {
        const auto byte = static_cast<unsigned char>(c);
        const bool upper = c >= 'A' && c <= 'Z';
        EXPECT_EQ(upper ? c + 32 : c, FoldAscii(byte)) << c;
        EXPECT_EQ(static_cast<char>(FoldAscii(byte)), FoldAscii(static_cast<char>(byte))) << c;
    }
}

TEST(Ascii, EqualNoCaseComparesWholeTextsByteForByte) {
    EXPECT_TRUE(EqualNoCase("Hello", "hELLO"));
    EXPECT_TRUE(EqualNoCase("", ""));
    EXPECT_FALSE(EqualNoCase("Hello", "Hello!"));
    EXPECT_FALSE(EqualNoCase("Hello!", "Hello"));
    // Neighbours of the letters differ from their case partners by the same bit.
    EXPECT_FALSE(EqualNoCase("@", "`"));
    EXPECT_FALSE(EqualNoCase("[", "{"));
    // Windows-1252 and UTF-8 letters keep their case.
    EXPECT_FALSE(EqualNoCase("\xC9", "\xE9"));
    EXPECT_FALSE(EqualNoCase("\xC3\x89", "\xC3\xA9"));
    // A NUL is part of the text, not its end.
    EXPECT_FALSE(EqualNoCase("the\0x"sv, "the"sv));
    EXPECT_TRUE(EqualNoCase("A\0b"sv, "a\0B"sv));
}

TEST(Ascii, StartsWithNoCaseNeedsTheWholePrefix) {
    EXPECT_TRUE(StartsWithNoCase("OPTION:PercentForCorrect:0.8", "option:"));
    EXPECT_TRUE(StartsWithNoCase("anything", ""));
    EXPECT_TRUE(StartsWithNoCase("<HTML>", "<html>"));
    EXPECT_FALSE(StartsWithNoCase("option", "option:"));
    EXPECT_FALSE(StartsWithNoCase("", "<html"));
    EXPECT_FALSE(StartsWithNoCase(" option:", "option:"));
    EXPECT_FALSE(StartsWithNoCase("opt\0on:"sv, "option:"));
    static_assert(StartsWithNoCase("DontIgnore:the", "dontignore:"));
}

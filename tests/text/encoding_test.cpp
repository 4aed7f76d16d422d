#include <gtest/gtest.h>

#include "text/encoding.h"

TEST(Encoding, ValidUtf8IsRecognisedAndMalformedFormsAreNot) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));          // a Windows-1252 é
    EXPECT_FALSE(IsValidUtf8("\xC3"));             // cut after the lead byte
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));         // cut inside a character
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong slash
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // UTF-16 surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\x80"));             // lone continuation byte
}

TEST(Encoding, ToUtf8PassesUtf8ThroughAndReadsOtherTextAsWindows1252) {
    EXPECT_EQ(ToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(ToUtf8("\x80 \x93q\x94 \xF1"), "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC3\xB1");
    // Bytes Windows-1252 leaves undefined keep their C1 code points.
    EXPECT_EQ(ToUtf8("\x81\xE9"), "\xC2\x81\xC3\xA9");
}

TEST(Encoding, Cp1252ReadingTakesEveryByteAsOneCharacterEvenWhenItLooksLikeUtf8) {
    EXPECT_EQ(Cp1252ToUtf8("\xC3\xA9"), "\xC3\x83\xC2\xA9");
    EXPECT_EQ(Cp1252ToUtf8("abc"), "abc");
}

TEST(Encoding, DecodeAndEncodeRoundTripEveryPlane) {
    const std::string text = "a\xC3\xA1\xE2\x82\xAC\xF0\x9F\x98\x80z";
    const std::u32string points = DecodeUtf8(text);
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[1], U'\u00E1');
    EXPECT_EQ(points[2], U'\u20AC');
    EXPECT_EQ(points[3], U'\U0001F600');
    EXPECT_EQ(EncodeUtf8(points), text);
}

TEST(Encoding, CutUtf8KeepsWholeCharactersOnly) {
    auto cut = [](std::string text, size_t maxBytes) {
        CutUtf8(text, maxBytes);
        return text;
    };
    // "a", "é" (2 bytes), "€" (3 bytes), "😀" (4 bytes).
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(text, cut(text, 100));
    EXPECT_EQ(text, cut(text, text.size()));
    EXPECT_EQ("a\xC3\xA9\xE2\x82\xAC", cut(text, text.size() - 1));
    EXPECT_EQ("a\xC3\xA9\xE2\x82\xAC", cut(text, 7));
    EXPECT_EQ("a\xC3\xA9\xE2\x82\xAC", cut(text, 6));
    EXPECT_EQ("a\xC3\xA9", cut(text, 5));
    EXPECT_EQ("a\xC3\xA9", cut(text, 3));
    EXPECT_EQ("a", cut(text, 2));
    EXPECT_EQ("", cut(text, 0));
    EXPECT_EQ("", cut("\xC3\xA9", 1));
    // Continuation bytes with no lead byte at all: nothing whole is left.
    EXPECT_EQ("", cut("\x80\x80\x80", 2));
}

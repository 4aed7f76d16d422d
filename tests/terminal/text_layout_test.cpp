// Text wrapped to a terminal's width.
#include <gtest/gtest.h>

#include <string>

#include "terminal/text_layout.h"

namespace {

const char* const kRiver =
    "The Seine flows through Paris and reaches the English Channel at Le Havre, after 777 km.";

TEST(WrapText, BreaksAtBlanksSoNoLineIsWiderThanTheWidth) {
    // The second line fills the 40 columns exactly.
    EXPECT_EQ(WrapText(kRiver, 40), "The Seine flows through Paris and\n"
                                    "reaches the English Channel at Le Havre,\n"
                                    "after 777 km.");
    EXPECT_EQ(WrapText(kRiver, 100), kRiver);
    EXPECT_EQ(WrapText(kRiver, 88), kRiver);
    EXPECT_EQ(WrapText(kRiver, 87), "The Seine flows through Paris and reaches the English Channel "
                                    "at Le Havre, after 777\nkm.");
}

TEST(WrapText, KeepsLineEndsBlankLinesAndIndentation) {
    const std::string text = "Rivers:\n\n\n    - the Seine and the Loire\n  two  blanks";
    EXPECT_EQ(WrapText(text, 100), text);
    // The rows after a list item's first one start under its text.
    EXPECT_EQ(WrapText(text, 16),
              "Rivers:\n\n\n    - the Seine\n      and the\n      Loire\n  two  blanks");
}

TEST(WrapText, FollowingRowsHangUnderTheTextOfAnItem) {
    EXPECT_EQ(WrapText("- Name the primary colours of light,", 30),
              "- Name the primary colours of\n  light,");
    EXPECT_EQ(WrapText("12. ab cd ef", 8), "12. ab\n    cd\n    ef");
    EXPECT_EQ(WrapText("\xE2\x80\xA2 ab cd", 5), "\xE2\x80\xA2 ab\n  cd");
    // An indentation past half the width would leave too little room: the
    // rows start at the left edge.
    EXPECT_EQ(WrapText("      - ab cd", 12), "      - ab\ncd");
    // A hyphen that starts a word is no list mark.
    EXPECT_EQ(WrapText("-ab cd", 4), "-ab\ncd");
}

TEST(WrapText, CutsAWordLongerThanALine) {
    EXPECT_EQ(WrapText("see https://example.org/a/very/long/path now", 10),
              "see\nhttps://ex\nample.org/\na/very/lon\ng/path now");
    EXPECT_EQ(WrapText("abcdef", 1), "a\nb\nc\nd\ne\nf");
    // A word too long for what the indentation leaves fills the line first;
    // its following rows keep the indentation.
    EXPECT_EQ(WrapText("  abcdef", 4), "  ab\n  cd\n  ef");
}

TEST(WrapText, WideCharactersTakeTwoColumnsAndMarksNone) {
    EXPECT_EQ(WrapText("\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8", 5),
              "\u65E5\u672C\n\u8A9E\u306E\n\u30C6\u30AD\n\u30B9\u30C8");
    EXPECT_EQ(WrapText("a\u65E5\u672C", 4), "a\u65E5\n\u672C");
    // "e" and a combining acute accent are one column; the word is never cut
    // before its accent.
    EXPECT_EQ(WrapText("cafe\u0301 cafe\u0301", 4), "cafe\u0301\ncafe\u0301");
    EXPECT_EQ(WrapText("cafe\u0301 cafe\u0301", 9), "cafe\u0301 cafe\u0301");
    EXPECT_EQ(WrapText("\u00E9t\u00E9 \u00E0 l'\u00EEle", 11), "\u00E9t\u00E9 \u00E0 l'\u00EEle");
    EXPECT_EQ(WrapText("\u00E9t\u00E9 \u00E0 l'\u00EEle", 10), "\u00E9t\u00E9 \u00E0\nl'\u00EEle");
}

TEST(WrapText, EscapeSequencesTakeNoRoomAndStayWhole) {
    const std::string bold = "\x1B[1mbold\x1B[0m \x1B[1mword\x1B[0m";
    EXPECT_EQ(WrapText(bold, 9), bold);
    EXPECT_EQ(WrapText(bold, 8), "\x1B[1mbold\x1B[0m\n\x1B[1mword\x1B[0m");
    EXPECT_EQ(WrapText("\x1B[1mabcdefgh\x1B[0m", 4), "\x1B[1mabcd\nefgh\x1B[0m");
    EXPECT_EQ(WrapText("ab\x1B[38;5;196mcd", 3), "ab\x1B[38;5;196mc\nd");
}

TEST(WrapText, TabsReachTheNextStopOfEight) {
    EXPECT_EQ(WrapText("abcdefg\tx", 9), "abcdefg\tx");
    EXPECT_EQ(WrapText("abcdefghi\tx", 10), "abcdefghi\nx");
}

TEST(WrapText, NoWidthLeavesTheTextAsItIs) {
    EXPECT_EQ(WrapText(kRiver, 0), kRiver);
    EXPECT_EQ(WrapText("a  b\n", -3), "a  b\n");
    EXPECT_EQ(WrapText("", 10), "");
    EXPECT_EQ(WrapText("one\n", 10), "one\n");
}

} // namespace

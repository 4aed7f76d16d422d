// What the web window does with texts between the DOM and the window logic:
// positions counted in UTF-16 against characters, line ends, and the document
// a quiz page is framed in.
#include <gtest/gtest.h>

#include <string>

#include "web/page_frame.h"
#include "web/text_offsets.h"

TEST(WebTextOffsets, CountCharactersAgainstUtf16Units) {
    // "é" is one unit, the musical symbol two (a surrogate pair).
    const std::string text = "a\xc3\xa9\xf0\x9d\x84\x9e"
                             "b";
    EXPECT_EQ(Utf16OffsetToCharacters(text, 0), 0);
    EXPECT_EQ(Utf16OffsetToCharacters(text, 2), 2);
    EXPECT_EQ(Utf16OffsetToCharacters(text, 4), 3);
    EXPECT_EQ(Utf16OffsetToCharacters(text, 5), 4);
    EXPECT_EQ(Utf16OffsetToCharacters(text, 99), 4);
    EXPECT_EQ(CharactersToUtf16Offset(text, 3), 4);
    EXPECT_EQ(CharactersToUtf16Offset(text, 4), 5);
    EXPECT_EQ(CharactersToUtf16Offset(text, 99), 5);
    for (int characters = 0; characters <= 4; ++characters)
        EXPECT_EQ(Utf16OffsetToCharacters(text, CharactersToUtf16Offset(text, characters)),
                  characters);
}

TEST(WebTextOffsets, PlainLinesEndInLineFeeds) {
    EXPECT_EQ(PlainLines("You are Correct!!!\r\n\r\nParis\r\n"), "You are Correct!!!\n\nParis\n");
    EXPECT_EQ(PlainLines("a\rb\n\rc"), "a\nb\n\nc");
}

TEST(WebPageFrame, PolicyAndLinkTargetGoAfterTheDoctype) {
    const std::string head =
        std::string("<meta http-equiv=\"Content-Security-Policy\" content=\"") + kFramePolicy +
        "\"><base target=\"_blank\">";
    EXPECT_EQ(FramePage("<html><body>Q</body></html>"), head + "<html><body>Q</body></html>");
    EXPECT_EQ(FramePage("\xEF\xBB\xBF\n<!DOCTYPE html>\n<html>"),
              "\xEF\xBB\xBF\n<!DOCTYPE html>" + head + "\n<html>");
    EXPECT_EQ(FramePage("<!doctype html"), "<!doctype html" + head);
    EXPECT_EQ(FramePage(""), head);
}

// Window texts made printable, typed lines cleaned and read with a bound.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "terminal/line_input.h"
#include "terminal/printable_text.h"

namespace {

TEST(PrintableText, TurnsCrLfIntoLineEndsAndDropsControls) {
    EXPECT_EQ(PrintableText("You are Correct!!!\r\n\r\nParis\rx"),
              "You are Correct!!!\n\nParis\nx");
    EXPECT_EQ(PrintableText("a\tb\x1B]0;title\x07"
                            "c"),
              "a\tb]0;titlec");
}

TEST(CleanTypedLine, KeepsUtf8) {
    EXPECT_EQ(CleanTypedLine("caf\xC3\xA9  ni\xC3\xB1o"), "caf\xC3\xA9  ni\xC3\xB1o");
}

TEST(CleanTypedLine, ReadsInvalidUtf8AsWindows1252) {
    EXPECT_EQ(CleanTypedLine("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(CleanTypedLine("\xFF\xFE"), "\xC3\xBF\xC3\xBE");
}

TEST(CleanTypedLine, DropsEscapeSequencesAndControls) {
    EXPECT_EQ(CleanTypedLine("Pa\x1B[Dris\x1BOA"), "Paris");
    EXPECT_EQ(CleanTypedLine("a\x1B]0;x\x07"
                             "b\x1B]2;y\x1B\\c"),
              "abc");
    EXPECT_EQ(CleanTypedLine(std::string("a\0b\x08\x7F"
                                         "c\r",
                                         7)),
              "abc");
    EXPECT_EQ(CleanTypedLine("a\tb"), "a b");
    EXPECT_EQ(CleanTypedLine("end\x1B"), "end");
}

TEST(ReadBoundedLine, ReadsLinesAndReportsTheEnd) {
    std::istringstream in("one\r\ntwo\n\nlast");
    std::string line;
    ASSERT_TRUE(ReadBoundedLine(in, line, 100));
    EXPECT_EQ(line, "one");
    ASSERT_TRUE(ReadBoundedLine(in, line, 100));
    EXPECT_EQ(line, "two");
    ASSERT_TRUE(ReadBoundedLine(in, line, 100));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(ReadBoundedLine(in, line, 100));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(ReadBoundedLine(in, line, 100));
    EXPECT_FALSE(ReadBoundedLine(in, line, 100));
}

TEST(ReadBoundedLine, CutsLongLinesAndDropsTheirRest) {
    std::istringstream in(std::string(1000000, 'x') + "\nnext\n");
    std::string line;
    ASSERT_TRUE(ReadBoundedLine(in, line, 10));
    EXPECT_EQ(line, std::string(10, 'x'));
    ASSERT_TRUE(ReadBoundedLine(in, line, 10));
    EXPECT_EQ(line, "next");
}

TEST(ReadBoundedLine, CutNeverSplitsACharacter) {
    std::istringstream in("ab\xE2\x82\xAC\xE2\x82\xAC\n");
    std::string line;
    ASSERT_TRUE(ReadBoundedLine(in, line, 6));
    EXPECT_EQ(line, "ab\xE2\x82\xAC");
}

} // namespace

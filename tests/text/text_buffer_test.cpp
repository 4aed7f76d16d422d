// The text buffer: exact-fit storage and the parsing operations built on it.
#include "text/text_buffer.h"

#include <cmath>

#include <gtest/gtest.h>

#include <string>

#include "quiz/quiz_files.h"

namespace {

std::string TextOf(const CTextBuffer& buffer) {
    return Bytes(buffer);
}

} // namespace

// ---- Storage ----------------------------------------------------------------

TEST(TextBufferStorage, NewBufferHasNoStorage) {
    CTextBuffer buffer;
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetLength(), 0);
    EXPECT_EQ(buffer.GetCapacity(), 0);
    EXPECT_STREQ(buffer.GetText(), "");

    CTextBuffer fromNothing(nullptr);
    EXPECT_EQ(fromNothing.GetData(), nullptr);
}

TEST(TextBufferStorage, BufferMadeFromATextFitsItExactly) {
    CTextBuffer buffer("hello");
    EXPECT_EQ(buffer.GetLength(), 5);
    EXPECT_EQ(buffer.GetCapacity(), 6);
    EXPECT_STREQ(buffer.GetData(), "hello");

    CTextBuffer copy(buffer);
    EXPECT_EQ(copy.GetCapacity(), 6);
    EXPECT_NE(copy.GetData(), buffer.GetData());
}

TEST(TextBufferStorage, AssignWithNoTextFreesTheStorage) {
    CTextBuffer buffer("something");
    buffer.Assign(nullptr);
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetLength(), 0);
    EXPECT_EQ(buffer.GetCapacity(), 0);
}

TEST(TextBufferStorage, AssignWithAnEmptyTextKeepsOneByteForTheNul) {
    CTextBuffer buffer;
    buffer.Assign("");
    ASSERT_NE(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetCapacity(), 1);
    EXPECT_EQ(buffer.GetLength(), 0);
    EXPECT_EQ(buffer.GetData()[0], '\0');
}

TEST(TextBufferStorage, StorageGrowsExactlyAndNeverShrinks) {
    CTextBuffer buffer("abc");
    buffer.Assign("abcdefgh");
    EXPECT_EQ(buffer.GetCapacity(), 9);
    buffer.Assign("x");
    EXPECT_EQ(buffer.GetCapacity(), 9);
    EXPECT_EQ(buffer.GetLength(), 1);
    EXPECT_STREQ(buffer.GetText(), "x");
}

TEST(TextBufferStorage, AppendGrowsToTheNewLengthPlusOne) {
    CTextBuffer buffer("ab");
    buffer.Append("cde");
    EXPECT_EQ(TextOf(buffer), "abcde");
    EXPECT_EQ(buffer.GetCapacity(), 6);
    buffer.Append(nullptr);
    EXPECT_EQ(TextOf(buffer), "abcde");
    EXPECT_EQ(buffer.GetCapacity(), 6);

    CTextBuffer empty;
    empty.Append("");
    ASSERT_NE(empty.GetData(), nullptr);
    EXPECT_EQ(empty.GetCapacity(), 1);
}

TEST(TextBufferStorage, AppendingPartOfItselfCopiesBeforeGrowing) {
    CTextBuffer buffer("abc");
    buffer.Append(buffer.GetText());
    EXPECT_EQ(TextOf(buffer), "abcabc");
    buffer.AssignRange(buffer.GetText() + 2, 3);
    EXPECT_EQ(TextOf(buffer), "cab");
}

TEST(TextBufferStorage, ReserveKeepsTextAndLength) {
    CTextBuffer buffer("abc");
    buffer.Reserve(100);
    EXPECT_EQ(buffer.GetCapacity(), 100);
    EXPECT_EQ(TextOf(buffer), "abc");
    buffer.Reserve(10);
    EXPECT_EQ(buffer.GetCapacity(), 100);

    CTextBuffer fresh;
    fresh.Reserve(7);
    EXPECT_EQ(fresh.GetCapacity(), 7);
    EXPECT_EQ(fresh.GetLength(), 0);
}

TEST(TextBufferStorage, MoveLeavesTheSourceEmpty) {
    CTextBuffer source("moved");
    const char* storage = source.GetData();
    CTextBuffer target(std::move(source));
    EXPECT_EQ(target.GetData(), storage);
    EXPECT_EQ(source.GetData(), nullptr); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(source.GetLength(), 0);
}

TEST(TextBufferStorage, CopyAssignmentDuplicatesTheCharacters) {
    CTextBuffer a("first");
    CTextBuffer b("second one");
    a = b;
    EXPECT_EQ(TextOf(a), "second one");
    EXPECT_NE(a.GetData(), b.GetData());
    CTextBuffer none;
    a = none;
    EXPECT_EQ(a.GetData(), nullptr);
}

// ---- Format ------------------------------------------------------------------

TEST(TextBufferFormat, ComposesWithPrintfRules) {
    CTextBuffer buffer;
    buffer.Format("You got %d/%d right.", 7, 9);
    EXPECT_EQ(TextOf(buffer), "You got 7/9 right.");
    EXPECT_EQ(buffer.GetCapacity(), buffer.GetLength() + 1);
}

TEST(TextBufferFormat, KeepsResultsLongerThanTheWorkingAreaWhole) {
    const std::string longText(5000, 'x');
    CTextBuffer buffer;
    buffer.Format("<%s|%d>", longText.c_str(), 42);
    EXPECT_EQ(buffer.GetLength(), 5005);
    EXPECT_EQ(TextOf(buffer), "<" + longText + "|42>");
}

TEST(TextBufferFormat, ResultsAtTheWorkingAreaBoundaryAreWhole) {
    for (const size_t length : {2046u, 2047u, 2048u, 2049u}) {
        const std::string text(length, 'q');
        CTextBuffer buffer;
        buffer.Format("%s", text.c_str());
        EXPECT_EQ(TextOf(buffer), text) << length;
    }
}

TEST(TextBufferFormat, MayUseItsOwnTextAsAnArgument) {
    CTextBuffer buffer("abc");
    buffer.Format("%s-%s", buffer.GetText(), buffer.GetText());
    EXPECT_EQ(TextOf(buffer), "abc-abc");
}

// ---- LoadFile ------------------------------------------------------------------

TEST(TextBufferLoadFile, ReadsTheWholeFile) {
    CQuizFolder folder;
    const std::string path = folder.Write("a.txt", std::string("line 1\nline\xe9 2\n", 15));
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(path.c_str()));
    EXPECT_EQ(TextOf(buffer), "line 1\nline\xe9 2\n");
    EXPECT_EQ(buffer.GetCapacity(), 16);
}

TEST(TextBufferLoadFile, EmptyFileGivesAnEmptyTextWithStorage) {
    CQuizFolder folder;
    const std::string path = folder.Write("empty.txt", "");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(path.c_str()));
    ASSERT_NE(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetLength(), 0);
}

TEST(TextBufferLoadFile, MissingFileFailsAndLeavesTheBufferAlone) {
    CQuizFolder folder;
    CTextBuffer buffer("keep me");
    EXPECT_FALSE(buffer.LoadFile(folder.PathOf("absent.txt").c_str()));
    EXPECT_FALSE(buffer.LoadFile(folder.PathOf("").c_str())); // a folder is not a file
    EXPECT_FALSE(buffer.LoadFile("/dev/null"));               // nor is a device
    EXPECT_FALSE(buffer.LoadFile(nullptr));
    EXPECT_EQ(TextOf(buffer), "keep me");
}

// ---- FindNoCase ----------------------------------------------------------------

TEST(TextBufferFindNoCase, FindsAsciiTextWhateverItsCase) {
    EXPECT_EQ(CTextBuffer("<p>x</HTML>").FindNoCase("</html>", 0), 4);
    EXPECT_EQ(CTextBuffer("</Html>").FindNoCase("</html>", 0), 0);
    EXPECT_EQ(CTextBuffer("aXbxc").FindNoCase("x", 2), 3);
}

TEST(TextBufferFindNoCase, TextLongerThanWhatRemainsIsNotFound) {
    EXPECT_EQ(CTextBuffer("xxab").FindNoCase("abc", 2), -1);
    EXPECT_EQ(CTextBuffer("abc").FindNoCase("abc", 1), -1);
}

TEST(TextBufferFindNoCase, EmptyTextIsFoundAtTheStartUpToTheEnd) {
    CTextBuffer buffer("abc");
    EXPECT_EQ(buffer.FindNoCase("", 0), 0);
    EXPECT_EQ(buffer.FindNoCase("", 3), 3);
    EXPECT_EQ(buffer.FindNoCase("", 4), -1);
    EXPECT_EQ(CTextBuffer().FindNoCase("", 0), 0);
}

TEST(TextBufferFindNoCase, StartOutsideTheTextGivesNoPosition) {
    CTextBuffer buffer("abc");
    EXPECT_EQ(buffer.FindNoCase("a", 4), -1);
    EXPECT_EQ(buffer.FindNoCase("a", -1), -1);
}

TEST(TextBufferFindNoCase, UpperHalfBytesAreNotFolded) {
    CTextBuffer buffer("caf\xc9");
    EXPECT_EQ(buffer.FindNoCase("CAF\xc9", 0), 0);
    EXPECT_EQ(buffer.FindNoCase("caf\xe9", 0), -1);
}

// ---- TrimRight -------------------------------------------------------------------

TEST(TextBufferTrimRight, RemovesTrailingMembersOfTheSet) {
    CTextBuffer buffer("abc \t ");
    buffer.TrimRight("\t ");
    EXPECT_EQ(TextOf(buffer), "abc");
    EXPECT_EQ(buffer.GetData()[3], '\0');

    CTextBuffer path("red//\\");
    path.TrimRight("\\/");
    EXPECT_EQ(TextOf(path), "red");
}

TEST(TextBufferTrimRight, TextMadeOnlyOfMembersBecomesEmpty) {
    CTextBuffer buffer("   ");
    buffer.TrimRight("\t ");
    EXPECT_EQ(buffer.GetLength(), 0);
    EXPECT_STREQ(buffer.GetText(), "");
    EXPECT_EQ(buffer.GetCapacity(), 4);
}

TEST(TextBufferTrimRight, StopsAtTheFirstNonMember) {
    CTextBuffer buffer(" a b ");
    buffer.TrimRight(" ");
    EXPECT_EQ(TextOf(buffer), " a b");

    CTextBuffer empty;
    empty.TrimRight(" ");
    EXPECT_EQ(empty.GetData(), nullptr);
}

// ---- FindPattern and ExtractUntil -----------------------------------------------

TEST(TextBufferFindPattern, MovesThePositionToTheMatchStart) {
    CTextBuffer buffer("one two three");
    int32_t position = 4;
    EXPECT_TRUE(buffer.FindPattern(position, " "));
    EXPECT_EQ(position, 7);
}

TEST(TextBufferFindPattern, StartAnchorMeansTheSearchPosition) {
    CTextBuffer buffer("ab");
    int32_t position = 1;
    EXPECT_TRUE(buffer.FindPattern(position, "^b"));
    EXPECT_EQ(position, 1);
}

TEST(TextBufferFindPattern, NoMatchOrBadPatternLeavesMinusOne) {
    CTextBuffer buffer("abc");
    int32_t position = 0;
    EXPECT_FALSE(buffer.FindPattern(position, "x"));
    EXPECT_EQ(position, -1);
    position = 0;
    EXPECT_FALSE(buffer.FindPattern(position, "a**"));
    EXPECT_EQ(position, -1);
    position = 3; // the empty rest of the text never matches
    EXPECT_FALSE(buffer.FindPattern(position, "$"));
    EXPECT_EQ(position, -1);
}

TEST(TextBufferExtractUntil, CopiesUpToTheMatchAndStopsThere) {
    CTextBuffer buffer("red, green");
    CTextBuffer out;
    int32_t position = 0;
    EXPECT_TRUE(buffer.ExtractUntil(position, ",", out));
    EXPECT_EQ(TextOf(out), "red");
    EXPECT_EQ(position, 3);
}

TEST(TextBufferExtractUntil, MissingSeparatorCopiesTheWholeRest) {
    CTextBuffer buffer("red green");
    CTextBuffer out;
    int32_t position = 4;
    EXPECT_FALSE(buffer.ExtractUntil(position, ",", out));
    EXPECT_EQ(TextOf(out), "green");
    EXPECT_EQ(position, -1);
}

TEST(TextBufferExtractUntil, EmptyResultStillHasStorage) {
    CTextBuffer buffer(",x");
    CTextBuffer out;
    int32_t position = 0;
    EXPECT_TRUE(buffer.ExtractUntil(position, ",", out));
    ASSERT_NE(out.GetData(), nullptr);
    EXPECT_EQ(out.GetLength(), 0);
    EXPECT_EQ(out.GetCapacity(), 1);
}

TEST(TextBufferExtractUntil, PositionAfterAFailedSearchGivesAnEmptyResult) {
    CTextBuffer buffer("abc");
    CTextBuffer out("old");
    int32_t position = -1;
    EXPECT_FALSE(buffer.ExtractUntil(position, ",", out));
    EXPECT_EQ(out.GetLength(), 0);
    EXPECT_EQ(position, -1);
}

// ---- NextLine ---------------------------------------------------------------------

TEST(TextBufferNextLine, SkipsBlankLinesBetweenLines) {
    CTextBuffer buffer("a\r\n\r\nb");
    CTextBuffer line;
    int32_t position = 0;
    ASSERT_TRUE(buffer.NextLine(position, line));
    EXPECT_EQ(TextOf(line), "a");
    EXPECT_EQ(position, 5);
    ASSERT_TRUE(buffer.NextLine(position, line));
    EXPECT_EQ(TextOf(line), "b");
    EXPECT_EQ(position, 6);
    EXPECT_FALSE(buffer.NextLine(position, line));
}

TEST(TextBufferNextLine, LineStartingAtALineEndIsEmptyOnce) {
    CTextBuffer buffer("\nabc");
    CTextBuffer line;
    int32_t position = 0;
    ASSERT_TRUE(buffer.NextLine(position, line));
    EXPECT_EQ(TextOf(line), "");
    EXPECT_EQ(position, 1);
    ASSERT_TRUE(buffer.NextLine(position, line));
    EXPECT_EQ(TextOf(line), "abc");
}

TEST(TextBufferNextLine, LastLineWithoutLineEndEndsTheText) {
    CTextBuffer buffer("abc");
    CTextBuffer line;
    int32_t position = 0;
    ASSERT_TRUE(buffer.NextLine(position, line));
    EXPECT_EQ(TextOf(line), "abc");
    EXPECT_EQ(position, 3);
    EXPECT_FALSE(buffer.NextLine(position, line));
}

TEST(TextBufferNextLine, AnyMixOfLineEndsSeparatesLines) {
    CTextBuffer buffer("one\rtwo\nthree\r\nfour\n\r\n");
    CTextBuffer line;
    int32_t position = 0;
    std::string lines;
    while (buffer.NextLine(position, line))
        lines += TextOf(line) + "|";
    EXPECT_EQ(lines, "one|two|three|four|");
    EXPECT_EQ(position, buffer.GetLength());
}

TEST(TextBufferNextLine, AtTheEndLeavesTheOldLineUntouched) {
    CTextBuffer buffer("abc");
    CTextBuffer line("previous");
    int32_t position = 3;
    EXPECT_FALSE(buffer.NextLine(position, line));
    EXPECT_EQ(TextOf(line), "previous");
    position = 0;
    EXPECT_FALSE(CTextBuffer().NextLine(position, line));
    EXPECT_EQ(TextOf(line), "previous");
}

// ---- ParseNumber ------------------------------------------------------------------

TEST(TextBufferParseNumber, ReadsTheTokenBeforeTheSeparator) {
    double value = -1;
    int32_t position = 0;
    EXPECT_TRUE(CTextBuffer("0.8 rest").ParseNumber(position, " ", value, 0.65));
    EXPECT_DOUBLE_EQ(value, 0.8);
    EXPECT_EQ(position, 3);
}

TEST(TextBufferParseNumber, SkipsLeadingTabs) {
    double value = -1;
    int32_t position = 0;
    EXPECT_TRUE(CTextBuffer("\t0.75").ParseNumber(position, " ", value, 0.65));
    EXPECT_DOUBLE_EQ(value, 0.75);
}

TEST(TextBufferParseNumber, EmptyTokenGivesTheDefault) {
    double value = -1;
    int32_t position = 0;
    EXPECT_FALSE(CTextBuffer(" 0.8").ParseNumber(position, " ", value, 0.65));
    EXPECT_DOUBLE_EQ(value, 0.65);
    value = -1;
    position = 0;
    EXPECT_FALSE(CTextBuffer("").ParseNumber(position, " ", value, 0.5));
    EXPECT_DOUBLE_EQ(value, 0.5);
}

TEST(TextBufferParseNumber, TextThatIsNotANumberGivesZero) {
    double value = -1;
    int32_t position = 0;
    EXPECT_TRUE(CTextBuffer("abc").ParseNumber(position, " ", value, 0.65));
    EXPECT_DOUBLE_EQ(value, 0.0);
    position = 0;
    EXPECT_TRUE(CTextBuffer("0.9xyz").ParseNumber(position, " ", value, 0.65));
    EXPECT_DOUBLE_EQ(value, 0.9);
}

TEST(TextBufferParseNumber, ReadsOnlyTheDecimalForm) {
    double value = -1;
    int32_t position = 0;
    EXPECT_TRUE(CTextBuffer("0x0.8").ParseNumber(position, " ", value, 0.65));
    EXPECT_DOUBLE_EQ(value, 0.0);
    for (const char* text : {"inf", "infinity", "nan", "INF"}) {
        value = -1;
        position = 0;
        EXPECT_TRUE(CTextBuffer(text).ParseNumber(position, " ", value, 0.65));
        EXPECT_EQ(value, 0.0) << text;
    }
}

TEST(ReadDecimalNumber, TakesSignDigitsFractionAndExponent) {
    const struct {
        const char* text;
        size_t used;
        double value;
    } cases[] = {
        {"0.5", 3, 0.5}, {"+0.5x", 4, 0.5},  {"-2", 2, -2.0},    {".25", 3, 0.25},
        {"5.", 2, 5.0},  {"5e-1", 4, 0.5},   {"5E+1z", 4, 50.0}, {"5e", 1, 5.0},
        {"5e+", 1, 5.0}, {"0x0.8", 1, 0.0},  {"12 3", 2, 12.0},  {"1.5.5", 3, 1.5},
        {"007", 3, 7.0}, {"1e-400", 6, 0.0},
    };
    for (const auto& c : cases) {
        double value = -1;
        EXPECT_EQ(c.used, ReadDecimalNumber(c.text, value)) << c.text;
        EXPECT_DOUBLE_EQ(c.value, value) << c.text;
    }
}

TEST(ReadDecimalNumber, AnythingElseIsNoNumberAndGivesZero) {
    for (const char* text :
         {"", "inf", "infinity", "nan", "+", "-", ".", "-.e1", "e5", " 1", "x1", "\t1"}) {
        double value = -1;
        EXPECT_EQ(0u, ReadDecimalNumber(text, value)) << text;
        EXPECT_EQ(0.0, value) << text;
    }
    double value = -1;
    EXPECT_EQ(0u, ReadDecimalNumber(nullptr, value));
    EXPECT_EQ(0.0, value);
}

TEST(ReadDecimalNumber, TooLargeANumberIsInfinite) {
    double value = 0;
    EXPECT_EQ(5u, ReadDecimalNumber("1e999", value));
    EXPECT_TRUE(std::isinf(value));
}

TEST(TextBufferParseNumber, DecimalPointIsAPointWhateverTheLocale) {
    double value = -1;
    int32_t position = 0;
    EXPECT_TRUE(CTextBuffer("1.5,2").ParseNumber(position, ",", value, 0));
    EXPECT_DOUBLE_EQ(value, 1.5);
}

// ---- ReplaceRange and ReplaceAll ------------------------------------------------

TEST(TextBufferReplace, ReplaceRangeGrowsAndShrinksTheText) {
    CTextBuffer buffer("hello world");
    buffer.ReplaceRange(6, 5, "there, friend");
    EXPECT_EQ(TextOf(buffer), "hello there, friend");
    EXPECT_EQ(buffer.GetCapacity(), 20);
    buffer.ReplaceRange(0, 6, "");
    EXPECT_EQ(TextOf(buffer), "there, friend");
    EXPECT_EQ(buffer.GetCapacity(), 20);
    buffer.ReplaceRange(13, 0, "!");
    EXPECT_EQ(TextOf(buffer), "there, friend!");
}

TEST(TextBufferReplace, ReplaceAllDoesNotRescanTheReplacement) {
    CTextBuffer buffer("a\nb\n");
    buffer.ReplaceAll("\n", "<br>\n");
    EXPECT_EQ(TextOf(buffer), "a<br>\nb<br>\n");

    CTextBuffer feedback("x\ny");
    feedback.ReplaceAll("\n", "\r\n");
    EXPECT_EQ(TextOf(feedback), "x\r\ny");
}

TEST(TextBufferReplace, ReplaceAllScansLeftToRightWithoutOverlaps) {
    CTextBuffer buffer("aaaa");
    buffer.ReplaceAll("aa", "b");
    EXPECT_EQ(TextOf(buffer), "bb");
    CTextBuffer other("aaa");
    other.ReplaceAll("aa", "aab");
    EXPECT_EQ(TextOf(other), "aaba");
}

TEST(TextBufferReplace, ReplaceAllIsCaseSensitiveAndToleratesOddArguments) {
    CTextBuffer buffer("aAa");
    buffer.ReplaceAll("A", "");
    EXPECT_EQ(TextOf(buffer), "aa");
    buffer.ReplaceAll("", "x"); // nothing to look for: no change, and no endless loop
    EXPECT_EQ(TextOf(buffer), "aa");
    buffer.ReplaceAll("a", nullptr);
    EXPECT_EQ(TextOf(buffer), "");
    CTextBuffer empty;
    empty.ReplaceAll("a", "b");
    EXPECT_EQ(empty.GetData(), nullptr);
}

TEST(TextBufferReplace, ReplaceAllTakesItsOwnTextAsArguments) {
    CTextBuffer buffer("ab");
    buffer.ReplaceAll(buffer.GetText(), buffer.GetText());
    EXPECT_EQ(TextOf(buffer), "ab");
}

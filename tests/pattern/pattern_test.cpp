// The regular-expression engine: compiled programs, compile errors, searching,
// search hints, group positions and hostile input.
#include "pattern/pattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> ProgramOf(const char* pattern) {
    CPattern p;
    if (!p.Compile(pattern))
        return {};
    return {p.GetProgram(), p.GetProgram() + p.GetProgramSize()};
}

bool Compiles(const char* pattern) {
    CPattern p;
    return p.Compile(pattern) != nullptr;
}

int32_t FindIn(const char* pattern, const char* subject) {
    CPattern p;
    if (!p.Compile(pattern))
        return -2;
    return p.Find(subject);
}

// Offset of group n within the subject, or -1 when unset.
int32_t GroupStart(const CPattern& p, const char* subject, int n) {
    return p.GetMatchStart(n) ? static_cast<int32_t>(p.GetMatchStart(n) - subject) : -1;
}
int32_t GroupEnd(const CPattern& p, const char* subject, int n) {
    return p.GetMatchEnd(n) ? static_cast<int32_t>(p.GetMatchEnd(n) - subject) : -1;
}

const char* const kWordCharacter =
    "[0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz]";
const char* const kNonWordCharacter =
    "[^0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz]";

} // namespace

// ---- Compiled programs ----------------------------------------------------

TEST(PatternProgram, LineBreakPatternCompilesToNineteenBytes) {
    const std::vector<unsigned char> expected = {0x06, 0x08, 0x00, 0x08, 0x0D, 0x00, 0x0D,
                                                 0x00, 0x06, 0x08, 0x00, 0x08, 0x05, 0x00,
                                                 0x0A, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ProgramOf("\r|\n"), expected);
}

TEST(PatternProgram, GroupStarThenLiteralCompilesToThirtyEightBytes) {
    const std::vector<unsigned char> expected = {0x06, 0x23, 0x00, // whole pattern's OP_ALT -> 35
                                                 0x06, 0x15, 0x00, // star's first OP_ALT -> 24
                                                 0x15, 0x03, 0x00, // group 1 open -> 9
                                                 0x06, 0x09, 0x00, // group's OP_ALT -> 18
                                                 0x08, 0x06, 0x00, 0x61, 0x62, 0x00, // "ab" -> 18
                                                 0x1F, 0x03, 0x00, // group 1 close -> 21
                                                 0x07, 0x12, 0x00, // back 18 bytes to 3
                                                 0x06, 0x03, 0x00, // star's second OP_ALT -> 27
                                                 0x09, 0x03, 0x00, // empty -> 30
                                                 0x08, 0x05, 0x00, 0x63, 0x00, // "c" -> 35
                                                 0x00, 0x00, 0x00};            // end
    EXPECT_EQ(ProgramOf("(ab)*c"), expected);
}

TEST(PatternProgram, SimpleStarWrapsItsNodeWithAZeroLink) {
    const std::vector<unsigned char> expected = {0x06, 0x10, 0x00, 0x0A, 0x08, 0x00, 0x08,
                                                 0x00, 0x00, 0x61, 0x00, 0x08, 0x05, 0x00,
                                                 0x62, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ProgramOf("a*b"), expected);
}

TEST(PatternProgram, OptionalItemIsAChoiceWithAnEmptyNode) {
    const std::vector<unsigned char> expected = {0x06, 0x11, 0x00, 0x06, 0x08, 0x00, 0x08,
                                                 0x08, 0x00, 0x62, 0x00, 0x06, 0x03, 0x00,
                                                 0x09, 0x03, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ProgramOf("b?"), expected);
}

TEST(PatternProgram, GeneralPlusLoopsBackToItsItem) {
    const std::vector<unsigned char> expected = {0x06, 0x1D, 0x00, 0x15, 0x03, 0x00, 0x06, 0x08,
                                                 0x00, 0x08, 0x05, 0x00, 0x61, 0x00, 0x1F, 0x03,
                                                 0x00, 0x06, 0x06, 0x00, 0x07, 0x11, 0x00, 0x06,
                                                 0x03, 0x00, 0x09, 0x03, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ProgramOf("(a)+"), expected);
}

TEST(PatternProgram, SetListsItsMembersWithRangesExpanded) {
    const std::vector<unsigned char> expected = {0x06, 0x0B, 0x00, 0x05, 0x08, 0x00, 0x78,
                                                 0x61, 0x62, 0x63, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ProgramOf("[^xa-c]"), expected);
}

TEST(PatternProgram, EmptyPatternIsOneEmptyAlternative) {
    const std::vector<unsigned char> expected = {0x06, 0x06, 0x00, 0x09, 0x03,
                                                 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ProgramOf(""), expected);
}

TEST(PatternProgram, RecompilingReplacesTheProgram) {
    CPattern p;
    ASSERT_TRUE(p.Compile("(ab)*c"));
    ASSERT_EQ(p.GetProgramSize(), 38);
    ASSERT_TRUE(p.Compile("\r|\n"));
    EXPECT_EQ(p.GetProgramSize(), 19);
    EXPECT_EQ(p.GetRequiredLiteral(), nullptr);
    EXPECT_EQ(p.Find("x\ny"), 1);
}

TEST(PatternProgram, LargestProgramThatFitsSixteenBitLinksCompiles) {
    // Top choice (3) + literal node (3 + n + NUL) + end (3) = n + 10 bytes.
    const std::string fits(32757, 'q');
    CPattern p;
    ASSERT_TRUE(p.Compile(fits.c_str()));
    EXPECT_EQ(p.GetProgramSize(), 32767);
    EXPECT_EQ(p.Find(("xx" + fits).c_str()), 2);

    const std::string tooBig(32758, 'q');
    EXPECT_FALSE(p.Compile(tooBig.c_str()));
    EXPECT_EQ(p.GetProgram(), nullptr);
    EXPECT_EQ(p.Find(fits.c_str()), -1);
}

TEST(PatternProgram, ProgramsGrownBySetRangesAreRefusedWhenTooBig) {
    std::string pattern;
    for (int i = 0; i < 300; ++i)
        pattern += "[\x01-\x7f]";
    EXPECT_FALSE(Compiles(pattern.c_str()));

    // Megabytes of ranges must be refused without the size counter overflowing.
    std::string huge;
    for (int i = 0; i < 200000; ++i)
        huge += "[\x01-\x7f\x01-\x7f\x01-\x7f\x01-\x7f]";
    EXPECT_FALSE(Compiles(huge.c_str()));
}

// ---- Compile errors ---------------------------------------------------------

TEST(PatternCompile, NullPatternFailsAndLeavesTheObjectUncompiled) {
    CPattern p;
    EXPECT_EQ(p.Compile(nullptr), nullptr);
    EXPECT_EQ(p.Find("abc"), -1);
}

TEST(PatternCompile, SuccessReturnsTheObjectItself) {
    CPattern p;
    EXPECT_EQ(p.Compile("a"), &p);
}

TEST(PatternCompile, NineGroupsCompileAndATenthFails) {
    EXPECT_TRUE(Compiles("(a)(b)(c)(d)(e)(f)(g)(h)(i)"));
    EXPECT_TRUE(Compiles("(((((((((a)))))))))"));
    EXPECT_FALSE(Compiles("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)"));
    EXPECT_FALSE(Compiles("((((((((((a))))))))))"));
}

TEST(PatternCompile, UnbalancedParenthesesFail) {
    EXPECT_FALSE(Compiles("(a"));
    EXPECT_FALSE(Compiles("((a)"));
    EXPECT_FALSE(Compiles("a)"));
    EXPECT_FALSE(Compiles(")"));
    EXPECT_FALSE(Compiles("(a))"));
    EXPECT_FALSE(Compiles("a|b)"));
}

TEST(PatternCompile, RepetitionWithNothingBeforeItFails) {
    for (const char* pattern : {"*", "+", "?", "*a", "a|*b", "a|+", "(*a)", "(?)", "(a|?b)"})
        EXPECT_FALSE(Compiles(pattern)) << pattern;
}

TEST(PatternCompile, LoopOverAnItemThatCanMatchNothingFails) {
    for (const char* pattern : {"(a*)*", "(b?)+", "()*", "$*", "^+", "(a|)*", "(^)+", "(a|b*)+"})
        EXPECT_FALSE(Compiles(pattern)) << pattern;
}

TEST(PatternCompile, OptionalIsAllowedOnItemsThatCanMatchNothing) {
    for (const char* pattern : {"(a|b)?", "(a*)?", "$?", "()?", "(a?)?x"})
        EXPECT_TRUE(Compiles(pattern)) << pattern;
}

TEST(PatternCompile, TwoRepetitionOperatorsInARowFail) {
    for (const char* pattern : {"a**", "a+?", "a?*", "a*+", "(ab)*?", "[ab]++", "a??"})
        EXPECT_FALSE(Compiles(pattern)) << pattern;
}

TEST(PatternCompile, SetWithoutClosingBracketFails) {
    for (const char* pattern : {"[abc", "[", "[^", "[]", "[^]", "[a-", "x[]a"})
        EXPECT_FALSE(Compiles(pattern)) << pattern;
}

TEST(PatternCompile, DescendingRangeFails) {
    EXPECT_FALSE(Compiles("[z-a]"));
    EXPECT_FALSE(Compiles("[b-a]"));
    EXPECT_TRUE(Compiles("[a-a]"));
}

TEST(PatternCompile, RangeAcrossTheUpperHalfBoundaryFailsEitherWay) {
    EXPECT_FALSE(Compiles("[a-\xe9]")); // signed: 0x61 > -23
    EXPECT_FALSE(Compiles("[\xe9-a]")); // would otherwise reach the NUL byte
    EXPECT_FALSE(Compiles("[\x01-\xff]"));
    EXPECT_TRUE(Compiles("[\xe0-\xe9]"));
    EXPECT_TRUE(Compiles("[\x80-\xff]"));
}

TEST(PatternCompile, BackslashAtTheEndFails) {
    EXPECT_FALSE(Compiles("\\"));
    EXPECT_FALSE(Compiles("ab\\"));
    EXPECT_TRUE(Compiles("ab\\\\"));
}

TEST(PatternCompile, FailedCompilationMakesEveryFindFail) {
    CPattern p;
    ASSERT_TRUE(p.Compile("a"));
    ASSERT_EQ(p.Find("a"), 0);
    EXPECT_FALSE(p.Compile("a**"));
    EXPECT_EQ(p.Find("a"), -1);
    EXPECT_EQ(p.Find("aaa"), -1);
    EXPECT_TRUE(p.Compile("a"));
    EXPECT_EQ(p.Find("ba"), 1);
}

// ---- Searching --------------------------------------------------------------

TEST(PatternFind, SystemWordPatternsSplitAtTheFirstSeparator) {
    EXPECT_EQ(FindIn(kNonWordCharacter, "abc"), -1);
    EXPECT_EQ(FindIn(kNonWordCharacter, "ab c"), 2);
    EXPECT_EQ(FindIn(kNonWordCharacter, "Z9\xe9x"), 2);
    EXPECT_EQ(FindIn(kWordCharacter, "  ,;x"), 4);
    EXPECT_EQ(FindIn(kWordCharacter, " \t.,"), -1);
    EXPECT_EQ(FindIn(" ", "0.8 rest"), 3);
}

TEST(PatternFind, LineBreakPatternFindsCrOrLf) {
    EXPECT_EQ(FindIn("\r|\n", "ab\r\ncd"), 2);
    EXPECT_EQ(FindIn("\r|\n", "abc\ncd"), 3);
    EXPECT_EQ(FindIn("\r|\n", "abcd"), -1);
}

TEST(PatternFind, EmptySubjectNeverMatches) {
    EXPECT_EQ(FindIn("a*", ""), -1);
    EXPECT_EQ(FindIn("", ""), -1);
    EXPECT_EQ(FindIn("$", ""), -1);
    EXPECT_EQ(FindIn("a*", "b"), 0);
    CPattern p;
    ASSERT_TRUE(p.Compile("a"));
    EXPECT_EQ(p.Find(nullptr), -1);
}

TEST(PatternFind, EndAnchorMatchesAtTheTerminatingNulOnly) {
    EXPECT_EQ(FindIn("$", "abc"), 3);
    EXPECT_EQ(FindIn("b$", "ab\nb"), 3);
    EXPECT_EQ(FindIn("a$", "a\nb"), -1);
}

TEST(PatternFind, StartAnchorMatchesAtTheSubjectStartOnly) {
    EXPECT_EQ(FindIn("^b", "ab"), -1);
    EXPECT_EQ(FindIn("b", "ab"), 1);
    EXPECT_EQ(FindIn("^a", "ab"), 0);
    EXPECT_EQ(FindIn("x|^b", "abx"), 2);
    EXPECT_EQ(FindIn("a^b", "ab"), -1);
}

TEST(PatternFind, StarAfterARunAppliesToItsLastByte) {
    EXPECT_EQ(FindIn("abc*", "abd"), 0);
    EXPECT_EQ(FindIn("abc+", "abd"), -1);
    EXPECT_EQ(FindIn("abc?d", "xabd"), 1);
}

TEST(PatternFind, MatchingIsCaseSensitive) {
    EXPECT_EQ(FindIn("abc", "ABC"), -1);
    EXPECT_EQ(FindIn("[a-c]", "ABCb"), 3);
}

TEST(PatternFind, BackslashMatchesTheNextByteItself) {
    EXPECT_EQ(FindIn("\\.", "a.b"), 1);
    EXPECT_EQ(FindIn("\\n", "an"), 1);
    EXPECT_EQ(FindIn("\\n", "a\n"), -1);
    EXPECT_EQ(FindIn("\\*+", "a**b"), 1);
    EXPECT_EQ(FindIn("\\\\", "a\\b"), 1);
}

TEST(PatternFind, OrdinaryMetaLookalikesStandForThemselves) {
    EXPECT_EQ(FindIn("a{2}", "aa a{2}"), 3);
    EXPECT_EQ(FindIn("]", "a]"), 1);
    EXPECT_EQ(FindIn("a-b", "a-b"), 0);
}

TEST(PatternFind, BracketAndHyphenAtTheEdgesOfASetAreMembers) {
    EXPECT_EQ(FindIn("[]a]", "x]"), 1);
    EXPECT_EQ(FindIn("[]a]", "xa"), 1);
    EXPECT_EQ(FindIn("[]a]", "xb"), -1);
    EXPECT_EQ(FindIn("[a-]", "xa"), 1);
    EXPECT_EQ(FindIn("[a-]", "x-"), 1);
    EXPECT_EQ(FindIn("[-a]", "x-"), 1);
    EXPECT_EQ(FindIn("[^]a]", "]ab"), 2);
    EXPECT_EQ(FindIn("[\\.]", "ab\\"), 2); // no escapes inside a set
}

TEST(PatternFind, NegatedSetAndAnyNeverMatchAtTheEnd) {
    EXPECT_EQ(FindIn("a.", "a"), -1);
    EXPECT_EQ(FindIn("a[^x]", "a"), -1);
    EXPECT_EQ(FindIn("a[^x]", "ay"), 0);
}

TEST(PatternFind, UpperHalfBytesAreOrdinary) {
    EXPECT_EQ(FindIn("\xe9t\xe9", "ete\xe9t\xe9"), 3);
    EXPECT_EQ(FindIn("[\xe0-\xe9]", "a\xea\xe5"), 2);
    EXPECT_EQ(FindIn("[^a]", "a\xff"), 1);
    EXPECT_EQ(FindIn(".", "\x80"), 0);
    EXPECT_EQ(FindIn("\xe9*x", "\xe9\xe9x"), 0);
}

TEST(PatternFind, AlternativesAreTriedFromLeftToRight) {
    CPattern p;
    ASSERT_TRUE(p.Compile("(a|ab)c"));
    EXPECT_EQ(p.Find("abc"), 0);
    EXPECT_EQ(p.GetMatchLength(), 3);
    ASSERT_TRUE(p.Compile("a|ab"));
    EXPECT_EQ(p.Find("ab"), 0);
    EXPECT_EQ(p.GetMatchLength(), 1);
    ASSERT_TRUE(p.Compile("x(|b)"));
    EXPECT_EQ(p.Find("xb"), 0);
    EXPECT_EQ(p.GetMatchLength(), 1);
}

TEST(PatternFind, RepetitionsAreGreedyAndGiveBackWhenNeeded) {
    CPattern p;
    ASSERT_TRUE(p.Compile("a*ab"));
    EXPECT_EQ(p.Find("xaaab"), 1);
    EXPECT_EQ(p.GetMatchLength(), 4);
    ASSERT_TRUE(p.Compile("[ab]+b"));
    EXPECT_EQ(p.Find("abab"), 0);
    EXPECT_EQ(p.GetMatchLength(), 4);
    ASSERT_TRUE(p.Compile(".*c"));
    EXPECT_EQ(p.Find("acbcd"), 0);
    EXPECT_EQ(p.GetMatchLength(), 4);
    ASSERT_TRUE(p.Compile("(ab)+a"));
    EXPECT_EQ(p.Find("ababa"), 0);
    EXPECT_EQ(p.GetMatchLength(), 5);
    ASSERT_TRUE(p.Compile("a?ab"));
    EXPECT_EQ(p.Find("ab"), 0);
    EXPECT_EQ(p.GetMatchLength(), 2);
    ASSERT_TRUE(p.Compile("[^b]*b"));
    EXPECT_EQ(p.Find("xyzb"), 0);
    EXPECT_EQ(p.GetMatchLength(), 4);
}

TEST(PatternFind, PlusNeedsAtLeastOnePass) {
    EXPECT_EQ(FindIn("xa+", "x xa"), 2);
    EXPECT_EQ(FindIn("x(ab)+", "x xab"), 2);
    EXPECT_EQ(FindIn("^a+", "b"), -1);
}

TEST(PatternFind, EmptyPatternMatchesAtTheStart) {
    CPattern p;
    ASSERT_TRUE(p.Compile(""));
    EXPECT_EQ(p.Find("abc"), 0);
    EXPECT_EQ(p.GetMatchLength(), 0);
}

// ---- Match length and groups -----------------------------------------------

TEST(PatternMatch, MatchLengthIsZeroBeforeAnyMatchAndAfterAMiss) {
    CPattern p;
    EXPECT_EQ(p.GetMatchLength(), 0);
    ASSERT_TRUE(p.Compile("b+"));
    EXPECT_EQ(p.GetMatchLength(), 0);
    ASSERT_EQ(p.Find("abbbc"), 1);
    EXPECT_EQ(p.GetMatchLength(), 3);
    EXPECT_EQ(p.Find("xyz"), -1);
    EXPECT_EQ(p.GetMatchLength(), 0);
}

TEST(PatternMatch, WholeMatchPositionsPointIntoTheSubject) {
    const char* subject = "xxabcx";
    CPattern p;
    ASSERT_TRUE(p.Compile("abc"));
    ASSERT_EQ(p.Find(subject), 2);
    EXPECT_EQ(p.GetMatchStart(0), subject + 2);
    EXPECT_EQ(p.GetMatchEnd(0), subject + 5);
}

TEST(PatternMatch, GroupsAreNumberedByTheirOpeningParenthesis) {
    const char* subject = "zabc";
    CPattern p;
    ASSERT_TRUE(p.Compile("((a)b)(c)"));
    ASSERT_EQ(p.Find(subject), 1);
    EXPECT_EQ(GroupStart(p, subject, 1), 1);
    EXPECT_EQ(GroupEnd(p, subject, 1), 3);
    EXPECT_EQ(GroupStart(p, subject, 2), 1);
    EXPECT_EQ(GroupEnd(p, subject, 2), 2);
    EXPECT_EQ(GroupStart(p, subject, 3), 3);
    EXPECT_EQ(GroupEnd(p, subject, 3), 4);
    EXPECT_EQ(GroupStart(p, subject, 4), -1);
}

TEST(PatternMatch, GroupInsideALoopKeepsItsLastPass) {
    const char* subject = "xababc";
    CPattern p;
    ASSERT_TRUE(p.Compile("(ab)*c"));
    ASSERT_EQ(p.Find(subject), 1);
    EXPECT_EQ(p.GetMatchLength(), 5);
    EXPECT_EQ(GroupStart(p, subject, 1), 3);
    EXPECT_EQ(GroupEnd(p, subject, 1), 5);
}

TEST(PatternMatch, GroupsReflectTheSuccessfulPathAfterBacktracking) {
    const char* subject = "abcd";
    CPattern p;
    ASSERT_TRUE(p.Compile("(a|ab)(c|bcd)(d*)"));
    ASSERT_EQ(p.Find(subject), 0);
    EXPECT_EQ(p.GetMatchLength(), 4);
    EXPECT_EQ(GroupStart(p, subject, 1), 0);
    EXPECT_EQ(GroupEnd(p, subject, 1), 1);
    EXPECT_EQ(GroupStart(p, subject, 2), 1);
    EXPECT_EQ(GroupEnd(p, subject, 2), 4);
    EXPECT_EQ(GroupStart(p, subject, 3), 4);
    EXPECT_EQ(GroupEnd(p, subject, 3), 4);
}

TEST(PatternMatch, GroupOutsideTheSuccessfulPathStaysUnset) {
    const char* subject = "b";
    CPattern p;
    ASSERT_TRUE(p.Compile("(a)|b"));
    ASSERT_EQ(p.Find(subject), 0);
    EXPECT_EQ(p.GetMatchStart(1), nullptr);
    EXPECT_EQ(p.GetMatchEnd(1), nullptr);
    ASSERT_TRUE(p.Compile("(a)*"));
    ASSERT_EQ(p.Find(subject), 0);
    EXPECT_EQ(p.GetMatchStart(1), nullptr);
}

TEST(PatternMatch, EachFindClearsTheGroupsOfTheLastOne) {
    const char* first = "a";
    CPattern p;
    ASSERT_TRUE(p.Compile("(a)|b"));
    ASSERT_EQ(p.Find(first), 0);
    ASSERT_NE(p.GetMatchStart(1), nullptr);
    ASSERT_EQ(p.Find("b"), 0);
    EXPECT_EQ(p.GetMatchStart(1), nullptr);
}

// ---- Search hints ------------------------------------------------------------

TEST(PatternHints, LiteralStartGivesTheFirstByte) {
    CPattern p;
    ASSERT_TRUE(p.Compile("abc"));
    EXPECT_EQ(p.GetFirstByte(), 'a');
    EXPECT_FALSE(p.IsAnchored());
    EXPECT_EQ(p.GetRequiredLiteral(), nullptr);
    ASSERT_TRUE(p.Compile("ab*"));
    EXPECT_EQ(p.GetFirstByte(), 'a');
    EXPECT_EQ(p.GetRequiredLiteral(), nullptr); // does not start with a repetition
    ASSERT_TRUE(p.Compile("\xe9x"));
    EXPECT_EQ(p.GetFirstByte(), 0xe9);
    EXPECT_EQ(p.Find("a\xe9x"), 1);
}

TEST(PatternHints, StartAnchorMarksThePatternAnchored) {
    CPattern p;
    ASSERT_TRUE(p.Compile("^ab"));
    EXPECT_TRUE(p.IsAnchored());
    EXPECT_EQ(p.GetFirstByte(), 0);
    EXPECT_EQ(p.Find("ab"), 0);
    EXPECT_EQ(p.Find("xab"), -1);
}

TEST(PatternHints, SeveralTopLevelAlternativesGiveNoHint) {
    for (const char* pattern : {"\r|\n", "^a|b", "a*b|c", "ab|ab"}) {
        CPattern p;
        ASSERT_TRUE(p.Compile(pattern));
        EXPECT_EQ(p.GetFirstByte(), 0) << pattern;
        EXPECT_FALSE(p.IsAnchored()) << pattern;
        EXPECT_EQ(p.GetRequiredLiteral(), nullptr) << pattern;
    }
}

TEST(PatternHints, RepetitionStartGivesTheLongestChainLiteral) {
    CPattern p;
    ASSERT_TRUE(p.Compile("(ab)*c"));
    EXPECT_EQ(p.GetFirstByte(), 0);
    ASSERT_NE(p.GetRequiredLiteral(), nullptr);
    EXPECT_EQ(p.GetRequiredLiteral(), p.GetProgram() + 33);
    EXPECT_EQ(p.GetRequiredLiteralLength(), 1);
    EXPECT_EQ(p.Find("abababab"), -1);

    ASSERT_TRUE(p.Compile("x*abcdyy*ab"));
    ASSERT_EQ(p.GetRequiredLiteralLength(), 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.GetRequiredLiteral()), 5), "abcdy");
}

TEST(PatternHints, LaterLiteralWinsAmongEquallyLongOnes) {
    CPattern p;
    ASSERT_TRUE(p.Compile("a*bc.de"));
    ASSERT_EQ(p.GetRequiredLiteralLength(), 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.GetRequiredLiteral())), "de");
}

TEST(PatternHints, LiteralsInsideGroupsAreNotRequired) {
    CPattern p;
    ASSERT_TRUE(p.Compile("(a*bbb)c"));
    ASSERT_NE(p.GetRequiredLiteral(), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.GetRequiredLiteral())), "c");
    ASSERT_TRUE(p.Compile("a*(xyz)?"));
    EXPECT_EQ(p.GetRequiredLiteral(), nullptr);
    EXPECT_EQ(p.Find("b"), 0);
    ASSERT_TRUE(p.Compile("(a|bc)*"));
    EXPECT_EQ(p.GetRequiredLiteral(), nullptr);
}

TEST(PatternHints, GroupWithoutARepetitionAtItsStartGivesNoRequiredLiteral) {
    CPattern p;
    ASSERT_TRUE(p.Compile("(a|b)cd*"));
    EXPECT_EQ(p.GetRequiredLiteral(), nullptr);
    EXPECT_EQ(p.GetFirstByte(), 0);
}

// The hints only skip offsets where no match can begin: the same searches
// against a matcher that knows nothing of them must agree. std::regex in
// ECMAScript mode backtracks with the same priorities (greedy repetitions,
// alternatives from the left), so on the shared subset of the language it
// gives the same leftmost match and length.
TEST(PatternHints, RandomPatternsAgreeWithAPlainBacktrackingMatcher) {
    std::mt19937 random(20261207);
    const std::vector<std::string> atoms = {"a",    "b",     "ab",  "ba", ".", "[ab]",
                                            "[^a]", "[a-b]", "\\.", "^",  "$"};
    std::function<std::string(int)> makeChoice;
    auto makeAlternative = [&](int depth) {
        std::string alternative;
        const int items = static_cast<int>(random() % 4);
        for (int i = 0; i < items; ++i) {
            std::string item;
            if (depth < 2 && random() % 5 == 0)
                item = "(" + makeChoice(depth + 1) + ")";
            else
                item = atoms[random() % atoms.size()];
            switch (random() % 6) {
            case 0:
                item += "*";
                break;
            case 1:
                item += "+";
                break;
            case 2:
                item += "?";
                break;
            default:
                break;
            }
            alternative += item;
        }
        return alternative;
    };
    makeChoice = [&](int depth) {
        std::string choice = makeAlternative(depth);
        while (random() % 4 == 0)
            choice += "|" + makeAlternative(depth);
        return choice;
    };

    int compared = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string pattern = makeChoice(0);
        CPattern p;
        if (!p.Compile(pattern.c_str()))
            continue;
        std::regex reference;
        try {
            reference.assign(pattern, std::regex::ECMAScript);
        } catch (const std::regex_error&) {
            continue;
        }
        for (int s = 0; s < 8; ++s) {
            std::string subject;
            const int length = 1 + static_cast<int>(random() % 10);
            for (int i = 0; i < length; ++i)
                subject += "ab."[random() % 3];
            std::smatch m;
            const bool found = std::regex_search(subject, m, reference);
            const int32_t offset = p.Find(subject.c_str());
            ASSERT_EQ(offset, found ? static_cast<int32_t>(m.position(0)) : -1)
                << "pattern '" << pattern << "' subject '" << subject << "'";
            if (found) {
                ASSERT_EQ(p.GetMatchLength(), static_cast<int32_t>(m.length(0)))
                    << "pattern '" << pattern << "' subject '" << subject << "'";
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 5000);
}

// ---- Hostile input ---------------------------------------------------------

TEST(PatternRobustness, LoopOverAMegabyteSubjectDoesNotExhaustTheStack) {
    std::string subject;
    for (int i = 0; i < 512 * 1024; ++i)
        subject += "ab";
    CPattern p;
    ASSERT_TRUE(p.Compile("(ab)*"));
    EXPECT_EQ(p.Find(subject.c_str()), 0);
    EXPECT_EQ(p.GetMatchLength(), static_cast<int32_t>(subject.size()));
    EXPECT_EQ(GroupStart(p, subject.c_str(), 1), static_cast<int32_t>(subject.size()) - 2);

    ASSERT_TRUE(p.Compile("(ab)*$"));
    EXPECT_EQ(p.Find(subject.c_str()), 0);
    ASSERT_TRUE(p.Compile("(a|b)+c"));
    EXPECT_EQ(p.Find(subject.c_str()), -1);
    ASSERT_TRUE(p.Compile("x(a|b)*"));
    EXPECT_EQ(p.Find((subject + "x").c_str()), static_cast<int32_t>(subject.size()));
}

TEST(PatternRobustness, SearchNeedingTooManyBacktrackingPointsReportsNoMatch) {
    // Three points per pass of '(ab)*': six million passes are past the limit.
    std::string subject;
    subject.reserve(12u << 20);
    for (int i = 0; i < (6 << 20); ++i)
        subject += "ab";
    CPattern p;
    ASSERT_TRUE(p.Compile("(ab)*$"));
    EXPECT_EQ(p.Find(subject.c_str()), -1);
    // Simple repetitions need one point whatever the length.
    ASSERT_TRUE(p.Compile("[ab]*$"));
    EXPECT_EQ(p.Find(subject.c_str()), 0);
    EXPECT_EQ(p.GetMatchLength(), static_cast<int32_t>(subject.size()));
}

TEST(PatternRobustness, NestedChoicesFinishOnSubjectsThatDoNotMatch) {
    // Plain backtracking would try 2^60 ways here before giving up.
    const std::string subject = std::string(60, 'a') + "d";
    EXPECT_EQ(FindIn("(a|a)*(b|c)", subject.c_str()), -1);
    EXPECT_EQ(FindIn("(a|aa)+$", (std::string(60, 'a') + "b").c_str()), -1);
    EXPECT_EQ(FindIn("(a*a*)*x", "aaaa"), -2); // refused: the loop body can be empty
    EXPECT_EQ(FindIn("(a+a+)+(x|y)", (std::string(40, 'a') + "z").c_str()), -1);
    EXPECT_EQ(FindIn("(a|a)*(b|d)", subject.c_str()), 0);
}

TEST(PatternRobustness, RandomBytesNeverBreakCompilationOrSearch) {
    std::mt19937 random(7);
    const char alphabet[] = "^$.[]()|?+*\\-ab\xe9\x80\xff";
    for (int round = 0; round < 20000; ++round) {
        std::string pattern;
        const int length = static_cast<int>(random() % 16);
        for (int i = 0; i < length; ++i) {
            if (random() % 4 == 0)
                pattern += static_cast<char>(1 + random() % 255);
            else
                pattern += alphabet[random() % (sizeof alphabet - 1)];
        }
        std::string subject;
        const int subjectLength = static_cast<int>(random() % 40);
        for (int i = 0; i < subjectLength; ++i)
            subject += static_cast<char>(1 + random() % 255);
        CPattern p;
        if (!p.Compile(pattern.c_str())) {
            EXPECT_EQ(p.Find(subject.c_str()), -1);
            continue;
        }
        ASSERT_GT(p.GetProgramSize(), 0);
        ASSERT_LE(p.GetProgramSize(), 32767);
        const int32_t offset = p.Find(subject.c_str());
        ASSERT_GE(offset, -1);
        if (offset >= 0) {
            ASSERT_LE(offset + p.GetMatchLength(), static_cast<int32_t>(subject.size()));
            ASSERT_GE(p.GetMatchLength(), 0);
        }
    }
}

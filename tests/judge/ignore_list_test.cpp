// The ignore list: reading the ignore file, and taking ignore words out of the
// expected answer's words.
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "judge_test_support.h"

using judge_test::CTempDir;
using judge_test::SetIgnoreWords;
using judge_test::Strings;
using Words = std::vector<std::string>;

namespace {
Words LoadEntries(std::string_view fileBytes) {
    const CTempDir dir;
    const CAnswerJudge judge(dir.Write("IgnoreW.TXT", fileBytes).c_str());
    return Strings(judge.ignoreWords);
}

Words RemoveFrom(const CAnswerJudge& judge, const char* text, Words* removed = nullptr) {
    CTextList words;
    judge.SplitWords(CTextBuffer(text), words);
    CTextList removedWords;
    judge.RemoveIgnoredWords(words, &removedWords);
    if (removed)
        *removed = Strings(removedWords);
    return Strings(words);
}
} // namespace

TEST(IgnoreFile, OneEntryPerLineWhateverTheLineEnds) {
    EXPECT_EQ(LoadEntries("the\nof\r\na\rand"), (Words{"the", "of", "a", "and"}));
}

TEST(IgnoreFile, BlankLinesGiveNoEntry) {
    EXPECT_EQ(LoadEntries("the\n\n\r\n\r\rof\n\n"), (Words{"the", "of"}));
}

TEST(IgnoreFile, LineBreakAtTheStartGivesOneEmptyEntry) {
    EXPECT_EQ(LoadEntries("\r\n\nthe"), (Words{"", "the"}));
}

TEST(IgnoreFile, EntriesKeepTheirBlanks) {
    EXPECT_EQ(LoadEntries(" the \n\tof\n"), (Words{" the ", "\tof"}));
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"the ", " of"});
    EXPECT_EQ(RemoveFrom(judge, "the end of it"), (Words{"the", "end", "of", "it"}));
}

TEST(IgnoreFile, MissingFileGivesAnEmptyListAndTheDefaultThreshold) {
    const CTempDir dir;
    CAnswerJudge judge(dir.File("absent.txt").c_str());
    EXPECT_EQ(judge.ignoreWords.GetCount(), 0);
    EXPECT_EQ(judge.threshold, 0.65);
    EXPECT_FALSE(judge.LoadIgnoreWords(dir.File("absent.txt").c_str()));
    EXPECT_FALSE(judge.LoadIgnoreWords(nullptr));

    const CAnswerJudge unnamed(nullptr);
    EXPECT_EQ(unnamed.ignoreWords.GetCount(), 0);
}

TEST(IgnoreFile, DirectoryGivesAnEmptyList) {
    const CTempDir dir;
    std::filesystem::create_directory(dir.File("IgnoreW.TXT"));
    const CAnswerJudge judge(dir.File("IgnoreW.TXT").c_str());
    EXPECT_EQ(judge.ignoreWords.GetCount(), 0);
}

TEST(IgnoreFile, EmptyFileGivesAnEmptyList) {
    EXPECT_EQ(LoadEntries(""), Words{});
}

TEST(IgnoreFile, BinaryFileLoadsWithoutHarm) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::string bytes;
    for (int i = 0; i < 65536; ++i)
        bytes.push_back(static_cast<char>(anyByte(random)));
    bytes += "\nthe\n";
    const CTempDir dir;
    const CAnswerJudge judge(dir.Write("IgnoreW.TXT", bytes).c_str());
    ASSERT_GT(judge.ignoreWords.GetCount(), 1);
    EXPECT_EQ(Strings(judge.ignoreWords).back(), "the");
    EXPECT_TRUE(judge.IsCorrect("battle", "the battle"));
    EXPECT_FALSE(judge.IsCorrect("the", "the battle"));
}

// A NUL byte is part of the entry, so the entry is longer than any word it could
// seem to spell: "the" followed by NUL and "x" is not the word "the".
TEST(IgnoreFile, EntryHoldingANulByteMatchesNoWord) {
    const CTempDir dir;
    CAnswerJudge judge(dir.Write("IgnoreW.TXT", std::string("the\0x\nof\n", 9)).c_str());
    ASSERT_EQ(judge.ignoreWords.GetCount(), 2);
    EXPECT_EQ(judge.ignoreWords.GetAt(0)->GetLength(), 5);
    EXPECT_EQ(RemoveFrom(judge, "the sound of music"), (Words{"the", "sound", "music"}));
    EXPECT_FALSE(judge.IsCorrect("music", "the music"));
}

TEST(IgnoreFile, HugeFileLoadsEveryLine) {
    std::string bytes;
    const int lines = 50000;
    for (int i = 0; i < lines; ++i)
        bytes += "filler" + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
    bytes += "zebra";
    const CTempDir dir;
    const CAnswerJudge judge(dir.Write("IgnoreW.TXT", bytes).c_str());
    ASSERT_EQ(judge.ignoreWords.GetCount(), lines + 1);
    EXPECT_STREQ(judge.ignoreWords.GetAt(lines)->GetText(), "zebra");
    // The last entry still does its work, and judging a long answer against the long
    // list does not crawl.
    EXPECT_TRUE(judge.IsCorrect("crossing", "zebra crossing"));
    std::string longAnswer;
    for (int i = 0; i < 5000; ++i)
        longAnswer += "filler" + std::to_string(i * 10) + " word" + std::to_string(i) + " ";
    EXPECT_TRUE(judge.IsCorrect(longAnswer.c_str(), ("zebra " + longAnswer).c_str()));
    EXPECT_EQ(RemoveFrom(judge, "filler7 Filler7 filler8 kept"), (Words{"Filler7", "kept"}));
}

TEST(IgnoreFile, ShippedListHoldsWordsThatCanMatch) {
    const CAnswerJudge judge(TORVI_RES_DIR "/IgnoreW.TXT");
    const Words entries = Strings(judge.ignoreWords);
    EXPECT_GE(entries.size(), 50u);
    EXPECT_LE(entries.size(), 150u);
    EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()).size(), entries.size());
    for (const std::string& entry : entries) {
        // The splitter must leave each entry whole, or the entry never removes a word
        // (an entry such as "this" would become "thi").
        EXPECT_EQ(judge_test::Split(entry), Words{entry}) << "entry: " << entry;
    }
    EXPECT_TRUE(judge.IsCorrect("battle hastings", "The Battle of Hastings"));
}

TEST(RemoveIgnoredWords, EachEntryRemovesOneOccurrence) {
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"the"});
    EXPECT_EQ(RemoveFrom(judge, "the cat and the dog"), (Words{"cat", "and", "the", "dog"}));
    SetIgnoreWords(judge, {"the", "THE", "the"});
    EXPECT_EQ(RemoveFrom(judge, "the cat and the dog"), (Words{"cat", "and", "dog"}));
}

TEST(RemoveIgnoredWords, IgnoresLetterCase) {
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"ThE", "OF"});
    EXPECT_EQ(RemoveFrom(judge, "tHe Battle of Hastings"), (Words{"Battle", "Hasting"}));
}

TEST(RemoveIgnoredWords, EntryEndingInSWithFourOrMoreLettersNeverMatches) {
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"this", "is"});
    EXPECT_EQ(RemoveFrom(judge, "this is it"), (Words{"thi", "it"}));
}

TEST(RemoveIgnoredWords, ReportsTheRemovedWordsInEntryOrder) {
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"of", "missing", "THE", "the"});
    Words removed;
    EXPECT_EQ(RemoveFrom(judge, "The Battle of the Hastings", &removed),
              (Words{"Battle", "Hasting"}));
    EXPECT_EQ(removed, (Words{"of", "The", "the"}));
}

// Long word lists and long ignore lists take another road through the removal;
// both must give what the list operations give, word for word and in order.
TEST(RemoveIgnoredWords, AgreesWithTheListOperationsOnRandomLists) {
    const Words vocabulary = {"a", "A", "the", "The", "of", "x+y", "X+Y", "q)", "1", "s", ""};
    std::mt19937 random(99);
    std::uniform_int_distribution<size_t> word(0, vocabulary.size() - 1);
    for (int round = 0; round < 400; ++round) {
        const bool large = round % 2 == 1;
        std::uniform_int_distribution<int> textWords(0, large ? 300 : 12);
        std::uniform_int_distribution<int> entries(0, large ? 200 : 12);
        CAnswerJudge judge(nullptr);
        Words entryList;
        for (int i = entries(random); i > 0; --i)
            entryList.push_back(vocabulary[word(random)]);
        SetIgnoreWords(judge, entryList);

        CTextList fast;
        CTextList reference;
        for (int i = textWords(random); i > 0; --i) {
            const std::string& w = vocabulary[word(random)];
            if (w.empty())
                continue;
            fast.Add(new CTextBuffer(w.c_str()));
            reference.Add(new CTextBuffer(w.c_str()));
        }
        CTextList removedFast;
        Words removedReference;
        judge.RemoveIgnoredWords(fast, &removedFast);
        judge_test::ReferenceRemoveIgnoredWords(judge, reference, &removedReference);
        ASSERT_EQ(Strings(fast), Strings(reference)) << "round " << round;
        ASSERT_EQ(Strings(removedFast), removedReference) << "round " << round;
    }
}

// The judge looks ignore words up in an index of the list; whatever changes the
// list afterwards (a quiz's DontIgnore, entries added) must show in the next
// judgement, on both roads through the removal.
TEST(RemoveIgnoredWords, FollowsChangesToTheListAfterJudging) {
    for (const int filler : {0, 5000}) {
        CAnswerJudge judge(nullptr);
        for (int i = 0; i < filler; ++i)
            judge.ignoreWords.Add(new CTextBuffer(("filler" + std::to_string(i)).c_str()));
        judge.ignoreWords.Add(new CTextBuffer("the"));
        judge.ignoreWords.Add(new CTextBuffer("of"));
        EXPECT_EQ(RemoveFrom(judge, "the battle of hastings"), (Words{"battle", "hasting"}));
        EXPECT_FALSE(judge.IsCorrect("hastings", "the battle of hastings"));

        judge.ignoreWords.RemoveNoCase("THE");
        EXPECT_EQ(RemoveFrom(judge, "the battle of hastings"), (Words{"the", "battle", "hasting"}))
            << filler;
        judge.ignoreWords.Add(new CTextBuffer("Battle"));
        EXPECT_EQ(RemoveFrom(judge, "the battle of hastings"), (Words{"the", "hasting"})) << filler;
        EXPECT_FALSE(judge.IsCorrect("hastings", "the battle of hastings")) << filler;
        judge.ignoreWords.RemoveNoCase("the"); // not there any more: nothing changes
        judge.ignoreWords.Add(new CTextBuffer("The"));
        EXPECT_TRUE(judge.IsCorrect("hastings", "the battle of hastings")) << filler;
        judge.ignoreWords.RemoveAll();
        EXPECT_FALSE(judge.IsCorrect("hastings", "the battle of hastings")) << filler;
    }
}

// A quiz's DontIgnore takes entries off through the judge, which finds them in its
// index and keeps the index in step: the list and every later judgement must be
// what the list's own removal and a freshly read list give.
TEST(RemoveIgnoreWord, AgreesWithTheListsOwnRemovalOnLongLists) {
    const Words vocabulary = {"the", "THE", "of", "a", "x+y", "the ", " the", "q", "Of"};
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> word(0, vocabulary.size() - 1);
    for (int round = 0; round < 12; ++round) {
        CAnswerJudge judge(nullptr);
        CTextList reference;
        for (int i = 0; i < 1500; ++i) {
            const std::string& w = vocabulary[word(random)];
            judge.ignoreWords.Add(new CTextBuffer(w.c_str()));
            reference.Add(new CTextBuffer(w.c_str()));
        }
        if (round % 4 == 3) { // an entry holding a NUL byte
            CTextBuffer* odd = new CTextBuffer;
            odd->AssignRange("of\0x", 4);
            judge.ignoreWords.Add(odd);
            CTextBuffer* same = new CTextBuffer;
            same->AssignRange("of\0x", 4);
            reference.Add(same);
        }
        for (int i = 0; i < 400; ++i) {
            const std::string& w = vocabulary[word(random)];
            judge.RemoveIgnoreWord(w.c_str());
            reference.RemoveNoCase(w.c_str());
            if (i % 100 == 99) {
                // Judging between removals uses the index as the removals left it.
                CAnswerJudge fresh(nullptr);
                for (const CTextBuffer* entry : reference)
                    fresh.ignoreWords.Add(new CTextBuffer(*entry));
                for (const char* expected : {"the of a q", "The Of A x+y", "of of the the q"})
                    ASSERT_EQ(RemoveFrom(judge, expected), RemoveFrom(fresh, expected))
                        << "round " << round << ": " << expected;
            }
        }
        ASSERT_EQ(Strings(judge.ignoreWords), Strings(reference)) << "round " << round;
    }
}

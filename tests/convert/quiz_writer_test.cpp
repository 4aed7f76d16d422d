// Records written as quiz text: every record the report counts loads back
// exactly, and every record the format cannot carry is left out with a reason.
#include <gtest/gtest.h>

#include <random>

#include "convert/quiz_import.h"
#include "convert/quiz_writer.h"
#include "convert_test_support.h"

using namespace convert_test;

namespace {
struct CCase {
    const char* name;
    CQuizRecord record;
    bool writable;
};

CQuizRecord With(CQuizRecord r, const char* comment, const char* explanation = "",
                 bool ordered = false) {
    r.comment = comment;
    r.explanation = explanation;
    r.ordered = ordered;
    return r;
}

// Each record stands second in its file, after a plain one, so that it is read
// as a record that follows another.
std::vector<CCase> Cases() {
    return {
        {"plain", Record("Capital of France?", {"Paris"}), true},
        {"several lines", Record("Name the colours,\nin any order.", {"red", "green"}), true},
        {"later line keeps its blanks", Record("first\nsecond  ", {"x"}), true},
        {"question line ends in slash", Record("either/", {"x"}), false},
        {"question line ends in backslash", Record("a\\\nb", {"x"}), false},
        {"empty line in question", Record("a\n\nb", {"x"}), true},
        {"question ends with an empty line", Record("a\n", {"x"}), false},
        {"empty line in comment", With(Record("q", {"a"}), "one\n\n\nfour"), true},
        {"question starts with ;", Record(";comment?", {"x"}), false},
        {"question starts with ~", Record("~about", {"x"}), false},
        {"question starts with >>", Record(">> arrow", {"x"}), true},
        {"question page", Record("<html><body>Hi</body></html>", {"x"}), true},
        {"question page broken over lines", Record("<html>\n<body>Hi</body></html>", {"x"}), false},
        {"question page never closed", Record("<html><body>Hi", {"x"}), false},
        {"plain question starting like a page", Record("<!DOCTYPE is a tag", {"x"}), false},
        {"empty question", Record("", {"x"}), false},
        {"answer ends in slash", Record("q", {"and/or/"}), false},
        {"answer ends in backslash", Record("q", {"C:\\"}), false},
        {"answer with a slash inside", Record("q", {"and/or"}), true},
        {"answer holds a line break", Record("q", {"two\nlines"}), false},
        {"answer holds <html", Record("q", {"the <html> tag"}), false},
        {"answer holds <HTML in capitals", Record("q", {"<HTML>"}), false},
        {"first answer starts with >>", Record("q", {">>right"}), false},
        {"ordered answer starts with >>", With(Record("q", {">>a", "b"}), "", "", true), true},
        {"ordered answers", With(Record("q", {"a", "b", "c"}), "", "", true), true},
        {"first answer starts with ;", Record("q", {";x"}), true},
        {"later answer starts with ;", Record("q", {"a", ";x"}), false},
        {"later answer starts with ~", Record("q", {"a", "~x"}), false},
        {"empty first answer before others", Record("q", {"", "red"}), true},
        {"empty later answer", Record("q", {"red", ""}), false},
        {"only answer is empty", Record("q", {""}), false},
        {"only answer ends in a blank", Record("q", {"x "}), false},
        {"later answer ends in a blank", Record("q", {"x", "y "}), true},
        {"answer with leading blank", Record("q", {" x"}), true},
        {"no answers", Record("q", {}), true},
        {"no answers, ordered", With(Record("q", {}), "", "", true), true},
        {"comment", With(Record("q", {"a"}), "a remark"), true},
        {"comment starts with ;", With(Record("q", {"a"}), ";;"), true},
        {"comment of two lines", With(Record("q", {"a"}), "one\ntwo"), true},
        {"comment line starts with ~", With(Record("q", {"a"}), "one\n~two"), false},
        {"comment holds <html>", With(Record("q", {"a"}), "see <html>"), false},
        {"comment ends in slash", With(Record("q", {"a"}), "1/"), false},
        {"explanation page", With(Record("q", {"a"}), "", "<html><b>x</b></html>"), true},
        {"explanation text holding <html>", With(Record("q", {"a"}), "", "use <html> tags"), true},
        {"explanation of two lines", With(Record("q", {"a"}), "c", "one\ntwo"), true},
        {"explanation line starts with ;", With(Record("q", {"a"}), "", "one\n;two"), false},
        {"carriage return", Record("a\rb", {"x"}), false},
        {"NUL", Record(std::string("a\0b", 3), {"x"}), false},
        {"not UTF-8", Record("caf\xE9", {"x"}), false},
        {"Cyrillic, Greek and Gurmukhi", Record("\xD0\x94\xCE\xB1", {"\xE0\xA8\x95"}), true},
    };
}
} // namespace

TEST(QuizWriterTest, EachHazardIsWrittenSoItLoadsBackOrIsLeftOutWithAReason) {
    for (const CCase& c : Cases()) {
        std::vector<CQuizRecord> records = {Record("Before", {"b"}, "row 1"), c.record};
        records[1].where = "row 2";
        CConvertReport report;
        const std::string text = WriteQuizText(records, report);
        bool loaded = false;
        const std::vector<CQuizRecord> back = LoadedRecords(text, &loaded);
        ASSERT_TRUE(loaded) << c.name << "\n" << text;
        if (c.writable) {
            EXPECT_EQ(report.converted, 2) << c.name;
            EXPECT_TRUE(report.skipped.empty()) << c.name << ": " << report.skipped[0].why;
            ASSERT_EQ(back.size(), 2u) << c.name << "\n" << text;
            EXPECT_TRUE(SameContent(back[1], c.record))
                << c.name << ": " << Describe(back[1]) << "\n"
                << text;
        } else {
            EXPECT_EQ(report.converted, 1) << c.name << "\n" << text;
            ASSERT_EQ(report.skipped.size(), 1u) << c.name;
            EXPECT_EQ(report.skipped[0].where, "row 2");
            EXPECT_FALSE(report.skipped[0].why.empty());
            // The rules caught it before the loader had to.
            EXPECT_NE(report.skipped[0].why, "it would not load back as written") << c.name;
            ASSERT_EQ(back.size(), 1u) << c.name << "\n" << text;
        }
        EXPECT_TRUE(SameContent(back[0], records[0])) << c.name;
    }
}

// With no rule in front of it, the loader alone decides: every hazard that
// would change a record is caught when the text is loaded back.
TEST(QuizWriterTest, LoadingBackCatchesWhatTheRulesWouldHave) {
    auto none = [](const CQuizRecord&, bool) { return std::string(); };
    for (const CCase& c : Cases()) {
        std::vector<CQuizRecord> records = {Record("Before", {"b"}, "row 1"), c.record,
                                            Record("After", {"c"}, "row 3")};
        records[1].where = "row 2";
        CConvertReport report;
        const std::string text = WriteQuizText(records, report, {}, none);
        bool loaded = false;
        const std::vector<CQuizRecord> back = LoadedRecords(text, &loaded);
        ASSERT_TRUE(loaded) << c.name;
        ASSERT_EQ(back.size(), static_cast<size_t>(report.converted)) << c.name << "\n" << text;
        EXPECT_EQ(report.converted + static_cast<int32_t>(report.skipped.size()), 3) << c.name;
        if (c.writable) {
            EXPECT_EQ(report.converted, 3) << c.name;
            continue;
        }
        // The record itself goes, or the one it spoils; what stays is exact. A
        // NUL or bytes that are not UTF-8 would load back, but the rules keep
        // them out of a quiz that must be UTF-8 text.
        const std::string name = c.name;
        if (name != "NUL" && name != "not UTF-8") {
            EXPECT_LE(report.converted, 2) << c.name << "\n" << text;
        }
        for (const CConvertReport::CSkipped& s : report.skipped)
            EXPECT_EQ(s.why, "it would not load back as written") << c.name;
        size_t next = 0;
        for (const CQuizRecord& r : records) {
            if (std::any_of(report.skipped.begin(), report.skipped.end(),
                            [&](const auto& s) { return s.where == r.where; }))
                continue;
            ASSERT_LT(next, back.size());
            EXPECT_TRUE(SameContent(back[next++], r)) << c.name << ": " << Describe(r);
        }
    }
}

TEST(QuizWriterTest, ManyRecordsThatFailToLoadBackCostABoundedNumberOfRounds) {
    auto none = [](const CQuizRecord&, bool) { return std::string(); };
    std::vector<CQuizRecord> records;
    for (int i = 0; i < 300; ++i)
        records.push_back(Record("q" + std::to_string(i), {i % 3 == 0 ? "bad/" : "good"},
                                 "line " + std::to_string(i + 1)));
    CConvertReport report;
    const std::string text = WriteQuizText(records, report, {}, none);
    EXPECT_EQ(report.converted + static_cast<int32_t>(report.skipped.size()), 300);
    EXPECT_GE(report.skipped.size(), 100u);
    const std::vector<CQuizRecord> back = LoadedRecords(text);
    ASSERT_EQ(back.size(), static_cast<size_t>(report.converted));
    for (const CQuizRecord& r : back)
        EXPECT_EQ(r.answers, std::vector<std::string>{"good"});
}

TEST(QuizWriterTest, FirstRecordCannotLookLikeAnOptionLineButALaterOneMay) {
    // The second record becomes the first written once the first is left out.
    const std::vector<CQuizRecord> records = {Record("option:PercentForCorrect:0.1", {"a"}, "1"),
                                              Record("Option:DontIgnore:the", {"b"}, "2"),
                                              Record("plain", {"c"}, "3"),
                                              Record("OPTION:PercentForCorrect:0.2", {"d"}, "4")};
    CConvertReport report;
    const std::string text = WriteQuizText(records, report);
    ASSERT_EQ(report.skipped.size(), 2u);
    EXPECT_EQ(report.skipped[0].where, "1");
    EXPECT_EQ(report.skipped[1].where, "2");
    const std::vector<CQuizRecord> back = LoadedRecords(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].question, "OPTION:PercentForCorrect:0.2");
}

TEST(QuizWriterTest, SkippedRecordsAreReportedInInputOrder) {
    std::vector<CQuizRecord> records;
    for (int i = 0; i < 6; ++i)
        records.push_back(Record("q" + std::to_string(i), {i % 2 ? "bad/" : "good"},
                                 "line " + std::to_string(i + 1)));
    CConvertReport report;
    WriteQuizText(records, report);
    EXPECT_EQ(report.converted, 3);
    ASSERT_EQ(report.skipped.size(), 3u);
    EXPECT_EQ(report.skipped[0].where, "line 2");
    EXPECT_EQ(report.skipped[1].where, "line 4");
    EXPECT_EQ(report.skipped[2].where, "line 6");
}

// Answers in another script convert whole and are judged in it; the report
// counts the answers that have no word even so.
TEST(QuizWriterTest, AnswersWithoutAnyWordAreCountedUnderTheRuleTheQuizUses) {
    const std::vector<CQuizRecord> records = {
        Record("house", {"\xD0\xB4\xD0\xBE\xD0\xBC"}),
        Record("water", {"\xCE\xBD\xCE\xB5\xCF\x81\xCF\x8C", "H2O"}), Record("sign", {"?!"}),
        Record("dash", {"\xE2\x80\x94"}), Record("twelve", {"\xD9\xA1\xD9\xA2"})};
    CConvertReport report;
    const std::string text = WriteQuizText(records, report);
    EXPECT_EQ(text.rfind("option:Words:Unicode\nhouse\n", 0), 0u) << text;
    // Cyrillic, Greek and the Arabic-Indic digits are words; '?!' and a dash are not.
    EXPECT_EQ(report.notes,
              (std::vector<std::string>{
                  "option:Words:Unicode is written first, so that 3 expected answers with letters "
                  "beyond A-Z are judged in their own script",
                  "2 expected answers without a letter or a digit in any script can never be "
                  "answered right: the judge compares words only"}));

    CConvertReport plain;
    EXPECT_EQ(WriteQuizText({Record("sign", {"?"})}, plain), "sign\n?\n");
    EXPECT_EQ(plain.notes,
              std::vector<std::string>{
                  "1 expected answer without a letter A-Z or a digit can never be "
                  "answered right: the judge compares words of those characters only"});
}

// The header follows the expected answers that are written: a letter beyond
// A-Z in a question or comment, or in a record left out, asks for nothing;
// Accents:Optional, asked for, is written whatever the answers hold.
TEST(QuizWriterTest, TheWordRuleIsWrittenForTheAnswersThatAreWritten) {
    struct CRuleCase {
        const char* name;
        std::vector<CQuizRecord> records;
        bool accents;
        EWordRule rule;
    };
    CQuizRecord commented = Record("kitchen", {"cuisine"});
    commented.comment = "f\xC3\xA9minin";
    const CQuizRecord street = Record("street", {"Stra\xC3\x9F"
                                                 "e"});
    const std::vector<CRuleCase> cases = {
        {"ASCII only", {Record("cat", {"chat"})}, false, EWordRule::Ascii},
        {"accent in the question only",
         {Record("caf\xC3\xA9?", {"coffee"})},
         false,
         EWordRule::Ascii},
        {"accent in the comment only", {commented}, false, EWordRule::Ascii},
        {"symbol beyond ASCII", {Record("euro", {"\xE2\x82\xAC 5"})}, false, EWordRule::Ascii},
        {"accented answer", {street}, false, EWordRule::Unicode},
        {"second answer",
         {Record("two", {"one", "\xCE\xB4\xCF\x8D\xCE\xBF"})},
         false,
         EWordRule::Unicode},
        {"only such answer left out",
         {Record("q", {"a"}), Record("h", {"\xD0\xB4\xD0\xBE/"})},
         false,
         EWordRule::Ascii},
        {"accents optional, ASCII",
         {Record("cat", {"chat"})},
         true,
         EWordRule::UnicodeWithoutAccents},
        {"accents optional, accented", {street}, true, EWordRule::UnicodeWithoutAccents},
    };
    for (const CRuleCase& c : cases) {
        CQuizHeader header;
        header.accentsOptional = c.accents;
        CConvertReport report;
        const std::string text = WriteQuizText(c.records, report, header);
        CQuestionSet set(nullptr);
        ASSERT_TRUE(LoadQuizBytes(set, text, nullptr)) << c.name;
        EXPECT_EQ(set.judge.wordRule, c.rule) << c.name << "\n" << text;
        EXPECT_EQ(text.starts_with("option:"), c.rule != EWordRule::Ascii) << c.name;
        EXPECT_EQ(set.GetQuestions().GetCount(), report.converted) << c.name;
    }
}

// A quiz written again keeps its own header and so its own word rule; only
// Accents:Optional, when asked and not said already, goes in front of it.
TEST(QuizWriterTest, AQuizWrittenAgainKeepsItsOwnOptionLines) {
    const std::vector<CQuizRecord> records = {Record("house", {"\xD0\xB4\xD0\xBE\xD0\xBC"})};
    CQuizHeader own;
    own.ownLines = {"PercentForCorrect:0.5", "DontIgnore:the"};
    CConvertReport report;
    std::string text = WriteQuizText(records, report, own);
    EXPECT_EQ(text, "option:PercentForCorrect:0.5\noption:DontIgnore:the\nhouse\n"
                    "\xD0\xB4\xD0\xBE\xD0\xBC\n");
    // Its author's ASCII rule leaves the Cyrillic answer without a word.
    EXPECT_EQ(report.notes,
              std::vector<std::string>{
                  "1 expected answer without a letter A-Z or a digit can never be answered right: "
                  "the judge compares words of those characters only (option:Words:Unicode reads "
                  "the words of every script)"});

    own.accentsOptional = true;
    text = WriteQuizText(records, report = {}, own);
    EXPECT_EQ(text.rfind("option:Accents:Optional\noption:PercentForCorrect:0.5\n", 0), 0u) << text;

    // Said already, in any letter case, it is not said twice; a line that cannot
    // be written is named, not dropped unsaid.
    own.ownLines = {"words:unicode", "accents:OPTIONAL", std::string("DontIgnore:a\0b", 14)};
    text = WriteQuizText(records, report = {}, own);
    EXPECT_EQ(text.rfind("option:words:unicode\noption:accents:OPTIONAL\nhouse\n", 0), 0u) << text;
    EXPECT_EQ(report.notes,
              std::vector<std::string>{
                  "an option line of the quiz is not kept: it holds a NUL character"});
}

// Records made of the pieces the loader treats specially, in every arrangement
// chance gives: what the report counts is exactly what loads, and the rules
// foresee every record the loader would read differently.
TEST(QuizWriterTest, RandomRecordsOfMarksLoadBackExactlyAsCounted) {
    const std::vector<std::string> pieces = {"a",       " ",         "/",      "\\",      ";",
                                             "~",       ">>",        "<html>", "</html>", "\n",
                                             "option:", "<!DOCTYPE", "\t",     "b"};
    std::mt19937 random(20261208);
    auto text = [&](int maxPieces) {
        std::string s;
        const int n = static_cast<int>(random() % static_cast<unsigned>(maxPieces + 1));
        for (int i = 0; i < n; ++i)
            s += pieces[random() % pieces.size()];
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<CQuizRecord> records;
        for (int i = 0; i < 8; ++i) {
            CQuizRecord r;
            r.where = "entry " + std::to_string(i);
            r.question = text(4);
            for (int a = static_cast<int>(random() % 4); a > 0; --a)
                r.answers.push_back(text(3));
            r.comment = random() % 2 ? text(3) : "";
            r.explanation = random() % 2 ? text(3) : "";
            r.ordered = random() % 3 == 0;
            records.push_back(std::move(r));
        }
        CConvertReport report;
        const std::string quiz = WriteQuizText(records, report);
        ASSERT_EQ(report.converted + static_cast<int32_t>(report.skipped.size()), 8);
        bool loaded = false;
        const std::vector<CQuizRecord> back = LoadedRecords(quiz, &loaded);
        ASSERT_TRUE(loaded) << quiz;
        ASSERT_EQ(back.size(), static_cast<size_t>(report.converted)) << quiz;
        size_t next = 0;
        for (const CQuizRecord& r : records) {
            const bool left = std::any_of(report.skipped.begin(), report.skipped.end(),
                                          [&](const auto& s) { return s.where == r.where; });
            if (left)
                continue;
            ASSERT_LT(next, back.size());
            EXPECT_TRUE(SameContent(back[next], r))
                << Describe(r) << " came back as " << Describe(back[next]) << "\n"
                << quiz;
            ++next;
        }
        for (const CConvertReport::CSkipped& s : report.skipped)
            EXPECT_NE(s.why, "it would not load back as written") << s.where << " in\n" << quiz;
    }
}

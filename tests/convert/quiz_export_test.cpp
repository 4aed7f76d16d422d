// Quizzes written for other programs, and read back: quiz → CSV → quiz keeps
// every record, KVTML → quiz → KVTML keeps every text the quiz holds, and what
// a format cannot hold is reported.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "convert/delimited_reader.h"
#include "convert/kvtml_reader.h"
#include "convert/quiz_export.h"
#include "convert/quiz_import.h"
#include "convert/quiz_writer.h"
#include "convert/text_decoding.h"
#include "convert_test_support.h"

using namespace convert_test;

namespace {
const char kQuiz[] = "Name the colours,\\\n"
                     "in any order.  \n"
                     "red/\n"
                     "green, light/\n"
                     " blue\n"
                     ";Said \"RGB\"; also\\\n"
                     "a second line\n"
                     "~<html><body>Light, not paint.</body></html>\n"
                     "Count to three.\n"
                     ">>one/\n"
                     "two\n"
                     "~Plain\\\n"
                     "explanation\n"
                     "Question with no answer\n"
                     " \n"
                     "Tab\there, quote \" there\n"
                     "x\tx\n";

void Load(CQuestionSet& set, std::string_view text) {
    ASSERT_TRUE(LoadQuizBytes(set, text, nullptr));
}
} // namespace

TEST(QuizExportTest, QuizToCsvOrTsvAndBackKeepsEveryRecord) {
    CQuestionSet set(nullptr);
    Load(set, kQuiz);
    const std::vector<CQuizRecord> before = LoadedRecords(kQuiz);
    ASSERT_EQ(before.size(), 4u);
    for (const char separator : {',', '\t'}) {
        CConvertReport written;
        const std::string sheet = WriteDelimited(set, separator, written);
        EXPECT_EQ(written.converted, 4);
        EXPECT_TRUE(written.skipped.empty());

        std::string quiz;
        CConvertReport read;
        ASSERT_TRUE(ConvertToQuizText(sheet, separator == ',' ? EFileFormat::Csv : EFileFormat::Tsv,
                                      {}, quiz, read))
            << read.error << "\n"
            << sheet;
        EXPECT_EQ(read.converted, 4) << sheet;
        const std::vector<CQuizRecord> after = LoadedRecords(quiz);
        ASSERT_EQ(after.size(), before.size()) << sheet << "\n" << quiz;
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_TRUE(SameContent(after[i], before[i]))
                << Describe(before[i]) << " came back as " << Describe(after[i]) << "\n"
                << sheet;
    }
}

// Texts a spreadsheet could take for formulas, and texts that look like the
// apostrophe that keeps one from being taken so, in every field of a quiz:
// each comes back from CSV and TSV as it was.
TEST(QuizExportTest, TextsLikeFormulasAndApostrophesComeBackAsTheyWere) {
    const std::vector<std::string> chosen = {
        // clang-format off
        "'", "''", "'=", "''=", "'''+", "=", "-", "+", "@", "=1+1", "-5", "+1", "@home",
        "'-5", "'@home", "a'=", "it's", "'quoted'", "=HYPERLINK(\"http://x\",\"y\")",
        "-\t-", "@SUM(1;2)", "'\t'", "x =1",
        // clang-format on
    };
    std::string quiz;
    for (const std::string& text : chosen)
        quiz += text + "\n" + text + "\n;" + text + "\n~" + text + "\n";
    // And texts of those characters at random, every question's four fields
    // from one seed.
    std::mt19937 random(4180);
    const std::string pieces[] = {"'", "'", "=", "+", "-", "@", "\t", "a", " ", "\"", ",", "1"};
    // Each text is one to six pieces, with one that is no blank, so that every
    // line is one the loader keeps.
    auto text = [&] {
        std::string t;
        for (int n = static_cast<int>(random() % 6); n > 0; --n)
            t += pieces[random() % std::size(pieces)];
        t.insert(random() % (t.size() + 1), 1, "'=+-@a\"1"[random() % 8]);
        return t;
    };
    for (int i = 0; i < 300; ++i)
        quiz += text() + "\n" + text() + "\n;" + text() + "\n~" + text() + "\n";

    CQuestionSet set(nullptr);
    Load(set, quiz);
    const std::vector<CQuizRecord> before = LoadedRecords(quiz);
    ASSERT_EQ(before.size(), chosen.size() + 300);
    for (const char separator : {',', '\t'}) {
        CConvertReport written;
        const std::string sheet = WriteDelimited(set, separator, written);
        std::string back;
        CConvertReport read;
        ASSERT_TRUE(ConvertToQuizText(sheet, separator == ',' ? EFileFormat::Csv : EFileFormat::Tsv,
                                      {}, back, read))
            << read.error;
        const std::vector<CQuizRecord> after = LoadedRecords(back);
        ASSERT_EQ(after.size(), before.size()) << (read.skipped.empty() ? "" : read.skipped[0].why);
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_TRUE(SameContent(after[i], before[i]))
                << Describe(before[i]) << " came back as " << Describe(after[i]);
    }
}

TEST(QuizExportTest, CellsLikeFormulasAreWrittenQuotedAfterAnApostrophe) {
    CQuestionSet set(nullptr);
    Load(set, "=1+1\n-5\n;@home\n~+1\n'=\n'\n;it's\n~''-\n");
    CConvertReport report;
    EXPECT_EQ(WriteDelimited(set, ',', report), "Question,Answer,Ordered,Comment,Explanation\r\n"
                                                "\"'=1+1\",\"'-5\",,\"'@home\",\"'+1\"\r\n"
                                                "\"''=\",',,it's,\"'''-\"\r\n");
    // A tab, where it would start a cell, is kept behind the apostrophe too.
    CQuestionSet tabs(nullptr);
    Load(tabs, "Tab?\nx\n;\tindented\n");
    EXPECT_EQ(WriteDelimited(tabs, '\t', report),
              "Question\tAnswer\tOrdered\tComment\tExplanation\r\n"
              "Tab?\tx\t\t\"'\tindented\"\t\r\n");
    EXPECT_TRUE(NeedsFormulaGuard("\r"));
    EXPECT_FALSE(NeedsFormulaGuard("a=b"));
}

TEST(QuizExportTest, VocabularyToQuizAndBackKeepsEveryTextTheQuizHolds) {
    const std::string vocabulary =
        "<?xml version=\"1.0\"?><kvtml version=\"2.0\"><identifiers><identifier id=\"0\"/>"
        "<identifier id=\"1\"/></identifiers><entries>"
        "<entry id=\"0\"><translation id=\"0\"><text>a &lt;b&gt; &amp; c</text><comment>one"
        "</comment></translation><translation id=\"1\"><text>\xCE\xB1</text><comment>two"
        "</comment></translation></entry>"
        "<entry id=\"1\"><translation id=\"0\"><text>sun</text></translation>"
        "<translation id=\"1\"><text>\xE0\xA8\xB8\xE0\xA9\x82\xE0\xA8\xB0\xE0\xA8\x9C</text>"
        "</translation></entry></entries></kvtml>";
    std::string quiz;
    CConvertReport report;
    ASSERT_TRUE(ConvertToQuizText(vocabulary, EFileFormat::Kvtml, {}, quiz, report));
    CQuestionSet set(nullptr);
    Load(set, quiz);

    CConvertReport exported;
    const std::string again = WriteKvtml(set, "Words & more", exported);
    EXPECT_EQ(exported.converted, 2);
    EXPECT_TRUE(exported.notes.empty());
    std::string quizAgain;
    CConvertReport reread;
    ASSERT_TRUE(ConvertToQuizText(again, EFileFormat::Kvtml, {}, quizAgain, reread)) << again;
    const std::vector<CQuizRecord> first = LoadedRecords(quiz);
    const std::vector<CQuizRecord> second = LoadedRecords(quizAgain);
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(first[0].question, "a <b> & c");
    EXPECT_EQ(first[0].comment, "one\ntwo");
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_TRUE(SameContent(first[i], second[i]))
            << Describe(first[i]) << " came back as " << Describe(second[i]) << "\n"
            << again;
    EXPECT_NE(again.find("<title>Words &amp; more</title>"), std::string::npos) << again;
}

TEST(QuizExportTest, WhatAVocabularyFileCannotHoldIsReported) {
    CQuestionSet set(nullptr);
    Load(set, kQuiz);
    CConvertReport report;
    const std::string kvtml = WriteKvtml(set, "t", report);
    EXPECT_EQ(report.converted, 4);
    const std::vector<std::string> expected = {
        "question 1: only the first of 3 answers is kept",
        "question 1: its explanation is not kept",
        "question 2: only the first of 2 answers is kept",
        "question 2: its explanation is not kept",
        "question 3: it has no answer; its entry has none either",
    };
    EXPECT_EQ(report.notes, expected);

    // A control character has no place in XML, not even as a reference.
    CQuestionSet control(nullptr);
    Load(control, "bell\x07?\nyes\nfine\nyes\n");
    CConvertReport controlReport;
    const std::string written = WriteKvtml(control, "t", controlReport);
    EXPECT_EQ(controlReport.converted, 1);
    ASSERT_EQ(controlReport.skipped.size(), 1u);
    EXPECT_EQ(controlReport.skipped[0].where, "question 1");
    EXPECT_EQ(written.find('\x07'), std::string::npos);
}

TEST(QuizExportTest, WindowsQuizIsExportedAsUtf8) {
    CQuestionSet set(nullptr);
    Load(set, "Caf\xE9?\nCaf\xE9 cr\xE8me\n;\x80 5\n");
    ASSERT_FALSE(set.IsUtf8());
    CConvertReport report;
    const std::string sheet = WriteDelimited(set, ',', report);
    EXPECT_NE(sheet.find("Caf\xC3\xA9?,Caf\xC3\xA9 cr\xC3\xA8me,,\xE2\x82\xAC 5,"),
              std::string::npos)
        << sheet;
    const std::string kvtml = WriteKvtml(set, "t", report);
    EXPECT_NE(kvtml.find("<text>Caf\xC3\xA9 cr\xC3\xA8me</text>"), std::string::npos) << kvtml;
}

TEST(QuizExportTest, FormatIsToldFromContentBeforeName) {
    EXPECT_EQ(DetectInputFormat("words.txt", "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\">"),
              EFileFormat::Kvtml);
    EXPECT_EQ(DetectInputFormat("page.txt", "<?xml version=\"1.0\"?>\n<html>"), EFileFormat::Quiz);
    EXPECT_EQ(DetectInputFormat("cards.txt", "#separator:tab\n#html:true\n"),
              EFileFormat::Flashcards);
    EXPECT_EQ(DetectInputFormat("sheet.CSV", "a,b\n"), EFileFormat::Csv);
    EXPECT_EQ(DetectInputFormat("sheet.tsv", "a\tb\n"), EFileFormat::Tsv);
    EXPECT_EQ(DetectInputFormat("unicode.txt", "\xFF\xFEq\0"), EFileFormat::Tsv);
    EXPECT_EQ(DetectInputFormat("quiz.txt", "Question?\nAnswer\n"), EFileFormat::Quiz);
    EXPECT_EQ(DetectInputFormat("broken.kvtml", "garbage"), EFileFormat::Kvtml);
}

// What the window's File > Open and the terminal quiz are told of a binary file
// with a spreadsheet's name: the one line, and no quiz.
TEST(QuizExportTest, BinaryFileImportsAsNothingWithTheOneLine) {
    char folder[] = "/tmp/torvi-import-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/data.csv";
    std::mt19937 random(2718);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() & 0xFF);
    std::ofstream(path, std::ios::binary) << noise;
    CQuestionSet set(nullptr);
    CConvertReport report;
    EFileFormat format = EFileFormat::Quiz;
    EXPECT_EQ(ImportQuizFile(set, path, {}, report, nullptr, &format), EImportResult::Failed);
    EXPECT_EQ(format, EFileFormat::Csv);
    EXPECT_EQ(report.error, kNotTextError);
    EXPECT_EQ(set.GetQuestions().GetCount(), 0);
    std::filesystem::remove_all(folder);
}

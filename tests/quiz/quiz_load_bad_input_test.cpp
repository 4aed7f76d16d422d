// Files that are not quizzes, or quizzes at the edge of what the format allows:
// each gives a clear result without crashing or hanging.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "quiz/question_set.h"
#include "quiz/quiz_file_reader.h"
#include "quiz_files.h"

namespace {
class QuizBadInputTest : public ::testing::Test, public CQuizSetFixture {};

TEST_F(QuizBadInputTest, BinaryFileGivesAResultAndLeavesAUsableSet) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(4096, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() & 0xFF);
        const bool ok = LoadText(bytes);
        if (!ok) {
            EXPECT_EQ(0, Count());
            EXPECT_NE(ELoadFailure::None, m_set.GetLastLoadError().failure);
            EXPECT_GE(m_set.GetLastLoadError().line, 1);
            continue;
        }
        // Every question can be asked and its texts read.
        int asked = 0;
        while (m_set.NextQuestion()) {
            m_set.GetCorrectAnswers();
            m_set.GetComment();
            m_set.GetExplanation();
            ++asked;
        }
        EXPECT_EQ(Count(), asked);
    }
}

TEST_F(QuizBadInputTest, NulBytesStayInsideTheirLines) {
    ASSERT_TRUE(LoadText(std::string("Q\0uestion\nAn\0swer\n;\0\n", 21)));
    ASSERT_EQ(1, Count());
    EXPECT_EQ(std::string("Q\0uestion", 9), Bytes(Question(0).text));
    EXPECT_EQ(std::vector<std::string>({std::string("An\0swer", 7)}), AnswersOf(Question(0)));
    EXPECT_EQ(std::string("\0", 1), Bytes(Question(0).comment));
}

TEST_F(QuizBadInputTest, HighBytesAreKeptAsTheyAre) {
    std::string bytes = "Q";
    for (int c = 0x80; c <= 0xFF; ++c)
        bytes += static_cast<char>(c);
    bytes += "\n\xFF\xFE\n";
    ASSERT_TRUE(LoadText(bytes));
    ASSERT_EQ(1, Count());
    EXPECT_EQ(bytes.substr(0, 129), Bytes(Question(0).text));
    EXPECT_EQ(std::vector<std::string>({"\xFF\xFE"}), AnswersOf(Question(0)));
    EXPECT_FALSE(m_set.IsUtf8());
}

TEST_F(QuizBadInputTest, VeryLongSingleLineFailsWithAShortenedFirstLine) {
    std::string line(5'000'000, 'x');
    line += " \xC3\xA9 tail";
    ASSERT_FALSE(LoadText(line));
    const CLoadError& error = m_set.GetLastLoadError();
    EXPECT_EQ(ELoadFailure::NoAnswerBlock, error.failure);
    EXPECT_EQ(1, error.line);
    EXPECT_EQ(std::string(200, 'x') + "...", error.firstLine);
}

TEST_F(QuizBadInputTest, ShortenedLineNeverSplitsAUtf8Character) {
    // "é" is two bytes; the 200-byte cut falls between them.
    std::string line = std::string(199, 'x');
    for (int i = 0; i < 100; ++i)
        line += "\xC3\xA9";
    ASSERT_FALSE(LoadText(line));
    EXPECT_EQ(std::string(199, 'x') + "...", m_set.GetLastLoadError().firstLine);
}

TEST_F(QuizBadInputTest, ShortenedLineIsCutByTheWholeFilesEncoding) {
    // A byte that is not UTF-8 comes after the failure, and after the first small
    // piece of the file: the line is still cut as Windows-1252 text, at the byte.
    std::string line = std::string(199, 'x');
    for (int i = 0; i < 100; ++i)
        line += "\xC3\xA9";
    const bool ok = LoadTextInPieces("Q\n" + line + "<html>\n\xE9\n", 16);
    ASSERT_FALSE(ok);
    EXPECT_EQ(ELoadFailure::HtmlInAnswer, m_set.GetLastLoadError().failure);
    EXPECT_EQ(2, m_set.GetLastLoadError().line);
    EXPECT_EQ(std::string(199, 'x') + "\xC3...", m_set.GetLastLoadError().firstLine);
    EXPECT_FALSE(m_set.IsUtf8());
}

TEST_F(QuizBadInputTest, VeryLongHtmlLineFormsOneBlock) {
    std::string html = "<html>" + std::string(3'000'000, 'y') + "</html>\nanswer\n";
    ASSERT_TRUE(LoadText(html));
    ASSERT_EQ(1, Count());
    EXPECT_EQ(3'000'013, Question(0).text.GetLength());
}

TEST_F(QuizBadInputTest, FileEndingInsideABlock) {
    // Inside a continued question: no answer follows.
    EXPECT_FALSE(LoadText("Q/"));
    EXPECT_EQ(ELoadFailure::NoAnswerBlock, m_set.GetLastLoadError().failure);
    // Inside a continued answer: the answer simply ends.
    ASSERT_TRUE(LoadText("Q\nA/"));
    EXPECT_EQ(std::vector<std::string>({"A"}), AnswersOf(Question(0)));
    // Inside an HTML explanation: it takes what there is.
    ASSERT_TRUE(LoadText("Q\nA\n~<html><body>half"));
    EXPECT_EQ("<html><body>half", Bytes(Question(0).explanation));
    // Inside an HTML question: fails for want of an answer.
    EXPECT_FALSE(LoadText("<html>\n<body>\nA\n"));
}

TEST_F(QuizBadInputTest, CarriageReturnOnlyLineEnds) {
    ASSERT_TRUE(LoadText("Q1\rA1/\rA2\r;c\r\r\rQ2\r>>B\r"));
    ASSERT_EQ(2, Count());
    EXPECT_EQ(std::vector<std::string>({"A1", "A2"}), AnswersOf(Question(0)));
    EXPECT_EQ("c", Bytes(Question(0).comment));
    EXPECT_TRUE(Question(1).ordered);
}

TEST_F(QuizBadInputTest, TenThousandAnswersToOneQuestion) {
    std::string quiz = "Many?\n";
    for (int i = 0; i < 10'000; ++i)
        quiz += "answer" + std::to_string(i) + (i + 1 < 10'000 ? "/\n" : "\n");
    ASSERT_TRUE(LoadText(quiz));
    ASSERT_EQ(1, Count());
    ASSERT_EQ(10'000, Question(0).answers.GetCount());
    EXPECT_EQ("answer9999", Bytes(*Question(0).answers.GetAt(9'999)));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    const std::string all = m_set.GetCorrectAnswers();
    EXPECT_EQ(9'999, std::count(all.begin(), all.end(), '\n'));
    EXPECT_TRUE(m_set.JudgeAnswer("answer9", 9, true));
    EXPECT_EQ(1, m_set.rightCount);
}

TEST_F(QuizBadInputTest, LoneMarksAndOrderSigns) {
    ASSERT_TRUE(LoadText(";\n~\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ(";", Bytes(Question(0).text));
    EXPECT_EQ(std::vector<std::string>({"~"}), AnswersOf(Question(0)));
    EXPECT_FALSE(LoadText(">>"));
    EXPECT_FALSE(LoadText("/"));
    // Marks alone on their lines continue into empty lines of the question.
    ASSERT_TRUE(LoadText("/\n\\\nA\nB\n"));
    EXPECT_EQ("\n\nA", Bytes(Question(0).text));
    EXPECT_EQ(std::vector<std::string>({"B"}), AnswersOf(Question(0)));
}

TEST_F(QuizBadInputTest, DirectoryIsAFileThatCannotBeRead) {
    EXPECT_FALSE(m_set.Load(m_folder.PathOf("").c_str()));
    EXPECT_EQ(ELoadFailure::CannotOpen, m_set.GetLastLoadError().failure);
}

TEST_F(QuizBadInputTest, ReaderThatCannotServeTheLoadIsRefusedAndEmptiesTheSet) {
    ASSERT_TRUE(LoadText("Q\nA\n"));
    ASSERT_EQ(1, Count());
    const std::string path = m_folder.Write("kept.txt", "option:x\nQ\nA\n");

    // A report needs the whole text, which a reader that lets bytes go no longer has.
    CQuizFileReader forgetful;
    ASSERT_TRUE(forgetful.Open(path.c_str(), false));
    CLoadReport report;
    report.strayOptionLines = {9};
    EXPECT_FALSE(m_set.Load(forgetful, &report));
    EXPECT_EQ(0, Count());
    EXPECT_EQ(ELoadFailure::CannotOpen, m_set.GetLastLoadError().failure);
    EXPECT_EQ(ELoadFailure::CannotOpen, report.error.failure);
    EXPECT_TRUE(report.options.empty());
    EXPECT_TRUE(report.strayOptionLines.empty());

    CQuizFileReader unopened;
    EXPECT_FALSE(m_set.Load(unopened, nullptr));
    EXPECT_EQ(ELoadFailure::CannotOpen, m_set.GetLastLoadError().failure);

    // Without a report the same reader serves, as the reader of Load(path) does.
    CQuizFileReader plain(3);
    ASSERT_TRUE(plain.Open(path.c_str(), false));
    EXPECT_TRUE(m_set.Load(plain, nullptr));
    EXPECT_EQ(1, Count());
    EXPECT_EQ(ELoadFailure::None, m_set.GetLastLoadError().failure);
}
} // namespace

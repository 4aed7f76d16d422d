// The loader reads long blocks in linear time; these cases hold its results to a
// plain, line-by-line reading of the format (re-searching each growing HTML block
// from its start, appending line by line) over many generated files full of the
// format's awkward corners.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "quiz/question_set.h"
#include "quiz/quiz_file_reader.h"
#include "quiz_files.h"
#include "text/encoding.h"

namespace {
struct CPlainQuestion {
    std::string text;
    std::vector<std::string> answers;
    std::string comment;
    std::string explanation;
    bool ordered = false;
    bool operator==(const CPlainQuestion&) const = default;
};

struct CPlainQuiz {
    bool ok = false;
    double threshold = 0.0;
    std::vector<std::string> ignoreWords;
    std::vector<CPlainQuestion> questions;
};

bool BeginsNoCase(const CTextBuffer& text, int32_t at, const char* prefix) {
    const int32_t n = static_cast<int32_t>(std::string(prefix).size());
    if (at + n > text.GetLength())
        return false;
    for (int32_t i = 0; i < n; ++i) {
        char a = text.GetText()[at + i];
        char b = prefix[i];
        a = (a >= 'A' && a <= 'Z') ? static_cast<char>(a - 'A' + 'a') : a;
        b = (b >= 'A' && b <= 'Z') ? static_cast<char>(b - 'A' + 'a') : b;
        if (a != b)
            return false;
    }
    return true;
}

bool PlainReadBlock(const CTextBuffer& file, int32_t& position, CTextBuffer& out,
                    bool stopAtMarks) {
    if (!file.NextLine(position, out))
        return false;
    if (BeginsNoCase(out, 0, "<html") || BeginsNoCase(out, 0, "<!DOCTYPE")) {
        CTextBuffer line;
        while (out.FindNoCase("</html>", 0) < 0) {
            if (!file.NextLine(position, line))
                break;
            out.AppendRange(line.GetText(), line.GetLength());
        }
        return true;
    }
    out.TrimRight("\t ");
    while (out.GetLength() > 0 && (out.GetText()[out.GetLength() - 1] == '/' ||
                                   out.GetText()[out.GetLength() - 1] == '\\')) {
        out.TrimRight("\\/");
        const int32_t remembered = position;
        CTextBuffer line;
        if (!file.NextLine(position, line))
            break;
        if (stopAtMarks && (line.GetText()[0] == ';' || line.GetText()[0] == '~')) {
            position = remembered;
            break;
        }
        out.Append("\n");
        out.AppendRange(line.GetText(), line.GetLength());
    }
    return true;
}

CPlainQuiz PlainLoad(const std::string& path, CAnswerJudge& judge) {
    CPlainQuiz quiz;
    CTextBuffer file;
    if (!file.LoadFile(path.c_str()))
        return quiz;
    int32_t position = 0;
    if (BeginsNoCase(file, 0, "option:")) {
        do {
            position += 7;
            CTextBuffer rest("");
            file.NextLine(position, rest);
            if (BeginsNoCase(rest, 0, "DontIgnore:")) {
                judge.ignoreWords.RemoveNoCase(rest.GetText() + 11);
            } else if (BeginsNoCase(rest, 0, "PercentForCorrect:")) {
                CTextBuffer value(rest.GetText() + 18);
                int32_t at = 0;
                double number = 0;
                if (value.ParseNumber(at, " ", number, 0.0) && number > 0.0)
                    judge.threshold = number;
            }
        } while (BeginsNoCase(file, position, "option:"));
    }
    CTextBuffer block;
    while (PlainReadBlock(file, position, block, false)) {
        CPlainQuestion question;
        question.text = Bytes(block);
        CTextBuffer answers;
        if (!PlainReadBlock(file, position, answers, true))
            return quiz;
        if (answers.FindNoCase("<html>", 0) >= 0)
            return quiz;
        if (BeginsNoCase(answers, 0, ">>")) {
            question.ordered = true;
            answers.ReplaceRange(0, 2, "");
        }
        int32_t at = 0;
        CTextBuffer line;
        while (answers.NextLine(at, line))
            question.answers.push_back(Bytes(line));
        for (;;) {
            const char mark = file.GetText()[position];
            if (position >= file.GetLength() || (mark != ';' && mark != '~'))
                break;
            ++position;
            CTextBuffer marked;
            PlainReadBlock(file, position, marked, true);
            if (mark == ';' && marked.FindNoCase("<html>", 0) >= 0)
                return quiz;
            (mark == ';' ? question.comment : question.explanation) = Bytes(marked);
        }
        quiz.questions.push_back(question);
    }
    quiz.ok = true;
    return quiz;
}

// Lines built from the format's keywords and marks, glued with every kind of
// line end, NUL bytes and UTF-8 characters of two to four bytes; one file in four
// also holds a byte that is not UTF-8.
std::string MakeQuiz(std::mt19937& random) {
    static const std::vector<std::string> kPieces = {
        "option:",
        "OPTION:PercentForCorrect:0.5",
        "option:DontIgnore:the",
        "option:DontIgnore: of",
        "PercentForCorrect:",
        "Question",
        "Answer",
        "red",
        ";",
        "~",
        ";note",
        "~why",
        ">>",
        "/",
        "\\",
        "  ",
        "\t",
        "<html>",
        "<HTML><body>",
        "</html>",
        "</HT",
        "ML>",
        "<!DOCTYPE html>",
        "x",
        "caf\xC3\xA9",
        "\xE2\x82\xAC",
        "\xF0\x9F\x98\x80",
        std::string("\0", 1),
        "option:PercentForCorrect: 2",
    };
    static const std::vector<std::string> kEnds = {"\n", "\r\n", "\r", "\n\n", "", " \n"};
    auto pick = [&random](const std::vector<std::string>& from) -> const std::string& {
        return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
    };
    std::string quiz;
    const int pieces = std::uniform_int_distribution<int>(0, 40)(random);
    for (int i = 0; i < pieces; ++i) {
        quiz += pick(kPieces);
        quiz += pick(kEnds);
    }
    if (random() % 4 == 0)
        quiz.insert(std::uniform_int_distribution<size_t>(0, quiz.size())(random), "\xE9");
    return quiz;
}

TEST(QuizLoadReferenceTest, GeneratedFilesLoadAsAPlainReadingDoes) {
    CQuizFolder folder;
    const std::string ignorePath = folder.Write("IgnoreW.TXT", "the\nof\na\n");
    std::mt19937 random(20240607);
    int loaded = 0;
    // The file is read in pieces of these sizes, so piece boundaries fall inside
    // lines, line ends, keywords and UTF-8 characters.
    const size_t chunkSizes[] = {0, 1, 2, 3, 5, 8, 64};
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = MakeQuiz(random);
        const std::string path = folder.Write("quiz.txt", bytes);
        CQuestionSet set(ignorePath.c_str());
        CAnswerJudge judge(ignorePath.c_str());
        const CPlainQuiz expected = PlainLoad(path, judge);
        const size_t chunk = chunkSizes[round % std::size(chunkSizes)];
        // Loading with a report keeps the whole text and must read the same.
        CLoadReport report;
        CLoadReport* const wanted = round % 2 ? &report : nullptr;
        const bool ok =
            chunk == 0 ? set.Load(path.c_str(), wanted) : LoadInPieces(set, path, chunk, wanted);
        ASSERT_EQ(IsValidUtf8(bytes), set.IsUtf8()) << "file:\n" << bytes;
        ASSERT_EQ(expected.ok, ok) << "file:\n" << bytes;
        ASSERT_DOUBLE_EQ(judge.threshold, set.GetThreshold()) << "file:\n" << bytes;
        ASSERT_EQ(WordsOf(judge.ignoreWords), WordsOf(set.GetIgnoreWords())) << "file:\n" << bytes;
        if (!ok) {
            EXPECT_EQ(0, set.GetQuestions().GetCount());
            continue;
        }
        ++loaded;
        ASSERT_EQ(expected.questions.size(), static_cast<size_t>(set.GetQuestions().GetCount()))
            << "file:\n"
            << bytes;
        for (size_t i = 0; i < expected.questions.size(); ++i) {
            const CQuestion& question = *set.GetQuestions().GetAt(static_cast<int32_t>(i));
            CPlainQuestion got;
            got.text = Bytes(question.text);
            got.answers = AnswersOf(question);
            got.comment = Bytes(question.comment);
            got.explanation = Bytes(question.explanation);
            got.ordered = question.ordered;
            ASSERT_TRUE(expected.questions[i] == got) << "question " << i << " of file:\n" << bytes;
        }
    }
    // The generator must reach both outcomes often for the comparison to mean much.
    EXPECT_GT(loaded, 300);
    EXPECT_LT(loaded, 2700);
}

TEST(QuizLoadReferenceTest, LongHtmlBlockEndsWhereAPlainSearchEndsIt) {
    CQuizFolder folder;
    const std::string ignorePath = folder.Write("IgnoreW.TXT", "");
    // The closing tag is cut at every possible place over two or three lines.
    const std::string tag = "</html>";
    for (size_t cut = 0; cut <= tag.size(); ++cut) {
        for (size_t cut2 = cut; cut2 <= tag.size(); ++cut2) {
            const std::string bytes = "<html>" + std::string(50, 'x') + "\n" + tag.substr(0, cut) +
                                      "\n" + tag.substr(cut, cut2 - cut) + "\n" + tag.substr(cut2) +
                                      "\nafter\nanswer\n";
            const std::string path = folder.Write("quiz.txt", bytes);
            CQuestionSet set(ignorePath.c_str());
            CAnswerJudge judge(ignorePath.c_str());
            const CPlainQuiz expected = PlainLoad(path, judge);
            ASSERT_EQ(expected.ok, set.Load(path.c_str())) << bytes;
            if (!expected.ok)
                continue;
            ASSERT_EQ(expected.questions.size(),
                      static_cast<size_t>(set.GetQuestions().GetCount()));
            EXPECT_EQ(expected.questions[0].text, Bytes(set.GetQuestions().GetAt(0)->text))
                << bytes;
        }
    }
}
} // namespace

#include "check/quiz_checker.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#include "text/ascii.h"
#include "text/text_buffer.h"
#include "text/unicode_fold.h"

namespace {
std::string_view ViewOf(const CTextBuffer& text) {
    return text.GetText() ? std::string_view(text.GetText(), static_cast<size_t>(text.GetLength()))
                          : std::string_view();
}

std::string Quoted(std::string_view bytes, QuizTextForDisplay display) {
    std::string quoted = "\"";
    quoted += display(bytes);
    quoted += '"';
    return quoted;
}

// What the loader made of a "PercentForCorrect:" value, when that will surprise
// the author; empty when the value is a usable threshold.
std::string CheckThreshold(const std::string& rest, QuizTextForDisplay display) {
    const std::string value = rest.substr(18);
    if (value.empty())
        return "\"PercentForCorrect:\" has no value and is ignored";
    if (value[0] == ' ')
        return "\"PercentForCorrect:\" value is ignored: a space follows the colon";
    // The same reading the loader makes: the text up to the first space.
    const CTextBuffer text(value.c_str());
    int32_t at = 0;
    double number = 0.0;
    if (!text.ParseNumber(at, " ", number, 0.0))
        return "\"PercentForCorrect:\" has no value and is ignored";
    std::string token = value.substr(0, value.find(' '));
    token.erase(0, token.find_first_not_of(" \t"));
    double parsed = 0.0;
    const size_t used = ReadDecimalNumber(token.c_str(), parsed);
    const std::string quoted = Quoted(token, display);
    if (used == 0)
        return "\"PercentForCorrect:\" value " + quoted + " is not a number and is ignored";
    if (!(number > 0.0))
        return "\"PercentForCorrect:\" value " + quoted + " is not above 0 and is ignored";
    if (!std::isfinite(number))
        return "\"PercentForCorrect:\" value " + quoted + " is too large and is ignored";
    if (number > 1.0)
        return "\"PercentForCorrect:\" value " + quoted +
               " is above 1: no answer can then be right";
    return "";
}

void CollectFileWarnings(const CLoadReport& report, QuizTextForDisplay display,
                         std::vector<CQuizDiagnostic>& found) {
    for (const CLoadReport::COptionLine& option : report.options) {
        if (!StartsWithNoCase(option.rest, "PercentForCorrect:"))
            continue;
        std::string problem = CheckThreshold(option.rest, display);
        if (!problem.empty())
            found.push_back({option.line, false, std::move(problem)});
    }
    if (report.hiddenHeaderLine > 0)
        found.push_back({1, false,
                         "the first line is blank, so the \"option:\" lines from line " +
                             std::to_string(report.hiddenHeaderLine) +
                             " are read as questions and answers, not as options (the header "
                             "must start on the first line)"});
    for (int32_t line : report.strayOptionLines)
        found.push_back({line, false,
                         "\"option:\" line after the first question is read as question or "
                         "answer text, not as an option"});
}

// The words as the message names them: "Stra" and "e"; a long answer's first
// few and how many more.
std::string QuotedWords(const CTextList& words, QuizTextForDisplay display) {
    constexpr int32_t kShown = 6;
    const int32_t count = words.GetCount();
    const int32_t shown = std::min(count, kShown);
    std::string out;
    for (int32_t i = 0; i < shown; ++i) {
        if (i > 0)
            out += i + 1 == shown && count <= kShown ? " and " : ", ";
        out += Quoted(ViewOf(*words.GetAt(i)), display);
    }
    if (count > kShown)
        out += " and " + std::to_string(count - kShown) + " more";
    return out;
}

// An expected answer whose letters beyond A-Z the ASCII word rule takes for
// spaces. The first such answer says in full which line reads them; the later
// ones, in a big vocabulary file perhaps thousands, point back to it.
std::string DescribeLostLetters(const std::string& answer, const CTextList& words,
                                int32_t firstLine, QuizTextForDisplay display) {
    const std::string start = "expected answer " + answer + " holds letters beyond A-Z";
    const bool none = words.GetCount() == 0;
    if (firstLine > 0)
        return start + ": " +
               (none ? std::string("no typed answer can ever be right")
                     : "the judge compares only " + QuotedWords(words, display)) +
               " (see line " + std::to_string(firstLine) + " for the option line that reads them)";
    return start + ", which the judge takes for spaces: " +
           (none ? std::string("it has no word to compare, so no typed answer can ever be right")
                 : "it compares only " + QuotedWords(words, display)) +
           "; make \"" + kWordsUnicodeOption +
           "\" the first line of the file to read words in every alphabet (or "
           "\"option:Accents:Optional\" to let accents be left out too)";
}

void CollectQuestionWarnings(const CQuestionSet& set, const CLoadReport& report,
                             QuizTextForDisplay display, std::vector<CQuizDiagnostic>& found) {
    // Under the ASCII rule a letter of another alphabet is lost, and so is every
    // accented one; the options that read them are the author's to choose.
    const bool losesLetters = set.judge.wordRule == EWordRule::Ascii;
    int32_t firstLostLine = 0;
    const CItemList<CQuestion>& questions = set.GetQuestions();
    for (int32_t i = 0; i < questions.GetCount(); ++i) {
        const CQuestion& question = *questions.GetAt(i);
        const CLoadReport::CQuestionLines& lines = report.questions[static_cast<size_t>(i)];
        if (question.text.GetLength() == 0)
            found.push_back({lines.textLine, false, "question text is empty"});
        const int32_t count = question.answers.GetCount();
        if (count > CQuestionSet::kMaxJudgedAnswers)
            found.push_back({lines.textLine, false,
                             "question has " + std::to_string(count) +
                                 " expected answers; only the first ten can be typed and judged"});
        for (int32_t k = 0; k < count; ++k) {
            const CTextBuffer& answer = *question.answers.GetAt(k);
            // The judge reads an expected answer up to a NUL byte, if it holds one.
            const CTextBuffer judged(answer.GetText());
            CTextList words;
            set.judge.SplitWords(judged, words, ETextSide::Expected);
            set.judge.RemoveIgnoredWords(words);
            const bool lost = losesLetters && HoldsWordBeyondAscii(ViewOf(judged), set.IsUtf8());
            if (words.GetCount() > 0 && !lost)
                continue;
            const int32_t line = static_cast<size_t>(k) < lines.answerLines.size()
                                     ? lines.answerLines[static_cast<size_t>(k)]
                                     : lines.textLine;
            const std::string quoted = Quoted(ViewOf(answer), display);
            if (!lost) {
                found.push_back({line, false,
                                 "expected answer " + quoted +
                                     " can never be matched: no words are left once the ignore "
                                     "words are dropped"});
                continue;
            }
            found.push_back({line, false,
                             DescribeLostLetters(quoted, words, firstLostLine, display),
                             EQuizFix::AddWordsUnicodeOption});
            if (firstLostLine == 0)
                firstLostLine = line;
        }
    }
}
} // namespace

size_t CQuizCheck::CountErrors() const {
    return static_cast<size_t>(std::count_if(diagnostics.begin(), diagnostics.end(),
                                             [](const CQuizDiagnostic& d) { return d.error; }));
}

bool CQuizCheck::Offers(EQuizFix fix) const {
    return std::any_of(diagnostics.begin(), diagnostics.end(),
                       [fix](const CQuizDiagnostic& d) { return d.fix == fix; });
}

std::string CQuizCheck::Summary() const {
    return CountedNoun(static_cast<size_t>(questionCount), "question") + ", " +
           CountedNoun(CountErrors(), "error") + ", " + CountedNoun(CountWarnings(), "warning");
}

std::string CountedNoun(size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

CQuizCheck CheckLoadedQuiz(const CQuestionSet& set, bool loaded, const CLoadReport& report,
                           QuizTextForDisplay display) {
    CQuizCheck check;
    check.loaded = loaded;
    if (!loaded && report.error.failure == ELoadFailure::CannotOpen) {
        check.cannotOpen = true;
        check.diagnostics.push_back({0, true, "cannot read the file"});
        return check;
    }
    if (!loaded)
        check.diagnostics.push_back({report.error.line, true,
                                     std::string(report.error.GetReason()) + ": " +
                                         Quoted(report.error.firstLine, display)});
    CollectFileWarnings(report, display, check.diagnostics);
    if (loaded)
        CollectQuestionWarnings(set, report, display, check.diagnostics);
    std::stable_sort(
        check.diagnostics.begin(), check.diagnostics.end(),
        [](const CQuizDiagnostic& a, const CQuizDiagnostic& b) { return a.line < b.line; });
    check.questionCount = set.GetQuestions().GetCount();
    return check;
}

CQuizCheck CheckQuizFile(const std::string& path, const CAnswerJudge& ignoreList,
                         QuizTextForDisplay display) {
    CQuestionSet set(nullptr);
    for (const CTextBuffer* word : ignoreList.ignoreWords)
        set.judge.ignoreWords.Add(new CTextBuffer(*word));
    CLoadReport report;
    const bool loaded = set.Load(path.c_str(), &report);
    return CheckLoadedQuiz(set, loaded, report, display);
}

CQuizCheck CheckQuizBytes(std::string_view bytes, const CAnswerJudge& ignoreList,
                          QuizTextForDisplay display) {
    CQuestionSet set(nullptr);
    for (const CTextBuffer* word : ignoreList.ignoreWords)
        set.judge.ignoreWords.Add(new CTextBuffer(*word));
    CLoadReport report;
    const bool loaded = LoadQuizBytes(set, bytes, &report);
    return CheckLoadedQuiz(set, loaded, report, display);
}

bool LoadQuizBytes(CQuestionSet& set, std::string_view bytes, CLoadReport* report) {
    const int fd = memfd_create("torvi-quiz", MFD_CLOEXEC);
    bool written = fd >= 0;
    for (size_t done = 0; written && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += written ? static_cast<size_t>(n) : 0;
    }
    // The loader opens files by name; this process's own view of the descriptor
    // names the in-memory file.
    const std::string path = written ? "/proc/self/fd/" + std::to_string(fd) : std::string();
    const bool loaded = set.Load(path.empty() ? nullptr : path.c_str(), report);
    if (fd >= 0)
        close(fd);
    return loaded;
}

#include "convert/quiz_writer.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "check/quiz_checker.h"
#include "quiz/question_set.h"
#include "text/ascii.h"
#include "text/encoding.h"
#include "text/unicode_fold.h"

namespace {
constexpr char kWordsUnicodeLine[] = "option:Words:Unicode";
constexpr char kAccentsOptionalLine[] = "option:Accents:Optional";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool StartsHtml(std::string_view text) {
    return StartsWithNoCase(text, "<html") || StartsWithNoCase(text, "<!DOCTYPE");
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

// The loader's plain block: each line but the last ends in a continuation mark;
// a line's own trailing "/" or "\" would be taken for one, a trailing blank on a
// block's only line is trimmed, and where marks are looked for a continuation
// line starting with ";" or "~" ends the block. An empty line between two others
// is written as the bare mark; an empty first or last line has no way in.
std::string WhyNotPlainBlock(std::string_view text, bool stopAtMarks) {
    const std::vector<std::string_view> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty() && (i == 0 || i + 1 == lines.size()))
            return "it starts or ends with an empty line";
        if (line.empty())
            continue;
        if (line.back() == '/' || line.back() == '\\')
            return "a line ends in '/' or '\\'";
        if (i == 0 && lines.size() == 1 && IsBlank(line.back()))
            return "it ends in a blank";
        if (i > 0 && stopAtMarks && (line[0] == ';' || line[0] == '~'))
            return "a line after the first starts with ';' or '~'";
    }
    return {};
}

void AppendPlainBlock(std::string& out, std::string_view text, char mark) {
    const std::vector<std::string_view> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (i + 1 < lines.size())
            out += mark;
        out += '\n';
    }
}

// A page is read up to the line that holds "</html>", its lines joined with
// nothing, so it is written as one line that closes itself.
std::string WhyNotPage(std::string_view text) {
    if (text.find('\n') != std::string_view::npos)
        return "the page has a line break";
    if (!ContainsNoCase(text, "</html>"))
        return "the page has no </html>";
    return {};
}

std::string WhyNotText(std::string_view text) {
    if (text.find('\0') != std::string_view::npos)
        return "it holds a NUL character";
    if (text.find('\r') != std::string_view::npos)
        return "it holds a carriage return";
    if (!IsValidUtf8(text))
        return "it is not UTF-8";
    return {};
}

std::string Because(const char* field, const std::string& why) {
    return why.empty() ? why : std::string(field) + ": " + why;
}

std::string WhyNotAnswers(const CQuizRecord& record) {
    const std::vector<std::string>& answers = record.answers;
    for (size_t i = 0; i < answers.size(); ++i) {
        const std::string& answer = answers[i];
        if (std::string why = WhyNotText(answer); !why.empty())
            return why;
        if (answer.find('\n') != std::string::npos)
            return "an answer holds a line break";
        if (ContainsNoCase(answer, "<html"))
            return "an answer holds <html";
        if (answer.empty()) {
            // Only a first answer can be empty: its line is the bare mark.
            if (i == 0 && answers.size() > 1)
                continue;
            return "an answer is empty";
        }
        if (answer.back() == '/' || answer.back() == '\\')
            return "an answer ends in '/' or '\\'";
        if (i == 0) {
            if (!record.ordered && answer.starts_with(">>"))
                return "the first answer starts with '>>'";
            if (!record.ordered && StartsHtml(answer))
                return "the first answer starts like a page";
            if (answers.size() == 1 && IsBlank(answer.back()))
                return "the answer ends in a blank";
        } else if (answer[0] == ';' || answer[0] == '~') {
            return "an answer after the first starts with ';' or '~'";
        }
    }
    return {};
}
} // namespace

std::string WhyNotWritable(const CQuizRecord& r, bool first) {
    if (std::string why = Because("question", WhyNotText(r.question)); !why.empty())
        return why;
    if (r.question.empty())
        return "nothing to ask";
    if (StartsHtml(r.question)) {
        if (std::string why = Because("question", WhyNotPage(r.question)); !why.empty())
            return why;
    } else {
        if (std::string why = Because("question", WhyNotPlainBlock(r.question, false));
            !why.empty())
            return why;
    }
    if (!first && (r.question[0] == ';' || r.question[0] == '~'))
        return "the question starts with ';' or '~'";
    if (first &&
        (StartsWithNoCase(r.question, "option:") || r.question.starts_with("\xEF\xBB\xBF")))
        return "the first question starts like an option line";
    if (std::string why = WhyNotAnswers(r); !why.empty())
        return why;
    if (!r.comment.empty()) {
        if (std::string why = Because("comment", WhyNotText(r.comment)); !why.empty())
            return why;
        if (ContainsNoCase(r.comment, "<html") || StartsHtml(r.comment))
            return "the comment holds <html";
        if (std::string why = Because("comment", WhyNotPlainBlock(r.comment, true)); !why.empty())
            return why;
    }
    if (!r.explanation.empty()) {
        if (std::string why = Because("explanation", WhyNotText(r.explanation)); !why.empty())
            return why;
        const std::string why = StartsHtml(r.explanation) ? WhyNotPage(r.explanation)
                                                          : WhyNotPlainBlock(r.explanation, true);
        if (!why.empty())
            return Because("explanation", why);
    }
    return {};
}

namespace {
void AppendRecord(std::string& out, const CQuizRecord& r) {
    if (StartsHtml(r.question))
        out.append(r.question).push_back('\n');
    else
        AppendPlainBlock(out, r.question, '\\');

    if (r.ordered)
        out += ">>";
    if (r.answers.empty())
        out += r.ordered ? "\n" : " \n"; // a blank answer line gives no answers
    for (size_t i = 0; i < r.answers.size(); ++i) {
        out += r.answers[i];
        if (i + 1 < r.answers.size())
            out += '/';
        out += '\n';
    }
    if (!r.comment.empty()) {
        out += ';';
        AppendPlainBlock(out, r.comment, '\\');
    }
    if (!r.explanation.empty()) {
        out += '~';
        if (StartsHtml(r.explanation))
            out.append(r.explanation).push_back('\n');
        else
            AppendPlainBlock(out, r.explanation, '\\');
    }
}

std::string_view ViewOf(const CTextBuffer& text) {
    return std::string_view(text.GetText(), static_cast<size_t>(text.GetLength()));
}

bool Same(const CTextBuffer& loaded, const std::string& expected) {
    return ViewOf(loaded) == expected;
}

bool LoadsBackAs(const CQuestion& q, const CQuizRecord& r) {
    if (!Same(q.text, r.question) || !Same(q.comment, r.comment) ||
        !Same(q.explanation, r.explanation) || q.ordered != r.ordered ||
        q.answers.GetCount() != static_cast<int32_t>(r.answers.size()))
        return false;
    for (size_t i = 0; i < r.answers.size(); ++i)
        if (!Same(*q.answers.GetAt(static_cast<int32_t>(i)), r.answers[i]))
            return false;
    return true;
}
// An expected answer without a word under the quiz's rule (under the ASCII
// rule, with no letter A-Z or digit; under a Unicode one, with no letter, mark
// or digit of any script) can never be matched by a typed answer. The quiz is
// right as converted; the teacher is told.
void NoteUnmatchableAnswers(const CQuestionSet& set, CConvertReport& report) {
    int32_t unmatchable = 0;
    bool beyondAscii = false;
    CTextList words;
    for (const CQuestion* question : set.questions) {
        for (const CTextBuffer* answer : question->answers) {
            words.RemoveAll();
            set.judge.SplitWords(*answer, words, ETextSide::Expected);
            if (words.GetCount() > 0)
                continue;
            ++unmatchable;
            beyondAscii = beyondAscii || HoldsWordBeyondAscii(ViewOf(*answer), set.IsUtf8());
        }
    }
    if (unmatchable == 0)
        return;
    std::string note = CountedNoun(static_cast<size_t>(unmatchable), "expected answer");
    if (set.judge.wordRule != EWordRule::Ascii) {
        note += " without a letter or a digit in any script can never be answered right: the "
                "judge compares words only";
    } else {
        note += " without a letter A-Z or a digit can never be answered right: the judge "
                "compares words of those characters only";
        // Letters beyond A-Z meet the ASCII rule only in a quiz that keeps its
        // own header; its author is told which line would read them.
        if (beyondAscii)
            note += std::string(" (") + kWordsUnicodeLine + " reads the words of every script)";
    }
    report.notes.push_back(std::move(note));
}

size_t CountAnswersBeyondAscii(const std::vector<const CQuizRecord*>& records) {
    size_t count = 0;
    for (const CQuizRecord* r : records)
        count += static_cast<size_t>(
            std::count_if(r->answers.begin(), r->answers.end(),
                          [](const std::string& a) { return HoldsWordBeyondAscii(a, true); }));
    return count;
}

// The option lines the quiz starts with. A quiz's own lines come as they were,
// behind Accents:Optional when that is asked and the lines do not say it
// already; records from another program get the rule their answers need.
// wordsFor is the number of answers for which the writer chose Words:Unicode
// itself, 0 when it did not.
std::string HeaderText(const std::vector<const CQuizRecord*>& kept, const CQuizHeader& header,
                       const std::vector<std::string>& ownLines, size_t& wordsFor) {
    // The loader lets Accents:Optional win over Words:Unicode, and either over
    // the ASCII rule: the order of the enumeration.
    EWordRule own = EWordRule::Ascii;
    for (const std::string& line : ownLines)
        own = std::max(own, ReadWordRuleOption(line));
    std::string text;
    wordsFor = 0;
    if (header.accentsOptional && own != EWordRule::UnicodeWithoutAccents)
        text.append(kAccentsOptionalLine).push_back('\n');
    else if (!header.ownLines && (wordsFor = CountAnswersBeyondAscii(kept)) > 0)
        text.append(kWordsUnicodeLine).push_back('\n');
    for (const std::string& line : ownLines)
        text.append("option:").append(line).push_back('\n');
    return text;
}

// The teacher is told why the quiz starts with a line the file did not have.
void NoteWordsLine(size_t answers, CConvertReport& report) {
    report.notes.push_back(std::string(kWordsUnicodeLine) + " is written first, so that " +
                           CountedNoun(answers, "expected answer") + " with letters beyond A-Z " +
                           (answers == 1 ? "is judged in its" : "are judged in their") +
                           " own script");
}

// A quiz's own option lines that can be written again: each on one line of
// UTF-8 text. Any other is named in a note.
std::vector<std::string> WritableOwnLines(const CQuizHeader& header, CConvertReport& report) {
    std::vector<std::string> lines;
    if (!header.ownLines)
        return lines;
    for (const std::string& line : *header.ownLines) {
        std::string why =
            line.find('\n') != std::string::npos ? "it holds a line break" : WhyNotText(line);
        if (why.empty())
            lines.push_back(line);
        else
            report.notes.push_back("an option line of the quiz is not kept: " + why);
    }
    return lines;
}
} // namespace

std::string WriteQuizText(const std::vector<CQuizRecord>& records, CConvertReport& report,
                          const CQuizHeader& header, WritableRule rule) {
    const std::vector<std::string> ownLines = WritableOwnLines(header, report);
    std::vector<const CQuizRecord*> kept;
    kept.reserve(records.size());
    // Why each record was left out, by its place in records.
    std::vector<std::pair<size_t, std::string>> skipped;
    for (const CQuizRecord& record : records) {
        std::string why = rule(record, kept.empty());
        if (why.empty())
            kept.push_back(&record);
        else
            skipped.emplace_back(static_cast<size_t>(&record - records.data()), std::move(why));
    }

    // The rules above are the loader's as this writer understands them; the
    // loader itself has the last word. A record that does not come back as it
    // went in is left out and the rest written again. The first record that
    // differs is the culprit: every record before it came back whole, so the
    // file up to it was read as meant.
    std::string text;
    // Each round loads the whole text again, so a file whose records keep failing
    // is not allowed to cost a round per record: after enough rounds every
    // record from the failing one on is left out.
    constexpr int kMaxRounds = 64;
    size_t wordsFor = 0;
    for (int round = 1;; ++round) {
        // The header follows the records kept so far: a record left out may
        // have been the one that needed it.
        text = HeaderText(kept, header, ownLines, wordsFor);
        for (const CQuizRecord* record : kept)
            AppendRecord(text, *record);
        CQuestionSet set(nullptr);
        const bool loaded = LoadQuizBytes(set, text, nullptr);
        const CQuestionList& questions = set.questions;
        size_t bad = kept.size();
        for (size_t i = 0; i < kept.size(); ++i) {
            if (!loaded || i >= static_cast<size_t>(questions.GetCount()) ||
                !LoadsBackAs(*questions.GetAt(static_cast<int32_t>(i)), *kept[i])) {
                bad = i;
                break;
            }
        }
        if (bad == kept.size() && loaded &&
            static_cast<size_t>(questions.GetCount()) == kept.size()) {
            if (wordsFor > 0)
                NoteWordsLine(wordsFor, report);
            NoteUnmatchableAnswers(set, report);
            break;
        }
        if (bad == kept.size())
            bad = kept.empty() ? 0 : kept.size() - 1;
        if (kept.empty())
            break;
        const size_t last = round < kMaxRounds ? bad + 1 : kept.size();
        for (size_t i = bad; i < last; ++i)
            skipped.emplace_back(static_cast<size_t>(kept[i] - records.data()),
                                 "it would not load back as written");
        kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(bad),
                   kept.begin() + static_cast<std::ptrdiff_t>(last));
    }

    report.converted = static_cast<int32_t>(kept.size());
    // The report names skipped records in input order.
    std::stable_sort(skipped.begin(), skipped.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [index, why] : skipped)
        report.Skip(records[index].where, std::move(why), records[index].sequence);
    return text;
}

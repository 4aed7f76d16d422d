#include "quiz/question_set.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "quiz/quiz_file_reader.h"
#include "quiz/random_source.h"

namespace {
// Error texts show at most this many bytes of the offending line.
constexpr size_t kFirstLineShown = 200;
// "</html>" is seven bytes: a marker that ends in a newly appended line starts at
// most six bytes before it.
constexpr int32_t kEndMarkerOverlap = 6;

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// True when text begins with prefix, ASCII letters compared without case. The
// NUL that ends every buffer differs from any prefix byte, so a short text stops
// the comparison before its end.
bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (FoldAscii(static_cast<unsigned char>(*text)) !=
            FoldAscii(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return true;
}

// Appends n bytes, doubling the room whenever it runs out: a block made of many
// lines is then copied a handful of times instead of once per line.
void AppendGrowing(CTextBuffer& out, const char* text, int32_t n) {
    const int64_t needed = static_cast<int64_t>(out.GetLength()) + n + 1;
    if (needed > out.GetCapacity()) {
        const int64_t room =
            std::min<int64_t>(std::max<int64_t>(needed, 2LL * out.GetCapacity()), INT32_MAX);
        out.Reserve(static_cast<int32_t>(room));
    }
    out.AppendRange(text, n);
}

// A block grown line by line carries spare room; what is kept holds only its text.
void FitExactly(CTextBuffer& text) {
    if (text.GetCapacity() > text.GetLength() + 1) {
        CTextBuffer exact;
        exact.AssignRange(text.GetText(), text.GetLength());
        text = std::move(exact);
    }
}

// Reads one block as ReadBlock describes it, from the whole file text (a
// CTextBuffer) or from the file read piece by piece (a CQuizFileReader), which give
// the same lines. line is scratch space for the lines after the first; lineStarts,
// when given, receives the file position of each line that went into the block.
template <typename TSource>
bool ReadBlockLines(TSource& fileText, int32_t& position, CTextBuffer& out, bool stopAtMarks,
                    CTextBuffer& line, std::vector<int32_t>* lineStarts) {
    const int32_t firstStart = position;
    if (!fileText.NextLine(position, out))
        return false;
    if (lineStarts)
        lineStarts->push_back(firstStart);

    if (StartsWithNoCase(out.GetText(), "<html") || StartsWithNoCase(out.GetText(), "<!DOCTYPE")) {
        // An HTML document runs until its closing tag, whatever its lines hold.
        // Only the part not yet searched is looked at after each line.
        int32_t searchFrom = 0;
        while (out.FindNoCase("</html>", searchFrom) < 0) {
            searchFrom = std::max(0, out.GetLength() - kEndMarkerOverlap);
            const int32_t lineStart = position;
            if (!fileText.NextLine(position, line))
                break;
            if (lineStarts)
                lineStarts->push_back(lineStart);
            AppendGrowing(out, line.GetText(), line.GetLength());
        }
        return true;
    }

    out.TrimRight("\t ");
    while (out.GetLength() > 0) {
        const char last = out.GetText()[out.GetLength() - 1];
        if (last != '/' && last != '\\')
            break;
        out.TrimRight("\\/");
        const int32_t remembered = position;
        if (!fileText.NextLine(position, line))
            break;
        // A marked line starts the next block: leave it unread.
        if (stopAtMarks && (line.GetText()[0] == ';' || line.GetText()[0] == '~')) {
            position = remembered;
            break;
        }
        if (lineStarts)
            lineStarts->push_back(remembered);
        AppendGrowing(out, "\n", 1);
        AppendGrowing(out, line.GetText(), line.GetLength());
    }
    return true;
}

// Cuts a line shown in an error message to its first kFirstLineShown bytes, and
// marks the cut with "...". A UTF-8 character is never split.
void ShortenLine(std::string& line, bool utf8) {
    if (line.size() <= kFirstLineShown)
        return;
    size_t cut = kFirstLineShown;
    // Continuation bytes of a UTF-8 character are 10xxxxxx.
    while (utf8 && cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
        --cut;
    line.resize(cut);
    line += "...";
}

// True when the block holds "<html>" in any case. Most blocks hold no "<" at all,
// and those need no closer look.
bool HoldsHtmlTag(const CTextBuffer& block) {
    const void* angle = std::memchr(block.GetText(), '<', static_cast<size_t>(block.GetLength()));
    return angle && block.FindNoCase("<html>", 0) >= 0;
}

// StartsWithNoCase over a text of known length that need not end in a NUL.
bool BeginsWithNoCase(const char* data, int32_t length, int32_t start, const char* prefix) {
    const auto n = static_cast<int32_t>(std::strlen(prefix));
    return length - start >= n && StartsWithNoCase(std::string(data + start, n).c_str(), prefix);
}

bool IsBlankLine(const char* data, int32_t length, int32_t start) {
    for (int32_t i = start; i < length && data[i] != '\r' && data[i] != '\n'; ++i) {
        if (data[i] != ' ' && data[i] != '\t')
            return false;
    }
    return true;
}

// Fills in the report's view of "option:" lines that the header did not take.
void FindStrayOptions(const std::vector<char>& text, int32_t headerEnd, CLoadReport& report) {
    const char* data = text.data();
    const auto length = static_cast<int32_t>(text.size());
    std::vector<int32_t> lineStarts;
    lineStarts.push_back(0);
    for (int32_t i = 0; i < length; ++i) {
        if (data[i] == '\n' || (data[i] == '\r' && (i + 1 >= length || data[i + 1] != '\n')))
            lineStarts.push_back(i + 1);
    }
    if (lineStarts.back() >= length && lineStarts.size() > 1)
        lineStarts.pop_back(); // the file ends with a line end: no line after it

    size_t i = 0;
    // A blank first line hides an option header that follows it: the run of option
    // and blank lines there is told about once, as a whole.
    if (headerEnd == 0 && length > 0 && IsBlankLine(data, length, 0)) {
        size_t k = 1;
        while (k < lineStarts.size() && IsBlankLine(data, length, lineStarts[k]))
            ++k;
        if (k < lineStarts.size() && BeginsWithNoCase(data, length, lineStarts[k], "option:")) {
            report.hiddenHeaderLine = static_cast<int32_t>(k + 1);
            while (k < lineStarts.size() &&
                   (IsBlankLine(data, length, lineStarts[k]) ||
                    BeginsWithNoCase(data, length, lineStarts[k], "option:")))
                ++k;
            i = k;
        }
    }
    for (; i < lineStarts.size(); ++i) {
        if (lineStarts[i] >= headerEnd && BeginsWithNoCase(data, length, lineStarts[i], "option:"))
            report.strayOptionLines.push_back(static_cast<int32_t>(i + 1));
    }
}
} // namespace

const char* CLoadError::GetReason() const {
    switch (failure) {
    case ELoadFailure::None:
        return "no error";
    case ELoadFailure::CannotOpen:
        return "cannot read the file";
    case ELoadFailure::NoAnswerBlock:
        return "question without an answer block (the file ends after it)";
    case ELoadFailure::HtmlInAnswer:
        return "answer block contains \"<html>\"";
    case ELoadFailure::HtmlInComment:
        return "comment block contains \"<html>\"";
    }
    return "unknown error";
}

std::string CLoadError::Describe() const {
    if (line <= 0)
        return GetReason();
    return "line " + std::to_string(line) + ": " + GetReason() + ": \"" + firstLine + "\"";
}

CQuestionSet::CQuestionSet(const char* ignoreFile) : judge(ignoreFile) {
    SeedRandom();
    Reset();
}

bool CQuestionSet::ReadBlock(const CTextBuffer& fileText, int32_t& position, CTextBuffer& out,
                             bool stopAtMarks) {
    CTextBuffer line;
    return ReadBlockLines(fileText, position, out, stopAtMarks, line, nullptr);
}

bool CQuestionSet::Load(const char* path) {
    return Load(path, nullptr);
}

bool CQuestionSet::Load(const char* path, CLoadReport* report) {
    m_lastError = CLoadError{};
    if (report)
        *report = CLoadReport{};

    // The file is read a piece at a time: a large quiz never sits in memory whole
    // beside its questions. A report looks at the whole text afterwards, so then
    // every byte is kept. The reader takes its room before the old quiz is freed,
    // so the many small blocks freed can simply be used again for the new one.
    CQuizFileReader file;
    const bool opened = file.Open(path, report != nullptr);
    // The previous quiz is gone from here on, whether or not this file loads.
    questions.RemoveAll();
    if (!opened) {
        // Nothing to read: the caller tells the user the file did not load.
        m_bUtf8 = true;
        m_lastError.failure = ELoadFailure::CannotOpen;
        if (report)
            report->error = m_lastError;
        return false;
    }

    CTextBuffer line;
    int32_t position = 0;

    // The option header: only when the file's very first characters are "option:".
    if (file.StartsWithNoCase(0, "option:")) {
        CTextBuffer rest;
        do {
            const int32_t optionStart = position;
            position += 7;
            // "option:" at the very end of the file has nothing after it: an empty rest.
            if (!file.NextLine(position, rest))
                rest.AssignRange("", 0);
            const char* text = rest.GetText();
            if (StartsWithNoCase(text, "DontIgnore:")) {
                // The word is taken exactly as written, a leading space included.
                judge.ignoreWords.RemoveNoCase(text + 11);
            } else if (StartsWithNoCase(text, "PercentForCorrect:")) {
                const CTextBuffer value(text + 18);
                int32_t at = 0;
                double number = 0.0;
                if (value.ParseNumber(at, " ", number, 0.0) && number > 0.0)
                    judge.threshold = number;
            }
            if (report)
                report->options.push_back(
                    {file.LineAt(optionStart),
                     std::string(text, static_cast<size_t>(rest.GetLength()))});
            file.Release(position);
        } while (file.StartsWithNoCase(position, "option:"));
    }
    const int32_t headerEnd = position;

    auto fail = [&](ELoadFailure failure, int32_t blockStart) {
        questions.RemoveAll();
        m_lastError.failure = failure;
        // The line text first: finishing the file lets the bytes before go. It is
        // cut once the whole file is known to be UTF-8 or not.
        m_lastError.firstLine = file.LineFrom(blockStart, kFirstLineShown + 1);
        file.Finish();
        m_bUtf8 = file.IsUtf8();
        ShortenLine(m_lastError.firstLine, m_bUtf8);
        m_lastError.line = file.LineAt(blockStart);
        if (report) {
            report->error = m_lastError;
            report->questions.clear();
            FindStrayOptions(file.GetWholeText(), headerEnd, *report);
        }
        return false;
    };

    CTextBuffer block;
    std::vector<int32_t> answerLineStarts;
    std::vector<int32_t>* answerStarts = report ? &answerLineStarts : nullptr;
    std::vector<std::pair<int32_t, int32_t>> answerRanges;

    // The question block is read straight into the new question's text.
    auto question = std::make_unique<CQuestion>();
    int32_t questionStart = position;
    while (ReadBlockLines(file, position, question->text, false, line, nullptr)) {
        FitExactly(question->text);

        const int32_t answerStart = position;
        answerLineStarts.clear();
        if (!ReadBlockLines(file, position, block, true, line, answerStarts))
            return fail(ELoadFailure::NoAnswerBlock, questionStart);
        if (HoldsHtmlTag(block))
            return fail(ELoadFailure::HtmlInAnswer, answerStart);
        if (block.GetLength() >= 2 && block.GetText()[0] == '>' && block.GetText()[1] == '>') {
            question->ordered = true;
            block.ReplaceRange(0, 2, "");
        }

        // Each line of the answer block is one expected answer, separators and all.
        answerRanges.clear();
        for (int32_t at = 0;;) {
            const int32_t lineStart = at;
            if (!block.NextLine(at, line))
                break;
            answerRanges.emplace_back(lineStart, line.GetLength());
        }
        question->answers.ReserveSlots(static_cast<int32_t>(answerRanges.size()));
        for (const auto& [start, count] : answerRanges) {
            auto answer = std::make_unique<CTextBuffer>();
            answer->AssignRange(block.GetText() + start, count);
            question->answers.Add(answer.release());
        }

        // Comment and explanation blocks, in any order; a later one of a kind
        // replaces the earlier.
        for (;;) {
            const char mark = file.ByteAt(position);
            if (mark != ';' && mark != '~')
                break;
            const int32_t markStart = position;
            ++position;
            CTextBuffer& target = mark == ';' ? question->comment : question->explanation;
            // A mark that is the file's last character has no block: it leaves the
            // comment or explanation empty.
            if (!ReadBlockLines(file, position, block, true, line, nullptr)) {
                target.Assign(nullptr);
                continue;
            }
            if (mark == ';' && HoldsHtmlTag(block))
                return fail(ELoadFailure::HtmlInComment, markStart);
            CTextBuffer kept;
            kept.AssignRange(block.GetText(), block.GetLength());
            target = std::move(kept);
        }

        if (report) {
            CLoadReport::CQuestionLines where;
            where.textLine = file.LineAt(questionStart);
            // Answer lines map one to one onto the block's lines; an empty block
            // (one blank line) gives no answer.
            for (size_t k = 0; k < answerRanges.size() && k < answerLineStarts.size(); ++k)
                where.answerLines.push_back(file.LineAt(answerLineStarts[k]));
            while (where.answerLines.size() < answerRanges.size())
                where.answerLines.push_back(file.LineAt(answerStart));
            report->questions.push_back(std::move(where));
        }

        if (questions.GetCount() >= questions.GetCapacity())
            questions.ReserveSlots(std::max(20, questions.GetCapacity() * 2));
        questions.Add(question.release());

        question = std::make_unique<CQuestion>();
        questionStart = position;
        // Nothing before the next record is looked at again.
        file.Release(questionStart);
    }

    file.Finish();
    m_bUtf8 = file.IsUtf8();
    if (file.IsTooLarge()) {
        questions.RemoveAll();
        m_lastError.failure = ELoadFailure::CannotOpen;
        if (report) {
            *report = CLoadReport{};
            report->error = m_lastError;
        }
        return false;
    }
    if (report)
        FindStrayOptions(file.GetWholeText(), headerEnd, *report);
    Reset();
    return true;
}

void CQuestionSet::Reset() {
    current = 0;
    nextInOrder = 0;
    rightCount = 0;
    for (CQuestion* question : questions)
        question->asked = false;
}

void CQuestionSet::SetJumbled(bool bJumbled) {
    jumbled = bJumbled ? 1 : 0;
}

const char* CQuestionSet::NextQuestion() {
    const int32_t count = questions.GetCount();
    if (jumbled == 0) {
        if (nextInOrder >= count)
            return nullptr;
        current = nextInOrder++;
        return questions.GetAt(current)->text.GetText();
    }

    const auto firstUnasked = std::find_if(questions.begin(), questions.end(),
                                           [](const CQuestion* q) { return !q->asked; });
    if (firstUnasked == questions.end())
        return nullptr;
    // Up to nineteen draws look for a question not yet asked; a twentieth is drawn
    // but not used, and the first unasked question in file order is taken instead.
    int32_t chosen = -1;
    for (int draw = 1; draw <= 20; ++draw) {
        const int32_t j = RandomBelow(count);
        if (draw < 20 && !questions.GetAt(j)->asked) {
            chosen = j;
            break;
        }
    }
    if (chosen < 0)
        chosen = static_cast<int32_t>(firstUnasked - questions.begin());
    questions.GetAt(chosen)->asked = true;
    current = chosen;
    return questions.GetAt(chosen)->text.GetText();
}

CQuestion& CQuestionSet::GetCurrentQuestion() {
    if (current < 0 || current >= questions.GetCount())
        return m_emptyQuestion;
    return *questions.GetAt(current);
}

bool CQuestionSet::JudgeAnswer(const char* typed, int32_t index, bool countIt) {
    const CQuestion& question = GetCurrentQuestion();
    const int32_t count = question.answers.GetCount();
    if (index < 0 || index >= count)
        return false;
    const bool right =
        judge.IsCorrect(typed ? typed : "", question.answers.GetAt(index)->GetText());
    // The window has ten answer boxes and judges only a question's first ten
    // answers, stopping at the first that no box matches; so the question is right
    // when the last of those it judges matches, and it is counted there:
    // at index min(count, 10) - 1, which is simply the last index for ten or fewer.
    const int32_t lastJudged = std::min(count, kMaxJudgedAnswers) - 1;
    if (right && countIt && index == lastJudged)
        ++rightCount;
    return right;
}

void CQuestionSet::GetScore(int32_t& total, int32_t& right) const {
    total = questions.GetCount();
    right = rightCount;
}

const char* CQuestionSet::GetCorrectAnswers() {
    const CQuestion& question = GetCurrentQuestion();
    // Room for every answer and its LF is taken at once: a question may have
    // thousands of answers.
    int64_t total = 1;
    for (const CTextBuffer* answer : question.answers)
        total += answer->GetLength() + 1;
    answersText.Assign("");
    answersText.Reserve(static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX)));
    bool first = true;
    for (const CTextBuffer* answer : question.answers) {
        if (!first)
            answersText.AppendRange("\n", 1);
        answersText.AppendRange(answer->GetText(), answer->GetLength());
        first = false;
    }
    return answersText.GetText();
}

const char* CQuestionSet::GetComment() {
    const CQuestion& question = GetCurrentQuestion();
    commentText.Assign("");
    if (question.comment.GetLength() > 0)
        commentText.AssignRange(question.comment.GetText(), question.comment.GetLength());
    return commentText.GetText();
}

const char* CQuestionSet::GetExplanation() {
    const CQuestion& question = GetCurrentQuestion();
    explanationText.Assign("");
    if (question.explanation.GetLength() > 0)
        explanationText.AssignRange(question.explanation.GetText(),
                                    question.explanation.GetLength());
    return explanationText.GetText();
}

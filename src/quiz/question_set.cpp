#include "quiz/question_set.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "quiz/quiz_file_reader.h"
#include "quiz/random_source.h"
#include "text/ascii.h"
#include "text/encoding.h"

namespace {
// Error texts show at most this many bytes of the offending line.
constexpr size_t kFirstLineShown = 200;
// "</html>" is seven bytes: a marker that ends in a newly appended line starts at
// most six bytes before it.
constexpr int32_t kEndMarkerOverlap = 6;

std::string_view ViewOf(const CTextBuffer& text) {
    return {text.GetText(), static_cast<size_t>(text.GetLength())};
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

// A line that went into a block: where it starts in the file, and where its text
// starts in the block.
struct CBlockLine {
    int32_t fileStart;
    int32_t blockOffset;
};

// Reads one block as ReadBlock describes it, from the whole file text (a
// CTextBuffer) or from the file read piece by piece (a CQuizFileReader), which give
// the same lines. line is scratch space for the lines after the first; lineStarts,
// when given, receives each line that went into the block.
template <typename TSource>
bool ReadBlockLines(TSource& fileText, int32_t& position, CTextBuffer& out, bool stopAtMarks,
                    CTextBuffer& line, std::vector<CBlockLine>* lineStarts) {
    const int32_t firstStart = position;
    if (!fileText.NextLine(position, out))
        return false;
    if (lineStarts)
        lineStarts->push_back({firstStart, 0});

    if (StartsWithNoCase(ViewOf(out), "<html") || StartsWithNoCase(ViewOf(out), "<!DOCTYPE")) {
        // An HTML document runs until its closing tag, whatever its lines hold.
        // Only the part not yet searched is looked at after each line.
        int32_t searchFrom = 0;
        while (out.FindNoCase("</html>", searchFrom) < 0) {
            searchFrom = std::max(0, out.GetLength() - kEndMarkerOverlap);
            const int32_t lineStart = position;
            if (!fileText.NextLine(position, line))
                break;
            if (lineStarts)
                lineStarts->push_back({lineStart, out.GetLength()});
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
        AppendGrowing(out, "\n", 1);
        if (lineStarts)
            lineStarts->push_back({remembered, out.GetLength()});
        AppendGrowing(out, line.GetText(), line.GetLength());
    }
    return true;
}

// Cuts a line shown in an error message to its first kFirstLineShown bytes, and
// marks the cut with "...". A UTF-8 character is never split; in Windows-1252 text
// every byte is a character of its own.
void ShortenLine(std::string& line, bool utf8) {
    if (line.size() <= kFirstLineShown)
        return;
    if (utf8)
        CutUtf8(line, kFirstLineShown);
    else
        line.resize(kFirstLineShown);
    line += "...";
}

// True when the block holds "<html>" in any case. Most blocks hold no "<" at all,
// and those need no closer look.
bool HoldsHtmlTag(const CTextBuffer& block) {
    const void* angle = std::memchr(block.GetText(), '<', static_cast<size_t>(block.GetLength()));
    return angle && block.FindNoCase("<html>", 0) >= 0;
}

// StartsWithNoCase over the line that starts at start in a text of known length.
bool BeginsWithNoCase(const char* data, int32_t length, int32_t start, std::string_view prefix) {
    return StartsWithNoCase(std::string_view(data + start, static_cast<size_t>(length - start)),
                            prefix);
}

bool IsBlankLine(const char* data, int32_t length, int32_t start) {
    for (int32_t i = start; i < length && data[i] != '\r' && data[i] != '\n'; ++i) {
        if (data[i] != ' ' && data[i] != '\t')
            return false;
    }
    return true;
}

// Fills in the report's view of "option:" lines that the header did not take.
// textStart is past a byte-order mark.
void FindStrayOptions(const std::vector<char>& text, int32_t textStart, int32_t headerEnd,
                      CLoadReport& report) {
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
    if (headerEnd == textStart && length > textStart && IsBlankLine(data, length, textStart)) {
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

constexpr std::string_view kOptionKeyword = "option:";
constexpr std::string_view kDontIgnore = "DontIgnore:";
constexpr std::string_view kPercentForCorrect = "PercentForCorrect:";
constexpr std::string_view kWordsOption = "Words:";
constexpr std::string_view kAccentsOption = "Accents:";

// What the quiz author's report needs from a load, noted as the loader goes.
// Without a report every call does nothing, so the load is the same either way.
class CLoadNotes {
public:
    CLoadNotes(CQuizFileReader& file, CLoadReport* report) : m_file(file), m_pReport(report) {
        if (m_pReport)
            *m_pReport = CLoadReport{};
    }

    // The option line whose "option:" stands at optionStart; rest is what follows.
    void Option(int32_t optionStart, const CTextBuffer& rest) {
        if (m_pReport)
            m_pReport->options.push_back({m_file.LineAt(optionStart), std::string(ViewOf(rest))});
    }
    void HeaderEnd(int32_t position) { m_nHeaderEnd = position; }
    // Where the answer block's reading puts the start of each line it takes; null
    // when there is no report to want them.
    std::vector<CBlockLine>* AnswerLineStarts() {
        m_answerLineStarts.clear();
        return m_pReport ? &m_answerLineStarts : nullptr;
    }
    // A whole record: its question block starts at questionStart, its answer block
    // at answerStart; answers are (offset, length) in that block, after a leading
    // ">>" of skipped characters.
    void Question(int32_t questionStart, int32_t answerStart,
                  const std::vector<std::pair<int32_t, int32_t>>& answers, int32_t skipped) {
        if (!m_pReport)
            return;
        CLoadReport::CQuestionLines where;
        where.textLine = m_file.LineAt(questionStart);
        // An answer is on the last line whose text starts at or before it: a
        // continuation line left empty by its "/" gives no answer of its own.
        size_t line = 0;
        for (const auto& [offset, length] : answers) {
            (void)length;
            while (line + 1 < m_answerLineStarts.size() &&
                   m_answerLineStarts[line + 1].blockOffset <= offset + skipped)
                ++line;
            where.answerLines.push_back(m_file.LineAt(line < m_answerLineStarts.size()
                                                          ? m_answerLineStarts[line].fileStart
                                                          : answerStart));
        }
        m_pReport->questions.push_back(std::move(where));
    }
    // Every record was read.
    void Loaded() {
        if (m_pReport)
            FindStrayOptions(m_file.GetWholeText(), m_file.GetTextStart(), m_nHeaderEnd,
                             *m_pReport);
    }
    // A record was faulty: no question is reported, the option lines still are.
    void Failed(const CLoadError& error) {
        if (!m_pReport)
            return;
        m_pReport->error = error;
        m_pReport->questions.clear();
        FindStrayOptions(m_file.GetWholeText(), m_file.GetTextStart(), m_nHeaderEnd, *m_pReport);
    }
    // The file was not read: the report holds the error and nothing else.
    void Unread(const CLoadError& error) {
        if (!m_pReport)
            return;
        *m_pReport = CLoadReport{};
        m_pReport->error = error;
    }

private:
    CQuizFileReader& m_file;
    CLoadReport* m_pReport;
    int32_t m_nHeaderEnd = 0;
    std::vector<CBlockLine> m_answerLineStarts;
};

} // namespace

EWordRule ReadWordRuleOption(std::string_view rest) {
    const auto valueOf = [rest](std::string_view name) {
        std::string_view value = rest.substr(name.size());
        // Blanks an editor left at the end of the line do not hide the option.
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.remove_suffix(1);
        return value;
    };
    if (StartsWithNoCase(rest, kWordsOption) && EqualNoCase(valueOf(kWordsOption), "Unicode"))
        return EWordRule::Unicode;
    if (StartsWithNoCase(rest, kAccentsOption) && EqualNoCase(valueOf(kAccentsOption), "Optional"))
        return EWordRule::UnicodeWithoutAccents;
    return EWordRule::Ascii;
}

namespace {
// One option line's effect on the judge; rest is the line after "option:".
void ApplyOption(const CTextBuffer& rest, CAnswerJudge& judge) {
    const char* text = rest.GetText();
    if (StartsWithNoCase(ViewOf(rest), kDontIgnore)) {
        // The word is taken exactly as written, a leading space included.
        judge.RemoveIgnoreWord(text + kDontIgnore.size());
    } else if (StartsWithNoCase(ViewOf(rest), kPercentForCorrect)) {
        const CTextBuffer value(text + kPercentForCorrect.size());
        int32_t at = 0;
        double number = 0.0;
        // Too large a number reads as infinite, which no threshold can be.
        if (value.ParseNumber(at, " ", number, 0.0) && number > 0.0 && std::isfinite(number))
            judge.threshold = number;
    } else {
        const EWordRule rule = ReadWordRuleOption(ViewOf(rest));
        // Accents:Optional reads words as Words:Unicode does, whichever comes first.
        if (rule == EWordRule::UnicodeWithoutAccents ||
            (rule == EWordRule::Unicode && judge.wordRule == EWordRule::Ascii))
            judge.wordRule = rule;
    }
}

// The option header: only when the file's very first characters are "option:",
// and on as long as each next line begins so. position ends past it.
void ReadOptionHeader(CQuizFileReader& file, int32_t& position, CAnswerJudge& judge,
                      CLoadNotes& notes) {
    if (!file.StartsWithNoCase(position, kOptionKeyword))
        return;
    CTextBuffer rest;
    do {
        const int32_t optionStart = position;
        position += static_cast<int32_t>(kOptionKeyword.size());
        // "option:" at the very end of the file has nothing after it: an empty rest.
        if (!file.NextLine(position, rest))
            rest.AssignRange("", 0);
        ApplyOption(rest, judge);
        notes.Option(optionStart, rest);
        file.Release(position);
    } while (file.StartsWithNoCase(position, kOptionKeyword));
}

// Buffers that every record reads into again.
struct CRecordScratch {
    CTextBuffer line;
    CTextBuffer block;
    std::vector<std::pair<int32_t, int32_t>> answerRanges;
};

// Why a record could not be read, and where its offending block starts.
struct CRecordFault {
    ELoadFailure failure = ELoadFailure::None;
    int32_t blockStart = 0;
};

// The answer block as the question's expected answers: each line is one answer,
// separators and all; ">>" in front asks for them in order.
void TakeAnswers(CRecordScratch& scratch, CQuestion& question) {
    CTextBuffer& block = scratch.block;
    if (block.GetLength() >= 2 && block.GetText()[0] == '>' && block.GetText()[1] == '>') {
        question.ordered = true;
        block.ReplaceRange(0, 2, "");
    }
    scratch.answerRanges.clear();
    for (int32_t at = 0;;) {
        const int32_t lineStart = at;
        if (!block.NextLine(at, scratch.line))
            break;
        scratch.answerRanges.emplace_back(lineStart, scratch.line.GetLength());
    }
    question.answers.ReserveSlots(static_cast<int32_t>(scratch.answerRanges.size()));
    for (const auto& [start, count] : scratch.answerRanges) {
        auto answer = std::make_unique<CTextBuffer>();
        answer->AssignRange(block.GetText() + start, count);
        question.answers.Add(answer.release());
    }
}

// Comment (";") and explanation ("~") blocks, in any order; a later one of a kind
// replaces the earlier. False when a comment holds "<html>".
bool ReadMarkedBlocks(CQuizFileReader& file, int32_t& position, CQuestion& question,
                      CRecordScratch& scratch, CRecordFault& fault) {
    for (;;) {
        const char mark = file.ByteAt(position);
        if (mark != ';' && mark != '~')
            return true;
        const int32_t markStart = position;
        ++position;
        CTextBuffer& target = mark == ';' ? question.comment : question.explanation;
        // A mark that is the file's last character has no block: it leaves the
        // comment or explanation empty.
        if (!ReadBlockLines(file, position, scratch.block, true, scratch.line, nullptr)) {
            target.Assign(nullptr);
            continue;
        }
        if (mark == ';' && HoldsHtmlTag(scratch.block)) {
            fault = {ELoadFailure::HtmlInComment, markStart};
            return false;
        }
        CTextBuffer kept;
        kept.AssignRange(scratch.block.GetText(), scratch.block.GetLength());
        target = std::move(kept);
    }
}

// One record from position into question (a new one): its question block, its
// answer block, then its comment and explanation. False when no record is left,
// or when the record is faulty, which fault then tells.
bool ReadRecord(CQuizFileReader& file, int32_t& position, CQuestion& question,
                CRecordScratch& scratch, CLoadNotes& notes, CRecordFault& fault) {
    const int32_t questionStart = position;
    // The question block is read straight into the question's text.
    if (!ReadBlockLines(file, position, question.text, false, scratch.line, nullptr))
        return false;
    FitExactly(question.text);

    const int32_t answerStart = position;
    if (!ReadBlockLines(file, position, scratch.block, true, scratch.line,
                        notes.AnswerLineStarts())) {
        fault = {ELoadFailure::NoAnswerBlock, questionStart};
        return false;
    }
    if (HoldsHtmlTag(scratch.block)) {
        fault = {ELoadFailure::HtmlInAnswer, answerStart};
        return false;
    }
    TakeAnswers(scratch, question);
    if (!ReadMarkedBlocks(file, position, question, scratch, fault))
        return false;
    notes.Question(questionStart, answerStart, scratch.answerRanges, question.ordered ? 2 : 0);
    return true;
}

// The error of a faulty record, read off the file. The line text is taken first:
// finishing the file lets the bytes before go. It is cut once the whole file is
// known to be UTF-8 or not.
CLoadError DescribeFault(CQuizFileReader& file, const CRecordFault& fault) {
    CLoadError error;
    error.failure = fault.failure;
    error.firstLine = file.LineFrom(fault.blockStart, kFirstLineShown + 1);
    file.Finish();
    ShortenLine(error.firstLine, file.IsUtf8());
    error.line = file.LineAt(fault.blockStart);
    return error;
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
    // The file is read a piece at a time: a large quiz never sits in memory whole
    // beside its questions. A report looks at the whole text afterwards, so then
    // every byte is kept. The reader takes its room before the old quiz is freed,
    // so the many small blocks freed can simply be used again for the new one.
    CQuizFileReader file;
    file.Open(path, report != nullptr);
    return Load(file, report);
}

bool CQuestionSet::Load(CQuizFileReader& file, CLoadReport* report) {
    m_lastError = CLoadError{};
    CLoadNotes notes(file, report);
    // The previous quiz is gone from here on, whether or not this file loads.
    questions.RemoveAll();
    if (!file.IsOpen() || (report && !file.KeepsAll())) {
        // Nothing to read: the caller tells the user the file did not load.
        SetEncoding(true);
        m_lastError.failure = ELoadFailure::CannotOpen;
        notes.Unread(m_lastError);
        return false;
    }

    // Words are read by the judge's own rule unless this quiz's header says
    // otherwise: a rule holds for the quiz that names it alone.
    judge.wordRule = EWordRule::Ascii;
    // A UTF-8 byte-order mark is no text: the option header may follow it.
    int32_t position = file.GetTextStart();
    ReadOptionHeader(file, position, judge, notes);
    notes.HeaderEnd(position);

    CRecordScratch scratch;
    CRecordFault fault;
    for (;;) {
        auto question = std::make_unique<CQuestion>();
        if (!ReadRecord(file, position, *question, scratch, notes, fault))
            break;
        if (questions.GetCount() >= questions.GetCapacity())
            questions.ReserveSlots(std::max(20, questions.GetCapacity() * 2));
        questions.Add(question.release());
        // Nothing before the next record is looked at again.
        file.Release(position);
    }

    if (fault.failure != ELoadFailure::None) {
        questions.RemoveAll();
        m_lastError = DescribeFault(file, fault);
        SetEncoding(file.IsUtf8());
        notes.Failed(m_lastError);
        return false;
    }
    file.Finish();
    SetEncoding(file.IsUtf8());
    if (file.IsTooLarge()) {
        questions.RemoveAll();
        m_lastError.failure = ELoadFailure::CannotOpen;
        notes.Unread(m_lastError);
        return false;
    }
    notes.Loaded();
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

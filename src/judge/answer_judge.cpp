#include "judge/answer_judge.h"

#include <cstring>
#include <limits>

namespace {
constexpr const char* kWordCharacter =
    "[0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz]";
constexpr const char* kNonWordCharacter =
    "[^0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz]";
constexpr const char* kJoiningCharacters = "#$%&()*+-/<=>@[]^{}";

enum EByteClass : unsigned char { kSeparator = 0, kWord = 1, kJoining = 2 };

// Every byte sorted once, so splitting needs no pattern at all. Bytes from 0x80 up
// and the NUL are separators like every other byte outside the two named classes.
struct CByteClasses {
    unsigned char m_acClass[256] = {};
    constexpr CByteClasses() {
        for (int c = '0'; c <= '9'; ++c)
            m_acClass[c] = kWord;
        for (int c = 'A'; c <= 'Z'; ++c)
            m_acClass[c] = kWord;
        for (int c = 'a'; c <= 'z'; ++c)
            m_acClass[c] = kWord;
        for (const char* p = kJoiningCharacters; *p; ++p)
            m_acClass[static_cast<unsigned char>(*p)] = kJoining;
    }
    unsigned char Of(char c) const { return m_acClass[static_cast<unsigned char>(c)]; }
};
constexpr CByteClasses kClasses;

bool IsJoining(char c) {
    return kClasses.Of(c) == kJoining;
}

// A word of four or more bytes loses one final s: plural and singular meet.
int32_t LengthWithoutFinalS(const char* word, int32_t length) {
    if (length >= 4 && (word[length - 1] == 's' || word[length - 1] == 'S'))
        return length - 1;
    return length;
}

void AddWord(CTextList& words, const char* word, int32_t length) {
    auto* item = new CTextBuffer;
    item->AssignRange(word, LengthWithoutFinalS(word, length));
    words.Add(item);
}

void SplitBytes(const char* text, int32_t length, CTextList& words) {
    int32_t i = 0;
    for (;;) {
        while (i < length && kClasses.Of(text[i]) != kWord)
            ++i;
        if (i >= length)
            return;
        const int32_t start = i;
        while (i < length && kClasses.Of(text[i]) == kWord)
            ++i;
        // Joining characters glue the next run of letters and digits onto the word.
        while (i < length && kClasses.Of(text[i]) == kJoining) {
            ++i;
            while (i < length && kClasses.Of(text[i]) == kWord)
                ++i;
        }
        AddWord(words, text + start, i - start);
        if (i >= length)
            return;
    }
}

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool EqualBytesNoCase(const char* a, const char* b, int32_t length) {
    for (int32_t i = 0; i < length; ++i) {
        if (FoldAscii(static_cast<unsigned char>(a[i])) !=
            FoldAscii(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The slot of the first word that equals the given bytes ignoring ASCII case, or -1.
// Whole lengths are compared, so an ignore entry holding a NUL byte matches nothing.
int32_t FindWordNoCase(const CTextList& words, const char* text, int32_t length) {
    const int32_t count = words.GetCount();
    for (int32_t i = 0; i < count; ++i) {
        const CTextBuffer* word = words.GetAt(i);
        if (word && word->GetLength() == length && EqualBytesNoCase(word->GetText(), text, length))
            return i;
    }
    return -1;
}

int32_t CTextLength(const char* text) {
    const size_t n = std::strlen(text);
    constexpr auto kMax = static_cast<size_t>(std::numeric_limits<int32_t>::max() - 1);
    return static_cast<int32_t>(n > kMax ? kMax : n);
}
} // namespace

CAnswerJudge::CAnswerJudge(const char* ignoreFile) {
    LoadIgnoreWords(ignoreFile);
    threshold = kDefaultThreshold;
}

bool CAnswerJudge::LoadIgnoreWords(const char* ignoreFile) {
    CTextBuffer file;
    if (!ignoreFile || !file.LoadFile(ignoreFile))
        return false;
    // NextLine skips the whole run of line ends, so blank lines give no entry.
    int32_t position = 0;
    CTextBuffer line;
    while (file.NextLine(position, line))
        ignoreWords.Add(new CTextBuffer(line));
    return true;
}

void CAnswerJudge::SplitWords(const CTextBuffer& text, CTextList& words) const {
    SplitBytes(text.GetText(), text.GetLength(), words);
}

void CAnswerJudge::SplitWordsByPattern(const CTextBuffer& text, CTextList& words) {
    int32_t position = 0;
    for (;;) {
        if (!text.FindPattern(position, kWordCharacter))
            return;
        CTextBuffer word;
        bool more = text.ExtractUntil(position, kNonWordCharacter, word);
        while (more && IsJoining(text.GetText()[position])) {
            word.AppendRange(text.GetText() + position, 1);
            ++position;
            CTextBuffer run;
            more = text.ExtractUntil(position, kNonWordCharacter, run);
            word.AppendRange(run.GetText(), run.GetLength());
        }
        AddWord(words, word.GetText(), word.GetLength());
        if (!more)
            return;
    }
}

void CAnswerJudge::RemoveIgnoredWords(CTextList& words, CTextList* removed) const {
    for (const CTextBuffer* entry : ignoreWords) {
        if (words.GetCount() == 0)
            return;
        if (!entry)
            continue;
        const int32_t slot = FindWordNoCase(words, entry->GetText(), entry->GetLength());
        if (slot < 0)
            continue;
        if (removed)
            removed->Add(new CTextBuffer(*words.GetAt(slot)));
        words.RemoveRange(slot, slot);
    }
}

bool CAnswerJudge::IsWordAmong(const CTextBuffer& word, const CTextList& words) {
    return FindWordNoCase(words, word.GetText(), word.GetLength()) >= 0;
}

int32_t CAnswerJudge::CountFoundWords(const CTextList& expectedWords, const CTextList& typedWords) {
    int32_t found = 0;
    for (const CTextBuffer* word : expectedWords) {
        if (word && IsWordAmong(*word, typedWords))
            ++found;
    }
    return found;
}

double CAnswerJudge::ComputeShare(int32_t found, int32_t expectedCount) {
    if (expectedCount <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(found) / static_cast<double>(expectedCount);
}

bool CAnswerJudge::IsCorrect(const char* typed, const char* expected) const {
    if (!typed)
        typed = "";
    if (!expected)
        expected = "";
    CTextList expectedWords;
    SplitBytes(expected, CTextLength(expected), expectedWords);
    RemoveIgnoredWords(expectedWords);
    if (expectedWords.GetCount() == 0)
        return false; // nothing left to find: 0/0 is no share at all
    CTextList typedWords;
    SplitBytes(typed, CTextLength(typed), typedWords);
    const int32_t found = CountFoundWords(expectedWords, typedWords);
    return AcceptsShare(ComputeShare(found, expectedWords.GetCount()));
}

#include "judge/answer_judge.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "text/ascii.h"
#include "text/encoding.h"
#include "text/unicode_fold.h"

namespace {
constexpr const char* kJoiningCharacters = "#$%&()*+-/<=>@[]^{}";

// Beyond this many word pairs to compare, words are looked up by hash instead of
// compared pair by pair, so long texts and long ignore lists stay linear.
constexpr size_t kPairwiseLimit = 4096;

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

unsigned char ClassOfPoint(char32_t c) {
    if (c < 0x80)
        return kClasses.Of(static_cast<char>(c));
    return IsWordCodePoint(c) ? kWord : kSeparator;
}

unsigned char ClassOfByte(char c) {
    return kClasses.Of(c);
}

// A word of four or more characters loses one final s: plural and singular meet.
template <typename Char> int32_t LengthWithoutFinalS(const Char* word, int32_t length) {
    if (length >= 4 && (word[length - 1] == 's' || word[length - 1] == 'S'))
        return length - 1;
    return length;
}

// Calls add(start, length) for every word of the text, in order, its final s
// still on: bytes under the ASCII rule, code points under a Unicode rule.
template <typename Char, typename ClassOf, typename OnWord>
void ForEachWordOf(const Char* text, int32_t length, ClassOf classOf, OnWord&& add) {
    int32_t i = 0;
    for (;;) {
        while (i < length && classOf(text[i]) != kWord)
            ++i;
        if (i >= length)
            return;
        const int32_t start = i;
        while (i < length && classOf(text[i]) == kWord)
            ++i;
        // Joining characters glue the next run of letters and digits onto the word.
        while (i < length && classOf(text[i]) == kJoining) {
            ++i;
            while (i < length && classOf(text[i]) == kWord)
                ++i;
        }
        add(text + start, i - start);
        if (i >= length)
            return;
    }
}

template <typename OnWord> void ForEachWord(const char* text, int32_t length, OnWord&& add) {
    ForEachWordOf(text, length, ClassOfByte,
                  [&add](const char* word, int32_t n) { add(word, LengthWithoutFinalS(word, n)); });
}

// Turns the word marks of code points beyond ASCII into the classes of every
// code point: each one is looked up once, and the words are found on them.
void MarkClasses(const std::u32string& points, std::vector<unsigned char>& classes) {
    for (size_t i = 0; i < points.size(); ++i) {
        if (points[i] < 0x80)
            classes[i] = ClassOfPoint(points[i]);
        else
            classes[i] = classes[i] ? static_cast<unsigned char>(kWord)
                                    : static_cast<unsigned char>(kSeparator);
    }
}

bool IsAsciiText(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// An ignore entry's caseless form: read, normalized and folded whole, since an
// entry is one word or none.
void AppendFoldedEntry(std::string& into, std::string_view entry, EWordRule rule) {
    std::u32string points;
    AppendCodePoints(entry, IsValidUtf8(entry), points);
    NormalizeNfkc(points);
    std::u32string caseless;
    FoldCaseless(points, rule == EWordRule::UnicodeWithoutAccents, caseless);
    AppendUtf8(into, caseless);
}

void AddWord(CTextList& words, const char* word, int32_t length) {
    auto* item = new CTextBuffer;
    item->AssignRange(word, length);
    words.Add(item);
}

void AppendFolded(std::string& into, std::string_view text) {
    for (const char c : text)
        into.push_back(FoldAscii(c));
}

std::string_view ViewOf(const CTextBuffer& text) {
    return {text.GetText(), static_cast<size_t>(text.GetLength())};
}

// A short list of words that point into texts owned elsewhere. The first few live
// inline, so judging a usual answer allocates nothing.
class CWordViews {
public:
    void Add(const char* word, int32_t length) {
        const std::string_view view(word, static_cast<size_t>(length));
        if (m_nCount < kInline)
            m_aInline[m_nCount] = view;
        else
            m_spill.push_back(view);
        ++m_nCount;
    }
    size_t Size() const { return m_nCount; }
    std::string_view operator[](size_t i) const {
        return i < kInline ? m_aInline[i] : m_spill[i - kInline];
    }
    void Erase(size_t index) {
        for (size_t i = index; i + 1 < m_nCount; ++i)
            Set(i, (*this)[i + 1]);
        --m_nCount;
        if (m_nCount >= kInline)
            m_spill.pop_back();
    }
    void Keep(const std::vector<bool>& keep) {
        size_t kept = 0;
        for (size_t i = 0; i < m_nCount; ++i) {
            if (keep[i])
                Set(kept++, (*this)[i]);
        }
        m_nCount = kept;
        m_spill.resize(kept > kInline ? kept - kInline : 0);
    }

private:
    static constexpr size_t kInline = 16;
    void Set(size_t i, std::string_view view) {
        if (i < kInline)
            m_aInline[i] = view;
        else
            m_spill[i - kInline] = view;
    }
    std::string_view m_aInline[kInline];
    std::vector<std::string_view> m_spill;
    size_t m_nCount = 0;
};

// For each expected word, whether some typed word equals it; hashed typed words.
template <typename Words, typename OnWord>
void MatchByHash(const Words& expected, size_t expectedCount, const Words& typed, size_t typedCount,
                 OnWord&& onWord) {
    std::string folded;
    for (size_t i = 0; i < typedCount; ++i)
        AppendFolded(folded, typed[i]);
    std::unordered_set<std::string_view> typedSet;
    typedSet.reserve(typedCount);
    size_t offset = 0;
    for (size_t i = 0; i < typedCount; ++i) {
        typedSet.insert(std::string_view(folded).substr(offset, typed[i].size()));
        offset += typed[i].size();
    }
    std::string key;
    for (size_t i = 0; i < expectedCount; ++i) {
        key.clear();
        AppendFolded(key, expected[i]);
        onWord(i, typedSet.count(key) > 0);
    }
}

// Indexable views of a text list's words, for the shared lookups above.
struct CListViews {
    const CTextList& list;
    std::string_view operator[](size_t i) const {
        const CTextBuffer* word = list.GetAt(static_cast<int32_t>(i));
        return word ? ViewOf(*word) : std::string_view();
    }
};

std::string_view FoldedText(const std::string& folded, uint32_t offset, uint32_t length) {
    return std::string_view(folded).substr(offset, length);
}

int32_t CTextLength(const char* text) {
    const size_t n = std::strlen(text);
    constexpr auto kMax = static_cast<size_t>(std::numeric_limits<int32_t>::max() - 1);
    return static_cast<int32_t>(n > kMax ? kMax : n);
}
} // namespace

const CAnswerJudge::CIgnoreIndex& CAnswerJudge::IgnoreIndex(EWordRule rule) const {
    CIgnoreIndex& index = rule == EWordRule::Ascii ? m_index : m_unicodeIndex;
    if (index.built && index.changes == ignoreWords.GetChangeCount() && index.rule == rule)
        return index;
    index.folded.clear();
    index.entries.clear();
    index.holdsNul = false;
    index.entries.reserve(static_cast<size_t>(ignoreWords.GetCount()));
    for (int32_t slot = 0; slot < ignoreWords.GetCount(); ++slot) {
        const CTextBuffer* entry = ignoreWords.GetAt(slot);
        if (!entry)
            continue;
        const std::string_view text = ViewOf(*entry);
        index.holdsNul = index.holdsNul || text.find('\0') != std::string_view::npos;
        const size_t offset = index.folded.size();
        if (rule == EWordRule::Ascii)
            AppendFolded(index.folded, text);
        else
            AppendFoldedEntry(index.folded, text, rule);
        index.entries.push_back({static_cast<uint32_t>(offset),
                                 static_cast<uint32_t>(index.folded.size() - offset), slot});
    }
    index.inListOrder = index.entries;
    const std::string& folded = index.folded;
    // Stable: entries of one text stay in list order.
    std::stable_sort(index.entries.begin(), index.entries.end(),
                     [&folded](const CIgnoreIndex::CEntry& a, const CIgnoreIndex::CEntry& b) {
                         return FoldedText(folded, a.offset, a.length) <
                                FoldedText(folded, b.offset, b.length);
                     });
    index.changes = ignoreWords.GetChangeCount();
    index.rule = rule;
    index.built = true;
    return index;
}

void CAnswerJudge::FoldWords(std::string_view text, ETextSide side, std::string& folded,
                             std::vector<uint32_t>& ends) const {
    folded.clear();
    ends.clear();
    const auto addEnd = [&] { ends.push_back(static_cast<uint32_t>(folded.size())); };
    const auto length = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
    // ASCII text is its own NFKC, its words are runs of ASCII letters and digits
    // and its caseless form is lower case, as long as the word: the byte
    // splitter gives the same words.
    if (IsAsciiText(text)) {
        ForEachWord(text.data(), length, [&](const char* word, int32_t n) {
            AppendFolded(folded, std::string_view(word, static_cast<size_t>(n)));
            addEnd();
        });
        return;
    }
    thread_local std::u32string points;
    thread_local std::u32string caseless;
    thread_local std::vector<unsigned char> classes;
    thread_local std::vector<uint32_t> foldEnds;
    const std::string_view bytes = text.substr(0, static_cast<size_t>(length));
    const bool utf8 = side == ETextSide::Typed || expectedUtf8;
    const bool withoutAccents = wordRule == EWordRule::UnicodeWithoutAccents;
    // The final s comes off the folded word, so that both texts meet it in the
    // same form: "Boß" folds to "boss" as "BOSS" does, and without accents
    // "wieś" to "wies" as "wies" does.
    const auto addFolded = [&](std::u32string_view word) {
        const int32_t kept = LengthWithoutFinalS(word.data(), static_cast<int32_t>(word.size()));
        AppendUtf8(folded, word.substr(0, static_cast<size_t>(kept)));
        addEnd();
    };
    if (FoldOneByOne(bytes, utf8, withoutAccents, points, classes, caseless, foldEnds)) {
        MarkClasses(points, classes);
        ForEachWordOf(
            classes.data(), static_cast<int32_t>(classes.size()), [](unsigned char c) { return c; },
            [&](const unsigned char* at, int32_t n) {
                const auto start = static_cast<size_t>(at - classes.data());
                const uint32_t from = start == 0 ? 0 : foldEnds[start - 1];
                addFolded(std::u32string_view(caseless).substr(
                    from, foldEnds[start + static_cast<size_t>(n) - 1] - from));
            });
        return;
    }
    // points holds the text's code points still: NFKC, then each word folded.
    NormalizeNfkcMarkingWords(points, classes);
    MarkClasses(points, classes);
    ForEachWordOf(
        classes.data(), static_cast<int32_t>(classes.size()), [](unsigned char c) { return c; },
        [&](const unsigned char* at, int32_t n) {
            const char32_t* word = points.data() + (at - classes.data());
            // An ASCII word folds to lower case, as long as it is.
            if (std::all_of(word, word + n, [](char32_t c) { return c < 0x80; })) {
                for (int32_t k = 0; k < LengthWithoutFinalS(word, n); ++k)
                    folded.push_back(FoldAscii(static_cast<char>(word[k])));
                addEnd();
                return;
            }
            FoldCaseless(std::u32string_view(word, static_cast<size_t>(n)), withoutAccents,
                         caseless);
            addFolded(caseless);
        });
}

template <typename Visit> void CAnswerJudge::ForEachIgnoreEntry(Visit&& visit) const {
    if (wordRule == EWordRule::Ascii) {
        for (const CTextBuffer* entry : ignoreWords) {
            if (entry && !visit(ViewOf(*entry)))
                return;
        }
        return;
    }
    const CIgnoreIndex& index = IgnoreIndex(wordRule);
    for (const CIgnoreIndex::CEntry& entry : index.inListOrder) {
        if (!visit(FoldedText(index.folded, entry.offset, entry.length)))
            return;
    }
}

template <typename Words>
std::vector<size_t> CAnswerJudge::FindIgnoredWords(const Words& words, size_t count) const {
    // Words under a Unicode rule are caseless forms already, which ASCII folding
    // leaves as they are.
    const CIgnoreIndex& index = IgnoreIndex(wordRule);
    // The words by folded text, each text's occurrences in word order.
    std::string folded;
    std::vector<std::pair<std::string_view, size_t>> byText;
    byText.reserve(count);
    for (size_t i = 0; i < count; ++i)
        AppendFolded(folded, words[i]);
    size_t offset = 0;
    for (size_t i = 0; i < count; ++i) {
        byText.emplace_back(std::string_view(folded).substr(offset, words[i].size()), i);
        offset += words[i].size();
    }
    std::stable_sort(byText.begin(), byText.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    // The k-th entry of a text takes the k-th occurrence of that text: an entry
    // of one text never takes a word of another, so texts are matched apart and
    // the removals put in the order of the entries that made them.
    std::vector<std::pair<int32_t, size_t>> removals; // (entry slot, word slot)
    const auto less = [&index](const CIgnoreIndex::CEntry& entry, std::string_view key) {
        return FoldedText(index.folded, entry.offset, entry.length) < key;
    };
    for (size_t run = 0; run < byText.size();) {
        size_t runEnd = run + 1;
        while (runEnd < byText.size() && byText[runEnd].first == byText[run].first)
            ++runEnd;
        const std::string_view key = byText[run].first;
        auto entry = std::lower_bound(index.entries.begin(), index.entries.end(), key, less);
        for (size_t w = run; w < runEnd && entry != index.entries.end() &&
                             FoldedText(index.folded, entry->offset, entry->length) == key;
             ++w, ++entry)
            removals.emplace_back(entry->slot, byText[w].second);
        run = runEnd;
    }
    std::sort(removals.begin(), removals.end());
    std::vector<size_t> removed;
    removed.reserve(removals.size());
    for (const auto& removal : removals)
        removed.push_back(removal.second);
    return removed;
}

void CAnswerJudge::RemoveIgnoreWord(const char* text) {
    if (!text)
        text = "";
    // A short list is looked through; so is one whose entries are not all plain
    // texts (the list compares an entry only up to a NUL byte in it).
    constexpr int32_t kShortList = 64;
    if (ignoreWords.GetCount() <= kShortList || IgnoreIndex(EWordRule::Ascii).holdsNul) {
        ignoreWords.RemoveNoCase(text);
        return;
    }
    std::string key;
    AppendFolded(key, text);
    const std::string& folded = m_index.folded;
    const auto entry =
        std::lower_bound(m_index.entries.begin(), m_index.entries.end(), std::string_view(key),
                         [&folded](const CIgnoreIndex::CEntry& e, std::string_view k) {
                             return FoldedText(folded, e.offset, e.length) < k;
                         });
    if (entry == m_index.entries.end() || FoldedText(folded, entry->offset, entry->length) != key)
        return;
    // The first of its text is the first in list order; the index follows the
    // removal instead of being built again.
    const int32_t slot = entry->slot;
    ignoreWords.RemoveRange(slot, slot);
    m_index.entries.erase(entry);
    for (CIgnoreIndex::CEntry& later : m_index.entries) {
        if (later.slot > slot)
            --later.slot;
    }
    m_index.changes = ignoreWords.GetChangeCount();
}

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

void CAnswerJudge::SplitWords(const CTextBuffer& text, CTextList& words, ETextSide side) const {
    if (wordRule == EWordRule::Ascii) {
        ForEachWord(text.GetText(), text.GetLength(),
                    [&words](const char* word, int32_t length) { AddWord(words, word, length); });
        return;
    }
    std::string folded;
    std::vector<uint32_t> ends;
    FoldWords(ViewOf(text), side, folded, ends);
    uint32_t start = 0;
    for (const uint32_t end : ends) {
        AddWord(words, folded.data() + start, static_cast<int32_t>(end - start));
        start = end;
    }
}

void CAnswerJudge::RemoveIgnoredWords(CTextList& words, CTextList* removed) const {
    const auto count = static_cast<size_t>(words.GetCount());
    if (count == 0)
        return;
    if (count * static_cast<size_t>(ignoreWords.GetCount()) <= kPairwiseLimit) {
        ForEachIgnoreEntry([&](std::string_view entry) {
            if (words.GetCount() == 0)
                return false;
            const int32_t slot = FindWordNoCase(entry, words);
            if (slot < 0)
                return true;
            if (removed)
                removed->Add(new CTextBuffer(*words.GetAt(slot)));
            words.RemoveRange(slot, slot);
            return true;
        });
        return;
    }

    const std::vector<size_t> slots = FindIgnoredWords(CListViews{words}, count);
    if (slots.empty())
        return;
    if (removed) {
        for (const size_t slot : slots)
            removed->Add(new CTextBuffer(*words.GetAt(static_cast<int32_t>(slot))));
    }
    // Rebuild the list once rather than closing one gap at a time.
    std::vector<bool> keep(count, true);
    for (const size_t slot : slots)
        keep[slot] = false;
    std::vector<CTextBuffer> kept;
    kept.reserve(count - slots.size());
    for (size_t i = 0; i < count; ++i) {
        CTextBuffer* word = words.GetAt(static_cast<int32_t>(i));
        if (keep[i] && word)
            kept.push_back(std::move(*word));
    }
    words.RemoveAll();
    for (CTextBuffer& word : kept)
        words.Add(new CTextBuffer(std::move(word)));
}

int32_t CAnswerJudge::FindWordNoCase(std::string_view word, const CTextList& words) {
    const int32_t count = words.GetCount();
    for (int32_t i = 0; i < count; ++i) {
        const CTextBuffer* item = words.GetAt(i);
        // Whole texts, not C texts: an ignore entry holding a NUL byte matches no
        // word, since words never hold one.
        if (item && EqualNoCase(ViewOf(*item), word))
            return i;
    }
    return -1;
}

bool CAnswerJudge::IsWordAmong(const CTextBuffer& word, const CTextList& words) {
    return FindWordNoCase(ViewOf(word), words) >= 0;
}

int32_t CAnswerJudge::CountFoundWords(const CTextList& expectedWords, const CTextList& typedWords) {
    const auto expectedCount = static_cast<size_t>(expectedWords.GetCount());
    const auto typedCount = static_cast<size_t>(typedWords.GetCount());
    int32_t found = 0;
    if (expectedCount * typedCount <= kPairwiseLimit) {
        for (const CTextBuffer* word : expectedWords) {
            if (word && IsWordAmong(*word, typedWords))
                ++found;
        }
        return found;
    }
    MatchByHash(CListViews{expectedWords}, expectedCount, CListViews{typedWords}, typedCount,
                [&found](size_t, bool isFound) { found += isFound ? 1 : 0; });
    return found;
}

double CAnswerJudge::ComputeShare(int32_t found, int32_t expectedCount) {
    if (expectedCount <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(found) / static_cast<double>(expectedCount);
}

// The same steps as SplitWords, RemoveIgnoredWords and CountFoundWords, done on views
// of the two texts instead of word lists, so a usual answer is judged without a
// single allocation.
bool CAnswerJudge::IsCorrect(const char* typed, const char* expected) const {
    if (!typed)
        typed = "";
    if (!expected)
        expected = "";
    // Under a Unicode rule the words are caseless forms, kept here for the call.
    thread_local std::string expectedFolded;
    thread_local std::string typedFolded;
    thread_local std::vector<uint32_t> ends;
    const auto gather = [&](const char* text, ETextSide side, std::string& folded,
                            CWordViews& words) {
        if (wordRule == EWordRule::Ascii) {
            ForEachWord(text, CTextLength(text),
                        [&words](const char* word, int32_t length) { words.Add(word, length); });
            return;
        }
        FoldWords(std::string_view(text, static_cast<size_t>(CTextLength(text))), side, folded,
                  ends);
        uint32_t start = 0;
        for (const uint32_t end : ends) {
            words.Add(folded.data() + start, static_cast<int32_t>(end - start));
            start = end;
        }
    };
    CWordViews expectedWords;
    gather(expected, ETextSide::Expected, expectedFolded, expectedWords);

    const size_t entries = static_cast<size_t>(ignoreWords.GetCount());
    if (expectedWords.Size() * entries <= kPairwiseLimit) {
        ForEachIgnoreEntry([&expectedWords](std::string_view text) {
            if (expectedWords.Size() == 0)
                return false;
            for (size_t i = 0; i < expectedWords.Size(); ++i) {
                if (EqualNoCase(expectedWords[i], text)) {
                    expectedWords.Erase(i);
                    break;
                }
            }
            return true;
        });
    } else if (expectedWords.Size() > 0) {
        const std::vector<size_t> slots = FindIgnoredWords(expectedWords, expectedWords.Size());
        std::vector<bool> keep(expectedWords.Size(), true);
        for (const size_t slot : slots)
            keep[slot] = false;
        expectedWords.Keep(keep);
    }
    if (expectedWords.Size() == 0)
        return false; // nothing left to find: 0/0 is no share at all

    CWordViews typedWords;
    gather(typed, ETextSide::Typed, typedFolded, typedWords);
    int32_t found = 0;
    if (expectedWords.Size() * typedWords.Size() <= kPairwiseLimit) {
        for (size_t e = 0; e < expectedWords.Size(); ++e) {
            for (size_t t = 0; t < typedWords.Size(); ++t) {
                if (EqualNoCase(expectedWords[e], typedWords[t])) {
                    ++found;
                    break;
                }
            }
        }
    } else {
        MatchByHash(expectedWords, expectedWords.Size(), typedWords, typedWords.Size(),
                    [&found](size_t, bool isFound) { found += isFound ? 1 : 0; });
    }
    return AcceptsShare(ComputeShare(found, static_cast<int32_t>(expectedWords.Size())));
}

// CAnswerJudge: decides whether a typed text matches an expected answer by its words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/item_list.h"
#include "text/text_buffer.h"

// What makes a word. Ascii: the 62 ASCII letters and digits, every other byte
// separates (the judge's own rule, which quiz files written for it rely on).
// Unicode: the letters, marks and digits of every script, the texts normalized
// to NFKC and words compared by their NFKC_Casefold. UnicodeWithoutAccents: as
// Unicode, and a letter counts the same with or without its accents.
enum class EWordRule : unsigned char { Ascii, Unicode, UnicodeWithoutAccents };

// Where a text comes from, which says how its bytes read under a Unicode rule:
// what the learner typed is UTF-8; an expected answer is in the quiz's own
// encoding (expectedUtf8).
enum class ETextSide : unsigned char { Typed, Expected };

class CAnswerJudge {
public:
    static constexpr double kDefaultThreshold = 0.65;

    // Reads the ignore list from the named file (no file, or a null name: an empty list).
    explicit CAnswerJudge(const char* ignoreFile);

    // Appends one entry per non-blank line of the file to the ignore list, lines
    // untrimmed. False, with the list unchanged, when the file cannot be read or is
    // not a regular file (a named pipe there is never waited on).
    bool LoadIgnoreWords(const char* ignoreFile);

    // Appends the words of the text to the list, in order of appearance; under a
    // Unicode rule each word in the caseless form it is compared by (UTF-8).
    void SplitWords(const CTextBuffer& text, CTextList& words,
                    ETextSide side = ETextSide::Typed) const;

    // Each ignore entry, in list order, removes the first word equal to it (ASCII
    // case folded; under a Unicode rule, the entry's caseless form equal to the
    // word from SplitWords). Removed words are appended to removed when one is given.
    void RemoveIgnoredWords(CTextList& words, CTextList* removed = nullptr) const;

    // The slot of the first word of the list equal to the given one ignoring ASCII
    // case (whole lengths compared), or -1.
    static int32_t FindWordNoCase(std::string_view word, const CTextList& words);
    // True when some word of the list equals the word, ignoring ASCII case.
    static bool IsWordAmong(const CTextBuffer& word, const CTextList& words);
    // How many expected words (each occurrence counted) equal some typed word.
    static int32_t CountFoundWords(const CTextList& expectedWords, const CTextList& typedWords);
    // Found words over expected words; NaN when no expected word is left, which no
    // threshold accepts.
    static double ComputeShare(int32_t found, int32_t expectedCount);
    bool AcceptsShare(double share) const { return share >= threshold; }

    bool IsCorrect(const char* typed, const char* expected) const;

    // Takes the first ignore entry equal to text ignoring ASCII case off the list,
    // as ignoreWords.RemoveNoCase does; a word that is not on a long list costs a
    // lookup, not a pass over it.
    void RemoveIgnoreWord(const char* text);

    // The ignore list. Add and remove entries through the list's own operations: the
    // judge indexes it by folded text and sees every such change; an entry's text
    // must not be changed in place.
    CTextList ignoreWords;
    double threshold = kDefaultThreshold;
    // Set by a quiz's option lines, for that quiz alone.
    EWordRule wordRule = EWordRule::Ascii;
    // Whether expected answers are UTF-8 (else Windows-1252): the quiz's encoding.
    bool expectedUtf8 = true;

private:
    // The ignore entries sorted by their folded text (ASCII-folded, or their
    // caseless form under a Unicode rule), entries of one text in list order, so
    // looking a word up costs a binary search however long the list. Built when
    // first needed and again after the list or the rule changed.
    struct CIgnoreIndex {
        struct CEntry {
            uint32_t offset; // of the folded text in folded
            uint32_t length;
            int32_t slot; // in the ignore list
        };
        uint64_t changes = 0;
        bool built = false;
        EWordRule rule = EWordRule::Ascii;
        bool holdsNul = false; // some entry holds a NUL byte
        std::string folded;
        std::vector<CEntry> entries;
        std::vector<CEntry> inListOrder;
    };
    const CIgnoreIndex& IgnoreIndex(EWordRule rule) const;
    // The slots, in removal order, of the words that the ignore entries remove:
    // each entry in list order takes the first word equal to it that no earlier
    // entry took.
    template <typename Words>
    std::vector<size_t> FindIgnoredWords(const Words& words, size_t count) const;
    // Calls visit(text) for each ignore entry, in list order, as the rule in force
    // compares it, until visit returns false.
    template <typename Visit> void ForEachIgnoreEntry(Visit&& visit) const;
    // The words of a text under the judge's Unicode rule.
    void FoldWords(std::string_view text, ETextSide side, std::string& folded,
                   std::vector<uint32_t>& ends) const;

    // One index for the ASCII rule, which "DontIgnore:" lines always use, and
    // one for the Unicode rule in force.
    mutable CIgnoreIndex m_index;
    mutable CIgnoreIndex m_unicodeIndex;
};

// Splitting an answer into words the slow, literal way: one pattern search per
// word boundary, joining characters tested one by one. The judge's table-driven
// splitter must find the same words on every text without NUL bytes (the pattern
// searches stop at a NUL); the tests and the judge fuzzer hold it to this copy.
#pragma once

#include <cstring>

#include "text/item_list.h"
#include "text/text_buffer.h"

namespace pattern_words {

inline constexpr const char* kWordCharacter =
    "[0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz]";
inline constexpr const char* kNonWordCharacter =
    "[^0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz]";
inline constexpr const char* kJoiningCharacters = "#$%&()*+-/<=>@[]^{}";

inline bool IsJoining(char c) {
    return c != '\0' && std::strchr(kJoiningCharacters, c) != nullptr;
}

// A word of four or more bytes loses one final s.
inline int32_t LengthWithoutFinalS(const char* word, int32_t length) {
    if (length >= 4 && (word[length - 1] == 's' || word[length - 1] == 'S'))
        return length - 1;
    return length;
}

} // namespace pattern_words

// Appends the words of text to words, in order of appearance.
inline void SplitWordsByPattern(const CTextBuffer& text, CTextList& words) {
    using namespace pattern_words;
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
        auto* item = new CTextBuffer;
        item->AssignRange(word.GetText(), LengthWithoutFinalS(word.GetText(), word.GetLength()));
        words.Add(item);
        if (!more)
            return;
    }
}

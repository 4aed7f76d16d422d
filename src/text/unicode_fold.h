// Unicode as the answer judge reads words in any script: which code points make
// words, normalization to NFKC, and the caseless form words are compared by.
// Every table comes from the Unicode Character Database at build time
// (make_unicode_tables.py), so a verdict is the same on every machine and in
// the browser player.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The Unicode version of the tables, e.g. "15.0.0".
const char* GetUnicodeVersion();

// General category L, M or N, or a zero-width non-joiner or joiner.
bool IsWordCodePoint(char32_t c);
// General category Mn, the accents that Accents:Optional takes off.
bool IsNonspacingMark(char32_t c);
uint8_t GetCombiningClass(char32_t c);

// True when the text holds a word code point beyond ASCII: a letter, mark or
// digit that the ASCII word rule would take for a separator. bytes are UTF-8
// (anything else reads as U+FFFD) or, when utf8 is false, Windows-1252.
bool HoldsWordBeyondAscii(std::string_view bytes, bool utf8);

// Normalization Forms KC, C and D of text, in place.
void NormalizeNfkc(std::u32string& text);
// NFKC of text, with isWord[i] set to whether text[i] of the result is a word
// code point beyond ASCII (0 for every ASCII one, which the caller sorts
// itself): what the judge needs of a text, each code point looked up once.
void NormalizeNfkcMarkingWords(std::u32string& text, std::vector<unsigned char>& isWord);
void NormalizeNfc(std::u32string& text);
void NormalizeNfd(std::u32string& text);

// The form words are compared by, of a text already in NFKC: its NFKC_Casefold
// (full case folding, compatibility forms and default-ignorable code points
// gone); withoutAccents then takes every nonspacing mark off its canonical
// decomposition and composes the rest again. out is replaced.
void FoldCaseless(std::u32string_view nfkcText, bool withoutAccents, std::u32string& out);

// The quick way for most texts of the world's alphabets: decodes bytes (as
// AppendCodePoints does) into points and, when every code point stays as it is
// under NFKC, is a starter, and folds on its own (a letter of Latin, Greek,
// Cyrillic, Hebrew, Arabic, the CJK scripts and the like, or a separator),
// fills isWord (word code points beyond ASCII), folded (each code point's
// fold, one after another; a separator as it is) and foldEnds (where each
// code point's fold ends in folded). A word's fold is then the run of folded
// its code points cover. False for any other text, which needs NFKC and
// FoldCaseless; points then holds all the text's code points still.
bool FoldOneByOne(std::string_view bytes, bool utf8, bool withoutAccents, std::u32string& points,
                  std::vector<unsigned char>& isWord, std::u32string& folded,
                  std::vector<uint32_t>& foldEnds);

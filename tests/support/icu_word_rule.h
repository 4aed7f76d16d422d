// The Unicode word rule written out step by step on ICU, which the judge's own
// tables are held to: read the text (UTF-8, or Windows-1252 through ICU's own
// converter), NFKC the whole of it, split it by general category with the
// joining characters, fold each word with NFKC_Casefold and, without accents,
// take the nonspacing marks off its NFD and compose it again, then drop a
// final s.
#pragma once

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <string>
#include <string_view>
#include <vector>

namespace icu_words {

inline const icu::Normalizer2& Form(const char* name, UNormalization2Mode mode) {
    UErrorCode status = U_ZERO_ERROR;
    return *icu::Normalizer2::getInstance(nullptr, name, mode, status);
}

inline icu::UnicodeString Read(std::string_view bytes, bool utf8) {
    if (utf8)
        return icu::UnicodeString::fromUTF8(
            icu::StringPiece(bytes.data(), static_cast<int32_t>(bytes.size())));
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-1252", &status);
    icu::UnicodeString text(bytes.data(), static_cast<int32_t>(bytes.size()), converter, status);
    ucnv_close(converter);
    return text;
}

inline bool IsWord(UChar32 c) {
    return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0 || c == 0x200C ||
           c == 0x200D;
}

inline bool IsJoining(UChar32 c) {
    return c < 0x80 && c != 0 &&
           std::string_view("#$%&()*+-/<=>@[]^{}").find(static_cast<char>(c)) !=
               std::string_view::npos;
}

// The caseless form of one word or ignore entry, as UTF-8.
inline std::string Fold(const icu::UnicodeString& text, bool withoutAccents) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString folded = Form("nfkc_cf", UNORM2_COMPOSE).normalize(text, status);
    if (withoutAccents) {
        const icu::UnicodeString nfd = Form("nfc", UNORM2_DECOMPOSE).normalize(folded, status);
        icu::UnicodeString bare;
        for (int32_t i = 0; i < nfd.length(); i = nfd.moveIndex32(i, 1)) {
            if (u_charType(nfd.char32At(i)) != U_NON_SPACING_MARK)
                bare.append(nfd.char32At(i));
        }
        folded = Form("nfc", UNORM2_COMPOSE).normalize(bare, status);
    }
    std::string out;
    folded.toUTF8String(out);
    return out;
}

inline std::vector<std::string> Words(std::string_view bytes, bool utf8, bool withoutAccents) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString nfkc =
        Form("nfkc", UNORM2_COMPOSE).normalize(Read(bytes, utf8), status);
    std::vector<UChar32> points;
    for (int32_t i = 0; i < nfkc.length(); i = nfkc.moveIndex32(i, 1))
        points.push_back(nfkc.char32At(i));
    std::vector<std::string> words;
    size_t i = 0;
    while (i < points.size()) {
        if (!IsWord(points[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < points.size() && IsWord(points[i]))
            ++i;
        while (i < points.size() && IsJoining(points[i])) {
            ++i;
            while (i < points.size() && IsWord(points[i]))
                ++i;
        }
        icu::UnicodeString word;
        for (size_t k = start; k < i; ++k)
            word.append(points[k]);
        // The final s comes off the folded word: four code points or more.
        std::string folded = Fold(word, withoutAccents);
        const icu::UnicodeString caseless = icu::UnicodeString::fromUTF8(folded);
        if (caseless.countChar32() >= 4 && folded.back() == 's')
            folded.pop_back();
        words.push_back(folded);
    }
    return words;
}

inline bool IsValidUtf8(std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("UTF-8", &status);
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    icu::UnicodeString text(bytes.data(), static_cast<int32_t>(bytes.size()), converter, status);
    ucnv_close(converter);
    return U_SUCCESS(status);
}

// An ignore entry: read as UTF-8 when it is, else as Windows-1252; not split.
inline std::string FoldEntry(std::string_view entry, bool withoutAccents) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString nfkc =
        Form("nfkc", UNORM2_COMPOSE).normalize(Read(entry, IsValidUtf8(entry)), status);
    return Fold(nfkc, withoutAccents);
}

// The verdict: ignore entries each take one expected word, then the share of
// the rest found among the typed words against the threshold.
inline bool IsCorrect(std::string_view typed, std::string_view expected, bool expectedUtf8,
                      bool withoutAccents, const std::vector<std::string>& ignoreEntries,
                      double threshold) {
    std::vector<std::string> expectedWords = Words(expected, expectedUtf8, withoutAccents);
    for (const std::string& entry : ignoreEntries) {
        const std::string folded = FoldEntry(entry, withoutAccents);
        for (auto word = expectedWords.begin(); word != expectedWords.end(); ++word) {
            if (*word == folded) {
                expectedWords.erase(word);
                break;
            }
        }
    }
    if (expectedWords.empty())
        return false;
    const std::vector<std::string> typedWords = Words(typed, true, withoutAccents);
    size_t found = 0;
    for (const std::string& word : expectedWords) {
        for (const std::string& t : typedWords) {
            if (t == word) {
                ++found;
                break;
            }
        }
    }
    return static_cast<double>(found) / static_cast<double>(expectedWords.size()) >= threshold;
}

} // namespace icu_words

// The Unicode tables against ICU, code point by code point, and the
// normalization against the Unicode Consortium's own NormalizationTest.txt.
#include "text/unicode_fold.h"

#include <gtest/gtest.h>

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uversion.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "text/encoding.h"

namespace {
bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

icu::UnicodeString ToIcu(const std::u32string& text) {
    return icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(text.data()),
                                         static_cast<int32_t>(text.size()));
}

std::u32string FromIcu(const icu::UnicodeString& text) {
    std::u32string out;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1))
        out.push_back(static_cast<char32_t>(text.char32At(i)));
    return out;
}

std::string Hex(const std::u32string& text) {
    std::string out;
    char unit[16];
    for (const char32_t c : text) {
        std::snprintf(unit, sizeof unit, "%s%04X", out.empty() ? "" : " ",
                      static_cast<unsigned>(c));
        out += unit;
    }
    return out;
}

struct CIcuForms {
    const icu::Normalizer2* nfc;
    const icu::Normalizer2* nfd;
    const icu::Normalizer2* nfkc;
    const icu::Normalizer2* casefold;

    CIcuForms() {
        UErrorCode status = U_ZERO_ERROR;
        nfc = icu::Normalizer2::getNFCInstance(status);
        nfd = icu::Normalizer2::getNFDInstance(status);
        nfkc = icu::Normalizer2::getNFKCInstance(status);
        casefold = icu::Normalizer2::getNFKCCasefoldInstance(status);
        EXPECT_TRUE(U_SUCCESS(status));
    }
    std::u32string Apply(const icu::Normalizer2* form, const std::u32string& text) const {
        UErrorCode status = U_ZERO_ERROR;
        const icu::UnicodeString out = form->normalize(ToIcu(text), status);
        EXPECT_TRUE(U_SUCCESS(status));
        return FromIcu(out);
    }
    // The caseless form without accents: the fold's NFD without its Mn, composed.
    std::u32string WithoutAccents(const std::u32string& text) const {
        std::u32string out;
        for (const char32_t c : Apply(nfd, Apply(casefold, text))) {
            if (u_charType(static_cast<UChar32>(c)) != U_NON_SPACING_MARK)
                out.push_back(c);
        }
        return Apply(nfc, out);
    }
};

std::u32string Nfkc(std::u32string text) {
    NormalizeNfkc(text);
    return text;
}

std::u32string Fold(const std::u32string& text, bool withoutAccents) {
    std::u32string out;
    FoldCaseless(Nfkc(text), withoutAccents, out);
    return out;
}

TEST(UnicodeTables, AreOfTheUnicodeVersionIcuIsOf) {
    UVersionInfo version;
    u_getUnicodeVersion(version);
    char text[U_MAX_VERSION_STRING_LENGTH];
    u_versionToString(version, text);
    // ICU says "15.0", the database "15.0.0".
    EXPECT_EQ(std::string(GetUnicodeVersion()).rfind(text, 0), 0u) << GetUnicodeVersion();
}

TEST(UnicodeTables, GiveEveryCodePointIcusCategoryAndCombiningClass) {
    int wrong = 0;
    for (char32_t c = 0; c <= 0x10FFFF && wrong < 10; ++c) {
        const auto cp = static_cast<UChar32>(c);
        const int32_t mask = U_GET_GC_MASK(cp);
        const bool word =
            (mask & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0 || c == 0x200C || c == 0x200D;
        const bool mark = u_charType(cp) == U_NON_SPACING_MARK;
        if (IsWordCodePoint(c) != word || IsNonspacingMark(c) != mark ||
            GetCombiningClass(c) != u_getCombiningClass(cp)) {
            ADD_FAILURE() << "U+" << Hex({c});
            ++wrong;
        }
    }
}

// NFKC, NFD, the fold and the fold without accents of every code point.
TEST(UnicodeTables, NormalizeAndFoldEveryCodePointAsIcu) {
    const CIcuForms icu;
    int wrong = 0;
    for (char32_t c = 0; c <= 0x10FFFF && wrong < 10; ++c) {
        if (IsSurrogate(c))
            continue;
        const std::u32string one(1, c);
        std::u32string nfd = one;
        NormalizeNfd(nfd);
        const std::u32string folded = icu.Apply(icu.casefold, one);
        if (Nfkc(one) != icu.Apply(icu.nfkc, one) || nfd != icu.Apply(icu.nfd, one) ||
            Fold(one, false) != folded || Fold(one, true) != icu.WithoutAccents(one)) {
            ADD_FAILURE() << "U+" << Hex(one) << ": NFKC " << Hex(Nfkc(one)) << ", fold "
                          << Hex(Fold(one, false)) << " (ICU " << Hex(folded) << "), bare "
                          << Hex(Fold(one, true)) << " (ICU " << Hex(icu.WithoutAccents(one))
                          << ")";
            ++wrong;
        }
    }
}

// Mixed strings where marks meet, reorder and compose: the cases one code point
// at a time never reaches.
TEST(UnicodeTables, NormalizeAndFoldMixedTextAsIcu) {
    const CIcuForms icu;
    const std::u32string alphabet =
        U"aAeEiIoOsSzZß\u00C5\u00E9\u0130\u0131\u01F0\u1E9B\u0300\u0301\u0307\u0308\u030A\u030C"
        U"\u0323\u0327\u0345\u034F\u0591\u05B0\u093C\u0928\u0915\u093F\u094D\u200C\u200D"
        U"\u0391\u03A3\u03C3\u03C2\u0386\u1F00\u0401\u0419\u0439\u0418\u0306\u1100\u1161\u11A8"
        U"\uAC00\uAC01\u3131\uFB01\uFF21\uFF41\u2160\u00BD\u2044\u0B47\u0B3E\u0B57\U0001D400"
        U"\U000110A5\U000110BA\U00011099\uFDFA\u1E0A\u0338\u226E\u003C\u00AD\u2126\u212B";
    std::mt19937 random(20261209);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(1, 8);
    int wrong = 0;
    for (int round = 0; round < 200000 && wrong < 10; ++round) {
        std::u32string text;
        for (int n = length(random); n > 0; --n)
            text.push_back(alphabet[pick(random)]);
        std::u32string nfc = text;
        NormalizeNfc(nfc);
        // Words are folded after the whole text went to NFKC, and the fold of
        // a text is not always the fold of its NFKC (U+0345 is a mark that
        // folds to a letter), so ICU folds ICU's NFKC.
        const std::u32string nfkc = icu.Apply(icu.nfkc, text);
        const bool same = Nfkc(text) == nfkc && nfc == icu.Apply(icu.nfc, text) &&
                          Fold(text, false) == icu.Apply(icu.casefold, nfkc) &&
                          Fold(text, true) == icu.WithoutAccents(nfkc);
        if (!same) {
            ADD_FAILURE() << Hex(text) << ": NFKC " << Hex(Nfkc(text)) << " (ICU " << Hex(nfkc)
                          << "), fold " << Hex(Fold(text, false)) << " (ICU "
                          << Hex(icu.Apply(icu.casefold, nfkc)) << ")";
            ++wrong;
        }
    }
}

std::u32string ParseColumn(const std::string& column) {
    std::u32string out;
    std::istringstream in(column);
    std::string hex;
    while (in >> hex)
        out.push_back(static_cast<char32_t>(std::stoul(hex, nullptr, 16)));
    return out;
}

// Every line of the conformance file: NFC, NFD and NFKC of each of its columns.
TEST(UnicodeNormalization, PassesTheConformanceFile) {
    std::ifstream file(TORVI_NORMALIZATION_TEST);
    ASSERT_TRUE(file) << TORVI_NORMALIZATION_TEST;
    std::string line;
    int lines = 0;
    int wrong = 0;
    while (std::getline(file, line) && wrong < 10) {
        if (line.empty() || line[0] == '#' || line[0] == '@')
            continue;
        std::vector<std::u32string> c;
        std::istringstream fields(line);
        std::string field;
        while (c.size() < 5 && std::getline(fields, field, ';'))
            c.push_back(ParseColumn(field));
        ASSERT_EQ(c.size(), 5u) << line;
        ++lines;
        for (int i = 0; i < 5; ++i) {
            std::u32string nfc = c[i];
            std::u32string nfd = c[i];
            NormalizeNfc(nfc);
            NormalizeNfd(nfd);
            const bool canonical = i < 3;
            if (nfc != c[canonical ? 1 : 3] || nfd != c[canonical ? 2 : 4] || Nfkc(c[i]) != c[3]) {
                ADD_FAILURE() << line << " (column " << i + 1 << ")";
                ++wrong;
            }
        }
    }
    EXPECT_GT(lines, 18000);
}

TEST(UnicodeText, ReadsBrokenUtf8AsReplacementCharacters) {
    struct CCase {
        std::string bytes;
        std::u32string points;
    };
    const CCase cases[] = {
        {"caf\xC3\xA9", U"caf\u00E9"},
        {"\xC3", U"\uFFFD"},                               // cut short at the end
        {"a\xC3z", U"a\uFFFDz"},                           // a lead byte without its continuation
        {"\xC0\xAF", U"\uFFFD\uFFFD"},                     // an overlong slash: two bad bytes
        {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
        {"\xE2\x82", U"\uFFFD"},                           // a valid start of three, cut short
        {"\xF0\x9F\x98\x80", U"\U0001F600"},
    };
    for (const CCase& c : cases) {
        std::u32string out;
        AppendCodePoints(c.bytes, true, out);
        EXPECT_EQ(out, c.points) << Hex(out);
    }
    std::u32string cp1252;
    AppendCodePoints("\x80\xE9\x9F", false, cp1252);
    EXPECT_EQ(cp1252, U"\u20AC\u00E9\u0178");
}
} // namespace

namespace {
TEST(UnicodeText, TellsWhereTheAsciiRuleLosesLetters) {
    EXPECT_TRUE(HoldsWordBeyondAscii("Straße", true));
    EXPECT_TRUE(HoldsWordBeyondAscii("кошка", true));
    EXPECT_TRUE(HoldsWordBeyondAscii("caf\xE9", false));
    EXPECT_TRUE(HoldsWordBeyondAscii("x\u0301", true)); // a combining accent alone
    EXPECT_FALSE(HoldsWordBeyondAscii("Paris (France)", true));
    // Punctuation, symbols and spaces beyond ASCII lose nothing.
    EXPECT_FALSE(HoldsWordBeyondAscii("«Paris» – 5 €\u00A0", true));
    EXPECT_FALSE(HoldsWordBeyondAscii("\x93Paris\x94 \x80", false));
    EXPECT_FALSE(HoldsWordBeyondAscii("\xFF\xFE", true));
}
} // namespace

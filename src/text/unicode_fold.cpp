#include "text/unicode_fold.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "text/encoding.h"

namespace {
// One row of a mapping: head is count << 21 | first code point. data with bit 31
// set maps count code points from first, one after another or (bit 22) every
// second one, each to itself plus the distance in bits 0-21; otherwise it maps
// first alone to length (data >> 16) UTF-16 units of the pool from data & 0xFFFF.
struct CMapping {
    uint32_t head;
    uint32_t data;
};

#include "unicode_tables.inc"

constexpr uint32_t kWord = 1u << 8;
constexpr uint32_t kNonspacing = 1u << 9;
constexpr uint32_t kHasNfkd = 1u << 10; // a compatibility decomposition unlike the canonical
constexpr uint32_t kHasNfd = 1u << 11;
constexpr uint32_t kFoldChanges = 1u << 12;
constexpr uint32_t kComposesBack = 1u << 13; // the second of some composition pair
constexpr uint32_t kFoldsAway = 1u << 14;    // default-ignorable: its fold is empty
constexpr uint32_t kNfkcUnstable = 1u << 15; // NFKC may change it
// It and its fold are starters nothing composes onto (kSimpleFold), and, bare,
// hold no accent either.
constexpr uint32_t kFoldSimple = 1u << 16;
constexpr uint32_t kFoldBare = 1u << 17;
// A simple fold 32 or 1 code points on, which kSimpleFold does not list.
constexpr uint32_t kFoldPlus32 = 1u << 18;
constexpr uint32_t kFoldPlus1 = 1u << 19;

// Hangul syllables are made of their jamo by arithmetic.
constexpr char32_t kHangulFirst = 0xAC00;
constexpr char32_t kHangulLast = 0xD7A3;
constexpr char32_t kLeadBase = 0x1100;
constexpr char32_t kVowelBase = 0x1161;
constexpr char32_t kTrailBase = 0x11A7;
constexpr char32_t kVowelCount = 21;
constexpr char32_t kTrailCount = 28;
constexpr char32_t kLeadCount = 19;

uint32_t PropertiesOf(char32_t c) {
    if (c > 0x10FFFF)
        return 0;
    constexpr char32_t kMiddleMask = (1u << kMiddleBits) - 1;
    constexpr char32_t kLeafMask = (1u << kLeafBits) - 1;
    const unsigned middle = kPropertyTop[c >> (kLeafBits + kMiddleBits)];
    const unsigned leaf =
        kPropertyMiddles[(middle << kMiddleBits) | ((c >> kLeafBits) & kMiddleMask)];
    return kPropertyValues[kPropertyLeaves[(leaf << kLeafBits) | (c & kLeafMask)]];
}

uint8_t CombiningClassOf(char32_t c) {
    return c < 0x300 ? 0 : static_cast<uint8_t>(PropertiesOf(c) & 0xFF);
}

// Appends what c maps to in rows; false when the rows do not map it.
template <size_t N> bool AppendMapped(const CMapping (&rows)[N], char32_t c, std::u32string& out) {
    const CMapping* after =
        std::upper_bound(rows, rows + N, c, [](char32_t cp, const CMapping& row) {
            return cp < (row.head & 0x1FFFFF);
        });
    if (after == rows)
        return false;
    const CMapping& row = after[-1];
    const char32_t first = row.head & 0x1FFFFF;
    const uint32_t count = row.head >> 21;
    if (row.data & 0x80000000u) {
        const uint32_t stride = ((row.data >> 22) & 1) + 1;
        const uint32_t step = c - first;
        if (step % stride != 0 || step / stride >= count)
            return false;
        // The distance is a 22-bit two's complement number.
        const auto distance = static_cast<int32_t>((row.data & 0x3FFFFF) << 10) >> 10;
        out.push_back(static_cast<char32_t>(static_cast<int32_t>(c) + distance));
        return true;
    }
    if (c != first)
        return false;
    const char16_t* unit = kMappingPool + (row.data & 0xFFFF);
    const char16_t* end = unit + (row.data >> 16);
    while (unit < end) {
        const char32_t u = *unit++;
        if (u >= 0xD800 && u <= 0xDBFF && unit < end)
            out.push_back(0x10000 + ((u - 0xD800) << 10) + (*unit++ - 0xDC00));
        else
            out.push_back(u);
    }
    return true;
}

constexpr char32_t FirstOf(uint64_t pair) {
    return static_cast<char32_t>(pair >> 42);
}
constexpr char32_t SecondOf(uint64_t pair) {
    return static_cast<char32_t>((pair >> 21) & 0x1FFFFF);
}
constexpr char32_t CompositeOf(uint64_t pair) {
    return static_cast<char32_t>(pair & 0x1FFFFF);
}

bool AppendHangul(char32_t c, std::u32string& out) {
    if (c < kHangulFirst || c > kHangulLast)
        return false;
    const char32_t index = c - kHangulFirst;
    out.push_back(kLeadBase + index / (kVowelCount * kTrailCount));
    out.push_back(kVowelBase + (index % (kVowelCount * kTrailCount)) / kTrailCount);
    if (index % kTrailCount != 0)
        out.push_back(kTrailBase + index % kTrailCount);
    return true;
}

// The full canonical decomposition of c. A primary composite is taken apart
// by its composition pair.
void AppendCanonical(char32_t c, uint32_t properties, std::u32string& out) {
    if (!(properties & kHasNfd)) {
        if (!AppendHangul(c, out))
            out.push_back(c);
        return;
    }
    constexpr size_t kPairs = sizeof kCompositions / sizeof kCompositions[0];
    const uint16_t* byComposite = kCompositionsByComposite;
    const uint16_t* found =
        std::lower_bound(byComposite, byComposite + kPairs, c, [](uint16_t i, char32_t cp) {
            return CompositeOf(kCompositions[i]) < cp;
        });
    if (found != byComposite + kPairs && CompositeOf(kCompositions[*found]) == c) {
        const uint64_t pair = kCompositions[*found];
        AppendCanonical(FirstOf(pair), PropertiesOf(FirstOf(pair)), out);
        AppendCanonical(SecondOf(pair), PropertiesOf(SecondOf(pair)), out);
        return;
    }
    if (!AppendMapped(kNfd, c, out))
        out.push_back(c);
}

void AppendCompatibility(char32_t c, std::u32string& out) {
    if (c < 0x80) {
        out.push_back(c);
        return;
    }
    const uint32_t properties = PropertiesOf(c);
    if (!(properties & kHasNfkd) || !AppendMapped(kNfkd, c, out))
        AppendCanonical(c, properties, out);
}

bool ComposePair(char32_t first, char32_t second, char32_t& composite) {
    if (first >= kLeadBase && first < kLeadBase + kLeadCount && second >= kVowelBase &&
        second < kVowelBase + kVowelCount) {
        composite = kHangulFirst +
                    ((first - kLeadBase) * kVowelCount + (second - kVowelBase)) * kTrailCount;
        return true;
    }
    if (first >= kHangulFirst && first <= kHangulLast &&
        (first - kHangulFirst) % kTrailCount == 0 && second > kTrailBase &&
        second < kTrailBase + kTrailCount) {
        composite = first + (second - kTrailBase);
        return true;
    }
    if (second < 0x300 || !(PropertiesOf(second) & kComposesBack))
        return false;
    const uint64_t key =
        (static_cast<uint64_t>(first) << 42) | (static_cast<uint64_t>(second) << 21);
    const uint64_t* end = kCompositions + sizeof kCompositions / sizeof kCompositions[0];
    const uint64_t* found = std::lower_bound(kCompositions, end, key);
    if (found == end || (*found >> 21) != (key >> 21))
        return false;
    composite = CompositeOf(*found);
    return true;
}

// Marks of one run of nonzero combining classes sorted by class, stable.
void ReorderCanonically(std::u32string& text) {
    for (size_t i = 1; i < text.size(); ++i) {
        const char32_t c = text[i];
        const uint8_t cc = CombiningClassOf(c);
        if (cc == 0)
            continue;
        size_t j = i;
        while (j > 0 && CombiningClassOf(text[j - 1]) > cc) {
            text[j] = text[j - 1];
            --j;
        }
        text[j] = c;
    }
}

// Canonical composition of a decomposed, reordered text: each code point joins
// the last starter before it unless a code point between them blocks it.
void ComposeCanonically(std::u32string& text) {
    if (text.empty())
        return;
    size_t starter = 0;
    bool haveStarter = CombiningClassOf(text[0]) == 0;
    int lastClass = haveStarter ? 0 : 256;
    size_t out = 1;
    for (size_t i = 1; i < text.size(); ++i) {
        const char32_t c = text[i];
        const int cc = CombiningClassOf(c);
        char32_t composite = 0;
        if (haveStarter && (lastClass < cc || lastClass == 0) &&
            ComposePair(text[starter], c, composite)) {
            text[starter] = composite;
            continue;
        }
        if (cc == 0) {
            starter = out;
            haveStarter = true;
        }
        lastClass = cc;
        text[out++] = c;
    }
    text.resize(out);
}

// NFKC's quick check: no code point that may change, and marks already in order.
bool IsSurelyNfkc(const std::u32string& text) {
    uint8_t lastClass = 0;
    for (const char32_t c : text) {
        if (c < 0x300) {
            if (c >= 0xA0 && (PropertiesOf(c) & kNfkcUnstable))
                return false;
            lastClass = 0;
            continue;
        }
        const uint32_t properties = PropertiesOf(c);
        const auto cc = static_cast<uint8_t>(properties & 0xFF);
        if ((properties & kNfkcUnstable) || (cc != 0 && cc < lastClass))
            return false;
        lastClass = cc;
    }
    return true;
}
} // namespace

const char* GetUnicodeVersion() {
    return kUnicodeVersion;
}

bool IsWordCodePoint(char32_t c) {
    return (PropertiesOf(c) & kWord) != 0;
}

bool IsNonspacingMark(char32_t c) {
    return (PropertiesOf(c) & kNonspacing) != 0;
}

uint8_t GetCombiningClass(char32_t c) {
    return CombiningClassOf(c);
}

bool HoldsWordBeyondAscii(std::string_view bytes, bool utf8) {
    const auto beyond = std::find_if(bytes.begin(), bytes.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (beyond == bytes.end())
        return false;
    std::u32string points;
    AppendCodePoints(bytes.substr(static_cast<size_t>(beyond - bytes.begin())), utf8, points);
    return std::any_of(points.begin(), points.end(),
                       [](char32_t c) { return c >= 0x80 && IsWordCodePoint(c); });
}

void NormalizeNfkcMarkingWords(std::u32string& text, std::vector<unsigned char>& isWord) {
    // The quick check and the marks in one look at each code point; text that
    // NFKC changes is looked at again.
    isWord.resize(text.size());
    uint8_t lastClass = 0;
    bool sure = true;
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c < 0x80) {
            isWord[i] = 0;
            lastClass = 0;
            continue;
        }
        const uint32_t properties = PropertiesOf(c);
        isWord[i] = (properties & kWord) != 0;
        const auto cc = static_cast<uint8_t>(properties & 0xFF);
        if ((properties & kNfkcUnstable) || (cc != 0 && cc < lastClass))
            sure = false;
        lastClass = cc;
    }
    if (sure)
        return;
    NormalizeNfkc(text);
    isWord.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        isWord[i] = text[i] >= 0x80 && IsWordCodePoint(text[i]);
}

void NormalizeNfkc(std::u32string& text) {
    if (IsSurelyNfkc(text))
        return;
    std::u32string decomposed;
    decomposed.reserve(text.size() + text.size() / 2);
    for (const char32_t c : text)
        AppendCompatibility(c, decomposed);
    ReorderCanonically(decomposed);
    ComposeCanonically(decomposed);
    text.swap(decomposed);
}

void NormalizeNfd(std::u32string& text) {
    std::u32string decomposed;
    decomposed.reserve(text.size() + text.size() / 2);
    for (const char32_t c : text)
        AppendCanonical(c, PropertiesOf(c), decomposed);
    ReorderCanonically(decomposed);
    text.swap(decomposed);
}

void NormalizeNfc(std::u32string& text) {
    NormalizeNfd(text);
    ComposeCanonically(text);
}

constexpr char32_t LowerAscii(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

namespace {
// The fold of a code point that folds one code point at a time (kFoldSimple).
void AppendSimpleFold(char32_t c, uint32_t properties, std::u32string& out) {
    if (properties & kFoldPlus32)
        out.push_back(c + 32);
    else if (properties & kFoldPlus1)
        out.push_back(c + 1);
    else if (!(properties & kFoldChanges) || !AppendMapped(kSimpleFold, c, out))
        out.push_back(c);
}

// The fold without accents of a code point whose fold is starters that nothing
// composes onto, one at a time: the fold's canonical decomposition without its
// nonspacing marks, when what is left folds to itself and holds no accent
// (an accented letter of Latin, Greek or Cyrillic and the like). False, with
// out as it was, for anything else.
bool AppendBare(char32_t c, uint32_t properties, std::u32string& out) {
    char32_t folded[4];
    thread_local std::u32string decomposed;
    thread_local std::u32string mapped;
    decomposed.clear();
    mapped.clear();
    AppendSimpleFold(c, properties, mapped);
    for (const char32_t part : mapped)
        AppendCanonical(part, PropertiesOf(part), decomposed);
    size_t kept = 0;
    for (const char32_t part : decomposed) {
        if (part >= 0x300 && IsNonspacingMark(part))
            continue;
        const uint32_t partProperties = part < 0x80 ? kFoldBare : PropertiesOf(part);
        if ((part >= 'A' && part <= 'Z') || !(partProperties & kFoldBare) ||
            (partProperties & kFoldChanges) || kept == std::size(folded))
            return false;
        folded[kept++] = part;
    }
    out.append(folded, kept);
    return true;
}
} // namespace

void FoldCaseless(std::u32string_view nfkcText, bool withoutAccents, std::u32string& out) {
    out.clear();
    // Most words fold one code point at a time: every code point and its fold
    // a starter that nothing composes onto (ASCII always is).
    bool oneByOne = true;
    for (const char32_t c : nfkcText) {
        if (c < 0x80) {
            out.push_back(LowerAscii(c));
            continue;
        }
        const uint32_t properties = PropertiesOf(c);
        if (!(properties & kFoldSimple) ||
            (withoutAccents && !(properties & kFoldBare) && !AppendBare(c, properties, out))) {
            oneByOne = false;
            break;
        }
        if (withoutAccents && !(properties & kFoldBare))
            continue;
        AppendSimpleFold(c, properties, out);
    }
    if (oneByOne)
        return;
    out.clear();
    bool changes = withoutAccents;
    for (size_t i = 0; i < nfkcText.size() && !changes; ++i)
        changes = (PropertiesOf(nfkcText[i]) & (kFoldChanges | kFoldsAway)) != 0;
    if (!changes) {
        // NFKC text that nothing folds is its own NFC, so its own fold.
        out.assign(nfkcText);
        return;
    }
    for (const char32_t c : nfkcText) {
        if (c < 0x80) {
            out.push_back(LowerAscii(c));
            continue;
        }
        const uint32_t properties = PropertiesOf(c);
        if (properties & kFoldsAway)
            continue;
        if (!(properties & kFoldChanges) || !AppendMapped(kFold, c, out))
            AppendCanonical(c, properties, out);
    }
    ReorderCanonically(out);
    if (withoutAccents)
        std::erase_if(out, [](char32_t c) { return c >= 0x300 && IsNonspacingMark(c); });
    ComposeCanonically(out);
}

bool FoldOneByOne(std::string_view bytes, bool utf8, bool withoutAccents, std::u32string& points,
                  std::vector<unsigned char>& isWord, std::u32string& folded,
                  std::vector<uint32_t>& foldEnds) {
    points.clear();
    folded.clear();
    AppendCodePoints(bytes, utf8, points);
    isWord.resize(points.size());
    foldEnds.resize(points.size());
    const uint32_t simple = withoutAccents ? kFoldBare : kFoldSimple;
    for (size_t i = 0; i < points.size(); ++i) {
        const char32_t c = points[i];
        if (c < 0x80) {
            isWord[i] = 0;
            folded.push_back(LowerAscii(c));
        } else {
            const uint32_t properties = PropertiesOf(c);
            // Text that NFKC may change, or marks that may move, take the long way.
            if ((properties & (kNfkcUnstable | 0xFF)) != 0)
                return false;
            isWord[i] = (properties & kWord) != 0;
            if (!isWord[i])
                folded.push_back(c); // a separator: never part of a word
            else if (properties & simple)
                AppendSimpleFold(c, properties, folded);
            else if (!withoutAccents || !(properties & kFoldSimple) ||
                     !AppendBare(c, properties, folded))
                return false;
        }
        foldEnds[i] = static_cast<uint32_t>(folded.size());
    }
    return true;
}

#include "convert/html_references.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "text/ascii.h"
#include "text/encoding.h"

namespace {
constexpr char32_t kReplacementCharacter = 0xFFFD;

// The HTML named character references, sorted by name; second is 0 for a
// name that stands for one character. The table is made at build time from
// the Python library's list of names.
struct CNamedReference {
    const char* name;
    char32_t first;
    char32_t second;
};

constexpr CNamedReference kNamedReferences[] = {
#include "html_entities.inc"
};

const CNamedReference* FindNamedReference(std::string_view name) {
    const auto* end = std::end(kNamedReferences);
    const auto* found = std::lower_bound(
        std::begin(kNamedReferences), end, name,
        [](const CNamedReference& entry, std::string_view key) { return entry.name < key; });
    return found != end && found->name == name ? found : nullptr;
}

// A browser reads the numbers 128 to 159 as the Windows-1252 characters.
char32_t Cp1252CodePoint(uint32_t value) {
    const char byte = static_cast<char>(value);
    return DecodeUtf8(Cp1252ToUtf8(std::string_view(&byte, 1)))[0];
}
} // namespace

bool DecodeHtmlReference(std::string_view text, size_t at, char32_t (&cp)[2], size_t& length) {
    size_t i = at + 1;
    cp[1] = 0;
    if (i < text.size() && text[i] == '#') {
        ++i;
        const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        if (hex)
            ++i;
        const size_t digitsStart = i;
        uint32_t value = 0;
        while (i < text.size()) {
            const char c = text[i];
            uint32_t digit = 0;
            if (IsAsciiDigit(c))
                digit = static_cast<uint32_t>(c - '0');
            else if (hex && FoldAscii(c) >= 'a' && FoldAscii(c) <= 'f')
                digit = static_cast<uint32_t>(FoldAscii(c) - 'a' + 10);
            else
                break;
            // Past the last code point the number only needs to stay too big.
            value = std::min<uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
            ++i;
        }
        if (i == digitsStart)
            return false;
        if (i < text.size() && text[i] == ';')
            ++i;
        length = i - at;
        if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            cp[0] = kReplacementCharacter;
        else if (value >= 0x80 && value <= 0x9F)
            cp[0] = Cp1252CodePoint(value);
        else
            cp[0] = value;
        return true;
    }
    const size_t nameStart = i;
    while (i < text.size() && i - nameStart < 40 &&
           (IsAsciiLetter(text[i]) || IsAsciiDigit(text[i])))
        ++i;
    if (i == nameStart || i >= text.size() || text[i] != ';')
        return false;
    const CNamedReference* named = FindNamedReference(text.substr(nameStart, i - nameStart));
    if (named == nullptr)
        return false;
    cp[0] = named->first;
    cp[1] = named->second;
    length = i + 1 - at;
    return true;
}

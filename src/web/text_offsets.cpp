#include "web/text_offsets.h"

#include <string>

#include "text/encoding.h"

int Utf16OffsetToCharacters(std::string_view utf8, int utf16Offset) {
    int units = 0;
    int characters = 0;
    for (const char32_t c : DecodeUtf8(utf8)) {
        if (units >= utf16Offset)
            break;
        units += c > 0xFFFF ? 2 : 1;
        ++characters;
    }
    return characters;
}

int CharactersToUtf16Offset(std::string_view utf8, int characters) {
    int units = 0;
    int counted = 0;
    for (const char32_t c : DecodeUtf8(utf8)) {
        if (counted >= characters)
            break;
        units += c > 0xFFFF ? 2 : 1;
        ++counted;
    }
    return units;
}

std::string PlainLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

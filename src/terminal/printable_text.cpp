#include "terminal/printable_text.h"

#include "text/encoding.h"

bool IsC1ControlAt(std::string_view text, size_t at) {
    return at + 1 < text.size() && static_cast<unsigned char>(text[at]) == 0xC2 &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

bool IsOtherControl(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

std::string PrintableText(std::string_view text) {
    const std::string utf8 = ToUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '\r') {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
        } else if (IsOtherControl(c)) {
            continue;
        } else if (IsC1ControlAt(utf8, i)) {
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string CleanTypedLine(std::string_view line) {
    const std::string utf8 = ToUtf8(line);
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == 0x1B) {
            // Escape sequences a terminal sends for arrow and function keys, or
            // that a pasted text carries: CSI (ESC [ ... final), SS3 (ESC O x),
            // OSC (ESC ] ... BEL or ESC \), or ESC and one character.
            ++i;
            if (i >= utf8.size())
                break;
            const char kind = utf8[i++];
            if (kind == '[') {
                while (i < utf8.size() && !(utf8[i] >= 0x40 && utf8[i] <= 0x7E))
                    ++i;
                if (i < utf8.size())
                    ++i;
            } else if (kind == 'O') {
                if (i < utf8.size())
                    ++i;
            } else if (kind == ']') {
                while (i < utf8.size() && utf8[i] != '\a' &&
                       !(utf8[i] == 0x1B && i + 1 < utf8.size() && utf8[i + 1] == '\\'))
                    ++i;
                if (i < utf8.size())
                    i += utf8[i] == '\a' ? 1 : 2;
            }
            continue;
        }
        if (c == '\t') {
            out += ' ';
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            ++i;
        } else if (IsC1ControlAt(utf8, i)) {
            i += 2;
        } else {
            out += static_cast<char>(c);
            ++i;
        }
    }
    return out;
}

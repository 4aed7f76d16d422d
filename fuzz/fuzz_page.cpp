// Fuzzes reading a page file as terminal text and wrapping it: the first byte
// chooses the quiz's encoding, whether colour is on and the width, the rest is
// the page. Besides not crashing or hanging, the text must be valid UTF-8 and
// hold no control character but line ends and tabs, and no escape sequence but
// the style's own; wrapping may only change blanks and line ends and never
// breaks an escape sequence.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "terminal/page_text.h"
#include "terminal/terminal_style.h"
#include "terminal/text_layout.h"
#include "text/encoding.h"

namespace {
void CheckTerminalSafe(std::string_view text) {
    if (!IsValidUtf8(text))
        __builtin_trap();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0x1B) {
            const std::string_view rest = text.substr(i);
            if (rest.substr(0, 4) != "\x1B[1m" && rest.substr(0, 4) != "\x1B[0m")
                __builtin_trap();
        } else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) {
            __builtin_trap();
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            __builtin_trap(); // a C1 control character
        }
    }
}

std::string WithoutWhitespace(std::string_view text) {
    std::string kept;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            kept += c;
    }
    return kept;
}

void CheckWrapped(std::string_view text, int width) {
    const std::string wrapped = WrapText(text, width);
    if (WithoutWhitespace(wrapped) != WithoutWhitespace(text))
        __builtin_trap();
    for (size_t at = wrapped.find('\x1B'); at != std::string::npos;
         at = wrapped.find('\x1B', at + 1)) {
        if (wrapped.compare(at, 4, "\x1B[1m") != 0 && wrapped.compare(at, 4, "\x1B[0m") != 0)
            __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool utf8 = (data[0] & 1) != 0;
    const CTerminalStyle style((data[0] & 2) != 0);
    const std::string_view page(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string text = PageFileToText(page, utf8, style);
    CheckTerminalSafe(text);
    if (!style.IsColour() && text.find('\x1B') != std::string::npos)
        __builtin_trap();
    CheckWrapped(text, (data[0] >> 2) + 1);
    return 0;
}

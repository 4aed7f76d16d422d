#include "convert/text_decoding.h"

#include <cstdint>

#include "text/encoding.h"

namespace {
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t u = unit(i);
        char32_t cp = u;
        if (u >= 0xD800 && u <= 0xDBFF) {
            const char16_t low = i + 3 < bytes.size() ? unit(i + 2) : 0;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                cp = 0xFFFD;
            }
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    if (bytes.size() % 2 != 0)
        AppendUtf8(out, 0xFFFD);
    return out;
}
} // namespace

std::string DecodeToUtf8(std::string_view bytes, ESourceEncoding* found) {
    ESourceEncoding encoding = ESourceEncoding::Utf8;
    std::string text;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        encoding = ESourceEncoding::Utf8WithMark;
        bytes.remove_prefix(3);
    }
    if (encoding == ESourceEncoding::Utf8 &&
        (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))) {
        encoding = ESourceEncoding::Utf16;
        text = DecodeUtf16(bytes.substr(2), bytes[0] == '\xFE');
    } else if (IsValidUtf8(bytes)) {
        text = std::string(bytes);
    } else {
        encoding = ESourceEncoding::Windows1252;
        text = Cp1252ToUtf8(bytes);
    }
    if (found)
        *found = encoding;
    return text;
}

bool IsBinaryText(std::string_view decoded) {
    return decoded.find('\0') != std::string_view::npos;
}

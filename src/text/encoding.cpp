#include "text/encoding.h"

#include <cstdint>

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        uint32_t min = 0;
        uint32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i <= static_cast<size_t>(extra))
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, UTF-16 surrogates and values past U+10FFFF are not UTF-8.
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

namespace {
// Windows-1252 bytes 0x80..0x9F; the five undefined ones map to their C1 code points.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

void AppendCodePoints(std::string_view bytes, bool utf8, std::u32string& out) {
    const size_t n = bytes.size();
    // No text has more code points than bytes: room for all of them at once.
    size_t at = out.size();
    out.resize(at + n);
    char32_t* points = out.data();
    size_t i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            points[at++] = c;
            ++i;
            continue;
        }
        if (!utf8) {
            points[at++] = c <= 0x9F ? kCp1252High[c - 0x80] : c;
            ++i;
            continue;
        }
        // The lead byte gives the length and the range of the second byte, which
        // rules out overlong forms, surrogates and values past U+10FFFF.
        int extra = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        }
        size_t used = 1;
        bool whole = extra > 0;
        for (int k = 1; k <= extra; ++k, low = 0x80, high = 0xBF) {
            if (i + used >= n) {
                whole = false;
                break;
            }
            const auto cc = static_cast<unsigned char>(bytes[i + used]);
            if (cc < low || cc > high) {
                whole = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
            ++used;
        }
        points[at++] = whole ? cp : char32_t{0xFFFD};
        i += used;
    }
    out.resize(at);
}

std::string ToUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Cp1252ToUtf8(bytes);
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c <= 0x9F)
            AppendUtf8(out, kCp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

namespace {
// Writes one code point as UTF-8 at p, which has room for four bytes; gives
// the number of bytes written.
size_t EncodeOne(char32_t cp, char* p) {
    if (cp < 0x80) {
        p[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        p[0] = static_cast<char>(0xC0 | (cp >> 6));
        p[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        p[0] = static_cast<char>(0xE0 | (cp >> 12));
        p[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        p[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    p[0] = static_cast<char>(0xF0 | (cp >> 18));
    p[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    p[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    p[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}
} // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    char bytes[4];
    out.append(bytes, EncodeOne(cp, bytes));
}

void AppendUtf8(std::string& out, std::u32string_view text) {
    // A word at a time through a buffer on the stack: one append, no zeroing.
    char buffer[256];
    size_t used = 0;
    for (const char32_t cp : text) {
        if (used + 4 > sizeof buffer) {
            out.append(buffer, used);
            used = 0;
        }
        used += EncodeOne(cp, buffer + used);
    }
    out.append(buffer, used);
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = c;
        if (c >= 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else if (c >= 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        }
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += cp;
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t cp : text)
        AppendUtf8(out, cp);
    return out;
}

void CutUtf8(std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return;
    size_t end = maxBytes;
    // The byte after the cut is a continuation byte (10xxxxxx) when the cut falls
    // inside a character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
}

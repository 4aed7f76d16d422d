// Case-blind comparison of quiz text. Only the 26 ASCII letters fold: every other
// byte, the lead and continuation bytes of UTF-8 and the letters of Windows-1252
// included, compares as it is, so a text never changes meaning with its encoding.
#pragma once

#include <cstddef>
#include <string_view>

constexpr unsigned char FoldAscii(unsigned char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

constexpr char FoldAscii(char c) noexcept {
    return static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
}

// Both texts whole: a NUL byte is a byte like any other, and texts of different
// lengths are never equal.
constexpr bool EqualNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

// True when text begins with prefix; a text shorter than prefix never does.
constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// True when part stands anywhere in text.
constexpr bool ContainsNoCase(std::string_view text, std::string_view part) noexcept {
    for (size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (StartsWithNoCase(text.substr(at), part))
            return true;
    }
    return false;
}

constexpr bool IsAsciiLetter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool IsAsciiDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

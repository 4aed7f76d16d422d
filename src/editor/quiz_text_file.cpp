#include "editor/quiz_text_file.h"

#include <array>
#include <cstdio>

#include "text/encoding.h"

namespace {
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Windows-1252 byte for each character it holds, worked out once from the one
// table the program reads such files with, so reading and writing cannot disagree.
class CWindows1252Writer {
public:
    CWindows1252Writer() {
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const std::u32string decoded =
                DecodeUtf8(Cp1252ToUtf8(std::string(1, static_cast<char>(byte))));
            m_high[static_cast<size_t>(byte - 0x80)] = decoded.empty() ? 0 : decoded[0];
        }
    }
    // False when the character has no byte.
    bool Encode(char32_t character, char& byte) const {
        if (character < 0x80) {
            byte = static_cast<char>(character);
            return true;
        }
        for (size_t i = 0; i < m_high.size(); ++i) {
            if (m_high[i] == character) {
                byte = static_cast<char>(0x80 + i);
                return true;
            }
        }
        return false;
    }

private:
    std::array<char32_t, 128> m_high{};
};

const CWindows1252Writer& Windows1252() {
    static const CWindows1252Writer writer;
    return writer;
}

std::string_view LineEnd(ELineEnds ends) {
    switch (ends) {
    case ELineEnds::CrLf:
        return "\r\n";
    case ELineEnds::Cr:
        return "\r";
    case ELineEnds::Lf:
        break;
    }
    return "\n";
}

bool Encode(std::string_view text, const CQuizTextFormat& format, std::string& bytes,
            CUnencodable* unencodable, bool loose) {
    bytes.clear();
    const std::string_view lineEnd = LineEnd(format.lineEnds);
    if (format.encoding == EQuizEncoding::Utf8) {
        if (format.byteOrderMark)
            bytes += kBom;
        for (char c : text) {
            if (c == '\n')
                bytes += lineEnd;
            else
                bytes += c;
        }
        return true;
    }
    int line = 1;
    int column = 1;
    for (char32_t c : DecodeUtf8(text)) {
        char byte = 0;
        if (c == U'\n') {
            bytes += lineEnd;
            ++line;
            column = 1;
            continue;
        }
        if (!Windows1252().Encode(c, byte)) {
            if (!loose) {
                if (unencodable)
                    *unencodable = {c, line, column};
                return false;
            }
            byte = '?';
        }
        bytes += byte;
        ++column;
    }
    return true;
}
} // namespace

std::string CQuizTextFormat::Describe() const {
    std::string text = encoding == EQuizEncoding::Utf8 ? "UTF-8" : "Windows-1252";
    if (byteOrderMark)
        text += " (BOM)";
    switch (lineEnds) {
    case ELineEnds::Lf:
        return text + ", LF";
    case ELineEnds::CrLf:
        return text + ", CR LF";
    case ELineEnds::Cr:
        return text + ", CR";
    }
    return text;
}

void DecodeQuizBytes(std::string_view bytes, std::string& text, CQuizTextFormat& format) {
    format = CQuizTextFormat{};
    if (bytes.substr(0, kBom.size()) == kBom && IsValidUtf8(bytes)) {
        format.byteOrderMark = true;
        bytes.remove_prefix(kBom.size());
    }
    format.encoding = IsValidUtf8(bytes) ? EQuizEncoding::Utf8 : EQuizEncoding::Windows1252;

    size_t lf = 0;
    size_t crlf = 0;
    size_t cr = 0;
    std::string lfText;
    lfText.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
            lfText += '\n';
        } else {
            lf += c == '\n' ? 1 : 0;
            lfText += c;
        }
    }
    if (crlf > lf && crlf >= cr)
        format.lineEnds = ELineEnds::CrLf;
    else if (cr > lf && cr > crlf)
        format.lineEnds = ELineEnds::Cr;
    text = format.encoding == EQuizEncoding::Utf8 ? lfText : Cp1252ToUtf8(lfText);
}

bool EncodeQuizText(std::string_view text, const CQuizTextFormat& format, std::string& bytes,
                    CUnencodable* unencodable) {
    return Encode(text, format, bytes, unencodable, false);
}

std::vector<CUnencodable> FindUnencodable(std::string_view text, const CQuizTextFormat& format) {
    std::vector<CUnencodable> found;
    if (format.encoding == EQuizEncoding::Utf8)
        return found;
    int line = 1;
    int column = 1;
    for (char32_t c : DecodeUtf8(text)) {
        char byte = 0;
        if (c == U'\n') {
            ++line;
            column = 1;
            continue;
        }
        if (!Windows1252().Encode(c, byte))
            found.push_back({c, line, column});
        ++column;
    }
    return found;
}

std::string EncodeQuizTextLoosely(std::string_view text, const CQuizTextFormat& format) {
    std::string bytes;
    Encode(text, format, bytes, nullptr, true);
    return bytes;
}

std::string DescribeCharacter(char32_t character) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    std::string text = "\"";
    AppendUtf8(text, character);
    return text + "\" (" + code + ")";
}

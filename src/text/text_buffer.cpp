#include "text/text_buffer.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <string>
#include <string_view>

#include "file/file_read.h"
#include "pattern/pattern.h"
#include "text/ascii.h"

namespace {
constexpr int32_t kFormatArea = 2048;

int32_t TextLength(const char* text) {
    const size_t n = std::strlen(text);
    return n > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 1)
               ? std::numeric_limits<int32_t>::max() - 1
               : static_cast<int32_t>(n);
}

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

size_t ReadDecimalNumber(const char* text, double& out) {
    out = 0.0;
    if (!text)
        return 0;
    const char* p = text;
    if (*p == '+' || *p == '-')
        ++p;
    const char* const whole = p;
    while (IsDecimalDigit(*p))
        ++p;
    bool anyDigit = p != whole;
    if (*p == '.') {
        const char* fraction = p + 1;
        while (IsDecimalDigit(*fraction))
            ++fraction;
        if (anyDigit || fraction != p + 1) {
            anyDigit = true;
            p = fraction;
        }
    }
    if (!anyDigit)
        return 0;
    // An exponent counts only when a digit follows the "e" and its sign.
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-')
            ++exponent;
        if (IsDecimalDigit(*exponent)) {
            while (IsDecimalDigit(*exponent))
                ++exponent;
            p = exponent;
        }
    }
    // Only the decimal text found above reaches strtod, so its other forms
    // (hexadecimal, "inf", "nan") never apply. Numbers in quiz files always use
    // "." as the decimal point, whatever the user's locale says.
    const std::string number(text, p);
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    out =
        cLocale ? strtod_l(number.c_str(), nullptr, cLocale) : std::strtod(number.c_str(), nullptr);
    return static_cast<size_t>(p - text);
}

CTextBuffer::CTextBuffer(const char* text) {
    if (text)
        Assign(text);
}

CTextBuffer::CTextBuffer(const CTextBuffer& other) {
    if (other.m_pData)
        AssignRange(other.m_pData, other.m_nLength);
}

CTextBuffer& CTextBuffer::operator=(const CTextBuffer& other) {
    if (this == &other)
        return *this;
    if (!other.m_pData)
        return Assign(nullptr);
    return AssignRange(other.m_pData, other.m_nLength);
}

CTextBuffer::CTextBuffer(CTextBuffer&& other) noexcept
    : m_pData(other.m_pData), m_nLength(other.m_nLength), m_nCapacity(other.m_nCapacity) {
    other.m_pData = nullptr;
    other.m_nLength = 0;
    other.m_nCapacity = 0;
}

CTextBuffer& CTextBuffer::operator=(CTextBuffer&& other) noexcept {
    if (this != &other) {
        delete[] m_pData;
        m_pData = other.m_pData;
        m_nLength = other.m_nLength;
        m_nCapacity = other.m_nCapacity;
        other.m_pData = nullptr;
        other.m_nLength = 0;
        other.m_nCapacity = 0;
    }
    return *this;
}

CTextBuffer::~CTextBuffer() {
    delete[] m_pData;
}

void CTextBuffer::Reserve(int32_t n) {
    if (n <= 0)
        return;
    if (!m_pData) {
        m_pData = new char[static_cast<size_t>(n)];
        m_nCapacity = n;
    } else if (m_nCapacity < n) {
        char* fresh = new char[static_cast<size_t>(n)];
        std::memcpy(fresh, m_pData, static_cast<size_t>(m_nCapacity));
        delete[] m_pData;
        m_pData = fresh;
        m_nCapacity = n;
    }
}

CTextBuffer& CTextBuffer::Assign(const char* text) {
    if (!text) {
        delete[] m_pData;
        m_pData = nullptr;
        m_nLength = 0;
        m_nCapacity = 0;
        return *this;
    }
    return AssignRange(text, TextLength(text));
}

CTextBuffer& CTextBuffer::AssignRange(const char* text, int32_t n) {
    if (n < 0)
        n = 0;
    if (m_pData && text >= m_pData && text < m_pData + m_nCapacity) {
        // The source lies in our own storage: move it down in place.
        std::memmove(m_pData, text, static_cast<size_t>(n));
    } else {
        Reserve(n + 1);
        if (n > 0)
            std::memcpy(m_pData, text, static_cast<size_t>(n));
    }
    m_pData[n] = '\0';
    m_nLength = n;
    return *this;
}

CTextBuffer& CTextBuffer::Append(const char* text) {
    if (!text)
        return *this;
    return AppendRange(text, TextLength(text));
}

CTextBuffer& CTextBuffer::AppendRange(const char* text, int32_t n) {
    if (!text || n < 0)
        return *this;
    const int32_t newLength = m_nLength + n;
    if (m_pData && text >= m_pData && text < m_pData + m_nCapacity) {
        // Appending a part of ourselves: copy it out before the storage moves.
        const std::string copy(text, static_cast<size_t>(n));
        Reserve(newLength + 1);
        std::memcpy(m_pData + m_nLength, copy.data(), copy.size());
    } else {
        Reserve(newLength + 1);
        if (n > 0)
            std::memcpy(m_pData + m_nLength, text, static_cast<size_t>(n));
    }
    m_pData[newLength] = '\0';
    m_nLength = newLength;
    return *this;
}

void CTextBuffer::Format(const char* format, ...) {
    if (!format) {
        Assign("");
        return;
    }
    char area[kFormatArea];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(area, sizeof area, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(again);
        Assign("");
        return;
    }
    if (needed < kFormatArea) {
        va_end(again);
        AssignRange(area, needed);
        return;
    }
    // A longer result is composed whole in an area of its own size.
    std::string big(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, again);
    va_end(again);
    AssignRange(big.data(), needed);
}

bool CTextBuffer::LoadFile(const char* path) {
    if (!path)
        return false;
    // Positions are 32-bit: a larger file cannot be held.
    CReadRules rules;
    rules.maxBytes = static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) - 1;
    std::string content;
    std::string why;
    if (ReadWholeFile(path, content, why, rules) != EReadResult::Read)
        return false;
    const auto n = static_cast<int32_t>(content.size());
    Reserve(n + 1);
    if (n > 0)
        std::memcpy(m_pData, content.data(), content.size());
    m_pData[n] = '\0';
    m_nLength = n;
    return true;
}

int32_t CTextBuffer::FindNoCase(const char* text, int32_t start) const {
    if (!text || start < 0 || start > m_nLength)
        return -1;
    const int32_t k = TextLength(text);
    const char* data = GetText();
    for (int32_t p = start; p + k <= m_nLength; ++p) {
        int32_t i = 0;
        while (i < k && FoldAscii(data[p + i]) == FoldAscii(text[i]))
            ++i;
        if (i == k)
            return p;
    }
    return -1;
}

void CTextBuffer::TrimRight(const char* set) {
    if (m_nLength <= 0 || !set)
        return;
    int32_t i = 0;
    while (i < m_nLength && m_pData[m_nLength - 1 - i] != '\0' &&
           std::strchr(set, m_pData[m_nLength - 1 - i]))
        ++i;
    if (i > 0) {
        m_nLength -= i;
        m_pData[m_nLength] = '\0';
    }
}

bool CTextBuffer::FindPattern(int32_t& position, const char* pattern) const {
    if (position < 0 || position > m_nLength) {
        position = -1;
        return false;
    }
    CPattern compiled;
    const int32_t r = compiled.Compile(pattern) ? compiled.Find(GetText() + position) : -1;
    if (r < 0) {
        position = -1;
        return false;
    }
    position += r;
    return true;
}

bool CTextBuffer::ExtractUntil(int32_t& position, const char* pattern, CTextBuffer& out) const {
    const int32_t start = position;
    if (start < 0 || start > m_nLength) {
        out.AssignRange("", 0);
        position = -1;
        return false;
    }
    if (FindPattern(position, pattern)) {
        out.AssignRange(GetText() + start, position - start);
        return true;
    }
    out.AssignRange(GetText() + start, m_nLength - start);
    return false;
}

bool CTextBuffer::NextLine(int32_t& position, CTextBuffer& out) const {
    if (position < 0 || position >= m_nLength)
        return false;
    // The first CR or LF at or after the position ends the line. A plain scan
    // finds the same place the pattern "\r|\n" would, and also carries on past
    // any NUL byte inside the text instead of taking the rest as one line.
    const char* data = m_pData;
    int32_t m = position;
    while (m < m_nLength && data[m] != '\r' && data[m] != '\n')
        ++m;
    out.AssignRange(data + position, m - position);
    if (m >= m_nLength) {
        position = m_nLength;
        return true;
    }
    position = m + 1;
    while (position < m_nLength && (data[position] == '\r' || data[position] == '\n'))
        ++position;
    return true;
}

bool CTextBuffer::ParseNumber(int32_t& position, const char* separator, double& out,
                              double defaultValue) const {
    CTextBuffer token;
    ExtractUntil(position, separator, token);
    const char* p = token.GetText();
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '\0') {
        out = defaultValue;
        return false;
    }
    ReadDecimalNumber(p, out);
    return true;
}

void CTextBuffer::ReplaceRange(int32_t offset, int32_t oldLength, const char* text) {
    if (offset < 0 || offset > m_nLength || oldLength < 0)
        return;
    if (oldLength > m_nLength - offset)
        oldLength = m_nLength - offset;
    const std::string insert = text ? std::string(text) : std::string();
    const auto n = static_cast<int32_t>(insert.size());
    const int32_t newLength = m_nLength + n - oldLength;
    Reserve(newLength + 1);
    if (!m_pData)
        return;
    std::memmove(m_pData + offset + n, m_pData + offset + oldLength,
                 static_cast<size_t>(m_nLength - offset - oldLength));
    if (n > 0)
        std::memcpy(m_pData + offset, insert.data(), insert.size());
    m_nLength = newLength;
    m_pData[m_nLength] = '\0';
}

void CTextBuffer::ReplaceAll(const char* find, const char* replacement) {
    if (!find || !*find || !m_pData)
        return;
    // Same result as replacing occurrence by occurrence and resuming after each
    // inserted text, built in one pass so long texts stay linear.
    const std::string needle(find);
    const std::string with = replacement ? std::string(replacement) : std::string();
    const std::string_view text(m_pData, static_cast<size_t>(m_nLength));
    std::string result;
    size_t from = 0;
    bool changed = false;
    for (;;) {
        const size_t p = text.find(needle, from);
        if (p == std::string_view::npos)
            break;
        result.append(text.substr(from, p - from));
        result.append(with);
        from = p + needle.size();
        changed = true;
    }
    if (!changed)
        return;
    result.append(text.substr(from));
    AssignRange(result.data(), static_cast<int32_t>(result.size()));
}

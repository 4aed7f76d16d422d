#include "quiz/quiz_file_reader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string_view>

#include "text/ascii.h"
#include "text/encoding.h"

namespace {
// Positions are signed 32-bit offsets; the last one must still fit.
constexpr int64_t kMaxFileBytes = std::numeric_limits<int32_t>::max() - 1;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Valid UTF-8? Quiz files are mostly ASCII, which is skipped eight bytes at a
// time; the check proper starts at the first byte above 0x7F.
bool IsUtf8Bytes(const char* data, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, data + i, 8);
        if (word & 0x8080808080808080ULL)
            break;
    }
    while (i < n && (static_cast<unsigned char>(data[i]) & 0x80) == 0)
        ++i;
    return IsValidUtf8(std::string_view(data + i, n - i));
}

// True when everything f holds from where it stands is valid UTF-8, read a piece
// at a time; a character cut by the end of one piece waits for the next.
bool RestIsUtf8(FILE* f, size_t chunk) {
    std::vector<char> buffer;
    size_t pending = 0;
    for (;;) {
        buffer.resize(pending + chunk);
        const size_t got = std::fread(buffer.data() + pending, 1, chunk, f);
        const size_t n = pending + got;
        if (got < chunk)
            return IsUtf8Bytes(buffer.data(), n);
        // Keep back the last character: it starts at the last byte that is not
        // 10xxxxxx, at most three bytes back in valid text.
        size_t start = n;
        while (start > 0 && n - start < 4 &&
               (static_cast<unsigned char>(buffer[start - 1]) & 0xC0) == 0x80)
            --start;
        const size_t cut = start > 0 && n - start < 4 ? start - 1 : n;
        if (!IsUtf8Bytes(buffer.data(), cut))
            return false;
        std::memmove(buffer.data(), buffer.data() + cut, n - cut);
        pending = n - cut;
    }
}

// Line ends in data[0..n): every CR, and every LF that does not follow a CR. Only
// looking back (previous is the byte before data[0], or NUL) lets a count stop
// anywhere, even between the CR and the LF of a pair.
int32_t CountLineEnds(const char* data, size_t n, char previous) {
    int32_t ends = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = data[i];
        if (c == '\r' || (c == '\n' && previous != '\r'))
            ++ends;
        previous = c;
    }
    return ends;
}
} // namespace

CQuizFileReader::~CQuizFileReader() {
    if (m_pFile)
        std::fclose(m_pFile);
}

bool CQuizFileReader::Open(const char* path, bool keepAll) {
    if (!path || m_pFile)
        return false;
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status))
        return false;
    if (std::filesystem::is_regular_file(status)) {
        const uintmax_t size = std::filesystem::file_size(path, ec);
        if (!ec && size > static_cast<uintmax_t>(kMaxFileBytes))
            return false;
    }
    m_pFile = std::fopen(path, "rb");
    m_bKeepAll = keepAll;
    if (!m_pFile)
        return false;
    // Room for a few pieces at once: the window seldom has to grow after this.
    m_window.reserve(4 * m_nChunk);
    m_nTextStart = FindTextStart();
    return true;
}

int32_t CQuizFileReader::FindTextStart() {
    if (!StartsWithNoCase(0, kUtf8Mark))
        return 0;
    // EF BB BF are three letters in Windows-1252, so the mark is one only when
    // the whole file is UTF-8. A file that can be read again is checked in a pass
    // of its own; anything else is read whole now.
    bool utf8 = false;
    const long resume = std::ftell(m_pFile);
    if (resume >= 0 && std::fseek(m_pFile, 0, SEEK_SET) == 0) {
        utf8 = RestIsUtf8(m_pFile, m_nChunk);
        if (std::fseek(m_pFile, resume, SEEK_SET) != 0) {
            // Cannot go back to where reading stopped: the file ends there.
            m_bEnded = true;
            utf8 = false;
        }
    } else {
        // Nothing is released yet, so every byte stays in the window.
        while (!m_bEnded)
            ReadChunk();
        Validate(true);
        utf8 = IsUtf8();
    }
    return utf8 ? static_cast<int32_t>(kUtf8Mark.size()) : 0;
}

bool CQuizFileReader::Fill(int64_t upTo) {
    while (End() < upTo && !m_bEnded)
        ReadChunk();
    return End() >= upTo;
}

void CQuizFileReader::ReadChunk() {
    // Let go of what is no longer needed once it is at least half the window, so
    // each byte is moved a bounded number of times. Bytes still to be checked as
    // UTF-8 stay.
    const int32_t dropTo = std::min(m_nKeep, m_nValidated);
    const auto drop = static_cast<size_t>(std::max(0, dropTo - m_nBase));
    if (!m_bKeepAll && drop > 0 && drop >= m_window.size() / 2) {
        m_window.erase(m_window.begin(), m_window.begin() + static_cast<std::ptrdiff_t>(drop));
        m_nBase += static_cast<int32_t>(drop);
    }

    size_t want = m_nChunk;
    if (End() + static_cast<int64_t>(want) > kMaxFileBytes)
        want = static_cast<size_t>(kMaxFileBytes - End());
    const size_t old = m_window.size();
    m_window.resize(old + want);
    const size_t got = want > 0 ? std::fread(m_window.data() + old, 1, want, m_pFile) : 0;
    m_window.resize(old + got);
    if (got < want) {
        m_bEnded = true;
    } else if (End() >= kMaxFileBytes) {
        // A stream longer than positions can reach: only an end of file right here
        // keeps it whole.
        m_bEnded = true;
        m_bTooLarge = std::fgetc(m_pFile) != EOF;
    }
    Validate(m_bEnded);
}

void CQuizFileReader::Validate(bool final) {
    if (!m_bUtf8) {
        m_nValidated = End();
        return;
    }
    int32_t upTo = End();
    if (!final) {
        // Stop in front of the last character, which may be cut by the end of the
        // read: a character starts at the last byte that is not 10xxxxxx, at most
        // three bytes back in valid text.
        int32_t start = upTo;
        while (start > m_nValidated && upTo - start < 4 &&
               (static_cast<unsigned char>(*At(start - 1)) & 0xC0) == 0x80)
            --start;
        if (start > m_nValidated && upTo - start < 4)
            upTo = start - 1;
    }
    if (upTo > m_nValidated) {
        m_bUtf8 = IsUtf8Bytes(At(m_nValidated), static_cast<size_t>(upTo - m_nValidated));
        m_nValidated = upTo;
    }
}

bool CQuizFileReader::NextLine(int32_t& position, CTextBuffer& out) {
    if (position < m_nBase || !Fill(static_cast<int64_t>(position) + 1))
        return false;
    int32_t m = position;
    for (;;) {
        const char* p = At(m);
        const char* end = At(End());
        while (p < end && !IsLineEnd(*p))
            ++p;
        m = m_nBase + static_cast<int32_t>(p - m_window.data());
        if (p < end || !Fill(static_cast<int64_t>(m) + 1))
            break;
    }
    out.AssignRange(At(position), m - position);
    if (m >= End()) {
        position = m;
        return true;
    }
    position = m + 1;
    while (Fill(static_cast<int64_t>(position) + 1) && IsLineEnd(*At(position)))
        ++position;
    return true;
}

char CQuizFileReader::ByteAt(int32_t position) {
    if (position < m_nBase || !Fill(static_cast<int64_t>(position) + 1))
        return '\0';
    return *At(position);
}

bool CQuizFileReader::StartsWithNoCase(int32_t position, std::string_view prefix) {
    const auto n = static_cast<int32_t>(prefix.size());
    if (position < m_nBase || !Fill(static_cast<int64_t>(position) + n))
        return false;
    return ::StartsWithNoCase(std::string_view(At(position), static_cast<size_t>(n)), prefix);
}

void CQuizFileReader::Release(int32_t position) {
    m_nKeep = std::max(m_nKeep, position);
}

std::string CQuizFileReader::LineFrom(int32_t position, size_t maxBytes) {
    if (position < m_nBase || position > End())
        return "";
    int32_t end = position;
    while (end < End() && !IsLineEnd(*At(end)) && static_cast<size_t>(end - position) < maxBytes)
        ++end;
    return std::string(At(position), static_cast<size_t>(end - position));
}

int32_t CQuizFileReader::LineAt(int32_t position) {
    if (m_bKeepAll) {
        if (position < m_nCountedTo) {
            m_nCountedTo = 0;
            m_nCountedLine = 1;
        }
        position = std::min(position, End());
        const char previous = m_nCountedTo > 0 ? *At(m_nCountedTo - 1) : '\0';
        m_nCountedLine +=
            CountLineEnds(At(m_nCountedTo), static_cast<size_t>(position - m_nCountedTo), previous);
        m_nCountedTo = position;
        return m_nCountedLine;
    }
    // The bytes before the position may be gone: count them from the file again.
    if (!m_pFile || std::fseek(m_pFile, 0, SEEK_SET) != 0)
        return 0;
    int32_t line = 1;
    int64_t left = position;
    char previous = '\0';
    std::vector<char> chunk(std::max<size_t>(m_nChunk, 4096));
    while (left > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(left, chunk.size()));
        const size_t got = std::fread(chunk.data(), 1, want, m_pFile);
        if (got == 0)
            break;
        line += CountLineEnds(chunk.data(), got, previous);
        previous = chunk[got - 1];
        left -= static_cast<int64_t>(got);
    }
    m_bEnded = true;
    return line;
}

void CQuizFileReader::Finish() {
    m_nKeep = End();
    while (!m_bEnded) {
        if (!m_bKeepAll)
            m_nKeep = End();
        ReadChunk();
    }
    Validate(true);
}

// CTextBuffer: the program's own growable single-byte text, with the parsing
// operations the quiz loader, the judge and the page composer are built from.
#pragma once

#include <cstddef>
#include <cstdint>

class CTextBuffer {
public:
    CTextBuffer() = default;
    explicit CTextBuffer(const char* text);
    CTextBuffer(const CTextBuffer& other);
    CTextBuffer& operator=(const CTextBuffer& other);
    CTextBuffer(CTextBuffer&& other) noexcept;
    CTextBuffer& operator=(CTextBuffer&& other) noexcept;
    ~CTextBuffer();

    // The stored characters, or "" while nothing is stored; never null.
    const char* GetText() const { return m_pData ? m_pData : ""; }
    // Raw storage: null while nothing has been allocated.
    const char* GetData() const { return m_pData; }
    int32_t GetLength() const { return m_nLength; }
    int32_t GetCapacity() const { return m_nCapacity; }
    bool IsEmpty() const { return m_nLength == 0; }

    void Reserve(int32_t n);
    CTextBuffer& Assign(const char* text);
    // Stores exactly n characters from text (which may hold NUL bytes).
    CTextBuffer& AssignRange(const char* text, int32_t n);
    CTextBuffer& Append(const char* text);
    CTextBuffer& AppendRange(const char* text, int32_t n);
    // printf-style composition; results of any length are kept whole.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Reads a whole regular file. False, leaving the buffer alone, for anything
    // else (a folder, a named pipe, a device) and for a file that cannot be read.
    bool LoadFile(const char* path);

    int32_t FindNoCase(const char* text, int32_t start) const;
    void TrimRight(const char* set);
    bool FindPattern(int32_t& position, const char* pattern) const;
    bool ExtractUntil(int32_t& position, const char* pattern, CTextBuffer& out) const;
    bool NextLine(int32_t& position, CTextBuffer& out) const;
    bool ParseNumber(int32_t& position, const char* separator, double& out,
                     double defaultValue) const;
    void ReplaceRange(int32_t offset, int32_t oldLength, const char* text);
    void ReplaceAll(const char* find, const char* replacement);

private:
    char* m_pData = nullptr;
    int32_t m_nLength = 0;
    int32_t m_nCapacity = 0;
};

// Reads the decimal number at the start of text: an optional sign, digits with
// an optional "." fraction, an optional exponent. out is that number (infinite
// when it is too large), or 0.0 when text does not start with one; returns how
// many characters it took. Hexadecimal, "inf" and "nan" are not numbers here.
size_t ReadDecimalNumber(const char* text, double& out);

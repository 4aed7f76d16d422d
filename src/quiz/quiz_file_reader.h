// CQuizFileReader: a quiz file read a piece at a time. The loader walks a quiz
// file from start to end, looking back at most to the start of the record it is
// reading; the bytes before that are let go, so a large quiz never sits in memory
// whole beside the questions made from it. Positions are byte offsets into the
// file, as they would be into the whole file text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_buffer.h"

class CQuizFileReader {
public:
    // Bytes read from the file at a time; 0 means the normal size. Small pieces
    // put piece boundaries inside lines, keywords and characters.
    static constexpr size_t kDefaultChunkBytes = 64 * 1024;
    explicit CQuizFileReader(size_t chunkBytes = kDefaultChunkBytes)
        : m_nChunk(chunkBytes > 0 ? chunkBytes : kDefaultChunkBytes) {}
    CQuizFileReader(const CQuizFileReader&) = delete;
    CQuizFileReader& operator=(const CQuizFileReader&) = delete;
    ~CQuizFileReader();

    // False when the file cannot be opened, is a folder, or is too large for
    // 32-bit positions. keepAll keeps every byte read, for callers that look at the
    // whole text afterwards (GetWholeText).
    bool Open(const char* path, bool keepAll);
    // Where the quiz text starts: past the byte-order mark of a UTF-8 file, else 0.
    int32_t GetTextStart() const { return m_nTextStart; }
    // True after an Open that succeeded.
    bool IsOpen() const { return m_pFile != nullptr; }
    // True when the reader was opened with keepAll.
    bool KeepsAll() const { return m_bKeepAll; }

    // What CTextBuffer::NextLine gives over the whole file text: the line from
    // position up to the first CR or LF, then position past every CR and LF after
    // it; false at the end of the file, with out untouched.
    bool NextLine(int32_t& position, CTextBuffer& out);
    // The byte at position, or NUL at the end of the file.
    char ByteAt(int32_t position);
    // True when the file holds prefix at position, ASCII letters compared without case.
    bool StartsWithNoCase(int32_t position, std::string_view prefix);
    // Bytes before position will not be asked for again.
    void Release(int32_t position);

    // The physical line that starts at position, without its line end, or its
    // first maxBytes bytes. Position must not have been released.
    std::string LineFrom(int32_t position, size_t maxBytes);
    // The line number (from 1) of position; LF, CR LF and a lone CR each end a line.
    // Without keepAll it reads the file again from its start, so it is meant for the
    // one position of a failure.
    int32_t LineAt(int32_t position);

    // Reads what is left of the file, so that IsUtf8 speaks for all of it.
    void Finish();
    // True while every byte read so far forms valid UTF-8.
    bool IsUtf8() const { return m_bUtf8; }
    // True when the file turned out too large for 32-bit positions while reading.
    bool IsTooLarge() const { return m_bTooLarge; }
    // With keepAll: the whole file read so far.
    const std::vector<char>& GetWholeText() const { return m_window; }

private:
    static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

    int32_t FindTextStart();
    int32_t End() const { return m_nBase + static_cast<int32_t>(m_window.size()); }
    const char* At(int32_t position) const { return m_window.data() + (position - m_nBase); }
    // Reads until the bytes before upTo are in the window or the file has ended;
    // true when they are.
    bool Fill(int64_t upTo);
    void ReadChunk();
    void Validate(bool final);

    size_t m_nChunk;
    FILE* m_pFile = nullptr;
    bool m_bKeepAll = false;
    bool m_bEnded = false;
    bool m_bTooLarge = false;
    bool m_bUtf8 = true;
    // m_window holds the file's bytes from offset m_nBase on.
    std::vector<char> m_window;
    int32_t m_nBase = 0;
    int32_t m_nTextStart = 0;
    // Nothing before this offset is needed any more.
    int32_t m_nKeep = 0;
    // The bytes before this offset have been checked as UTF-8.
    int32_t m_nValidated = 0;
    // Line numbering over the kept text: the offset counted up to and its line.
    int32_t m_nCountedTo = 0;
    int32_t m_nCountedLine = 1;
};

// COutputBuffer: the tool's standard output, a stream buffer over a file
// descriptor that keeps the reason of the first failed write, so that a full
// disk or a closed pipe can be reported once the command is done.
#pragma once

#include <array>
#include <streambuf>

class COutputBuffer final : public std::streambuf {
public:
    explicit COutputBuffer(int fd);
    ~COutputBuffer() override;
    COutputBuffer(const COutputBuffer&) = delete;
    COutputBuffer& operator=(const COutputBuffer&) = delete;

    // The errno value of the first failed write; 0 while every write succeeded.
    int GetError() const { return m_nError; }
    // From now on every attempt to write something fails with error, as on a
    // descriptor that was closed when the program started. Writing nothing still
    // succeeds.
    void RefuseWrites(int error) { m_nRefused = error; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize n) override;
    // Writes out what is buffered. After any failed write it fails every time,
    // with errno set to the first failure's reason.
    int sync() override;

private:
    // Writes out the buffer's content; false once a write has failed.
    bool Drain();
    bool WriteAll(const char* data, size_t size);

    int m_nFd;
    int m_nError = 0;
    int m_nRefused = 0;
    std::array<char, 16384> m_buffer{};
};

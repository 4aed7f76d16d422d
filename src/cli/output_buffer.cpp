#include "cli/output_buffer.h"

#include <cerrno>
#include <unistd.h>

COutputBuffer::COutputBuffer(int fd) : m_nFd(fd) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

COutputBuffer::~COutputBuffer() {
    Drain();
}

COutputBuffer::int_type COutputBuffer::overflow(int_type c) {
    if (!Drain())
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize COutputBuffer::xsputn(const char* text, std::streamsize n) {
    if (n <= 0)
        return 0;
    const auto size = static_cast<size_t>(n);
    if (size <= static_cast<size_t>(epptr() - pptr())) {
        traits_type::copy(pptr(), text, size);
        pbump(static_cast<int>(n));
        return n;
    }
    // What is buffered goes first; a text longer than the whole buffer is then
    // written straight through.
    if (!Drain())
        return 0;
    if (size <= m_buffer.size()) {
        traits_type::copy(pptr(), text, size);
        pbump(static_cast<int>(n));
        return n;
    }
    return WriteAll(text, size) ? n : 0;
}

int COutputBuffer::sync() {
    if (Drain())
        return 0;
    errno = m_nError;
    return -1;
}

bool COutputBuffer::Drain() {
    const auto size = static_cast<size_t>(pptr() - pbase());
    // Once a write has failed, nothing more is written: the output would have a
    // hole in it. What comes after is dropped.
    const bool written = WriteAll(pbase(), size);
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return written;
}

bool COutputBuffer::WriteAll(const char* data, size_t size) {
    if (m_nError != 0)
        return false;
    if (size > 0 && m_nRefused != 0) {
        m_nError = m_nRefused;
        return false;
    }
    while (size > 0) {
        const ssize_t done = write(m_nFd, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            m_nError = done < 0 ? errno : EIO;
            return false;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

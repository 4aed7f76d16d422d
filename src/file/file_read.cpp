#include "file/file_read.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr char kTooLarge[] = "the file is too large";

std::string SystemWords(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Opens path for reading under rules and checks what it is. Never blocks: a
// pipe or a device is opened without waiting for a writer and then refused.
EReadResult OpenForReading(const std::string& path, const CReadRules& rules, int& fd,
                           struct stat& info, std::string& why) {
    int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (!rules.followLinks)
        flags |= O_NOFOLLOW;
    fd = open(path.c_str(), flags);
    if (fd < 0) {
        if (!rules.followLinks && errno == ELOOP) {
            why = "it is a symbolic link";
            return EReadResult::Link;
        }
        why = SystemWords("cannot read the file");
        return EReadResult::CannotOpen;
    }
    EReadResult result = EReadResult::Read;
    if (fstat(fd, &info) != 0) {
        why = SystemWords("cannot read the file");
        result = EReadResult::ReadFailed;
    } else if (!S_ISREG(info.st_mode)) {
        why = "it is not a regular file";
        result = EReadResult::NotRegular;
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    } else if (rules.ownOnly && info.st_uid != geteuid()) {
        why = "it belongs to another user";
        result = EReadResult::NotOwn;
        errno = EACCES;
    } else if (static_cast<uint64_t>(info.st_size) > rules.maxBytes) {
        why = kTooLarge;
        result = EReadResult::TooLarge;
        errno = EFBIG;
    }
    if (result != EReadResult::Read) {
        const int error = errno;
        close(fd);
        fd = -1;
        errno = error;
    }
    return result;
}
} // namespace

bool ReadOpenFile(int fd, std::string& bytes, uint64_t maxBytes, std::string& why) {
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = SystemWords("cannot read the file");
            return false;
        }
        if (n == 0)
            return true;
        // The file may have grown since its size was looked at.
        if (bytes.size() + static_cast<uint64_t>(n) > maxBytes) {
            why = kTooLarge;
            errno = EFBIG;
            return false;
        }
        bytes.append(chunk, static_cast<size_t>(n));
    }
}

EReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::string& why,
                          const CReadRules& rules, struct stat* info) {
    bytes.clear();
    int fd = -1;
    struct stat status {};
    EReadResult result = OpenForReading(path, rules, fd, status, why);
    if (info && fd >= 0)
        *info = status;
    if (result != EReadResult::Read)
        return result;
    bytes.reserve(static_cast<size_t>(status.st_size));
    if (!ReadOpenFile(fd, bytes, rules.maxBytes, why)) {
        result = why == kTooLarge ? EReadResult::TooLarge : EReadResult::ReadFailed;
        bytes.clear();
    }
    const int error = errno;
    close(fd);
    errno = error;
    return result;
}

std::string ReadFileStart(const std::string& path, uint64_t maxBytes) {
    std::string start;
    int fd = -1;
    struct stat info {};
    std::string why;
    CReadRules rules;
    rules.maxBytes = UINT64_MAX;
    if (OpenForReading(path, rules, fd, info, why) != EReadResult::Read)
        return start;
    start.resize(static_cast<size_t>(maxBytes));
    ssize_t n = 0;
    do
        n = read(fd, start.data(), start.size());
    while (n < 0 && errno == EINTR);
    start.resize(n > 0 ? static_cast<size_t>(n) : 0);
    close(fd);
    return start;
}

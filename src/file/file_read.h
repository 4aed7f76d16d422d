// Reading a whole file, the one way every part of the program does it: only a
// regular file is read (a pipe or a device named as a file is refused, never
// waited on), never more than the caller's limit, and every refusal says its
// cause in one short text that the caller puts after the file's name.
#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>

enum class EReadResult {
    Read,
    CannotOpen, // missing, not allowed, a loop of links: why holds the system's words
    NotRegular, // a folder, a pipe, a device, a socket
    TooLarge,   // more bytes than the limit
    Link,       // a symbolic link where the caller allows none
    NotOwn,     // a file of another user where the caller reads only its own
    ReadFailed, // the system failed while reading
};

struct CReadRules {
    // Far above any quiz, vocabulary or page a person keeps, and below what
    // the text buffer's 32-bit positions can hold.
    static constexpr uint64_t kDefaultMaxBytes = 512ULL * 1024 * 1024;
    uint64_t maxBytes = kDefaultMaxBytes;
    // False: a symbolic link at the path is refused instead of followed.
    bool followLinks = true;
    // True: only a file owned by this user is read (the program's own files).
    bool ownOnly = false;
};

// Reads the whole file at path into bytes. On a failure bytes is empty and why
// holds the cause ("it is not a regular file", "the file is too large", ...).
// info, when given, receives the file's status once the file was opened.
// errno tells the cause as well: the system's own, EISDIR or EINVAL for what
// is not a regular file, EFBIG for a file over the limit.
EReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::string& why,
                          const CReadRules& rules = {}, struct stat* info = nullptr);

// The same for a caller that only needs to know whether it worked.
inline bool ReadWholeFile(const std::string& path, std::string& bytes, uint64_t maxBytes) {
    std::string why;
    CReadRules rules;
    rules.maxBytes = maxBytes;
    return ReadWholeFile(path, bytes, why, rules) == EReadResult::Read;
}

// The first bytes of a regular file (up to maxBytes), enough to tell its
// format; empty for anything else.
std::string ReadFileStart(const std::string& path, uint64_t maxBytes = 4096);

// Reads what is left of an open file into bytes, up to maxBytes. False when
// the system fails or there is more than maxBytes (why says which).
bool ReadOpenFile(int fd, std::string& bytes, uint64_t maxBytes, std::string& why);

#include "editor/recovery_store.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file/file_read.h"
#include "file/file_write.h"

namespace {
constexpr std::string_view kFirstLine = "Torvi quiz editor recovery copy";
constexpr std::string_view kCopyEnding = ".recovery";
constexpr std::string_view kLockEnding = ".lock";

// Paths may hold any byte but NUL; the header is line-based, so "%", CR and LF
// are written as "%25", "%0D" and "%0A".
std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == '\n')
            out += "%0A";
        else if (c == '\r')
            out += "%0D";
        else
            out += c;
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string code(text.substr(i + 1, 2));
            char* end = nullptr;
            const long value = std::strtol(code.c_str(), &end, 16);
            if (end == code.c_str() + 2) {
                out += static_cast<char>(value);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string FormatWords(const CQuizTextFormat& format) {
    std::string words = format.encoding == EQuizEncoding::Utf8 ? "utf-8" : "windows-1252";
    words += format.lineEnds == ELineEnds::CrLf ? " crlf"
             : format.lineEnds == ELineEnds::Cr ? " cr"
                                                : " lf";
    if (format.byteOrderMark)
        words += " bom";
    return words;
}

CQuizTextFormat ParseFormat(std::string_view words) {
    CQuizTextFormat format;
    if (words.find("windows-1252") != std::string_view::npos)
        format.encoding = EQuizEncoding::Windows1252;
    if (words.find("crlf") != std::string_view::npos)
        format.lineEnds = ELineEnds::CrLf;
    else if (words.find(" cr") != std::string_view::npos)
        format.lineEnds = ELineEnds::Cr;
    format.byteOrderMark = words.find(" bom") != std::string_view::npos;
    return format;
}

// A recovery copy: only a file of this user, never through a link, and no
// larger than a quiz the editor holds.
bool ReadCopyFile(const std::string& path, std::string& bytes) {
    CReadRules rules;
    rules.followLinks = false;
    rules.ownOnly = true;
    std::string why;
    return ReadWholeFile(path, bytes, why, rules) == EReadResult::Read;
}

// "base: EXISTS SIZE HASH", EXISTS 0 or 1 and HASH in hexadecimal.
std::string FormatBase(const CDiskFileState& base) {
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(base.contentHash));
    return std::string(base.exists ? "1 " : "0 ") + std::to_string(base.size) + " " + hash;
}

CDiskFileState ParseBase(const std::string& value) {
    CDiskFileState base;
    int exists = 0;
    long long size = 0;
    unsigned long long hash = 0;
    if (std::sscanf(value.c_str(), "%d %lld %llx", &exists, &size, &hash) == 3) {
        base.known = true;
        base.exists = exists == 1;
        base.size = size;
        base.contentHash = hash;
    }
    return base;
}

bool ParseCopy(const std::string& bytes, CRecoveryCopy& copy) {
    // Header lines "name: value" up to an empty line; the text follows.
    size_t at = bytes.find('\n');
    if (at == std::string::npos || std::string_view(bytes).substr(0, at) != kFirstLine)
        return false;
    ++at;
    for (;;) {
        const size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            return false;
        const std::string_view line = std::string_view(bytes).substr(at, end - at);
        at = end + 1;
        if (line.empty())
            break;
        const size_t colon = line.find(": ");
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = line.substr(colon + 2);
        if (name == "path")
            copy.quizPath = Unescape(value);
        else if (name == "format")
            copy.format = ParseFormat(std::string(" ") + std::string(value));
        else if (name == "saved")
            copy.savedAt = std::strtoll(std::string(value).c_str(), nullptr, 10);
        else if (name == "base")
            copy.base = ParseBase(std::string(value));
    }
    copy.text = bytes.substr(at);
    return true;
}

std::string UniqueName() {
    static std::atomic<int> counter{0};
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    return std::to_string(static_cast<long>(getpid())) + "-" + std::to_string(now) + "-" +
           std::to_string(counter++);
}
} // namespace

CRecoveryStore::CRecoveryStore(std::string folder) : m_strFolder(std::move(folder)) {
    while (m_strFolder.size() > 1 && m_strFolder.back() == '/')
        m_strFolder.pop_back();
}

CRecoveryStore::~CRecoveryStore() {
    Discard();
}

std::string CRecoveryStore::DefaultFolder(const char* xdgDataHome, const char* home) {
    // A relative XDG_DATA_HOME is invalid and is ignored.
    if (xdgDataHome && xdgDataHome[0] == '/')
        return std::string(xdgDataHome) + "/torvi/recovery";
    std::string base = home && *home ? home : "";
    if (base.empty()) {
        if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
            base = entry->pw_dir;
    }
    return base + "/.local/share/torvi/recovery";
}

std::string CRecoveryStore::DefaultFolder() {
    return DefaultFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

bool CRecoveryStore::TakeLock(std::string& error) {
    if (m_nLock >= 0)
        return true;
    if (!MakePrivateFolder(m_strFolder)) {
        error = "cannot use the folder " + m_strFolder;
        return false;
    }
    m_strName = UniqueName();
    const std::string lock = m_strFolder + "/" + m_strName + std::string(kLockEnding);
    m_nLock = open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_nLock < 0 || flock(m_nLock, LOCK_EX | LOCK_NB) != 0) {
        error = "cannot create " + lock + ": " + std::strerror(errno);
        if (m_nLock >= 0)
            close(m_nLock);
        m_nLock = -1;
        return false;
    }
    return true;
}

bool CRecoveryStore::Keep(const std::string& quizPath, const CQuizTextFormat& format,
                          std::string_view text, std::string& error, const CDiskFileState& base) {
    if (!TakeLock(error))
        return false;
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    std::string bytes(kFirstLine);
    bytes += "\npath: " + Escape(quizPath) + "\nformat: " + FormatWords(format) +
             "\nsaved: " + std::to_string(now) + "\n";
    if (base.known)
        bytes += "base: " + FormatBase(base) + "\n";
    bytes += "\n";
    bytes += text;
    const std::string path = m_strFolder + "/" + m_strName + std::string(kCopyEnding);
    if (!WritePrivateFile(path, bytes, error))
        return false;
    m_bHasCopy = true;
    return true;
}

void CRecoveryStore::Discard() {
    if (m_nLock < 0)
        return;
    const std::string stem = m_strFolder + "/" + m_strName;
    unlink((stem + std::string(kCopyEnding)).c_str());
    unlink((stem + std::string(kLockEnding)).c_str());
    close(m_nLock);
    m_nLock = -1;
    m_bHasCopy = false;
}

void CRecoveryStore::Release() {
    if (m_nLock < 0)
        return;
    close(m_nLock);
    m_nLock = -1;
    m_bHasCopy = false;
}

std::vector<CRecoveryCopy> CRecoveryStore::FindAbandoned() const {
    std::vector<CRecoveryCopy> found;
    DIR* dir = opendir(m_strFolder.c_str());
    if (!dir)
        return found;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= kCopyEnding.size() || name[0] == '.' ||
            name.compare(name.size() - kCopyEnding.size(), kCopyEnding.size(), kCopyEnding) != 0)
            continue;
        const std::string stem =
            m_strFolder + "/" + name.substr(0, name.size() - kCopyEnding.size());
        // A lock some editor still holds means that editor is running.
        const int lock =
            open((stem + std::string(kLockEnding)).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (lock >= 0) {
            const bool held = flock(lock, LOCK_EX | LOCK_NB) != 0;
            close(lock);
            if (held)
                continue;
        }
        CRecoveryCopy copy;
        copy.file = m_strFolder + "/" + name;
        std::string bytes;
        if (ReadCopyFile(copy.file, bytes) && ParseCopy(bytes, copy))
            found.push_back(std::move(copy));
    }
    closedir(dir);
    std::sort(found.begin(), found.end(),
              [](const CRecoveryCopy& a, const CRecoveryCopy& b) { return a.savedAt < b.savedAt; });
    return found;
}

void CRecoveryStore::Remove(const CRecoveryCopy& copy) {
    unlink(copy.file.c_str());
    if (copy.file.size() > kCopyEnding.size()) {
        const std::string lock =
            copy.file.substr(0, copy.file.size() - kCopyEnding.size()) + std::string(kLockEnding);
        unlink(lock.c_str());
    }
}

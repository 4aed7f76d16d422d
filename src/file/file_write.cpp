#include "file/file_write.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file/named_temporaries.h"
#include "file/new_file.h"

namespace file_detail {
std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

std::string Reason(const char* what, const std::string& path, int error) {
    return std::string(what) + " " + Quoted(path) + ": " + std::strerror(error);
}

bool Fail(CWriteReport& report, EWriteResult result, std::string error) {
    report.result = result;
    report.error = std::move(error);
    return false;
}

bool IsNoRoom(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

bool FailSystem(CWriteReport& report, const char* what, const std::string& path) {
    const int error = errno;
    return Fail(report, IsNoRoom(error) ? EWriteResult::NoRoom : EWriteResult::Failed,
                IsNoRoom(error) ? Reason("no room to write", path, error)
                                : Reason(what, path, error));
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The process's umask, read without changing it (other threads may be making
// files at this moment).
mode_t CurrentUmask() {
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
                break;
            }
        }
        std::fclose(status);
    }
    return mask;
}

// Claims the room for size bytes, so a full disk refuses before a byte is
// written. A file system that cannot claim room ahead is written all the same.
bool ClaimRoom(int fd, size_t size) {
    if (size == 0)
        return true;
    const int result = posix_fallocate(fd, 0, static_cast<off_t>(size));
    if (IsNoRoom(result)) {
        errno = result;
        return false;
    }
    return true;
}

} // namespace file_detail

using namespace file_detail;

namespace {
// A name nobody else is likely to pick in the target's folder: hidden, so a
// file dialog does not show it, and telling whose it is.
std::string FreshName(const std::string& target) {
    static unsigned s_nCount = 0;
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".torvi-%ld-%x%05lx", static_cast<long>(getpid()),
                  ++s_nCount, static_cast<unsigned long>(now.tv_nsec) & 0xfffff);
    const std::string folder = FolderOf(target);
    return (target.find('/') == std::string::npos ? std::string() : folder + "/") + "." +
           BaseOf(target) + suffix;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

// The new file before it has its name: unnamed where the system can make one,
// otherwise under a hidden name held for the signal handlers. It stays open
// until it is named: an unnamed file is reached through its descriptor.
class CNewFile {
public:
    CNewFile() = default;
    CNewFile(const CNewFile&) = delete;
    CNewFile& operator=(const CNewFile&) = delete;
    ~CNewFile() {
        if (m_nFd >= 0)
            close(m_nFd);
        m_named.Remove();
    }

    bool Create(const std::string& target, bool namedOnly, CWriteReport& report) {
        m_strTarget = target;
#if defined(O_TMPFILE) && !defined(__EMSCRIPTEN__)
        // An unnamed file is named later through /proc; without it, a named one.
        if (!namedOnly && access("/proc/self/fd", X_OK) == 0) {
            m_nFd = open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            if (m_nFd >= 0)
                return true;
            // Only a file system without unnamed files goes on to a named one.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
                return FailSystem(report, "cannot create a file beside", target);
        }
#else
        (void)namedOnly;
#endif
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = FreshName(target);
            // Held before it exists, so no signal finds a file it does not know.
            if (!m_named.Hold(name))
                return Fail(report, EWriteResult::Failed,
                            "cannot create a file beside " + Quoted(target) +
                                ": too many files are being written at once");
            m_nFd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (m_nFd >= 0)
                return true;
            const int error = errno;
            m_named.Release();
            if (error != EEXIST) {
                errno = error;
                return FailSystem(report, "cannot create a file beside", target);
            }
        }
        return Fail(report, EWriteResult::Failed,
                    "cannot create a file beside " + Quoted(target) + ": no free name");
    }

    // Fills the file: the old file's owner and attributes when there is one,
    // the mode, the room, the bytes, all synced.
    bool Fill(std::string_view bytes, mode_t mode, const std::function<void(int)>& prepare,
              CWriteReport& report) {
        if (prepare)
            prepare(m_nFd);
        // Last: a change of owner clears the set-id bits, which the mode puts back.
        if (fchmod(m_nFd, mode) != 0)
            return FailSystem(report, "cannot set the permissions of", m_strTarget);
        if (!ClaimRoom(m_nFd, bytes.size()) || !WriteAll(m_nFd, bytes) || fsync(m_nFd) != 0)
            return FailSystem(report, "cannot write", m_strTarget);
        return true;
    }

    // Gives the file the target's name. With replace unset, a name already
    // taken is left as it is (Exists).
    bool Name(bool replace, CWriteReport& report) {
        const bool ok =
            m_named.Path().empty() ? NameUnnamed(replace, report) : NameNamed(replace, report);
        if (ok)
            SyncFolder(FolderOf(m_strTarget));
        return ok;
    }

private:
    bool NameNamed(bool replace, CWriteReport& report) {
        const std::string& temp = m_named.Path();
        if (replace) {
            if (rename(temp.c_str(), m_strTarget.c_str()) != 0)
                return FailSystem(report, "cannot replace", m_strTarget);
            m_named.Release();
            return true;
        }
        // link fails when anything holds the name, even a file that appeared
        // a moment ago.
        if (link(temp.c_str(), m_strTarget.c_str()) != 0)
            return LinkFailed(report);
        m_named.Remove();
        return true;
    }

    bool NameUnnamed(bool replace, CWriteReport& report) {
        if (!replace)
            return LinkUnnamed(m_strTarget) || LinkFailed(report);
        // A link cannot replace a name: the file gets a fresh name of its own,
        // which is at once renamed over the target.
        CNamedTemporary linked;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = FreshName(m_strTarget);
            if (!linked.Hold(name))
                break;
            if (LinkUnnamed(name)) {
                if (rename(name.c_str(), m_strTarget.c_str()) != 0)
                    return FailSystem(report, "cannot replace", m_strTarget);
                linked.Release();
                return true;
            }
            const int error = errno;
            linked.Release();
            if (error != EEXIST) {
                errno = error;
                break;
            }
        }
        return FailSystem(report, "cannot replace", m_strTarget);
    }

    bool LinkUnnamed(const std::string& name) {
        const std::string self = "/proc/self/fd/" + std::to_string(m_nFd);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno == EEXIST)
            return false;
#ifdef AT_EMPTY_PATH
        // Without /proc mounted: by the descriptor itself, which needs a
        // privilege most users do not have.
        if (linkat(m_nFd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)
            return true;
#endif
        return false;
    }

    bool LinkFailed(CWriteReport& report) {
        if (errno == EEXIST)
            return Fail(report, EWriteResult::Exists,
                        Quoted(m_strTarget) + " already exists; it is left as it is");
        return FailSystem(report, "cannot write", m_strTarget);
    }

    std::string m_strTarget;
    int m_nFd = -1;
    CNamedTemporary m_named;
};

} // namespace

namespace file_detail {
bool WriteThroughNewFile(const std::string& target, std::string_view bytes, mode_t mode,
                         const std::function<void(int)>& prepare, bool replace, bool namedOnly,
                         CWriteReport& report) {
    CNewFile file;
    return file.Create(target, namedOnly, report) && file.Fill(bytes, mode, prepare, report) &&
           file.Name(replace, report);
}

} // namespace file_detail

bool WriteNewFile(const std::string& path, std::string_view bytes, const CWriteOptions& options,
                  CWriteReport& report) {
    report = {};
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0)
        return Fail(report, EWriteResult::Exists,
                    Quoted(path) + " already exists; it is left as it is");
    const mode_t mode = options.privateFile ? options.newMode : options.newMode & ~CurrentUmask();
    return WriteThroughNewFile(path, bytes, mode, {}, false, options.namedTemporary, report);
}

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& error,
                      mode_t mode) {
    CWriteReport report;
    if (WriteThroughNewFile(path, bytes, mode, {}, true, false, report))
        return true;
    error = report.error;
    return false;
}

bool MakePrivateFolder(const std::string& path, mode_t mode) {
    if (path.empty())
        return false;
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/')
            continue;
        const std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return false;
    // The user's own folder, opened up by someone's hand: closed again.
    return (info.st_mode & 077) == 0 || chmod(path.c_str(), mode & 0700) == 0;
}

#include "cli/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}
} // namespace

bool WriteNewOutputFile(const std::string& path, std::string_view bytes, bool replace,
                        std::string& why) {
    struct stat existing {};
    const bool exists = lstat(path.c_str(), &existing) == 0;
    if (exists && S_ISLNK(existing.st_mode)) {
        why = "'" + path + "' is a symbolic link; nothing is written through a link";
        return false;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        why = "'" + path + "' is not a regular file";
        return false;
    }
    if (exists && !replace) {
        why = "'" + path + "' exists; --force replaces it";
        return false;
    }

    std::string temp = FolderOf(path) + "/.torvi-convert-XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        why = Reason(("cannot create a file beside '" + path + "'").c_str());
        return false;
    }
    // A new file gets the usual mode less the umask; a replaced one keeps its own.
    mode_t mode = 0;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    if (!ok)
        why = Reason(("cannot write '" + path + "'").c_str());
    if (close(fd) != 0 && ok) {
        why = Reason(("cannot write '" + path + "'").c_str());
        ok = false;
    }
    if (ok) {
        if (exists) {
            ok = rename(temp.c_str(), path.c_str()) == 0;
        } else {
            // Not even a file that appeared meanwhile is replaced.
            ok = renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
            if (!ok && (errno == EINVAL || errno == ENOSYS)) {
                ok = link(temp.c_str(), path.c_str()) == 0;
                if (ok)
                    unlink(temp.c_str());
            }
        }
        if (!ok)
            why = errno == EEXIST ? "'" + path + "' exists; --force replaces it"
                                  : Reason(("cannot write '" + path + "'").c_str());
    }
    if (!ok)
        unlink(temp.c_str());
    return ok;
}

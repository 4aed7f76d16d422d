#include "editor/safe_file_writer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string Reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
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

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Writes bytes into a fresh file beside target with the given mode and renames
// it over target. The fresh file is made with O_EXCL, so nothing planted is
// ever opened; rename replaces whatever name target is, link or file.
bool WriteAndRename(const std::string& target, std::string_view bytes, mode_t mode,
                    std::string& error) {
    const std::string folder = FolderOf(target);
    // A hidden name, so the half-written file does not show in file dialogs.
    const size_t slash = target.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string temp = target.substr(0, nameStart);
    temp += '.';
    temp.append(target, nameStart, std::string::npos);
    temp += ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = Reason("cannot create a new file in", folder);
        return false;
    }
    bool ok = fchmod(fd, mode) == 0;
    if (!ok)
        error = Reason("cannot set the permissions of", temp);
    if (ok && !(ok = WriteAll(fd, bytes)))
        error = Reason("cannot write", temp);
    if (ok && !(ok = fsync(fd) == 0))
        error = Reason("cannot write", temp);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = Reason("cannot write", temp);
    }
    if (ok && !(ok = rename(temp.c_str(), target.c_str()) == 0))
        error = Reason("cannot replace", target);
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself is made to last as well.
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}
} // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error,
                         mode_t newMode) {
    std::string target = path;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (!realpath(path.c_str(), resolved)) {
            error = Reason("cannot follow the link", path);
            return false;
        }
        target = resolved;
    }
    mode_t mode = 0;
    if (stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            error = path + " is not a regular file";
            return false;
        }
        mode = info.st_mode & 07777;
    } else {
        mode = newMode & ~CurrentUmask();
    }
    return WriteAndRename(target, bytes, mode, error);
}

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& error,
                      mode_t mode) {
    return WriteAndRename(path, bytes, mode, error);
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

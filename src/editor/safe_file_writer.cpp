#include "editor/safe_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

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

// The new file takes the old one's owner and group, or as much of them as this
// user may give it (the author was told before anything was written).
void KeepOwner(int fd, const struct stat& original) {
    if (fchown(fd, original.st_uid, original.st_gid) == 0)
        return;
    if (fchown(fd, static_cast<uid_t>(-1), original.st_gid) == 0)
        return;
}

// Names the system keeps for itself (security labels, trusted data) are set
// by it, or only by an administrator: not being able to copy them loses
// nothing of the author's.
bool IsSystemManaged(const char* name) {
    return std::strncmp(name, "security.", 9) == 0 || std::strncmp(name, "trusted.", 8) == 0;
}

// Copies every extended attribute of the file at from onto fd: the user's own
// attributes and the access control list (system.posix_acl_access). False,
// with a reason, when one that matters cannot be copied.
bool CopyAttributes(const std::string& from, int fd, std::string& error) {
    ssize_t size = llistxattr(from.c_str(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP || errno == ENODATA; // a file system without them
    std::vector<char> names(static_cast<size_t>(size) + 1);
    size = llistxattr(from.c_str(), names.data(), names.size());
    if (size < 0) {
        error = Reason("cannot read the extended attributes of", from);
        return false;
    }
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + size;
         name += std::strlen(name) + 1) {
        ssize_t length = lgetxattr(from.c_str(), name, nullptr, 0);
        if (length >= 0) {
            value.resize(static_cast<size_t>(length) + 1);
            length = lgetxattr(from.c_str(), name, value.data(), value.size());
        }
        if (length < 0) {
            if (IsSystemManaged(name) || errno == ENODATA)
                continue;
            error =
                Reason((std::string("cannot read the attribute ") + name + " of").c_str(), from);
            return false;
        }
        if (fsetxattr(fd, name, value.data(), static_cast<size_t>(length), 0) != 0 &&
            !IsSystemManaged(name)) {
            error =
                Reason((std::string("cannot keep the attribute ") + name + " of").c_str(), from);
            return false;
        }
    }
    return true;
}

bool ReadWhole(int fd, std::string& bytes) {
    char block[65536];
    for (;;) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(block, static_cast<size_t>(n));
    }
}

// A fresh name in folder for a copy of the file called name: "quiz.txt" becomes
// "quiz.txt.2026-12-08-210501" (and "-2", "-3" when that is taken).
std::string BackupName(const std::string& folder, const std::string& name) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    std::string base = folder + "/" + name + "." + stamp;
    std::string candidate = base;
    struct stat info {};
    for (int n = 2; lstat(candidate.c_str(), &info) == 0; ++n)
        candidate = base + "-" + std::to_string(n);
    return candidate;
}

// Writes bytes into the file itself, keeping its inode and so every one of its
// names. Room for the new bytes is taken first where the file system can: a
// full disk then refuses before anything of the old text is gone.
bool WriteInPlace(const std::string& target, const struct stat& expected, std::string_view bytes,
                  std::string& error) {
    const int fd = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = Reason("cannot write", target);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_dev != expected.st_dev || info.st_ino != expected.st_ino ||
        !S_ISREG(info.st_mode)) {
        close(fd);
        error = target + " changed while it was being saved";
        return false;
    }
    if (!bytes.empty()) {
        const int room = posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
        if (room == ENOSPC || room == EFBIG || room == EDQUOT) {
            close(fd);
            errno = room;
            error = Reason("no room to write", target);
            return false;
        }
    }
    bool ok = true;
    off_t at = 0;
    std::string_view rest = bytes;
    while (ok && !rest.empty()) {
        const ssize_t n = pwrite(fd, rest.data(), rest.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok) {
            rest.remove_prefix(static_cast<size_t>(n));
            at += n;
        }
    }
    ok = ok && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
    if (!ok)
        error = Reason("cannot write", target);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = Reason("cannot write", target);
    }
    return ok;
}

std::string UserName(uid_t uid) {
    const struct passwd* user = getpwuid(uid);
    return user ? std::string(user->pw_name) : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    const struct group* group = getgrgid(gid);
    return group ? std::string(group->gr_name) : std::to_string(gid);
}

// Writes bytes into a fresh file beside target with the given mode and renames
// it over target. The fresh file is made with O_EXCL, so nothing planted is
// ever opened; rename replaces whatever name target is, link or file.
bool WriteAndRename(const std::string& target, std::string_view bytes, mode_t mode,
                    std::string& error, const struct stat* original = nullptr) {
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
    bool ok = true;
    if (original) {
        KeepOwner(fd, *original);
        ok = CopyAttributes(target, fd, error);
    }
    // Last: a change of owner clears the set-id bits, which the mode puts back.
    if (ok && !(ok = fchmod(fd, mode) == 0))
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
                         mode_t newMode, const std::string& backupFolder, std::string* backupMade) {
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
    if (stat(target.c_str(), &info) != 0)
        return WriteAndRename(target, bytes, newMode & ~CurrentUmask(), error);
    if (!S_ISREG(info.st_mode)) {
        error = path + " is not a regular file";
        return false;
    }
    if (info.st_nlink <= 1)
        return WriteAndRename(target, bytes, info.st_mode & 07777, error, &info);

    // More than one name: written in place, after a copy of the old text.
    if (backupFolder.empty()) {
        error = path + " has " + std::to_string(info.st_nlink) +
                " names (hard links), and no folder for a copy of it was given";
        return false;
    }
    const int fd = open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    std::string old;
    const bool read = fd >= 0 && ReadWhole(fd, old);
    if (fd >= 0)
        close(fd);
    if (!read) {
        error = Reason("cannot read", target);
        return false;
    }
    if (!MakePrivateFolder(backupFolder)) {
        error = "cannot keep a copy of " + path + " in " + backupFolder +
                " (it cannot be made, or is not a private folder of this user)";
        return false;
    }
    const size_t slash = target.rfind('/');
    const std::string backup =
        BackupName(backupFolder, slash == std::string::npos ? target : target.substr(slash + 1));
    if (!WritePrivateFile(backup, old, error))
        return false;
    if (backupMade)
        *backupMade = backup;
    if (!WriteInPlace(target, info, bytes, error)) {
        error += "; the file as it was is kept in " + backup;
        return false;
    }
    return true;
}

std::string OwnershipChange(uid_t fileOwner, gid_t fileGroup, uid_t user, gid_t userGroup,
                            const std::vector<gid_t>& otherGroups) {
    if (user == 0)
        return {}; // the administrator may give a file to anyone
    const bool keepsOwner = fileOwner == user;
    bool keepsGroup = fileGroup == userGroup;
    for (const gid_t group : otherGroups)
        keepsGroup = keepsGroup || group == fileGroup;
    if (keepsOwner && keepsGroup)
        return {};
    std::string text = "The file belongs to user " + UserName(fileOwner) + " and group " +
                       GroupName(fileGroup) + ". Saved, it will belong to ";
    text += keepsOwner ? "user " + UserName(fileOwner) : "you (" + UserName(user) + ")";
    text += " and group " + (keepsGroup ? GroupName(fileGroup) : GroupName(userGroup));
    text += ", which may keep others who could change it from changing it.";
    return text;
}

std::string OwnershipChange(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    // Written in place, a file keeps its owner and group whoever writes it.
    if (info.st_nlink > 1)
        return {};
    std::vector<gid_t> groups(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
    const int count = getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return OwnershipChange(info.st_uid, info.st_gid, geteuid(), getegid(), groups);
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

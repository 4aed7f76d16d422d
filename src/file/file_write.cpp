#include "file/file_write.h"

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
#include <unistd.h>
#ifndef __EMSCRIPTEN__
#include <sys/xattr.h>
#endif

#include "file/file_read.h"
#include "file/named_temporaries.h"

namespace {
std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

std::string Reason(const char* what, const std::string& path, int error = errno) {
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

void SyncFolder(const std::string& folder) {
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

std::string UserName(uid_t uid) {
    const struct passwd* user = getpwuid(uid);
    return user ? std::string(user->pw_name) : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    const struct group* group = getgrgid(gid);
    return group ? std::string(group->gr_name) : std::to_string(gid);
}

// The new file takes the old one's owner and group, or as much of them as this
// user may give it.
void KeepOwner(int fd, const std::string& path, const struct stat& original,
               std::vector<std::string>& warnings) {
    if (fchown(fd, original.st_uid, original.st_gid) == 0)
        return;
    if (fchown(fd, static_cast<uid_t>(-1), original.st_gid) == 0) {
        if (original.st_uid != geteuid())
            warnings.push_back(Quoted(path) + " now belongs to you, not to " +
                               UserName(original.st_uid));
        return;
    }
    warnings.push_back(Quoted(path) + " now belongs to you and your group, not to " +
                       UserName(original.st_uid) + " and group " + GroupName(original.st_gid));
}

#ifndef __EMSCRIPTEN__
// Names the system keeps for itself (security labels, trusted data) are set
// by it, or only by an administrator: not being able to copy them loses
// nothing of the author's.
bool IsSystemManaged(const char* name) {
    return std::strncmp(name, "security.", 9) == 0 || std::strncmp(name, "trusted.", 8) == 0;
}

#endif

// Copies every extended attribute of the file at from onto fd: the user's own
// attributes and the access control list (system.posix_acl_access).
void CopyAttributes(const std::string& from, int fd, std::vector<std::string>& warnings) {
#ifdef __EMSCRIPTEN__
    (void)from;
    (void)fd;
    (void)warnings;
#else
    ssize_t size = llistxattr(from.c_str(), nullptr, 0);
    if (size <= 0)
        return; // none, or a file system without them
    std::vector<char> names(static_cast<size_t>(size) + 1);
    size = llistxattr(from.c_str(), names.data(), names.size());
    if (size < 0) {
        warnings.push_back(Reason("cannot read the extended attributes of", from));
        return;
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
            if (!IsSystemManaged(name) && errno != ENODATA)
                warnings.push_back(Reason(
                    (std::string("cannot read the attribute ") + name + " of").c_str(), from));
            continue;
        }
        if (fsetxattr(fd, name, value.data(), static_cast<size_t>(length), 0) != 0 &&
            !IsSystemManaged(name))
            warnings.push_back(
                Reason((std::string("cannot keep the attribute ") + name + " of").c_str(), from));
    }
#endif
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
    bool Fill(std::string_view bytes, mode_t mode, const struct stat* original,
              CWriteReport& report) {
        if (original) {
            KeepOwner(m_nFd, m_strTarget, *original, report.warnings);
            CopyAttributes(m_strTarget, m_nFd, report.warnings);
        }
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

bool WriteThroughNewFile(const std::string& target, std::string_view bytes, mode_t mode,
                         const struct stat* original, bool replace, bool namedOnly,
                         CWriteReport& report) {
    CNewFile file;
    return file.Create(target, namedOnly, report) && file.Fill(bytes, mode, original, report) &&
           file.Name(replace, report);
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
// names. Room for the new bytes is claimed first: a full disk then refuses
// before anything of the old text is gone.
bool WriteInPlace(const std::string& target, const struct stat& expected, std::string_view bytes,
                  CWriteReport& report) {
    const int fd = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return FailSystem(report, "cannot write", target);
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_dev != expected.st_dev || info.st_ino != expected.st_ino ||
        !S_ISREG(info.st_mode)) {
        close(fd);
        return Fail(report, EWriteResult::Failed,
                    Quoted(target) + " changed while it was being saved");
    }
    bool ok = ClaimRoom(fd, bytes.size());
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
        FailSystem(report, "cannot write", target);
    if (close(fd) != 0 && ok)
        ok = FailSystem(report, "cannot write", target);
    return ok;
}

bool ReplaceSeveralNames(const std::string& path, const std::string& target,
                         const struct stat& info, std::string_view bytes,
                         const CWriteOptions& options, CWriteReport& report) {
    if (options.backupFolder.empty())
        return Fail(report, EWriteResult::Failed,
                    Quoted(path) + " has " + std::to_string(info.st_nlink) +
                        " names (hard links), and no folder for a copy of it was given");
    std::string old;
    std::string why;
    CReadRules rules;
    rules.maxBytes = UINT64_MAX;
    rules.followLinks = false;
    if (ReadWholeFile(target, old, why, rules) != EReadResult::Read)
        return Fail(report, EWriteResult::Failed, "cannot read " + Quoted(target) + ": " + why);
    if (!MakePrivateFolder(options.backupFolder))
        return Fail(report, EWriteResult::Failed,
                    "cannot keep a copy of " + Quoted(path) + " in " + options.backupFolder +
                        " (it cannot be made, or is not a private folder of this user)");
    const std::string backup = BackupName(options.backupFolder, BaseOf(target));
    if (!WritePrivateFile(backup, old, report.error)) {
        report.result = EWriteResult::Failed;
        return false;
    }
    report.backup = backup;
    if (!WriteInPlace(target, info, bytes, report)) {
        report.error += "; the file as it was is kept in " + backup;
        return false;
    }
    return true;
}
} // namespace

bool WriteNewFile(const std::string& path, std::string_view bytes, const CWriteOptions& options,
                  CWriteReport& report) {
    report = {};
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0)
        return Fail(report, EWriteResult::Exists,
                    Quoted(path) + " already exists; it is left as it is");
    const mode_t mode = options.privateFile ? options.newMode : options.newMode & ~CurrentUmask();
    return WriteThroughNewFile(path, bytes, mode, nullptr, false, options.namedTemporary, report);
}

bool ReplaceFile(const std::string& path, std::string_view bytes, const CWriteOptions& options,
                 CWriteReport& report) {
    report = {};
    const bool named = options.namedTemporary;
    if (options.privateFile)
        return WriteThroughNewFile(path, bytes, options.newMode, nullptr, true, named, report);

    std::string target = path;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (!options.followLink)
            return Fail(report, EWriteResult::Link,
                        Quoted(path) + " is a symbolic link; nothing is written through a link");
        char resolved[PATH_MAX];
        if (!realpath(path.c_str(), resolved))
            return FailSystem(report, "cannot follow the link", path);
        target = resolved;
    }
    if (lstat(target.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return FailSystem(report, "cannot write", path);
        // Nothing there: a new file, which takes no name that appears meanwhile.
        return WriteThroughNewFile(target, bytes, options.newMode & ~CurrentUmask(), nullptr, false,
                                   named, report);
    }
    if (!S_ISREG(info.st_mode))
        return Fail(report, EWriteResult::NotRegular, Quoted(path) + " is not a regular file");
    if (info.st_nlink > 1)
        return ReplaceSeveralNames(path, target, info, bytes, options, report);
    return WriteThroughNewFile(target, bytes, info.st_mode & 07777, &info, true, named, report);
}

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& error,
                      mode_t mode) {
    CWriteOptions options;
    options.newMode = mode;
    options.privateFile = true;
    CWriteReport report;
    if (ReplaceFile(path, bytes, options, report))
        return true;
    error = report.error;
    return false;
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

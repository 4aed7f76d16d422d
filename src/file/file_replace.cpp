// Replacing a user's file: what the old file had is kept, a file of several
// names is written in place after a copy. Desktop only: the browser player
// writes nothing but its own private files.
#include <algorithm>
#include <cerrno>
#include <climits>
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

#include "file/file_read.h"
#include "file/file_write.h"
#include "file/new_file.h"

using namespace file_detail;

namespace {
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

// Names the system keeps for itself (security labels, trusted data) are set
// by it, or only by an administrator: not being able to copy them loses
// nothing of the author's.
bool IsSystemManaged(const char* name) {
    return std::strncmp(name, "security.", 9) == 0 || std::strncmp(name, "trusted.", 8) == 0;
}

// Copies every extended attribute of the file at from onto fd: the user's own
// attributes and the access control list (system.posix_acl_access).
void CopyAttributes(const std::string& from, int fd, std::vector<std::string>& warnings) {
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

bool ReplaceFile(const std::string& path, std::string_view bytes, const CWriteOptions& options,
                 CWriteReport& report) {
    report = {};
    const bool named = options.namedTemporary;
    if (options.privateFile)
        return WriteThroughNewFile(path, bytes, options.newMode, {}, true, named, report);

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
        return WriteThroughNewFile(target, bytes, options.newMode & ~CurrentUmask(), {}, false,
                                   named, report);
    }
    if (!S_ISREG(info.st_mode))
        return Fail(report, EWriteResult::NotRegular, Quoted(path) + " is not a regular file");
    if (info.st_nlink > 1)
        return ReplaceSeveralNames(path, target, info, bytes, options, report);
    // The new file takes what the old one had before it gets its mode.
    const auto keep = [&](int fd) {
        KeepOwner(fd, target, info, report.warnings);
        CopyAttributes(target, fd, report.warnings);
    };
    return WriteThroughNewFile(target, bytes, info.st_mode & 07777, keep, true, named, report);
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

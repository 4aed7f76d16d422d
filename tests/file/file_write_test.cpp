// The one file writer: new files that take no name already taken, replaced
// files that keep what the old one had, files of several names, links, and a
// full disk that refuses before anything changes. Each case runs with the
// unnamed new file and with the named one a file system without unnamed
// files gets.
#include <gtest/gtest.h>

#include <cstring>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "file/file_write.h"
#include "file_test_support.h"
#include "support/temp_dir.h"

namespace {
class FileWrite : public ::testing::TestWithParam<bool> {
protected:
    CWriteOptions Options() const {
        CWriteOptions options;
        options.namedTemporary = GetParam();
        return options;
    }
    CTempDir m_dir;
};

struct stat StatOf(const std::string& path) {
    struct stat info {};
    lstat(path.c_str(), &info);
    return info;
}

// An access control list as the system keeps it in system.posix_acl_access:
// the owner, user 4321, the group, the mask and others.
std::string AccessList() {
    struct Entry {
        uint16_t tag;
        uint16_t perm;
        uint32_t id;
    };
    const uint32_t version = 2;
    const Entry entries[] = {
        {0x01, 6, ~0u}, {0x02, 6, 4321}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}};
    std::string bytes(reinterpret_cast<const char*>(&version), sizeof version);
    bytes.append(reinterpret_cast<const char*>(entries), sizeof entries);
    return bytes;
}

std::string Attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t n = lgetxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("<none>") : std::string(value, static_cast<size_t>(n));
}
} // namespace

TEST_P(FileWrite, NewFileTakesNoNameAlreadyTaken) {
    const std::string taken = m_dir.Write("taken.txt", "mine");
    const std::string link = m_dir.File("link.txt");
    ASSERT_EQ(symlink(m_dir.File("nowhere").c_str(), link.c_str()), 0);
    CWriteReport report;
    for (const std::string& path : {taken, link, m_dir.Path()}) {
        EXPECT_FALSE(WriteNewFile(path, "theirs", Options(), report)) << path;
        EXPECT_EQ(report.result, EWriteResult::Exists);
        EXPECT_NE(report.error.find("already exists; it is left as it is"), std::string::npos);
    }
    EXPECT_EQ(Content(taken), "mine");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("nowhere"))); // not through the link

    const mode_t mask = umask(027);
    const bool written = WriteNewFile(m_dir.File("new.txt"), "fresh", Options(), report);
    umask(mask);
    ASSERT_TRUE(written) << report.error;
    EXPECT_EQ(Content(m_dir.File("new.txt")), "fresh");
    EXPECT_EQ(StatOf(m_dir.File("new.txt")).st_mode & 07777, 0640u);
    EXPECT_EQ(NamesIn(m_dir.Path()),
              (std::vector<std::string>{"link.txt", "new.txt", "taken.txt"}));

    EXPECT_FALSE(WriteNewFile(m_dir.File("none/x.txt"), "x", Options(), report));
    EXPECT_EQ(report.result, EWriteResult::Failed);
    EXPECT_NE(report.error.find("cannot create a file beside"), std::string::npos) << report.error;
}

TEST_P(FileWrite, ReplacedFileKeepsModeOwnerGroupAttributesAndAccessList) {
    const std::string path = m_dir.Write("quiz.txt", "old text");
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path.c_str(), 1234, 5678), 0);
    }
    // Extended attributes and lists are kept where the file system has them.
    const bool attributes = lsetxattr(path.c_str(), "user.torvi.note", "kept", 4, 0) == 0;
    const bool accessList = lsetxattr(path.c_str(), "system.posix_acl_access", AccessList().data(),
                                      AccessList().size(), 0) == 0;
    const struct stat before = StatOf(path);

    CWriteReport report;
    ASSERT_TRUE(ReplaceFile(path, "new text", Options(), report)) << report.error;
    EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
    const struct stat after = StatOf(path);
    EXPECT_EQ(Content(path), "new text");
    EXPECT_NE(after.st_ino, before.st_ino); // a new file, renamed into place
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    if (attributes) {
        EXPECT_EQ(Attribute(path, "user.torvi.note"), "kept");
    }
    if (accessList) {
        EXPECT_EQ(Attribute(path, "system.posix_acl_access"), AccessList());
    }
    EXPECT_EQ(NamesIn(m_dir.Path()), std::vector<std::string>{"quiz.txt"});
    if (!root || !attributes || !accessList)
        GTEST_SKIP() << "owner (needs root), attributes or access lists not tried here";
}

TEST_P(FileWrite, LinksAreRefusedFollowedOnlyWhenAskedOrReplacedThemselves) {
    const std::string target = m_dir.Write("target.txt", "precious");
    const std::string link = m_dir.File("link.txt");
    ASSERT_EQ(symlink("target.txt", link.c_str()), 0);
    CWriteReport report;
    EXPECT_FALSE(ReplaceFile(link, "x", Options(), report));
    EXPECT_EQ(report.result, EWriteResult::Link);
    EXPECT_NE(report.error.find("nothing is written through a link"), std::string::npos);
    EXPECT_EQ(Content(target), "precious");

    // The editor's way: the file the link leads to is replaced, the link stays.
    CWriteOptions follow = Options();
    follow.followLink = true;
    ASSERT_TRUE(ReplaceFile(link, "saved", follow, report)) << report.error;
    EXPECT_TRUE(S_ISLNK(StatOf(link).st_mode));
    EXPECT_EQ(Content(target), "saved");

    // The program's own file: the link itself is replaced, its target untouched.
    ASSERT_TRUE(WritePrivateFile(link, "page", report.error)) << report.error;
    EXPECT_TRUE(S_ISREG(StatOf(link).st_mode));
    EXPECT_EQ(StatOf(link).st_mode & 07777, 0600u);
    EXPECT_EQ(Content(link), "page");
    EXPECT_EQ(Content(target), "saved");

    const std::string pipe = m_dir.File("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(ReplaceFile(pipe, "x", Options(), report));
    EXPECT_EQ(report.result, EWriteResult::NotRegular);
    EXPECT_EQ(NamesIn(m_dir.Path()), (std::vector<std::string>{"link.txt", "pipe", "target.txt"}));
}

TEST_P(FileWrite, FileOfSeveralNamesIsWrittenInPlaceAfterAPrivateCopy) {
    const std::string a = m_dir.Write("a.txt", "old text");
    const std::string b = m_dir.File("b.txt");
    ASSERT_EQ(link(a.c_str(), b.c_str()), 0);
    CWriteReport report;
    EXPECT_FALSE(ReplaceFile(a, "new text", Options(), report));
    EXPECT_NE(report.error.find("2 names (hard links)"), std::string::npos) << report.error;
    EXPECT_EQ(Content(b), "old text");

    CWriteOptions options = Options();
    options.backupFolder = m_dir.File("backup/deeper");
    const ino_t inode = StatOf(a).st_ino;
    ASSERT_TRUE(ReplaceFile(a, "new", options, report)) << report.error;
    EXPECT_EQ(StatOf(a).st_ino, inode);
    EXPECT_EQ(Content(b), "new"); // shorter: the rest is cut off
    ASSERT_EQ(report.backup.rfind(options.backupFolder + "/a.txt.", 0), 0u) << report.backup;
    EXPECT_EQ(Content(report.backup), "old text");
    EXPECT_EQ(StatOf(report.backup).st_mode & 07777, 0600u);
    EXPECT_EQ(StatOf(options.backupFolder).st_mode & 07777, 0700u);
    EXPECT_EQ(NamesIn(m_dir.Path()), (std::vector<std::string>{"a.txt", "b.txt", "backup"}));
}

// A disk that is full for this file: the process may write at most 4 KiB into
// any file (SIGXFSZ ignored, so the write fails with EFBIG as on a full disk).
TEST_P(FileWrite, FullDiskRefusesBeforeAnythingChanges) {
    const std::string single = m_dir.Write("single.txt", "old single");
    const std::string several = m_dir.Write("several.txt", "old several");
    ASSERT_EQ(link(several.c_str(), m_dir.File("other.txt").c_str()), 0);
    const std::string backup = m_dir.File("backup");
    const CWriteOptions base = Options();
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit { 4096, 4096 };
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::string big(8192, 'n');
        CWriteOptions options = base;
        options.backupFolder = backup;
        CWriteReport one;
        CWriteReport two;
        CWriteReport three;
        ReplaceFile(single, big, options, one);
        ReplaceFile(several, big, options, two);
        WriteNewFile(m_dir.File("new.txt"), big, options, three);
        _exit(one.result == EWriteResult::NoRoom && two.result == EWriteResult::NoRoom &&
                      three.result == EWriteResult::NoRoom && one.error.find("no room") == 0
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Content(single), "old single");
    EXPECT_EQ(Content(several), "old several");
    EXPECT_EQ(NamesIn(m_dir.Path()),
              (std::vector<std::string>{"backup", "other.txt", "several.txt", "single.txt"}));
}

// Another user replacing a file of a group it is not in: the file is written
// and becomes theirs, and a warning says whose it was.
TEST_P(FileWrite, OwnerThatCannotBeKeptIsWarnedAbout) {
    if (geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs the administrator";
    ASSERT_EQ(chmod(m_dir.Path().c_str(), 0777), 0);
    const std::string path = m_dir.Write("shared.txt", "old");
    ASSERT_EQ(chown(path.c_str(), 1234, 1234), 0);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    const CWriteOptions options = Options();
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        CWriteReport report;
        const bool written = ReplaceFile(path, "new", options, report);
        _exit(written && report.warnings.size() == 1 &&
                      report.warnings[0].find("now belongs to you and your group, not to 1234") !=
                          std::string::npos
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Content(path), "new");
    EXPECT_EQ(StatOf(path).st_uid, 65534u);
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0666u);
}

INSTANTIATE_TEST_SUITE_P(Temporaries, FileWrite, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Named" : "Unnamed";
                         });

TEST(FileOwnership, SaysWhatAReplacedFileWouldLose) {
    EXPECT_TRUE(OwnershipChange(1000, 100, 1000, 1000, {100}).empty());
    EXPECT_TRUE(OwnershipChange(1001, 100, 0, 0, {}).empty()); // the administrator keeps all
    const std::string group = OwnershipChange(1000, 100, 1000, 1000, {27});
    EXPECT_NE(group.find("Saved, it will belong to user"), std::string::npos) << group;
}

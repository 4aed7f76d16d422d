// The one whole-file reader: what it reads, and each thing it refuses with its
// own cause, never waiting on a pipe or a device.
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "file/file_read.h"
#include "support/temp_dir.h"

namespace {
EReadResult Read(const std::string& path, std::string& bytes, std::string& why,
                 const CReadRules& rules = {}) {
    bytes = "left over";
    return ReadWholeFile(path, bytes, why, rules);
}
} // namespace

TEST(FileRead, ReadsARegularFileWholeAndTellsItsStatus) {
    CTempDir dir;
    const std::string content(200000, 'q'); // more than one read's worth
    const std::string path = dir.Write("quiz.txt", content + "end");
    std::string bytes;
    std::string why;
    struct stat info {};
    ASSERT_EQ(ReadWholeFile(path, bytes, why, {}, &info), EReadResult::Read) << why;
    EXPECT_EQ(bytes, content + "end");
    EXPECT_EQ(info.st_size, static_cast<off_t>(bytes.size()));
    EXPECT_EQ(ReadFileStart(path, 10), "qqqqqqqqqq");
}

TEST(FileRead, RefusesWhatIsNotARegularFileWithoutWaiting) {
    CTempDir dir;
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string bytes;
    std::string why;
    // A pipe with no writer would block a plain open for ever.
    for (const std::string& path : {pipe, dir.Path(), std::string("/dev/null")}) {
        EXPECT_EQ(Read(path, bytes, why), EReadResult::NotRegular) << path;
        EXPECT_EQ(why, "it is not a regular file");
        EXPECT_TRUE(bytes.empty());
    }
    EXPECT_EQ(errno, EINVAL); // /dev/null, the last
    EXPECT_EQ(ReadFileStart(pipe), "");
}

TEST(FileRead, EachOtherCauseHasItsOwnText) {
    CTempDir dir;
    std::string bytes;
    std::string why;
    EXPECT_EQ(Read(dir.File("absent"), bytes, why), EReadResult::CannotOpen);
    EXPECT_EQ(why, "cannot read the file: No such file or directory");
    EXPECT_EQ(errno, ENOENT);

    const std::string big = dir.Write("big.txt", std::string(101, 'x'));
    CReadRules small;
    small.maxBytes = 100;
    EXPECT_EQ(Read(big, bytes, why, small), EReadResult::TooLarge);
    EXPECT_EQ(why, "the file is too large");
    EXPECT_TRUE(bytes.empty());
    small.maxBytes = 101;
    EXPECT_EQ(Read(big, bytes, why, small), EReadResult::Read);

    const std::string link = dir.File("link");
    ASSERT_EQ(symlink(big.c_str(), link.c_str()), 0);
    CReadRules noLinks;
    noLinks.followLinks = false;
    EXPECT_EQ(Read(link, bytes, why, noLinks), EReadResult::Link);
    EXPECT_EQ(why, "it is a symbolic link");
    EXPECT_EQ(Read(link, bytes, why), EReadResult::Read);
}

TEST(FileRead, OwnOnlyRefusesAnotherUsersFile) {
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs the administrator";
    CTempDir dir;
    const std::string path = dir.Write("planted", "not mine");
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    CReadRules own;
    own.ownOnly = true;
    std::string bytes;
    std::string why;
    EXPECT_EQ(Read(path, bytes, why, own), EReadResult::NotOwn);
    EXPECT_EQ(why, "it belongs to another user");
    EXPECT_EQ(Read(path, bytes, why), EReadResult::Read);
}

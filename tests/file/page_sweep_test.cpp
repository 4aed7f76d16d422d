// The pages windows leave behind: only our own pattern of names, only regular
// files of this user, only when their process is gone.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file/page_sweep.h"
#include "file_test_support.h"
#include "support/temp_dir.h"

namespace {
// A process number that no process has now: a child that has ended.
std::string EndedProcess() {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    int status = 0;
    waitpid(pid, &status, 0);
    return std::to_string(pid);
}
} // namespace

TEST(PageSweep, RemovesOnlyOwnRegularPagesOfEndedProcesses) {
    CTempDir dir;
    const std::string gone = EndedProcess();
    const std::string self = std::to_string(getpid());
    dir.Write("QuestionTemp-" + gone + "-1.html", "crashed");
    dir.Write("ExplanationTemp-" + gone + "-12.html", "crashed");
    dir.Write("QuestionTemp-" + self + "-1.html", "running");
    dir.Write("QuestionTemp-1-1.html", "pid 1 runs");
    dir.Write("QuestionTemp.html", "a session's page");
    dir.Write("QuestionTemp-" + gone + "-x.html", "not our shape");
    dir.Write("QuestionTemp-" + gone + "-1.htm", "not our shape");
    dir.Write("Other-" + gone + "-1.html", "not our stem");
    const std::string target = dir.Write("target.txt", "a user's file");
    ASSERT_EQ(symlink(target.c_str(), dir.File("EditorPreview-" + gone + "-2.html").c_str()), 0);
    ASSERT_EQ(mkdir(dir.File("EditorPreview-" + gone + "-3.html").c_str(), 0700), 0);
    if (geteuid() == 0) {
        const std::string theirs = dir.Write("EditorPreview-" + gone + "-4.html", "theirs");
        ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
    }
    std::vector<std::string> before = NamesIn(dir.Path());

    EXPECT_EQ(RemovePagesOfEndedProcesses(dir.Path(),
                                          {"QuestionTemp", "ExplanationTemp", "EditorPreview"}),
              2);
    std::erase(before, "QuestionTemp-" + gone + "-1.html");
    std::erase(before, "ExplanationTemp-" + gone + "-12.html");
    EXPECT_EQ(NamesIn(dir.Path()), before);
    EXPECT_EQ(Content(target), "a user's file");
}

TEST(PageSweep, OwnPageNamesCarryTheProcessAndRemoveOwnFileLeavesLinks) {
    EXPECT_EQ(OwnPageName("QuestionTemp", 3),
              "QuestionTemp-" + std::to_string(getpid()) + "-3.html");
    CTempDir dir;
    const std::string page = dir.Write("page.html", "x");
    const std::string link = dir.File("link.html");
    ASSERT_EQ(symlink(page.c_str(), link.c_str()), 0);
    EXPECT_FALSE(RemoveOwnFile(link));
    EXPECT_TRUE(RemoveOwnFile(page));
    EXPECT_FALSE(RemoveOwnFile(page));
    EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"link.html"});
}

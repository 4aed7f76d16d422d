// Where the program's files are found and where its pages are written.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ui/program_paths.h"
#include "ui_test_support.h"

TEST(ProgramPathsTest, ProgramDirectoryHoldsThisProgramAndEndsWithASlash) {
    const std::string directory = GetProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(directory + "ui_tests"));
}

TEST(ProgramPathsTest, FilePathPutsTheNameInTheFolder) {
    EXPECT_EQ(ProgramFilePath("/opt/torvi/", "Welcome.htm"), "/opt/torvi/Welcome.htm");
    EXPECT_EQ(ProgramFilePath("/opt/torvi", "Welcome.htm"), "/opt/torvi/Welcome.htm");
}

class PageDirectoryTest : public CQuizWindowTest {
protected:
    void SetUp() override {
        CQuizWindowTest::SetUp();
        // A file where the program folder should be: not a folder anyone can write in.
        std::ofstream(m_strRoot + "/readonly");
        m_strReadOnly = m_strRoot + "/readonly/";
    }
    std::string m_strReadOnly;
};

TEST_F(PageDirectoryTest, WritableProgramFolderHoldsThePages) {
    EXPECT_EQ(
        ChoosePageDirectory(m_strProgramDirectory, m_strProgramDirectory, "/nowhere", "/nowhere"),
        m_strProgramDirectory);
}

TEST_F(PageDirectoryTest, ReadOnlyProgramUsesTheXdgCacheFolder) {
    const std::string cache = m_strRoot + "/xdg";
    EXPECT_EQ(ChoosePageDirectory(m_strReadOnly, m_strReadOnly, cache.c_str(), m_strRoot.c_str()),
              cache + "/torvi/");
    EXPECT_TRUE(IsWritableDirectory(cache + "/torvi"));
}

TEST_F(PageDirectoryTest, WithoutXdgCacheHomeTheHomeCacheIsUsed) {
    EXPECT_EQ(ChoosePageDirectory(m_strReadOnly, m_strReadOnly, nullptr, m_strRoot.c_str()),
              m_strRoot + "/.cache/torvi/");
    EXPECT_TRUE(IsWritableDirectory(m_strRoot + "/.cache/torvi"));
}

TEST_F(PageDirectoryTest, RelativeXdgCacheHomeIsIgnored) {
    EXPECT_EQ(
        ChoosePageDirectory(m_strReadOnly, m_strReadOnly, "relative/cache", m_strRoot.c_str()),
        m_strRoot + "/.cache/torvi/");
}

TEST_F(PageDirectoryTest, UnusableXdgCacheFallsBackToTheHomeCache) {
    const std::string blocked = m_strRoot + "/readonly/cache";
    EXPECT_EQ(ChoosePageDirectory(m_strReadOnly, m_strReadOnly, blocked.c_str(), m_strRoot.c_str()),
              m_strRoot + "/.cache/torvi/");
}

TEST_F(PageDirectoryTest, NoCacheAnywhereStillGivesAWritableFolder) {
    const std::string blocked = m_strRoot + "/readonly/home";
    const std::string folder =
        ChoosePageDirectory(m_strReadOnly, m_strReadOnly, blocked.c_str(), blocked.c_str());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(IsWritableDirectory(folder));
}

TEST_F(PageDirectoryTest, DialogOfAReadOnlyProgramWritesItsPagesToTheCache) {
    const char* saved = std::getenv("XDG_CACHE_HOME");
    const std::string savedValue = saved ? saved : "";
    const std::string cache = m_strRoot + "/xdg";
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    {
        CTorviDlg dlg(m_window, nullptr, m_strReadOnly);
        dlg.OnInitDialog();
        EXPECT_EQ(dlg.GetPageDirectory(), cache + "/torvi/");
        m_window.QueueOpenFile(QuizPath("capitals.txt"));
        dlg.OnFileOpen();
        const std::string page = cache + "/torvi/" + dlg.GetPageName(EPageKind::Question);
        EXPECT_EQ(m_window.navigations.back(), page);
        EXPECT_TRUE(std::filesystem::is_regular_file(page));
    }
    if (saved)
        setenv("XDG_CACHE_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_CACHE_HOME");
}

// Windows open at once share the cache folder: each shows pages of its own
// and takes them away at its end; pages a crashed window left are removed by
// the next to start, those of a window still running stay.
TEST_F(PageDirectoryTest, WindowsAtOnceShowTheirOwnPagesAndRemoveThem) {
    const std::string cache = m_strRoot + "/xdg";
    const CScopedEnvironment xdg("XDG_CACHE_HOME", cache.c_str());
    const std::string folder = cache + "/torvi/";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    int status = 0;
    waitpid(gone, &status, 0);
    const std::string crashed = folder + "ExplanationTemp-" + std::to_string(gone) + "-1.html";
    const std::string running = folder + "QuestionTemp-1-1.html";
    std::ofstream(crashed) << "left by a crash";
    std::ofstream(running) << "a window still running";

    std::vector<std::string> otherLog;
    CFakeWindow otherWindow{otherLog};
    {
        CTorviDlg first(m_window, nullptr, m_strReadOnly);
        CTorviDlg second(otherWindow, nullptr, m_strReadOnly);
        EXPECT_FALSE(std::filesystem::exists(crashed));
        EXPECT_TRUE(std::filesystem::exists(running));
        first.OnInitDialog();
        second.OnInitDialog();
        m_window.QueueOpenFile(QuizPath("capitals.txt"));
        first.OnFileOpen();
        otherWindow.QueueOpenFile(QuizPath("utf8.txt"));
        second.OnFileOpen();
        ASSERT_NE(first.GetPageName(EPageKind::Question), second.GetPageName(EPageKind::Question));
        EXPECT_NE(first.GetPageName(EPageKind::Question).find(std::to_string(getpid())),
                  std::string::npos);
        EXPECT_EQ(m_window.navigations.back(), folder + first.GetPageName(EPageKind::Question));
        EXPECT_EQ(otherWindow.navigations.back(), folder + second.GetPageName(EPageKind::Question));
        std::ifstream firstPage(m_window.navigations.back());
        const std::string firstText{std::istreambuf_iterator<char>(firstPage), {}};
        EXPECT_NE(firstText.find("What is the capital of France?"), std::string::npos);
        std::ifstream secondPage(otherWindow.navigations.back());
        const std::string secondText{std::istreambuf_iterator<char>(secondPage), {}};
        EXPECT_EQ(secondText.find("What is the capital of France?"), std::string::npos);
        first.OnExplanation();
        EXPECT_EQ(m_window.navigations.back(), folder + first.GetPageName(EPageKind::Explanation));
    }
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"QuestionTemp-1-1.html"});
}

// Only folders nobody else can reach into take the pages: a portable program
// folder of the user's own, the user's cache, or a private temporary folder.
class PageFolderSafetyTest : public PageDirectoryTest {
protected:
    void SetUp() override {
        PageDirectoryTest::SetUp();
        m_strXdg = m_strRoot + "/xdg";
        m_strBlocked = m_strReadOnly + "cache";
        m_strTemp = m_strRoot + "/tmp";
        std::filesystem::create_directories(m_strTemp);
        m_strRuntime = m_strTemp + "/torvi-" + std::to_string(static_cast<long>(geteuid()));
    }
    // A folder made for the test with exactly the given mode.
    static void MakeFolder(const std::string& path, mode_t mode) {
        std::filesystem::create_directories(path);
        ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
    }
    std::string Choose(const std::string& support, const std::string& running) const {
        return ChoosePageDirectory(support, running, m_strXdg.c_str(), m_strRoot.c_str());
    }

    std::string m_strXdg;
    std::string m_strBlocked; // under a plain file: no folder can be made there
    std::string m_strTemp;
    std::string m_strRuntime; // the private temporary folder when TMPDIR is m_strTemp
};

TEST_F(PageFolderSafetyTest, ProgramFolderOthersMayWriteInIsNotUsed) {
    const std::string& program = m_strProgramDirectory;
    for (const mode_t mode : {0777, 0775, 0770, 0703}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(chmod(program.c_str(), mode), 0);
        EXPECT_FALSE(IsPortableProgramDirectory(program, program));
        EXPECT_EQ(Choose(program, program), m_strXdg + "/torvi/");
    }
    ASSERT_EQ(chmod(program.c_str(), 0755), 0);
    EXPECT_EQ(Choose(program, program), program);
}

TEST_F(PageFolderSafetyTest, OnlyTheRunningProgramsOwnFolderIsPortable) {
    const std::string bin = m_strRoot + "/usr/bin/";
    const std::string share = m_strRoot + "/usr/share/torvi/";
    MakeFolder(bin, 0755);
    MakeFolder(share, 0755);
    // Installed: the support files are not beside the program file.
    EXPECT_EQ(Choose(share, bin), m_strXdg + "/torvi/");
    // The program's own folder is recognised under any spelling.
    EXPECT_EQ(Choose(bin, bin), bin);
    EXPECT_EQ(Choose(m_strRoot + "/usr/share/../bin", bin), m_strRoot + "/usr/share/../bin/");
}

TEST_F(PageFolderSafetyTest, FoldersOfAnotherUserAreNotUsed) {
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    const uid_t nobody = 65534;
    ASSERT_EQ(chown(m_strProgramDirectory.c_str(), nobody, nobody), 0);
    MakeFolder(m_strXdg + "/torvi", 0700);
    ASSERT_EQ(chown((m_strXdg + "/torvi").c_str(), nobody, nobody), 0);
    MakeFolder(m_strRuntime, 0700);
    ASSERT_EQ(chown(m_strRuntime.c_str(), nobody, nobody), 0);
    const CScopedEnvironment tmpdir("TMPDIR", m_strTemp.c_str());

    EXPECT_FALSE(IsPortableProgramDirectory(m_strProgramDirectory, m_strProgramDirectory));
    EXPECT_EQ(Choose(m_strProgramDirectory, m_strProgramDirectory), m_strRoot + "/.cache/torvi/");
    EXPECT_EQ(ChoosePageDirectory(m_strProgramDirectory, m_strProgramDirectory, m_strXdg.c_str(),
                                  m_strBlocked.c_str()),
              "");
}

TEST_F(PageFolderSafetyTest, MissingCacheFoldersAreMadeForTheUserAlone) {
    const mode_t savedMask = umask(022);
    const std::string xdg = m_strRoot + "/deep/cache";
    const std::string home = m_strRoot + "/home";
    const std::string fromXdg =
        ChoosePageDirectory(m_strReadOnly, m_strReadOnly, xdg.c_str(), m_strBlocked.c_str());
    const std::string fromHome =
        ChoosePageDirectory(m_strReadOnly, m_strReadOnly, nullptr, home.c_str());
    umask(savedMask);

    EXPECT_EQ(fromXdg, xdg + "/torvi/");
    for (const std::string& made : {m_strRoot + "/deep", xdg, xdg + "/torvi"})
        EXPECT_EQ(ModeOf(made), 0700) << made;
    EXPECT_EQ(fromHome, home + "/.cache/torvi/");
    for (const std::string& made : {home, home + "/.cache", home + "/.cache/torvi"})
        EXPECT_EQ(ModeOf(made), 0700) << made;
}

TEST_F(PageFolderSafetyTest, CacheFolderThatIsALinkOrOthersMayWriteInIsRefused) {
    // A private folder elsewhere, linked in the place of the cache folder.
    const std::string elsewhere = m_strRoot + "/elsewhere";
    MakeFolder(elsewhere, 0700);
    MakeFolder(m_strXdg, 0700);
    std::filesystem::create_directory_symlink(elsewhere, m_strXdg + "/torvi");
    MakeFolder(m_strRoot + "/.cache/torvi", 0777);
    const CScopedEnvironment tmpdir("TMPDIR", m_strTemp.c_str());

    EXPECT_EQ(Choose(m_strReadOnly, m_strReadOnly), m_strRuntime + "/");
    EXPECT_EQ(ModeOf(m_strRuntime), 0700);
    // Refused, not repaired.
    EXPECT_TRUE(std::filesystem::is_symlink(m_strXdg + "/torvi"));
    EXPECT_EQ(ModeOf(m_strRoot + "/.cache/torvi"), 0777);

    ASSERT_EQ(chmod((m_strRoot + "/.cache/torvi").c_str(), 0700), 0);
    EXPECT_EQ(Choose(m_strReadOnly, m_strReadOnly), m_strRoot + "/.cache/torvi/");
}

TEST_F(PageFolderSafetyTest, UnsafeTemporaryFolderLeavesNoPlaceForPages) {
    const CScopedEnvironment tmpdir("TMPDIR", m_strTemp.c_str());
    const std::string elsewhere = m_strRoot + "/elsewhere";
    MakeFolder(elsewhere, 0700);
    const auto choose = [this] {
        return ChoosePageDirectory(m_strReadOnly, m_strReadOnly, m_strBlocked.c_str(),
                                   m_strBlocked.c_str());
    };

    std::filesystem::create_directory_symlink(elsewhere, m_strRuntime);
    EXPECT_EQ(choose(), "");
    std::filesystem::remove(m_strRuntime);
    MakeFolder(m_strRuntime, 0777);
    EXPECT_EQ(choose(), "");
    std::filesystem::remove(m_strRuntime);
    std::ofstream(m_strRuntime) << "a file";
    EXPECT_EQ(choose(), "");
    std::filesystem::remove(m_strRuntime);
    EXPECT_EQ(choose(), m_strRuntime + "/");
}

TEST_F(PageFolderSafetyTest, WithNoSafeFolderNoPageIsWrittenButTheViewIsSent) {
    ASSERT_EQ(chmod(m_strProgramDirectory.c_str(), 0777), 0);
    MakeFolder(m_strRuntime, 0777);
    const CScopedEnvironment tmpdir("TMPDIR", m_strTemp.c_str());
    const CScopedEnvironment xdg("XDG_CACHE_HOME", m_strBlocked.c_str());
    const CScopedEnvironment home("HOME", m_strBlocked.c_str());

    CTorviDlg dlg(m_window, nullptr, m_strProgramDirectory);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.GetPageDirectory(), "");
    m_window.QueueOpenFile(QuizPath("capitals.txt"));
    dlg.OnFileOpen();
    EXPECT_EQ(dlg.GetState(), QuizState::Asking);
    EXPECT_EQ(m_window.navigations.back(), m_strProgramDirectory + "QuestionTemp.html");
    EXPECT_TRUE(std::filesystem::is_empty(m_strProgramDirectory));
    EXPECT_TRUE(std::filesystem::is_empty(m_strRuntime));
}

class SupportFolderTest : public CQuizWindowTest {
protected:
    void Put(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // Answers "city Paris" for "the city of Paris": right only when "the" and "of"
    // are ignored.
    void AnswerCityQuestion() {
        Put(m_strRoot + "/city.txt", "Which city?\nthe city of Paris\nAnd then?\nnothing\n");
        Start();
        m_window.QueueOpenFile(m_strRoot + "/city.txt");
        m_dlg->OnFileOpen();
        Answer({"city Paris"});
    }
};

TEST_F(SupportFolderTest, OwnWelcomePageElseTheSharedFolderElseTheProgramFolder) {
    const std::string bin = m_strRoot + "/usr/bin/";
    std::filesystem::create_directories(bin);
    EXPECT_EQ(FindSupportDirectory(bin), bin);
    Put(m_strRoot + "/usr/share/torvi/Welcome.htm", "<p>shared</p>");
    EXPECT_EQ(FindSupportDirectory(m_strRoot + "/usr/bin"), m_strRoot + "/usr/share/torvi/");
    Put(bin + "Welcome.htm", "<p>portable</p>");
    EXPECT_EQ(FindSupportDirectory(bin), bin);
}

TEST_F(SupportFolderTest, InstallConfiguredWithAnotherDataFolderIsFound) {
    const std::string bin = m_strRoot + "/usr/games/";
    std::filesystem::create_directories(bin);
    Put(m_strRoot + "/usr/share/games/torvi/Welcome.htm", "<p>games</p>");
    EXPECT_EQ(FindSupportDirectory(bin, "../share/games/torvi"),
              m_strRoot + "/usr/share/games/torvi/");
    // The usual layout is still looked at when the configured one holds nothing.
    Put(m_strRoot + "/usr/share/torvi/Welcome.htm", "<p>shared</p>");
    EXPECT_EQ(FindSupportDirectory(m_strRoot + "/usr/bin", "../lib/torvi"),
              m_strRoot + "/usr/share/torvi/");
}

TEST_F(SupportFolderTest, ExampleQuizzesAreTheQuizzesFolderWhenThereIsOne) {
    const std::string share = m_strRoot + "/usr/share/torvi";
    std::filesystem::create_directories(share);
    EXPECT_EQ(FindExampleQuizFolder(share), "");
    EXPECT_EQ(FindExampleQuizFolder(""), "");
    // A file of that name is no folder of quizzes.
    Put(share + "/quizzes", "not a folder");
    EXPECT_EQ(FindExampleQuizFolder(share + "/"), "");
    std::filesystem::remove(share + "/quizzes");
    Put(share + "/quizzes/geography.txt", "Q\nA\n");
    EXPECT_EQ(FindExampleQuizFolder(share), share + "/quizzes/");
    EXPECT_EQ(FindExampleQuizFolder(share + "/"), share + "/quizzes/");
}

TEST_F(SupportFolderTest, WindowStartedElsewhereJudgesWithTheProgramsList) {
    Put(m_strProgramDirectory + "IgnoreW.TXT", "the\nof\n");
    AnswerCityQuestion();
    EXPECT_EQ(m_window.feedback, "You are Correct!!!\r\n\r\nthe city of Paris");
}

TEST_F(SupportFolderTest, WindowPrefersTheCurrentFoldersList) {
    Put(m_strProgramDirectory + "IgnoreW.TXT", "the\nof\n");
    Put(m_strCurrentDirectory + "/IgnoreW.TXT", "a\n");
    AnswerCityQuestion();
    EXPECT_EQ(m_window.feedback.rfind("You are wrong", 0), 0u) << m_window.feedback;
}

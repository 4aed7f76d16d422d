// Where the program's files are found and where its pages are written.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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
    EXPECT_EQ(ChoosePageDirectory(m_strProgramDirectory, "/nowhere", "/nowhere"),
              m_strProgramDirectory);
}

TEST_F(PageDirectoryTest, ReadOnlyProgramUsesTheXdgCacheFolder) {
    const std::string cache = m_strRoot + "/xdg";
    EXPECT_EQ(ChoosePageDirectory(m_strReadOnly, cache.c_str(), m_strRoot.c_str()),
              cache + "/torvi/");
    EXPECT_TRUE(IsWritableDirectory(cache + "/torvi"));
}

TEST_F(PageDirectoryTest, WithoutXdgCacheHomeTheHomeCacheIsUsed) {
    EXPECT_EQ(ChoosePageDirectory(m_strReadOnly, nullptr, m_strRoot.c_str()),
              m_strRoot + "/.cache/torvi/");
    EXPECT_TRUE(IsWritableDirectory(m_strRoot + "/.cache/torvi"));
}

TEST_F(PageDirectoryTest, RelativeXdgCacheHomeIsIgnored) {
    EXPECT_EQ(ChoosePageDirectory(m_strReadOnly, "relative/cache", m_strRoot.c_str()),
              m_strRoot + "/.cache/torvi/");
}

TEST_F(PageDirectoryTest, UnusableXdgCacheFallsBackToTheHomeCache) {
    const std::string blocked = m_strRoot + "/readonly/cache";
    EXPECT_EQ(ChoosePageDirectory(m_strReadOnly, blocked.c_str(), m_strRoot.c_str()),
              m_strRoot + "/.cache/torvi/");
}

TEST_F(PageDirectoryTest, NoCacheAnywhereStillGivesAWritableFolder) {
    const std::string blocked = m_strRoot + "/readonly/home";
    const std::string folder = ChoosePageDirectory(m_strReadOnly, blocked.c_str(), blocked.c_str());
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
        EXPECT_EQ(m_window.navigations.back(), cache + "/torvi/QuestionTemp.html");
        EXPECT_TRUE(std::filesystem::is_regular_file(cache + "/torvi/QuestionTemp.html"));
    }
    if (saved)
        setenv("XDG_CACHE_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_CACHE_HOME");
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

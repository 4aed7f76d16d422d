#include "ui_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "support/random_start.h"

CScopedEnvironment::CScopedEnvironment(const char* name, const char* value)
    : m_strName(name), m_bWasSet(std::getenv(name) != nullptr) {
    m_strSaved = m_bWasSet ? std::getenv(name) : "";
    value ? setenv(name, value, 1) : unsetenv(name);
}

CScopedEnvironment::~CScopedEnvironment() {
    m_bWasSet ? setenv(m_strName.c_str(), m_strSaved.c_str(), 1) : unsetenv(m_strName.c_str());
}

int ModeOf(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

void CQuizWindowTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "torvi-ui-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_strRoot = pattern;
    m_strProgramDirectory = m_strRoot + "/program/";
    m_strCurrentDirectory = m_strRoot + "/work";
    std::filesystem::create_directories(m_strProgramDirectory);
    std::filesystem::create_directories(m_strCurrentDirectory);
    // A program folder only its owner may write in, whatever the umask.
    std::filesystem::permissions(m_strProgramDirectory, std::filesystem::perms::owner_all);
    // No ignore-word list and no cues in the current folder: every test starts
    // from the same judge and finds its cues only in the program folder.
    m_strSavedDirectory = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(m_strCurrentDirectory.c_str()), 0);
    RestartRandomSource();
}

void CQuizWindowTest::TearDown() {
    m_dlg.reset();
    ASSERT_EQ(chdir(m_strSavedDirectory.c_str()), 0);
    std::error_code ignored;
    std::filesystem::remove_all(m_strRoot, ignored);
}

std::string CQuizWindowTest::QuizPath(const std::string& name) {
    return std::string(TORVI_TEST_DATA_DIR) + "/ui/" + name;
}

void CQuizWindowTest::AddCue(const std::string& name) {
    std::ofstream(m_strProgramDirectory + name, std::ios::binary) << "RIFF" << name;
}

void CQuizWindowTest::Start() {
    m_dlg = std::make_unique<CTorviDlg>(m_window, &m_player, m_strProgramDirectory,
                                        m_strProgramDirectory);
    ASSERT_TRUE(m_dlg->OnInitDialog());
}

void CQuizWindowTest::Open(const std::string& quizName) {
    m_window.QueueOpenFile(QuizPath(quizName));
    m_dlg->OnFileOpen();
}

void CQuizWindowTest::Answer(const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i)
        m_window.Type(static_cast<int>(i), texts[i]);
    m_dlg->OnEnter();
}

std::string CQuizWindowTest::ReadProgramFile(const std::string& name) const {
    std::ifstream file(m_strProgramDirectory + name, std::ios::binary);
    if (!file)
        return "<missing>";
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string CQuizWindowTest::QuestionOnPage() const {
    const std::string page = ReadProgramFile("QuestionTemp.html");
    const std::string open = "left: 1px;\">";
    const size_t start = page.find(open);
    const size_t end = page.rfind("</div>");
    if (start == std::string::npos || end == std::string::npos || end < start)
        return page;
    return page.substr(start + open.size(), end - start - open.size());
}

void CQuizWindowTest::ExpectButtons(bool explanation, bool quit, bool restart, bool repeat) const {
    EXPECT_EQ(m_window.IsButtonEnabled(EButton::Explanation), explanation) << "Explanation";
    EXPECT_EQ(m_window.IsButtonEnabled(EButton::Quit), quit) << "Quit";
    EXPECT_EQ(m_window.IsButtonEnabled(EButton::Restart), restart) << "Restart";
    EXPECT_EQ(m_window.IsButtonEnabled(EButton::Repeat), repeat) << "Repeat";
}

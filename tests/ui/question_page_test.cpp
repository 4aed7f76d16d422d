// Question and explanation pages: the template, HTML texts kept whole, the
// character set of the quiz, and the page files the quiz window writes.
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "ui/page_composer.h"
#include "ui_test_support.h"

namespace {
std::string TemplatePage(const std::string& body, int width, const char* charset = "iso-8859-1",
                         const char* title = "Question") {
    return std::string("<html>\n<head>\n<title>") + title +
           "</title>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
           charset + "\">\n</head>\n<body>\n<div id=\"Layer1\" style=\"position:absolute; width:" +
           std::to_string(width) + "px; height:235px; z-index:1; left: 1px;\">" + body +
           "</div>\n</body>\n</html>";
}

std::string Composed(const char* text, int width, bool utf8 = false) {
    const CTextBuffer page = ComposePage(text, width, utf8);
    return std::string(page.GetText(), static_cast<size_t>(page.GetLength()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
} // namespace

TEST(ComposePageTest, OneLineGoesIntoTheLayerOfTheTemplate) {
    EXPECT_EQ(Composed("What is the capital of France?", 420),
              TemplatePage("What is the capital of France?", 420));
}

TEST(ComposePageTest, TemplateIs242CharactersAroundTheTextAndWidth) {
    EXPECT_EQ(Composed("", 420).size(), 242u - 4u + 3u);
}

// A screen reader names the page by its title, so each kind of page says what
// it holds, in either character set, and reads back as the text it was made from.
TEST(ComposePageTest, PageIsTitledAfterWhatItHolds) {
    for (const bool utf8 : {false, true}) {
        const char* charset = utf8 ? "utf-8" : "iso-8859-1";
        const CTextBuffer question = ComposePage("Why?\nSay.", 300, utf8, EPageKind::Question);
        const CTextBuffer explanation =
            ComposePage("Because.\nIt is.", 300, utf8, EPageKind::Explanation);
        EXPECT_EQ(question.GetText(), TemplatePage("Why?<br>\nSay.", 300, charset, "Question"));
        EXPECT_EQ(explanation.GetText(),
                  TemplatePage("Because.<br>\nIt is.", 300, charset, "Explanation"));
        std::string text;
        ASSERT_TRUE(ReadComposedText(explanation.GetText(), text));
        EXPECT_EQ(text, "Because.\nIt is.");
        ASSERT_TRUE(ReadComposedText(question.GetText(), text));
        EXPECT_EQ(text, "Why?\nSay.");
    }
    EXPECT_EQ(ComposePage("<html>kept</html>", 300, false, EPageKind::Explanation).GetText(),
              std::string("<html>kept</html>"));
}

TEST(ComposePageTest, LineEndsBecomeLineBreaks) {
    EXPECT_EQ(Composed("first line\nsecond line\n", 101),
              TemplatePage("first line<br>\nsecond line<br>\n", 101));
}

TEST(ComposePageTest, EmptyTextGivesAnEmptyLayer) {
    EXPECT_EQ(Composed("", 420), TemplatePage("", 420));
}

TEST(ComposePageTest, TextMentioningHtmlAnywhereIsThePageItself) {
    const char* text = "A plain sentence that names the <HTML> tag\nin passing.";
    EXPECT_EQ(Composed(text, 420), text);
}

TEST(ComposePageTest, DoctypeWithoutABareHtmlTagIsTreatedAsPlainText) {
    const char* text = "<!DOCTYPE html><html lang=\"en\"><body>Hi</body></html>";
    EXPECT_EQ(Composed(text, 420), TemplatePage(text, 420));
}

TEST(ComposePageTest, MarkupCharactersReachThePageUnchanged) {
    EXPECT_EQ(Composed("x < y & <b>z</b> > 0", 420), TemplatePage("x < y & <b>z</b> > 0", 420));
}

TEST(ComposePageTest, Utf8QuizDeclaresUtf8) {
    EXPECT_EQ(Composed("caf\xc3\xa9", 420, true), TemplatePage("caf\xc3\xa9", 420, "utf-8"));
}

TEST(ComposePageTest, LongTextIsComposedWhole) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "line " + std::to_string(i) + "\n";
    std::string body;
    for (int i = 0; i < 300; ++i)
        body += "line " + std::to_string(i) + "<br>\n";
    ASSERT_GT(body.size(), 2047u);
    EXPECT_EQ(Composed(text.c_str(), 420), TemplatePage(body, 420));
}

class PageFileTest : public CQuizWindowTest {};

TEST_F(PageFileTest, WritePageFileReplacesAnOlderLongerFile) {
    const std::string path = m_strProgramDirectory + "page.html";
    std::ofstream(path) << std::string(5000, 'z');
    EXPECT_TRUE(WritePageFile("short", path, 300));
    EXPECT_EQ(ReadFile(path), TemplatePage("short", 300));
}

TEST_F(PageFileTest, WritePageFileReportsAPathItCannotWrite) {
    EXPECT_FALSE(WritePageFile("x", m_strProgramDirectory + "no/such/folder/page.html", 300));
}

TEST_F(PageFileTest, QuestionPageIsSizedToTheFeedbackBox) {
    m_window.feedbackBoxWidth = 441;
    Start();
    EXPECT_EQ(m_dlg->GetPageDirectory(), m_strProgramDirectory);
    Open("capitals.txt");
    // Plain ASCII is UTF-8 as well.
    EXPECT_EQ(ReadProgramFile("QuestionTemp.html"),
              TemplatePage("What is the capital of France?", 401, "utf-8"));
}

TEST_F(PageFileTest, NextQuestionOverwritesThePageAndTheExplanationStays) {
    m_window.feedbackBoxWidth = 500;
    Start();
    Open("capitals.txt");
    Answer({"Rome"});
    m_dlg->OnExplanation();
    m_dlg->OnEnter();
    EXPECT_EQ(ReadProgramFile("QuestionTemp.html"),
              TemplatePage("Name the primary colours of light,<br>\nin any order.", 460, "utf-8"));
    EXPECT_EQ(ReadProgramFile("ExplanationTemp.html"),
              "<html><body>Paris has been the capital since the Middle Ages.</body></html>");
}

TEST_F(PageFileTest, HtmlQuestionIsWrittenAsItStands) {
    Start();
    Open("html_and_empty.txt");
    EXPECT_EQ(ReadProgramFile("QuestionTemp.html"),
              "<html><body><b>Bold</b> & <i>italic</i></body></html>");
}

TEST_F(PageFileTest, WindowsQuizKeepsItsBytesAndTheLatinCharacterSet) {
    Start();
    Open("latin1.txt");
    EXPECT_EQ(ReadProgramFile("QuestionTemp.html"),
              TemplatePage("Which drink is served in a caf\xe9?", 401));
    Answer({"cafe"});
    // Feedback and comment reach the window as UTF-8.
    EXPECT_EQ(m_window.feedback,
              "You are wrong, the correct answer is:      {Press Enter to continue}\r\n"
              "caf\u00e9 cr\u00e8me");
    EXPECT_EQ(m_window.comment, "Cr\u00e8me means cream.");
    m_dlg->OnExplanation();
    EXPECT_EQ(ReadProgramFile("ExplanationTemp.html"),
              TemplatePage("Na\xefve caf\xe9 owners.", 401, "iso-8859-1", "Explanation"));
}

TEST_F(PageFileTest, Utf8QuizPagesDeclareUtf8) {
    Start();
    Open("utf8.txt");
    EXPECT_EQ(ReadProgramFile("QuestionTemp.html"),
              TemplatePage("Which drink is served in a caf\xc3\xa9?", 401, "utf-8"));
    Answer({"caf\u00e9 cr\u00e8me"});
    EXPECT_EQ(m_window.feedback, "You are Correct!!!\r\n\r\ncaf\u00e9 cr\u00e8me");
    EXPECT_EQ(m_window.comment, "Cr\u00e8me means cream.");
}

TEST_F(PageFileTest, AccentedAnswerIsJudgedTheSameInAWindowsQuiz) {
    Start();
    Open("latin1.txt");
    Answer({"caf\u00e9 cr\u00e8me"});
    EXPECT_EQ(m_window.feedback, "You are Correct!!!\r\n\r\ncaf\u00e9 cr\u00e8me");
}

TEST_F(PageFileTest, PageThatCannotBeWrittenIsStillShown) {
    std::filesystem::create_directory(m_strProgramDirectory + "QuestionTemp.html");
    Start();
    Open("capitals.txt");
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
    EXPECT_EQ(m_window.navigations.back(), m_strProgramDirectory + "QuestionTemp.html");
}

namespace {
std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST_F(PageFileTest, PlantedLinksAreReplacedNeverWrittenThrough) {
    const std::string victim = m_strRoot + "/notes.txt";
    std::ofstream(victim) << "the learner's notes";
    const std::string dangling = m_strRoot + "/made-through-a-link";
    std::filesystem::create_symlink(victim, m_strProgramDirectory + "QuestionTemp.html");
    std::filesystem::create_symlink(dangling, m_strProgramDirectory + "ExplanationTemp.html");

    Start();
    Open("capitals.txt");
    Answer({"Rome"});
    m_dlg->OnExplanation();

    EXPECT_EQ(ReadFile(victim), "the learner's notes");
    EXPECT_FALSE(std::filesystem::exists(dangling));
    EXPECT_EQ(QuestionOnPage(), "What is the capital of France?");
    EXPECT_EQ(ReadProgramFile("ExplanationTemp.html"),
              "<html><body>Paris has been the capital since the Middle Ages.</body></html>");
    for (const char* name : {"QuestionTemp.html", "ExplanationTemp.html"}) {
        const std::string path = m_strProgramDirectory + name;
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path)))
            << name;
        EXPECT_EQ(ModeOf(path), 0600) << name;
    }
}

TEST_F(PageFileTest, WritingLeavesNoOtherFileBehind) {
    const std::string& folder = m_strProgramDirectory;
    EXPECT_TRUE(WritePageFile("first", folder + "page.html", 300));
    EXPECT_TRUE(WritePageFile("second", folder + "page.html", 300));
    EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"page.html"});

    // A folder under the name cannot be replaced by a page.
    std::filesystem::create_directory(folder + "taken.html");
    EXPECT_FALSE(WritePageFile("third", folder + "taken.html", 300));
    EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"page.html", "taken.html"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder + "taken.html"));
    EXPECT_EQ(ReadFile(folder + "page.html"), TemplatePage("second", 300));
}

TEST_F(PageFileTest, PageCutShortKeepsTheOlderPage) {
    const std::string path = m_strProgramDirectory + "page.html";
    ASSERT_TRUE(WritePageFile("older", path, 300));

    // Files may grow to 100 bytes only, so the long page cannot be written whole.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WritePageFile(std::string(1000, 'x').c_str(), path, 300);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(path), TemplatePage("older", 300));
    EXPECT_EQ(NamesIn(m_strProgramDirectory), std::vector<std::string>{"page.html"});
}

TEST_F(PageFileTest, GivenPageFolderTakesThePagesInsteadOfTheProgramFolder) {
    const std::string session = m_strRoot + "/session";
    std::filesystem::create_directory(session);
    m_dlg = std::make_unique<CTorviDlg>(m_window, &m_player, m_strProgramDirectory, session);
    ASSERT_TRUE(m_dlg->OnInitDialog());
    EXPECT_EQ(m_dlg->GetPageDirectory(), session + "/");
    Open("capitals.txt");
    EXPECT_EQ(m_window.navigations.back(), session + "/QuestionTemp.html");
    EXPECT_NE(ReadFile(session + "/QuestionTemp.html").find("What is the capital of France?"),
              std::string::npos);
    EXPECT_EQ(ReadProgramFile("QuestionTemp.html"), "<missing>");
}

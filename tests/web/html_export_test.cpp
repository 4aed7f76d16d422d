// The exporter: pictures carried in the page, addresses out of it turned off,
// the quiz and the player's files filled in, and the page written only as a
// new file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "export/html_export.h"

namespace fs = std::filesystem;

namespace {
const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "rest of a picture";

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string DecodeBase64(std::string_view text) {
    static const std::string kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        const size_t value = kDigits.find(c);
        if (value == std::string::npos)
            break;
        bits = bits << 6 | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>(bits >> count & 0xFF);
        }
    }
    return out;
}

// The base64 text that follows key in the page's data.
std::string Carried(const std::string& page, const std::string& key) {
    const size_t at = page.find(key + ":\"");
    if (at == std::string::npos)
        return "<absent>";
    const size_t start = at + key.size() + 2;
    return DecodeBase64(std::string_view(page).substr(start, page.find('"', start) - start));
}

class CHtmlExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/torvi-export-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_root = folder;
        fs::create_directories(m_root / "quiz");
        fs::create_directories(m_root / "support" / "web");
        WriteFile(m_root / "support" / "web" / "torvi-player.html",
                  "<title>@TORVI_TITLE@</title><h1>@TORVI_HEADING@</h1>"
                  "<script type=\"application/json\">@TORVI_QUIZ@</script><script>player</script>");
        WriteFile(m_root / "support" / "IgnoreW.TXT", "the\na\n");
        WriteFile(m_root / "support" / "RightAnswer1.wav", "RIFF one");
        WriteFile(m_root / "support" / "RightAnswer2.wav", "RIFF two");
        WriteFile(m_root / "support" / "WrongAnswer1.wav", "RIFF wrong");
        // Not a WAV file: the window would not play it, so it is not carried.
        WriteFile(m_root / "support" / "Start1.wav", "text");
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string Support() const { return (m_root / "support").string() + "/"; }
    std::string Quiz() const { return (m_root / "quiz").string() + "/"; }

    fs::path m_root;
};
} // namespace

TEST_F(CHtmlExportTest, PicturesByLocalPathAreCarriedAndTheMissingReported) {
    WriteFile(m_root / "quiz" / "map.png", kPng);
    WriteFile(m_root / "support" / "logo.gif", "GIF89a....");
    WriteFile(m_root / "quiz" / "space name.jpg", "\xff\xd8\xff\xe0jpeg");
    WriteFile(m_root / "quiz" / "notes.png", "not a picture at all");
    const std::string absolute = (m_root / "quiz" / "map.png").string();
    const std::string text = "<html><body><IMG SRC=map.png alt='a map'>"
                             "<img src='logo.gif'>"
                             "<img src=\"file://" +
                             (m_root / "quiz").string() +
                             "/space%20name.jpg\">"
                             "<img src=\"file://localhost" +
                             absolute + "\"><table background=\"" + absolute +
                             "\"><img src=\"gone.png\"><img src=\"notes.png\">"
                             "<img src=\"data:image/png;base64,AAAA\"></table></body></html>\n"
                             "Plain text with src=map.png outside any tag\n";
    CHtmlExportReport report;
    const std::string out = MakePagesSelfContained(text, {Quiz(), Support()}, report);

    EXPECT_EQ(
        report.embeddedPictures,
        (std::vector<std::string>{"map.png", "logo.gif",
                                  "file://" + (m_root / "quiz").string() + "/space%20name.jpg",
                                  "file://localhost" + absolute, absolute}));
    EXPECT_EQ(report.missingPictures, (std::vector<std::string>{"gone.png", "notes.png"}));
    EXPECT_NE(out.find("<IMG SRC=\"data:image/png;base64,"), std::string::npos);
    EXPECT_NE(out.find("alt='a map'"), std::string::npos);
    EXPECT_NE(out.find("src=\"data:image/gif;base64,"), std::string::npos);
    EXPECT_NE(out.find("src=\"data:image/jpeg;base64,"), std::string::npos);
    EXPECT_NE(out.find("background=\"data:image/png;base64,"), std::string::npos);
    EXPECT_NE(out.find("<img src=\"about:blank\"><img src=\"about:blank\">"), std::string::npos);
    EXPECT_NE(out.find("src=\"data:image/png;base64,AAAA\""), std::string::npos);
    EXPECT_NE(out.find("Plain text with src=map.png outside any tag\n"), std::string::npos);
    // The picture's bytes come through whole.
    const size_t at = out.find("data:image/png;base64,") + 22;
    EXPECT_EQ(DecodeBase64(std::string_view(out).substr(at, out.find('"', at) - at)), kPng);
}

TEST_F(CHtmlExportTest, AddressesOutOfThePageAreTurnedOffAndReported) {
    const std::string text =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "<meta http-equiv=refresh content=\"0;url=http://example.org/\">"
        "<link rel=preconnect href=\"https://example.org\"></head>"
        "<body><a href=\"#top\">up</a><a href=\"//example.org/x\">x</a>"
        "<iframe src=\"http://127.0.0.1:9/\"></iframe>"
        "<form action=\"other.htm\"></form><a href=\"mailto:a@example.org\" "
        "title=\"http://x\">m</a>"
        "<img srcset=\"a.png 1x, https://example.org/b.png 2x\"></body></html>\n";
    CHtmlExportReport report;
    const std::string out = MakePagesSelfContained(text, {Quiz()}, report);

    EXPECT_NE(out.find("content=\"text/html; charset=utf-8\""), std::string::npos);
    EXPECT_NE(out.find("content=\"about:blank\""), std::string::npos);
    EXPECT_NE(out.find("<a href=\"#top\">"), std::string::npos);
    EXPECT_NE(out.find("href=\"mailto:a@example.org\" title=\"http://x\""), std::string::npos);
    EXPECT_EQ(out.find("example.org/x"), std::string::npos);
    EXPECT_EQ(out.find("127.0.0.1"), std::string::npos);
    EXPECT_EQ(out.find("other.htm"), std::string::npos);
    EXPECT_EQ(out.find("b.png"), std::string::npos);
    EXPECT_EQ(report.removedAddresses.size(), 6u);
}

TEST_F(CHtmlExportTest, ThePageCarriesTheQuizCuesAndIgnoreListBehindItsMarkers) {
    CPlayerFiles player;
    std::string error;
    ASSERT_TRUE(LoadPlayerFiles(Support(), Support() + "IgnoreW.TXT", player, error)) << error;
    // A name that would end the data's script element if it were not escaped.
    const std::string quiz = "Q?\nA & B </script>\n\xe9t\xe9\n";
    const std::string page = ComposeQuizPage(player, "a</script><b>&.txt", quiz);

    EXPECT_EQ(page.find("@TORVI_"), std::string::npos);
    EXPECT_NE(page.find("<title>Halvan Torvi - a&lt;/script&gt;&lt;b&gt;&amp;.txt</title>"),
              std::string::npos);
    EXPECT_EQ(page.find("</script><b>"), std::string::npos);
    EXPECT_NE(page.find("\"name\":\"a\\u003c/script\\u003e\\u003cb\\u003e\\u0026.txt\""),
              std::string::npos);
    EXPECT_EQ(Carried(page, "\"quiz\""), quiz);
    EXPECT_EQ(Carried(page, "\"IgnoreW.TXT\""), "the\na\n");
    EXPECT_EQ(Carried(page, "\"RightAnswer1.wav\""), "RIFF one");
    EXPECT_EQ(Carried(page, "\"RightAnswer2.wav\""), "RIFF two");
    EXPECT_EQ(Carried(page, "\"WrongAnswer1.wav\""), "RIFF wrong");
    EXPECT_EQ(Carried(page, "\"Start1.wav\""), "<absent>");
    // The player's script is left exactly as it was built.
    EXPECT_NE(page.find("<script>player</script>"), std::string::npos);

    // A name holding the markers' own text is a name: the data still goes
    // where the player reads it, not into the title.
    const std::string named = ComposeQuizPage(player, "@TORVI_HEADING@@TORVI_QUIZ@.txt", quiz);
    EXPECT_EQ(Carried(named, "\"quiz\""), quiz);
    EXPECT_NE(named.find("<title>Halvan Torvi - @TORVI_HEADING@@TORVI_QUIZ@.txt</title>"),
              std::string::npos);
}

TEST_F(CHtmlExportTest, WritesOnlyANewFileAndOnlyForAQuizThatLoads) {
    WriteFile(m_root / "quiz" / "good.txt", "What is 2 + 2?\nfour\n");
    WriteFile(m_root / "quiz" / "bad.txt", "A question with no answer\n");
    const std::string good = Quiz() + "good.txt";
    CHtmlExportReport report;
    std::string error;

    const fs::path page = m_root / "good.html";
    ASSERT_TRUE(ExportQuizHtml(good, page.string(), Support(), report, error)) << error;
    EXPECT_NE(ReadFile(page).find("<title>Halvan Torvi - good.txt</title>"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(stat(page.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IRGRP, 0u) << "a page is meant to be shared";

    // A file of the user's, or a link, under the name is left as it was.
    const fs::path mine = m_root / "mine.html";
    WriteFile(mine, "my own page");
    EXPECT_FALSE(ExportQuizHtml(good, mine.string(), Support(), report, error));
    EXPECT_NE(error.find("already exists"), std::string::npos);
    EXPECT_EQ(ReadFile(mine), "my own page");
    const fs::path link = m_root / "link.html";
    fs::create_symlink(mine, link);
    EXPECT_FALSE(ExportQuizHtml(good, link.string(), Support(), report, error));
    EXPECT_EQ(ReadFile(mine), "my own page");

    EXPECT_FALSE(ExportQuizHtml(Quiz() + "bad.txt", (m_root / "bad.html").string(), Support(),
                                report, error));
    EXPECT_FALSE(fs::exists(m_root / "bad.html"));
    EXPECT_FALSE(
        ExportQuizHtml(good, (m_root / "none" / "x.html").string(), Support(), report, error));

    // Without the player there is nothing to export into.
    fs::remove(m_root / "support" / "web" / "torvi-player.html");
    EXPECT_FALSE(ExportQuizHtml(good, (m_root / "again.html").string(), Support(), report, error));
    EXPECT_NE(error.find("browser player"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_root / "again.html"));
    // No temporary file is left behind by any of it.
    for (const auto& entry : fs::directory_iterator(m_root))
        EXPECT_EQ(entry.path().filename().string().find(".html."), std::string::npos)
            << entry.path();
}

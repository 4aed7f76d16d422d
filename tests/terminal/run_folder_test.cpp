// A terminal session's own program folder: links to the program's cues, the
// session's pages, and nothing left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "sound/audio_player.h"
#include "support/temp_dir.h"
#include "terminal/run_folder.h"
#include "terminal/run_session.h"

namespace fs = std::filesystem;

namespace {

class RecordingPlayer : public CAudioPlayer {
public:
    void Play(const unsigned char* data, uint32_t length) override {
        plays.emplace_back(reinterpret_cast<const char*>(data), length);
    }
    void Stop() override {}
    std::vector<std::string> plays;
};

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RunFolder, LinksTheCuesAndIsRemovedWithoutTouchingThem) {
    CTempDir program;
    CTempDir base;
    program.Write("Start1.wav", "RIFF start");
    program.Write("rightanswer1.WAV", "RIFF right");
    program.Write("Welcome.htm", "<html></html>");
    program.Write("QuestionTemp.html", "another session's page");
    std::string path;
    {
        CRunFolder folder;
        ASSERT_TRUE(folder.Create(program.Path() + "/", base.Path()));
        path = folder.GetPath();
        ASSERT_EQ(path.substr(0, base.Path().size() + 11), base.Path() + "/torvi-run-");
        EXPECT_EQ(path.back(), '/');
        EXPECT_EQ(Names(path), (std::vector<std::string>{"Start1.wav", "rightanswer1.WAV"}));
        EXPECT_TRUE(fs::is_symlink(path + "Start1.wav"));
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_all);
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(Names(program.Path()), (std::vector<std::string>{"QuestionTemp.html", "Start1.wav",
                                                               "Welcome.htm", "rightanswer1.WAV"}));
}

TEST(RunFolder, FailsWhenNoFolderCanBeMade) {
    CRunFolder folder;
    EXPECT_FALSE(folder.Create(".", "/nonexistent/folder"));
    EXPECT_EQ(folder.GetPath(), "");
}

TEST(RunFolder, SessionPlaysTheLinkedCuesAndWritesItsPagesThere) {
    CTempDir program;
    CTempDir base;
    program.Write("Start1.wav", "RIFF start");
    program.Write("RightAnswer1.wav", "RIFF right");
    CRunFolder folder;
    ASSERT_TRUE(folder.Create(program.Path(), base.Path()));

    // Cues are looked for in the current folder first: use one without any.
    const CCurrentDirectory cwd(base.Path());
    CTextList noWords;
    CRunOptions options;
    options.quizPath = std::string(TORVI_TEST_DATA_DIR) + "/run/capitals.txt";
    options.ignoreWords = &noWords;
    std::istringstream in("Paris\n");
    std::ostringstream out;
    std::ostringstream err;
    RecordingPlayer player;
    EXPECT_EQ(PlayQuiz(options, in, out, err, &player, folder.GetPath(), folder.GetPath()), 0);
    EXPECT_EQ(player.plays, (std::vector<std::string>{"RIFF start", "RIFF right"}));
    EXPECT_TRUE(fs::exists(folder.GetPath() + "QuestionTemp.html"));
    EXPECT_FALSE(fs::exists(program.Path() + "/QuestionTemp.html"));
}

} // namespace

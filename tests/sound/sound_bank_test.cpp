// The sound bank: discovery of numbered cue series, sorted lookup, where cue files
// are looked for, which files count as cues, and handing cues to the player.
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sound/audio_player.h"
#include "sound/sound_bank.h"
#include "sound_test_support.h"

using namespace sound_test;

namespace {

std::vector<unsigned char> Wave(int value) {
    return ConstantWave(22050, 1, 16, 64, value);
}

std::vector<unsigned char> CueBytes(const CSoundCue* cue) {
    if (!cue || !cue->data)
        return {};
    return std::vector<unsigned char>(cue->data, cue->data + cue->length);
}

std::vector<std::string> Names(const CSoundBank& bank) {
    std::vector<std::string> names;
    for (const CSoundCue* cue : bank)
        names.emplace_back(cue->name);
    return names;
}

class CRecordingPlayer : public CAudioPlayer {
public:
    void Play(const unsigned char* data, uint32_t length) override {
        m_plays.emplace_back(data, data + length);
        m_events.push_back("play");
    }
    void Stop() override { m_events.push_back("stop"); }
    void WaitUntilDone() override { m_events.push_back("wait"); }

    std::vector<std::vector<unsigned char>> m_plays;
    std::vector<std::string> m_events;
};

// Every test works in a program folder and a current folder of its own.
class SoundBankTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_current.Path().empty());
        ASSERT_FALSE(m_program.Path().empty());
        ASSERT_TRUE(m_cwd.Changed());
    }
    std::string ProgramDir() const { return m_program.Path() + "/"; }

    CTempDir m_current;
    CTempDir m_program;
    CCurrentDirectory m_cwd{m_current.Path()};
};

TEST_F(SoundBankTest, SeriesEndsAtTheFirstMissingNumber) {
    ASSERT_TRUE(WriteFile(m_current.File("Start1.wav"), Wave(1)));
    ASSERT_TRUE(WriteFile(m_current.File("Start2.wav"), Wave(2)));
    ASSERT_TRUE(WriteFile(m_current.File("Start4.wav"), Wave(4)));
    CSoundBank bank;
    bank.DiscoverSeries("Start%d.wav", ProgramDir().c_str());
    EXPECT_EQ(Names(bank), (std::vector<std::string>{"Start1.wav", "Start2.wav"}));
    EXPECT_EQ(bank.FindCue("Start4.wav"), nullptr);
}

TEST_F(SoundBankTest, SeriesWithoutItsFirstFileIsEmpty) {
    ASSERT_TRUE(WriteFile(m_current.File("RightAnswer2.wav"), Wave(2)));
    ASSERT_TRUE(WriteFile(m_program.File("RightAnswer3.wav"), Wave(3)));
    CSoundBank bank;
    bank.DiscoverSeries("RightAnswer%d.wav", ProgramDir().c_str());
    EXPECT_EQ(bank.GetCount(), 0);
}

TEST_F(SoundBankTest, NonRiffFirstFileEmptiesTheSeriesEvenWhenTheSecondIsGood) {
    ASSERT_TRUE(WriteFile(m_current.File("RightAnswer1.wav"), std::string("ID3\x03 mp3 frames")));
    ASSERT_TRUE(WriteFile(m_current.File("RightAnswer2.wav"), Wave(2)));
    CSoundBank bank;
    bank.DiscoverSeries("RightAnswer%d.wav", ProgramDir().c_str());
    EXPECT_EQ(bank.GetCount(), 0);
}

TEST_F(SoundBankTest, FirstFileShorterThanFourBytesEmptiesTheSeries) {
    ASSERT_TRUE(WriteFile(m_current.File("RightAnswer1.wav"), std::string("RIF")));
    ASSERT_TRUE(WriteFile(m_current.File("RightAnswer2.wav"), Wave(2)));
    CSoundBank bank;
    bank.DiscoverSeries("RightAnswer%d.wav", ProgramDir().c_str());
    EXPECT_EQ(bank.GetCount(), 0);
}

TEST_F(SoundBankTest, OnlyTheFirstFourBytesDecideWhatIsAWave) {
    ASSERT_TRUE(WriteFile(m_current.File("A.wav"), std::string("RIFF")));
    ASSERT_TRUE(WriteFile(m_current.File("B.wav"), std::string("riff and more")));
    ASSERT_TRUE(WriteFile(m_current.File("C.wav"), std::string("")));
    CSoundBank bank;
    EXPECT_TRUE(bank.AddCue("A.wav", nullptr));
    EXPECT_FALSE(bank.AddCue("B.wav", nullptr));
    EXPECT_FALSE(bank.AddCue("C.wav", nullptr));
    EXPECT_EQ(bank.GetCount(), 1);
    EXPECT_EQ(bank.FindCue("A.wav")->length, 4u);
}

TEST_F(SoundBankTest, TwelveCuesSortByNameIgnoringCaseAndAreAllFound) {
    for (int n = 1; n <= 12; ++n)
        ASSERT_TRUE(WriteFile(m_program.File("RightAnswer" + std::to_string(n) + ".wav"), Wave(n)));
    CSoundBank bank;
    bank.DiscoverSeries("RightAnswer%d.wav", ProgramDir().c_str());
    EXPECT_EQ(Names(bank),
              (std::vector<std::string>{
                  "RightAnswer1.wav", "RightAnswer10.wav", "RightAnswer11.wav", "RightAnswer12.wav",
                  "RightAnswer2.wav", "RightAnswer3.wav", "RightAnswer4.wav", "RightAnswer5.wav",
                  "RightAnswer6.wav", "RightAnswer7.wav", "RightAnswer8.wav", "RightAnswer9.wav"}));
    for (int n = 1; n <= 12; ++n) {
        const std::string name = "RightAnswer" + std::to_string(n) + ".wav";
        const CSoundCue* cue = bank.FindCue(name.c_str());
        ASSERT_NE(cue, nullptr) << name;
        EXPECT_EQ(CueBytes(cue), Wave(n)) << name;
        EXPECT_EQ(bank.FindCue(("rIGHTaNSWER" + std::to_string(n) + ".WAV").c_str()), cue);
    }
    EXPECT_EQ(bank.FindCue("RightAnswer13.wav"), nullptr);
    EXPECT_EQ(bank.FindCue("RightAnswer0.wav"), nullptr);
    EXPECT_EQ(bank.FindCue(""), nullptr);
}

TEST_F(SoundBankTest, CuesAddedOutOfOrderAreKeptSortedAcrossGrowth) {
    // Letters fold to lower case: '_' (0x5F) sorts before every letter and Z after x,
    // which plain byte order would not do.
    const std::vector<std::string> added = {"m.wav", "B.wav", "_.wav", "a.wav", "Z.wav", "c.wav"};
    for (const std::string& name : added)
        ASSERT_TRUE(WriteFile(m_current.File(name), Wave(1)));
    for (int n = 0; n < 20; ++n) {
        const std::string name = "x" + std::to_string(20 - n) + ".wav";
        ASSERT_TRUE(WriteFile(m_current.File(name), Wave(1)));
    }
    CSoundBank bank;
    for (const std::string& name : added)
        EXPECT_TRUE(bank.AddCue(name.c_str(), nullptr)) << name;
    for (int n = 0; n < 20; ++n)
        EXPECT_TRUE(bank.AddCue(("x" + std::to_string(20 - n) + ".wav").c_str(), nullptr));
    ASSERT_EQ(bank.GetCount(), 26);
    EXPECT_EQ(bank.GetCapacity(), 40);
    const std::vector<std::string> names = Names(bank);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6),
              (std::vector<std::string>{"_.wav", "a.wav", "B.wav", "c.wav", "m.wav", "x1.wav"}));
    EXPECT_EQ(names.back(), "Z.wav");
    for (size_t i = 1; i < names.size(); ++i)
        EXPECT_LT(CSoundBank::CompareNames(names[i - 1].c_str(), names[i].c_str()), 0);
}

TEST_F(SoundBankTest, EachNameIsHeldOnceAndNotReadAgain) {
    ASSERT_TRUE(WriteFile(m_current.File("Start1.wav"), Wave(1)));
    CSoundBank bank;
    ASSERT_TRUE(bank.AddCue("Start1.wav", nullptr));
    ASSERT_TRUE(WriteFile(m_current.File("Start1.wav"), Wave(9)));
    EXPECT_TRUE(bank.AddCue("START1.WAV", nullptr));
    EXPECT_EQ(bank.GetCount(), 1);
    EXPECT_EQ(CueBytes(bank.FindCue("Start1.wav")), Wave(1));
}

TEST_F(SoundBankTest, FailedAddLeavesTheBankUnchanged) {
    ASSERT_TRUE(WriteFile(m_current.File("Start1.wav"), Wave(1)));
    CSoundBank bank;
    ASSERT_TRUE(bank.AddCue("Start1.wav", nullptr));
    EXPECT_FALSE(bank.AddCue("Start2.wav", ProgramDir().c_str()));
    EXPECT_FALSE(bank.AddCue(std::string(260, 'a').c_str(), nullptr));
    EXPECT_EQ(Names(bank), std::vector<std::string>{"Start1.wav"});
}

TEST_F(SoundBankTest, DiscoveryDoesNotStallOnANameAlreadyInTheBank) {
    ASSERT_TRUE(WriteFile(m_current.File("Start2.wav"), Wave(2)));
    ASSERT_TRUE(WriteFile(m_current.File("Start3.wav"), Wave(3)));
    CSoundBank bank;
    ASSERT_TRUE(bank.AddCue("Start2.wav", nullptr));
    // count + 1 names Start2.wav, which is there already; discovery goes on to 3.
    bank.DiscoverSeries("Start%d.wav", nullptr);
    EXPECT_EQ(Names(bank), (std::vector<std::string>{"Start2.wav", "Start3.wav"}));
}

TEST_F(SoundBankTest, CurrentDirectoryWinsOverProgramDirectory) {
    ASSERT_TRUE(WriteFile(m_current.File("Start1.wav"), Wave(100)));
    ASSERT_TRUE(WriteFile(m_program.File("Start1.wav"), Wave(200)));
    ASSERT_TRUE(WriteFile(m_program.File("Start2.wav"), Wave(300)));
    CSoundBank bank;
    bank.DiscoverSeries("Start%d.wav", ProgramDir().c_str());
    ASSERT_EQ(bank.GetCount(), 2);
    EXPECT_EQ(CueBytes(bank.FindCue("Start1.wav")), Wave(100));
    EXPECT_EQ(CueBytes(bank.FindCue("Start2.wav")), Wave(300));
}

TEST_F(SoundBankTest, ProgramDirectoryWorksWithoutTrailingSlash) {
    ASSERT_TRUE(WriteFile(m_program.File("Start1.wav"), Wave(5)));
    CSoundBank bank;
    ASSERT_TRUE(bank.AddCue("Start1.wav", m_program.Path().c_str()));
    EXPECT_EQ(CueBytes(bank.FindCue("Start1.wav")), Wave(5));
}

TEST_F(SoundBankTest, EmptyDirectoryMeansNoFallback) {
    ASSERT_TRUE(WriteFile(m_program.File("Start1.wav"), Wave(5)));
    CSoundBank bank;
    EXPECT_FALSE(bank.AddCue("Start1.wav", ""));
    EXPECT_FALSE(bank.AddCue("Start1.wav", nullptr));
}

TEST_F(SoundBankTest, FileNamedWithOtherLetterCaseIsFound) {
    ASSERT_TRUE(WriteFile(m_current.File("rightanswer1.WAV"), Wave(1)));
    ASSERT_TRUE(WriteFile(m_program.File("RIGHTANSWER2.wav"), Wave(2)));
    CSoundBank bank;
    bank.DiscoverSeries("RightAnswer%d.wav", ProgramDir().c_str());
    EXPECT_EQ(Names(bank), (std::vector<std::string>{"RightAnswer1.wav", "RightAnswer2.wav"}));
    EXPECT_EQ(CueBytes(bank.FindCue("RightAnswer1.wav")), Wave(1));
    EXPECT_EQ(CueBytes(bank.FindCue("RightAnswer2.wav")), Wave(2));
}

TEST_F(SoundBankTest, ExactNameWinsOverOtherLetterCaseInTheSameFolder) {
    ASSERT_TRUE(WriteFile(m_current.File("aaa.wav"), Wave(1)));
    ASSERT_TRUE(WriteFile(m_current.File("Aaa.wav"), Wave(2)));
    ASSERT_TRUE(WriteFile(m_current.File("AAA.wav"), Wave(3)));
    CSoundBank exact;
    ASSERT_TRUE(exact.AddCue("Aaa.wav", nullptr));
    EXPECT_EQ(CueBytes(exact.FindCue("Aaa.wav")), Wave(2));
    // Without an exact match the choice among the others is by byte order, not by
    // the order the folder happens to list them in.
    CSoundBank folded;
    ASSERT_TRUE(folded.AddCue("aAa.wav", nullptr));
    EXPECT_EQ(CueBytes(folded.FindCue("aAa.wav")), Wave(3));
}

TEST_F(SoundBankTest, CurrentDirectoryInOtherCaseWinsOverProgramDirectory) {
    ASSERT_TRUE(WriteFile(m_current.File("start1.wav"), Wave(1)));
    ASSERT_TRUE(WriteFile(m_program.File("Start1.wav"), Wave(2)));
    CSoundBank bank;
    ASSERT_TRUE(bank.AddCue("Start1.wav", ProgramDir().c_str()));
    EXPECT_EQ(CueBytes(bank.FindCue("Start1.wav")), Wave(1));
}

TEST_F(SoundBankTest, DirectoryNamedLikeACueIsNotACue) {
    ASSERT_EQ(mkdir(m_current.File("RightAnswer1.wav").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(m_current.File("rightanswer2.wav").c_str(), 0755), 0);
    CSoundBank bank;
    bank.DiscoverSeries("RightAnswer%d.wav", ProgramDir().c_str());
    EXPECT_EQ(bank.GetCount(), 0);

    // The search goes on past a directory to the program folder's file.
    ASSERT_TRUE(WriteFile(m_program.File("RightAnswer1.wav"), Wave(1)));
    ASSERT_TRUE(WriteFile(m_current.File("RIGHTANSWER2.WAV"), Wave(2)));
    bank.DiscoverSeries("RightAnswer%d.wav", ProgramDir().c_str());
    EXPECT_EQ(CueBytes(bank.FindCue("RightAnswer1.wav")), Wave(1));
    EXPECT_EQ(CueBytes(bank.FindCue("RightAnswer2.wav")), Wave(2));
}

TEST_F(SoundBankTest, NamedPipeIsNotACueAndDoesNotBlock) {
    ASSERT_EQ(mkfifo(m_current.File("Start1.wav").c_str(), 0644), 0);
    CSoundBank bank;
    EXPECT_FALSE(bank.AddCue("Start1.wav", nullptr));
    EXPECT_EQ(bank.GetCount(), 0);
}

TEST_F(SoundBankTest, LargeSparseFileIsReadWholeUpToTheLimitOrRejected) {
    const off_t limit = CSoundBank::kMaxCueBytes;
    ASSERT_EQ(limit, 16 * 1024 * 1024);
    // A 200 MB file of zeros is not a WAV file.
    ASSERT_TRUE(WriteFile(m_current.File("Start1.wav"), std::string()));
    ASSERT_EQ(truncate(m_current.File("Start1.wav").c_str(), 200 * 1024 * 1024), 0);
    CSoundBank bank;
    EXPECT_FALSE(bank.AddCue("Start1.wav", nullptr));

    // One that begins with "RIFF" is held whole, byte for byte as long as the
    // file, up to the limit.
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(WriteFile(m_current.File("RightAnswer" + std::to_string(n) + ".wav"), Wave(n)));
    ASSERT_EQ(truncate(m_current.File("RightAnswer1.wav").c_str(), limit), 0);
    // One byte more and it is not read at all: the series ends there.
    const int fd = open(m_current.File("RightAnswer2.wav").c_str(), O_WRONLY);
    ASSERT_EQ(ftruncate(fd, limit + 1), 0);
    close(fd);
    bank.DiscoverSeries("RightAnswer%d.wav", ProgramDir().c_str());
    ASSERT_EQ(Names(bank), std::vector<std::string>{"RightAnswer1.wav"});
    const CSoundCue* cue = bank.FindCue("RightAnswer1.wav");
    ASSERT_EQ(cue->length, static_cast<uint32_t>(limit));
    const std::vector<unsigned char> head = Wave(1);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), cue->data));
    EXPECT_EQ(cue->data[limit - 1], 0);
}

TEST_F(SoundBankTest, PlayCueHandsTheCueBytesToThePlayer) {
    ASSERT_TRUE(WriteFile(m_current.File("WrongAnswer1.wav"), Wave(11)));
    ASSERT_TRUE(WriteFile(m_current.File("WrongAnswer2.wav"), Wave(22)));
    CRecordingPlayer player;
    CSoundBank bank(&player);
    bank.DiscoverSeries("WrongAnswer%d.wav", nullptr);
    ASSERT_EQ(bank.GetCount(), 2);

    bank.PlayCue("WrongAnswer2.wav", true);
    bank.PlayCue("WrongAnswer1.wav", true);
    ASSERT_EQ(player.m_plays.size(), 2u);
    EXPECT_EQ(player.m_plays[0], Wave(22));
    EXPECT_EQ(player.m_plays[1], Wave(11));
    EXPECT_EQ(player.m_events, (std::vector<std::string>{"play", "play"}));
}

TEST_F(SoundBankTest, SynchronousPlayCueWaitsForThePlayer) {
    ASSERT_TRUE(WriteFile(m_current.File("Start1.wav"), Wave(3)));
    CRecordingPlayer player;
    CSoundBank bank(&player);
    ASSERT_TRUE(bank.AddCue("Start1.wav", nullptr));
    bank.PlayCue("Start1.wav", false);
    EXPECT_EQ(player.m_events, (std::vector<std::string>{"play", "wait"}));
}

TEST_F(SoundBankTest, PlayCueOfAnUnknownNameDoesNothing) {
    ASSERT_TRUE(WriteFile(m_current.File("Start1.wav"), Wave(3)));
    CRecordingPlayer player;
    CSoundBank bank(&player);
    ASSERT_TRUE(bank.AddCue("Start1.wav", nullptr));
    bank.PlayCue("Start2.wav", true);
    bank.PlayCue(nullptr, true);
    EXPECT_TRUE(player.m_events.empty());

    CSoundBank silent;
    ASSERT_TRUE(silent.AddCue("Start1.wav", nullptr));
    silent.PlayCue("Start1.wav", true); // no player: nothing to reach
    silent.SetPlayer(&player);
    silent.PlayCue("Start1.wav", true);
    EXPECT_EQ(player.m_plays.size(), 1u);
}

} // namespace

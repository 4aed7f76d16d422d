// Real playing through SDL2: samples of a played cue reach the device, a new cue
// cuts off the one playing, and input that cannot be played stays silent and safe.
// SDL's "disk" driver stands in for a sound card and writes what it plays to a file.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sound/sdl_audio_player.h"
#include "sound/sound_bank.h"
#include "sound_test_support.h"

using namespace sound_test;

namespace {

constexpr int kRate = CSdlAudioPlayer::kFrequency;
constexpr int kChannels = CSdlAudioPlayer::kChannels;

// A cue already in the device's own format, so its samples arrive unchanged.
std::vector<unsigned char> DeviceWave(uint32_t frames, int value) {
    return ConstantWave(kRate, kChannels, 16, frames, value);
}

void Play(CSdlAudioPlayer& player, const std::vector<unsigned char>& image) {
    player.Play(image.data(), static_cast<uint32_t>(image.size()));
}

bool AllSilent(const std::vector<int16_t>& samples) {
    for (int16_t s : samples) {
        if (s != 0)
            return false;
    }
    return true;
}

// Frames whose every channel is within tolerance of value.
size_t FramesNear(const std::vector<int16_t>& samples, int value, int tolerance) {
    size_t frames = 0;
    for (size_t i = 0; i + kChannels <= samples.size(); i += kChannels) {
        bool near = true;
        for (int c = 0; c < kChannels; ++c)
            near = near && std::abs(samples[i + c] - value) <= tolerance;
        frames += near ? 1 : 0;
    }
    return frames;
}

class SdlAudioPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_dir.Path().empty()); }

    CTempDir m_dir;
    CDiskAudio m_audio{m_dir};
};

TEST_F(SdlAudioPlayerTest, DeviceOpensOnTheFirstPlayNotBefore) {
    CSdlAudioPlayer player;
    Pause(100);
    EXPECT_FALSE(player.HasDevice());
    EXPECT_FALSE(m_audio.FileExists());
    Play(player, DeviceWave(441, 500));
    EXPECT_TRUE(player.HasDevice());
    EXPECT_TRUE(m_audio.FileExists());
}

TEST_F(SdlAudioPlayerTest, PlayedCueSamplesReachTheDeviceOnce) {
    CSdlAudioPlayer player;
    const size_t frames = kRate / 10;
    Play(player, DeviceWave(frames, 1234));
    ASSERT_TRUE(WaitUntil([&] { return m_audio.Count(1234) >= frames * kChannels; }));
    Pause(150);
    const std::vector<int16_t> samples = m_audio.Samples();
    size_t cue = 0;
    size_t other = 0;
    for (int16_t s : samples) {
        cue += s == 1234 ? 1 : 0;
        other += (s != 1234 && s != 0) ? 1 : 0;
    }
    EXPECT_EQ(cue, frames * kChannels);
    EXPECT_EQ(other, 0u);
}

TEST_F(SdlAudioPlayerTest, CueInAnotherFormatIsConvertedToTheDevice) {
    CSdlAudioPlayer player;
    // 0.2 s of 22050 Hz mono becomes about 0.2 s of the device's rate on both channels.
    const std::vector<unsigned char> image = ConstantWave(22050, 1, 16, 4410, 3000);
    Play(player, image);
    const size_t expected = kRate / 5;
    ASSERT_TRUE(
        WaitUntil([&] { return FramesNear(m_audio.Samples(), 3000, 60) >= expected * 9 / 10; }));
    Pause(150);
    EXPECT_LE(FramesNear(m_audio.Samples(), 3000, 60), expected * 11 / 10);
}

TEST_F(SdlAudioPlayerTest, EightBitCueIsConverted) {
    CSdlAudioPlayer player;
    // Unsigned 8-bit 192 lies a quarter of full scale above the middle.
    const std::vector<unsigned char> image = ConstantWave(11025, 1, 8, 2205, 192);
    Play(player, image);
    const size_t expected = kRate / 5;
    EXPECT_TRUE(
        WaitUntil([&] { return FramesNear(m_audio.Samples(), 16384, 400) >= expected * 9 / 10; }));
}

TEST_F(SdlAudioPlayerTest, NewCueCutsOffTheOneStillPlaying) {
    CSdlAudioPlayer player;
    const size_t longFrames = kRate * 3;
    const size_t shortFrames = kRate / 10;
    const std::vector<unsigned char> first = DeviceWave(longFrames, 1111);
    const std::vector<unsigned char> second = DeviceWave(shortFrames, 2222);
    Play(player, first);
    ASSERT_TRUE(WaitUntil([&] { return m_audio.Count(1111) >= 4096; }));
    Play(player, second);
    ASSERT_TRUE(WaitUntil([&] { return m_audio.Count(2222) >= shortFrames * kChannels; }));
    Pause(300);

    const std::vector<int16_t> samples = m_audio.Samples();
    size_t firstCount = 0;
    size_t secondStart = samples.size();
    size_t lastLoud = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] == 1111)
            ++firstCount;
        if (samples[i] == 2222 && secondStart == samples.size())
            secondStart = i;
        if (samples[i] != 0)
            lastLoud = i;
    }
    EXPECT_LT(firstCount, longFrames * kChannels / 2);
    ASSERT_LT(secondStart, samples.size());
    for (size_t i = secondStart; i < samples.size(); ++i)
        ASSERT_NE(samples[i], 1111) << "the first cue went on at sample " << i;
    EXPECT_EQ(samples[lastLoud], 2222);
}

TEST_F(SdlAudioPlayerTest, StopSilencesThePlayingCue) {
    CSdlAudioPlayer player;
    const size_t frames = kRate * 3;
    Play(player, DeviceWave(frames, 777));
    ASSERT_TRUE(WaitUntil([&] { return m_audio.Count(777) >= 4096; }));
    player.Stop();
    Pause(150);
    const size_t afterStop = m_audio.Count(777);
    Pause(300);
    EXPECT_EQ(m_audio.Count(777), afterStop);
    EXPECT_LT(afterStop, frames * kChannels / 2);
}

TEST_F(SdlAudioPlayerTest, WaitForEndsWithTheCueOrWhenTheTimeIsUp) {
    CSdlAudioPlayer player;
    // Nothing played yet: nothing to wait for.
    EXPECT_TRUE(player.WaitFor(1000));

    const size_t longFrames = kRate * 3;
    Play(player, DeviceWave(longFrames, 1111));
    EXPECT_FALSE(player.WaitFor(100));
    EXPECT_LT(m_audio.Count(1111), longFrames * kChannels / 2);
    player.Stop();
    EXPECT_TRUE(player.WaitFor(1000));

    // A short cue has been taken in whole by the device when the wait ends,
    // which takes about as long as the cue.
    const size_t shortFrames = kRate / 5;
    Play(player, DeviceWave(shortFrames, 2222));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(player.WaitFor(3000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_TRUE(WaitUntil([&] { return m_audio.Count(2222) == shortFrames * kChannels; },
                          std::chrono::milliseconds(200)));
}

TEST_F(SdlAudioPlayerTest, UndecodableCuesAreSilentAndThePlayerGoesOn) {
    CSdlAudioPlayer player;
    std::vector<unsigned char> garbage = {'R', 'I', 'F', 'F'};
    for (int i = 0; i < 4000; ++i)
        garbage.push_back(static_cast<unsigned char>(i * 37 + 11));
    const std::vector<unsigned char> good = DeviceWave(kRate / 10, 4321);
    const std::vector<unsigned char> cutHeader(good.begin(), good.begin() + 30);
    const std::vector<unsigned char> empty;

    Play(player, garbage);
    Play(player, cutHeader);
    Play(player, empty);
    player.Play(nullptr, 0);
    player.Play(reinterpret_cast<const unsigned char*>("RIF"), 3);
    Pause(200);
    EXPECT_TRUE(player.HasDevice());
    EXPECT_TRUE(AllSilent(m_audio.Samples()));

    Play(player, good);
    EXPECT_TRUE(WaitUntil([&] { return m_audio.Count(4321) == kRate / 10 * kChannels; }));
}

TEST_F(SdlAudioPlayerTest, TruncatedDataPlaysWhatIsThere) {
    CSdlAudioPlayer player;
    // The header promises a second of sound; only 1000 frames and half a frame follow.
    std::vector<unsigned char> image = DeviceWave(kRate, 999);
    image.resize(44 + 1000 * kChannels * 2 + 2);
    Play(player, image);
    ASSERT_TRUE(WaitUntil([&] { return m_audio.Count(999) >= 1000u * kChannels; }));
    Pause(200);
    EXPECT_EQ(m_audio.Count(999), 1000u * kChannels);

    Play(player, DeviceWave(kRate / 20, 555));
    EXPECT_TRUE(WaitUntil([&] { return m_audio.Count(555) == kRate / 20 * kChannels; }));
}

TEST_F(SdlAudioPlayerTest, LargestCueFromTheBankPlaysWithoutStalling) {
    // A sparse WAV file as large as the bank takes: one second of sound, then
    // zeros to the end.
    const uint32_t size = CSoundBank::kMaxCueBytes;
    std::vector<unsigned char> image = WaveHeader(kRate, kChannels, 16, size - 44);
    const std::vector<unsigned char> second = DeviceWave(kRate, 1357);
    image.insert(image.end(), second.begin() + 44, second.end());
    const std::string path = m_dir.File("RightAnswer1.wav");
    ASSERT_TRUE(WriteFile(path, image));
    ASSERT_EQ(truncate(path.c_str(), size), 0);

    CSdlAudioPlayer player;
    CSoundBank bank(&player);
    bank.DiscoverSeries("RightAnswer%d.wav", (m_dir.Path() + "/").c_str());
    ASSERT_EQ(bank.GetCount(), 1);
    bank.PlayCue("RightAnswer1.wav", true);
    EXPECT_TRUE(WaitUntil([&] { return m_audio.Count(1357) >= 8192; }));
    player.Stop();
}

TEST_F(SdlAudioPlayerTest, DestroyingAPlayingPlayerIsSafeAndANewOneWorks) {
    {
        CSdlAudioPlayer player;
        Play(player, DeviceWave(kRate * 2, 2468));
        Pause(50);
    }
    // The audio system was shut down with the last player; the next one starts it again.
    std::filesystem::remove(m_audio.FilePath());
    CSdlAudioPlayer player;
    Play(player, DeviceWave(kRate / 20, 1357));
    EXPECT_TRUE(WaitUntil([&] { return m_audio.Count(1357) == kRate / 20 * kChannels; }));
    EXPECT_EQ(m_audio.Count(2468), 0u);
}

TEST(SdlAudioPlayerWithoutDevice, UnknownDriverLeavesCuesSilent) {
    CEnvironment driver("SDL_AUDIODRIVER", "no-such-driver");
    CSdlAudioPlayer player;
    const std::vector<unsigned char> image = DeviceWave(kRate / 10, 1000);
    Play(player, image);
    Play(player, image);
    player.WaitUntilDone();
    player.Stop();
    EXPECT_FALSE(player.HasDevice());
}

TEST(SdlAudioPlayerWithoutDevice, FailingToOpenTheSoundCardWritesNothing) {
    // Where ALSA finds no card it would otherwise complain on stderr; where it finds
    // one, the cue plays and there is nothing to say either.
    CTempDir dir;
    CEnvironment driver("SDL_AUDIODRIVER", "alsa");
    const std::string log = dir.File("stderr.txt");
    std::fflush(stderr);
    const int saved = dup(2);
    ASSERT_GE(saved, 0);
    FILE* capture = std::fopen(log.c_str(), "w");
    ASSERT_NE(capture, nullptr);
    dup2(fileno(capture), 2);
    {
        CSdlAudioPlayer player;
        Play(player, DeviceWave(kRate / 100, 1000));
        player.Stop();
    }
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::fclose(capture);
    EXPECT_TRUE(ReadFile(log).empty()) << std::string(ReadFile(log).begin(), ReadFile(log).end());
}

TEST(SdlAudioPlayerWithoutDevice, DeviceThatCannotOpenLeavesCuesSilent) {
    CTempDir dir;
    CEnvironment driver("SDL_AUDIODRIVER", "disk");
    CEnvironment file("SDL_DISKAUDIOFILE", dir.File("missing/folder/audio.raw").c_str());
    CSdlAudioPlayer player;
    Play(player, DeviceWave(kRate / 10, 1000));
    player.Stop();
    EXPECT_FALSE(player.HasDevice());
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

} // namespace

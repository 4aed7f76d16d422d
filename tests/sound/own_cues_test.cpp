// The cues that ship with the program: each series is complete from 1, every cue is
// a short, small PCM WAV file that starts and ends quietly, and it plays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound/sdl_audio_player.h"
#include "sound/sound_bank.h"
#include "sound_test_support.h"

using namespace sound_test;

namespace {

const std::string kSoundsDir = std::string(TORVI_RES_DIR) + "/sounds/";

uint32_t Le(const unsigned char* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

struct CPcmWave {
    bool valid = false;
    uint32_t rate = 0;
    uint32_t channels = 0;
    uint32_t bits = 0;
    std::vector<int16_t> samples;
};

// Walks the chunks of a 16-bit PCM WAV image.
CPcmWave ParseWave(const CSoundCue& cue) {
    CPcmWave wave;
    const unsigned char* p = cue.data;
    if (cue.length < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return wave;
    bool haveFormat = false;
    for (uint32_t at = 12; at + 8 <= cue.length;) {
        const uint32_t size = Le(p + at + 4, 4);
        if (at + 8 + size > cue.length)
            return wave;
        if (std::memcmp(p + at, "fmt ", 4) == 0 && size >= 16) {
            haveFormat = Le(p + at + 8, 2) == 1;
            wave.channels = Le(p + at + 10, 2);
            wave.rate = Le(p + at + 12, 4);
            wave.bits = Le(p + at + 22, 2);
        } else if (std::memcmp(p + at, "data", 4) == 0 && haveFormat && wave.bits == 16) {
            for (uint32_t i = 0; i + 1 < size; i += 2)
                wave.samples.push_back(static_cast<int16_t>(Le(p + at + 8 + i, 2)));
            wave.valid = true;
        }
        at += 8 + size + (size & 1);
    }
    return wave;
}

int Peak(const std::vector<int16_t>& samples, size_t first, size_t count) {
    int peak = 0;
    for (size_t i = first; i < first + count && i < samples.size(); ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak;
}

class OwnCuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_cwdDir.Path().empty());
        ASSERT_TRUE(m_cwd.Changed());
    }
    CTempDir m_cwdDir;
    CCurrentDirectory m_cwd{m_cwdDir.Path()};
};

TEST_F(OwnCuesTest, EverySeriesIsFoundInTheSoundsFolder) {
    CSoundBank right, wrong, start;
    right.DiscoverSeries("RightAnswer%d.wav", kSoundsDir.c_str());
    wrong.DiscoverSeries("WrongAnswer%d.wav", kSoundsDir.c_str());
    start.DiscoverSeries("Start%d.wav", kSoundsDir.c_str());
    EXPECT_EQ(right.GetCount(), 3);
    EXPECT_EQ(wrong.GetCount(), 2);
    EXPECT_EQ(start.GetCount(), 1);
}

TEST_F(OwnCuesTest, EachCueIsShortSmallAndFadesInAndOut) {
    for (const char* format : {"RightAnswer%d.wav", "WrongAnswer%d.wav", "Start%d.wav"}) {
        CSoundBank bank;
        bank.DiscoverSeries(format, kSoundsDir.c_str());
        ASSERT_GT(bank.GetCount(), 0) << format;
        for (const CSoundCue* cue : bank) {
            SCOPED_TRACE(cue->name);
            EXPECT_LT(cue->length, 60u * 1024);
            const CPcmWave wave = ParseWave(*cue);
            ASSERT_TRUE(wave.valid);
            ASSERT_EQ(wave.channels, 1u);
            const double seconds = static_cast<double>(wave.samples.size()) / wave.rate;
            EXPECT_LT(seconds, 0.6);
            EXPECT_GT(seconds, 0.1);
            // Soft: well below full scale, no click at either end.
            const int peak = Peak(wave.samples, 0, wave.samples.size());
            EXPECT_GT(peak, 3000);
            EXPECT_LT(peak, 24000);
            EXPECT_LT(Peak(wave.samples, 0, 8), peak / 8);
            EXPECT_LT(Peak(wave.samples, wave.samples.size() - 8, 8), peak / 8);
        }
    }
}

TEST_F(OwnCuesTest, RightAnswerCuePlaysThroughTheDevice) {
    CDiskAudio audio(m_cwdDir);
    CSdlAudioPlayer player;
    CSoundBank bank(&player);
    bank.DiscoverSeries("RightAnswer%d.wav", kSoundsDir.c_str());
    ASSERT_EQ(bank.GetCount(), 3);
    bank.PlayCue("RightAnswer1.wav", true);
    // At least a tenth of a second of clearly audible sound reaches the device.
    EXPECT_TRUE(WaitUntil([&] {
        size_t loud = 0;
        for (int16_t s : audio.Samples())
            loud += std::abs(static_cast<int>(s)) > 1000 ? 1 : 0;
        return loud > static_cast<size_t>(CSdlAudioPlayer::kFrequency / 10);
    }));
}

} // namespace

// Helpers shared by the sound tests: temporary folders, WAV images, files.
#pragma once

#include "support/temp_dir.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace sound_test {

using ::CCurrentDirectory;
using ::CTempDir;

// Sets an environment variable until the guard goes out of scope.
class CEnvironment {
public:
    CEnvironment(const char* name, const char* value) : m_strName(name) {
        if (const char* old = std::getenv(name)) {
            m_bHadValue = true;
            m_strOld = old;
        }
        setenv(name, value, 1);
    }
    ~CEnvironment() {
        if (m_bHadValue)
            setenv(m_strName.c_str(), m_strOld.c_str(), 1);
        else
            unsetenv(m_strName.c_str());
    }
    CEnvironment(const CEnvironment&) = delete;
    CEnvironment& operator=(const CEnvironment&) = delete;

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHadValue = false;
};

inline void PutLe(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// The 44-byte header of a PCM WAV image whose data chunk claims dataBytes.
inline std::vector<unsigned char> WaveHeader(int frequency, int channels, int bits,
                                             uint32_t dataBytes) {
    std::vector<unsigned char> out;
    const uint32_t blockAlign = static_cast<uint32_t>(channels * bits / 8);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLe(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(out, 16, 4);
    PutLe(out, 1, 2); // PCM
    PutLe(out, static_cast<uint32_t>(channels), 2);
    PutLe(out, static_cast<uint32_t>(frequency), 4);
    PutLe(out, static_cast<uint32_t>(frequency) * blockAlign, 4);
    PutLe(out, blockAlign, 2);
    PutLe(out, static_cast<uint32_t>(bits), 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe(out, dataBytes, 4);
    return out;
}

// A whole PCM WAV image whose every sample is value: signed for 16 bits, unsigned for 8.
inline std::vector<unsigned char> ConstantWave(int frequency, int channels, int bits,
                                               uint32_t frames, int value) {
    const uint32_t sampleCount = frames * static_cast<uint32_t>(channels);
    std::vector<unsigned char> out =
        WaveHeader(frequency, channels, bits, sampleCount * static_cast<uint32_t>(bits / 8));
    for (uint32_t i = 0; i < sampleCount; ++i)
        PutLe(out, static_cast<uint32_t>(value), bits / 8);
    return out;
}

inline bool WriteFile(const std::string& path, const void* bytes, size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    return static_cast<bool>(file);
}

inline bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    return WriteFile(path, bytes.data(), bytes.size());
}

inline bool WriteFile(const std::string& path, const std::string& text) {
    return WriteFile(path, text.data(), text.size());
}

inline std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}

} // namespace sound_test

#include <chrono>
#include <functional>
#include <thread>

namespace sound_test {

// Sends SDL's audio to a raw file through its "disk" driver for as long as it lives.
// The player reads these settings when it first opens its device, so the guard must
// be made before the player's first Play. The file holds signed 16-bit little-endian
// samples of the device's channels, silence included, written in real time.
class CDiskAudio {
public:
    explicit CDiskAudio(const CTempDir& dir)
        : m_strFile(dir.File("audio.raw")), m_driver("SDL_AUDIODRIVER", "disk"),
          m_file("SDL_DISKAUDIOFILE", m_strFile.c_str()), m_delay("SDL_DISKAUDIODELAY", "") {
        unsetenv("SDL_DISKAUDIODELAY"); // real time, so that a cue can be cut off
    }

    const std::string& FilePath() const { return m_strFile; }
    bool FileExists() const { return std::filesystem::exists(m_strFile); }

    std::vector<int16_t> Samples() const {
        const std::vector<unsigned char> bytes = ReadFile(m_strFile);
        std::vector<int16_t> samples(bytes.size() / 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        return samples;
    }

    size_t Count(int16_t value) const {
        size_t n = 0;
        for (int16_t s : Samples())
            n += s == value ? 1 : 0;
        return n;
    }

private:
    std::string m_strFile;
    CEnvironment m_driver;
    CEnvironment m_file;
    CEnvironment m_delay;
};

// Polls until done() holds or the time is up; true when it held.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline void Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace sound_test

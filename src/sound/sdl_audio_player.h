// CSdlAudioPlayer: plays in-memory WAV images through an SDL2 audio device.
#pragma once

#include <cstdint>

#include "sound/audio_player.h"

// The device is opened on the first Play, not before, so that starting the program
// never waits for the sound system. When no device can be opened every cue is silent.
// Play copies the decoded samples into the device's queue, so the caller's image is
// not read after Play returns.
class CSdlAudioPlayer : public CAudioPlayer {
public:
    // The format asked of the device; the device may choose another, and cues are
    // converted to whatever it chose.
    static constexpr int kFrequency = 44100;
    static constexpr int kChannels = 2;
    // The decoder sees at most the first kMaxImageBytes of an image, and at most
    // kMaxCueSeconds of what it decodes are played. A huge file thus plays its
    // beginning without stalling the window while all of it is copied and converted.
    static constexpr uint32_t kMaxImageBytes = 16u * 1024 * 1024;
    static constexpr int kMaxCueSeconds = 60;

    CSdlAudioPlayer() = default;
    ~CSdlAudioPlayer() override;
    CSdlAudioPlayer(const CSdlAudioPlayer&) = delete;
    CSdlAudioPlayer& operator=(const CSdlAudioPlayer&) = delete;

    void Play(const unsigned char* data, uint32_t length) override;
    void Stop() override;
    void WaitUntilDone() override;
    bool WaitFor(uint32_t milliseconds) override;

    // True once a device has been opened.
    bool HasDevice() const { return m_nDevice != 0; }

private:
    bool OpenDevice();
    void Queue(const unsigned char* samples, uint32_t length, uint16_t format, uint8_t channels,
               int frequency);

    bool m_bTriedDevice = false;
    bool m_bAudioInitialised = false;
    uint32_t m_nDevice = 0;
    int m_nFrequency = 0;
    uint16_t m_nFormat = 0;
    uint8_t m_nChannels = 0;
    uint16_t m_nBufferFrames = 0;
};

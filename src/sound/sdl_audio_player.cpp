#include "sound/sdl_audio_player.h"

#include <SDL.h>
#include <climits>

CSdlAudioPlayer::~CSdlAudioPlayer() {
    if (m_nDevice != 0) {
        SDL_ClearQueuedAudio(m_nDevice);
        SDL_CloseAudioDevice(m_nDevice);
        m_nDevice = 0;
    }
    if (m_bAudioInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool CSdlAudioPlayer::OpenDevice() {
    if (m_bTriedDevice)
        return m_nDevice != 0;
    m_bTriedDevice = true;

    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_bAudioInitialised = true;

    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = kFrequency;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kChannels;
    wanted.samples = 1024;
    wanted.callback = nullptr; // queued playing
    SDL_AudioSpec obtained;
    SDL_zero(obtained);
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE |
                                SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device == 0)
        return false;
    m_nDevice = device;
    m_nFrequency = obtained.freq;
    m_nFormat = obtained.format;
    m_nChannels = obtained.channels;
    m_nBufferFrames = obtained.samples;
    SDL_PauseAudioDevice(m_nDevice, 0);
    return true;
}

void CSdlAudioPlayer::Play(const unsigned char* data, uint32_t length) {
    if (!OpenDevice())
        return;
    // A new cue ends the one still playing, even when the new one turns out silent.
    SDL_ClearQueuedAudio(m_nDevice);
    if (!data || length < 4 || length > static_cast<uint32_t>(INT_MAX))
        return;

    SDL_RWops* source = SDL_RWFromConstMem(data, static_cast<int>(length));
    if (!source)
        return;
    SDL_AudioSpec spec;
    SDL_zero(spec);
    Uint8* samples = nullptr;
    Uint32 sampleBytes = 0;
    if (!SDL_LoadWAV_RW(source, 1, &spec, &samples, &sampleBytes))
        return; // not a WAV image SDL can decode: silence
    Queue(samples, sampleBytes, spec.format, spec.channels, spec.freq);
    SDL_FreeWAV(samples);
}

void CSdlAudioPlayer::Queue(const unsigned char* samples, uint32_t length, uint16_t format,
                            uint8_t channels, int frequency) {
    const uint32_t frameBytes = SDL_AUDIO_BITSIZE(format) / 8 * channels;
    if (frameBytes == 0 || frequency <= 0)
        return;
    const uint64_t maxBytes = static_cast<uint64_t>(frequency) * frameBytes * kMaxCueSeconds;
    uint64_t usable = length < maxBytes ? length : maxBytes;
    usable -= usable % frameBytes;
    if (usable == 0 || usable > static_cast<uint64_t>(INT_MAX))
        return;

    if (format == m_nFormat && channels == m_nChannels && frequency == m_nFrequency) {
        SDL_QueueAudio(m_nDevice, samples, static_cast<Uint32>(usable));
        return;
    }

    SDL_AudioStream* stream =
        SDL_NewAudioStream(format, channels, frequency, m_nFormat, m_nChannels, m_nFrequency);
    if (!stream)
        return;
    if (SDL_AudioStreamPut(stream, samples, static_cast<int>(usable)) == 0 &&
        SDL_AudioStreamFlush(stream) == 0) {
        const int available = SDL_AudioStreamAvailable(stream);
        if (available > 0) {
            Uint8* converted = static_cast<Uint8*>(SDL_malloc(static_cast<size_t>(available)));
            if (converted) {
                const int got = SDL_AudioStreamGet(stream, converted, available);
                if (got > 0)
                    SDL_QueueAudio(m_nDevice, converted, static_cast<Uint32>(got));
                SDL_free(converted);
            }
        }
    }
    SDL_FreeAudioStream(stream);
}

void CSdlAudioPlayer::Stop() {
    if (m_nDevice != 0)
        SDL_ClearQueuedAudio(m_nDevice);
}

void CSdlAudioPlayer::WaitUntilDone() {
    if (m_nDevice == 0)
        return;
    const uint32_t frameBytes = SDL_AUDIO_BITSIZE(m_nFormat) / 8 * m_nChannels;
    const uint64_t bytesPerSecond = static_cast<uint64_t>(m_nFrequency) * frameBytes;
    if (bytesPerSecond == 0)
        return;
    // The queue only shrinks while we wait; the deadline guards against a device
    // that has stalled.
    const uint64_t queuedMs = SDL_GetQueuedAudioSize(m_nDevice) * 1000ULL / bytesPerSecond;
    const uint64_t deadline = SDL_GetTicks64() + queuedMs + 2000;
    while (SDL_GetQueuedAudioSize(m_nDevice) > 0 && SDL_GetTicks64() < deadline &&
           SDL_GetAudioDeviceStatus(m_nDevice) == SDL_AUDIO_PLAYING)
        SDL_Delay(5);
    // The device's own buffer still holds the cue's last samples.
    if (m_nFrequency > 0)
        SDL_Delay(static_cast<Uint32>(m_nBufferFrames * 1000ULL / m_nFrequency + 1));
}

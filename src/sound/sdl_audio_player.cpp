#include "sound/sdl_audio_player.h"

#include <SDL.h>
#include <climits>
#include <dlfcn.h>

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card, ALSA writes its failed attempts to open one onto stderr.
// A missing device only means silent cues, so its library gets a handler that
// says nothing. SDL loads the same library, so the handler is the one it meets.
void QuietenAlsa() {
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!alsa)
        return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(IgnoreAlsaError);
    // The library stays loaded for the rest of the run, so the handler stays in place.
}

} // namespace

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
    // A data chunk cut short (by the image size limit, or in the file) still plays;
    // only its incomplete last frame is dropped.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "dropframe");

    // SDL would otherwise take SIGINT and SIGTERM for an event queue nobody reads,
    // and the program would no longer end when asked to.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

    QuietenAlsa();
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
    if (!data || length < 4)
        return;

    const uint32_t seen = length < kMaxImageBytes ? length : kMaxImageBytes;
    SDL_RWops* source = SDL_RWFromConstMem(data, static_cast<int>(seen));
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

    // SDL_AudioCVT rather than SDL_AudioStream: the stream's flush leaves the last
    // few hundred frames of a resampled cue behind.
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, format, channels, frequency, m_nFormat, m_nChannels, m_nFrequency) <
        0)
        return;
    const uint64_t bufferBytes = usable * static_cast<uint64_t>(cvt.len_mult);
    if (bufferBytes > static_cast<uint64_t>(INT_MAX))
        return;
    Uint8* buffer = static_cast<Uint8*>(SDL_malloc(static_cast<size_t>(bufferBytes)));
    if (!buffer)
        return;
    SDL_memcpy(buffer, samples, static_cast<size_t>(usable));
    cvt.buf = buffer;
    cvt.len = static_cast<int>(usable);
    if (SDL_ConvertAudio(&cvt) == 0 && cvt.len_cvt > 0)
        SDL_QueueAudio(m_nDevice, buffer, static_cast<Uint32>(cvt.len_cvt));
    SDL_free(buffer);
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

bool CSdlAudioPlayer::WaitFor(uint32_t milliseconds) {
    if (m_nDevice == 0)
        return true;
    const uint64_t deadline = SDL_GetTicks64() + milliseconds;
    // A paused or stalled device drains nothing: nothing more will be heard.
    while (SDL_GetQueuedAudioSize(m_nDevice) > 0 &&
           SDL_GetAudioDeviceStatus(m_nDevice) == SDL_AUDIO_PLAYING) {
        if (SDL_GetTicks64() >= deadline)
            return false;
        SDL_Delay(5);
    }
    // The device's own buffer still holds the cue's last samples; that wait is
    // kept within the time given too.
    if (m_nFrequency > 0) {
        const uint64_t tail = m_nBufferFrames * 1000ULL / m_nFrequency + 1;
        const uint64_t now = SDL_GetTicks64();
        const uint64_t left = deadline > now ? deadline - now : 0;
        SDL_Delay(static_cast<Uint32>(tail < left ? tail : left));
    }
    return true;
}

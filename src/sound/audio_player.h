// The small audio-player interface the sound banks play through.
#pragma once

#include <cstdint>

class CAudioPlayer {
public:
    virtual ~CAudioPlayer() = default;
    // Starts playing a whole RIFF WAVE image and returns at once; a cue still
    // playing is cut off. The data must stay valid until Stop or the next Play.
    virtual void Play(const unsigned char* data, uint32_t length) = 0;
    // Silences the player; after it returns no data of an earlier Play is read.
    virtual void Stop() = 0;
    // Returns once the cue started last has finished; players that cannot tell
    // return at once.
    virtual void WaitUntilDone() {}
    // Waits at most the given time for the cue started last to finish; true
    // once nothing plays any more. Players that cannot tell return true at once.
    // A caller that must stay responsive waits in short slices.
    virtual bool WaitFor(uint32_t /*milliseconds*/) { return true; }
};

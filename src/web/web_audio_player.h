// CWebAudioPlayer: plays the sound cues through the browser's audio element.
#pragma once

#include "sound/audio_player.h"

class CWebAudioPlayer : public CAudioPlayer {
public:
    void Play(const unsigned char* data, uint32_t length) override;
    void Stop() override;
};

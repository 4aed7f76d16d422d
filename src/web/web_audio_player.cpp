#include "web/web_audio_player.h"

#include "web/dom_bridge.h"

// The script copies the cue before Play returns, so the bank's memory is
// never read later.
void CWebAudioPlayer::Play(const unsigned char* data, uint32_t length) {
    torvi_dom_play(data, length);
}

void CWebAudioPlayer::Stop() {
    torvi_dom_stop();
}

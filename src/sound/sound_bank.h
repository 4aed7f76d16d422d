// CSoundCue and CSoundBank: WAV cues held in memory, one bank per kind.
#pragma once

#include <cstdint>

#include "quiz/item_list.h"

class CAudioPlayer;

class CSoundCue {
public:
    CSoundCue() = default;
    CSoundCue(const CSoundCue&) = delete;
    CSoundCue& operator=(const CSoundCue&) = delete;
    ~CSoundCue();

    char name[260] = {};
    char* directory = nullptr;
    unsigned char* data = nullptr;
    uint32_t length = 0;
};

class CSoundBank : public CItemList<CSoundCue> {
public:
    // Cues play through player; a null player keeps the bank silent.
    explicit CSoundBank(CAudioPlayer* player = nullptr) : m_pPlayer(player) {}

    bool AddCue(const char* name, const char* directory);
    CSoundCue* FindCue(const char* name) const;
    void PlayCue(const char* name, bool async);
    void SetPlayer(CAudioPlayer* player) { m_pPlayer = player; }

    static void ReadWholeFile(const char* name, const char* directory, unsigned char*& data,
                              uint32_t& length);
    static bool IsWave(const CSoundCue& cue);

    // Fills the bank with format's series 1, 2, 3 ... up to the first missing cue.
    void DiscoverSeries(const char* format, const char* directory);

private:
    CAudioPlayer* m_pPlayer = nullptr;
};

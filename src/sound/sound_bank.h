// CSoundCue and CSoundBank: WAV cues held in memory, one bank per kind.
#pragma once

#include <cstdint>

#include "text/item_list.h"

class CAudioPlayer;

// One WAV file read whole into memory, keyed by the file name it was asked for.
class CSoundCue {
public:
    CSoundCue() = default;
    CSoundCue(const CSoundCue&) = delete;
    CSoundCue& operator=(const CSoundCue&) = delete;
    ~CSoundCue();

    static constexpr int32_t kMaxNameLength = 259;

    char name[kMaxNameLength + 1] = {};
    char* directory = nullptr;
    unsigned char* data = nullptr;
    uint32_t length = 0;
};

// The cues of one kind, kept in ascending order of name with ASCII letters folded,
// each name at most once. The bank owns its cues.
class CSoundBank : public CItemList<CSoundCue> {
public:
    // Cues play through player; a null player keeps the bank silent.
    explicit CSoundBank(CAudioPlayer* player = nullptr) : m_pPlayer(player) {}

    // True when a cue of that name is in the bank afterwards: it was there already,
    // or its file was found, read and begins like a WAV file. False leaves the bank
    // unchanged.
    bool AddCue(const char* name, const char* directory);
    // The cue whose name equals name ignoring ASCII letter case, or null.
    CSoundCue* FindCue(const char* name) const;
    // Plays the named cue if the bank holds it with WAV data; async false waits for
    // the cue to finish.
    void PlayCue(const char* name, bool async);
    void SetPlayer(CAudioPlayer* player) { m_pPlayer = player; }

    // The largest cue file read into memory; a larger one counts as unreadable.
    static constexpr uint32_t kMaxCueBytes = 16 * 1024 * 1024;

    // Reads the first regular file found for name: in the current directory by the
    // exact name, then by the name ignoring ASCII letter case, then the same two in
    // directory (when given). On any failure, and for a file larger than
    // kMaxCueBytes, data is null and length 0. The caller owns data (delete[]).
    static void ReadWholeFile(const char* name, const char* directory, unsigned char*& data,
                              uint32_t& length);
    // True when the cue holds at least four bytes and they are "RIFF".
    static bool IsWave(const CSoundCue& cue);
    // Orders two cue names: ASCII letters fold to lower case, other bytes by value.
    static int CompareNames(const char* a, const char* b);

    // Fills the bank with format's series 1, 2, 3 ... up to the first number whose
    // cue cannot be added; format holds one %d.
    void DiscoverSeries(const char* format, const char* directory);

private:
    // The first slot whose name does not order before name.
    int32_t LowerBound(const char* name) const;

    CAudioPlayer* m_pPlayer = nullptr;
};

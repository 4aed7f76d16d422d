#include "sound/sound_bank.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <new>
#include <string>
#include <vector>

#include "file/file_read.h"
#include "sound/audio_player.h"
#include "text/ascii.h"

namespace {

// Reads the cue at path: only a regular file (a named pipe under a cue's name
// never stalls the start of the program) and none too large to be a short cue,
// so a stray recording (or a sparse file) cannot fill memory at start. False
// when there is no regular file by that name to read; a file that is there
// but too large or unreadable counts as found, with no bytes.
bool ReadCueFile(const std::string& path, std::string& bytes) {
    CReadRules rules;
    rules.maxBytes = CSoundBank::kMaxCueBytes;
    std::string why;
    const EReadResult result = ReadWholeFile(path, bytes, why, rules);
    return result != EReadResult::CannotOpen && result != EReadResult::NotRegular;
}

// Quiz folders often come from systems whose file names ignore letter case, so a
// cue asked for as RightAnswer1.wav may sit on disk as rightanswer1.WAV. Looks in
// the folder of path for entries whose last component matches ignoring ASCII case,
// trying them in byte order so that the choice does not depend on the directory's
// listing order.
bool ReadCueFileNoCase(const std::string& path, std::string& bytes) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : path.substr(0, slash);
    const std::string prefix =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty())
        return false;

    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    std::vector<std::string> matches;
    while (const dirent* entry = readdir(dir)) {
        if (CSoundBank::CompareNames(entry->d_name, base.c_str()) == 0 && base != entry->d_name)
            matches.emplace_back(entry->d_name);
    }
    closedir(dir);

    std::sort(matches.begin(), matches.end());
    for (const std::string& match : matches) {
        if (ReadCueFile(prefix + match, bytes))
            return true;
    }
    return false;
}

bool ReadCue(const std::string& path, std::string& bytes) {
    return ReadCueFile(path, bytes) || ReadCueFileNoCase(path, bytes);
}

} // namespace

CSoundCue::~CSoundCue() {
    delete[] directory;
    delete[] data;
}

int CSoundBank::CompareNames(const char* a, const char* b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a ? a : "");
    const auto* q = reinterpret_cast<const unsigned char*>(b ? b : "");
    for (;; ++p, ++q) {
        const unsigned char x = FoldAscii(*p);
        const unsigned char y = FoldAscii(*q);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

int32_t CSoundBank::LowerBound(const char* name) const {
    int32_t low = 0;
    int32_t high = m_nCount;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (CompareNames(m_ppItems[middle]->name, name) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

CSoundCue* CSoundBank::FindCue(const char* name) const {
    if (!name)
        return nullptr;
    const int32_t index = LowerBound(name);
    if (index < m_nCount && CompareNames(m_ppItems[index]->name, name) == 0)
        return m_ppItems[index];
    return nullptr;
}

bool CSoundBank::AddCue(const char* name, const char* directory) {
    if (!name || !*name || std::strlen(name) > static_cast<size_t>(CSoundCue::kMaxNameLength))
        return false;
    if (FindCue(name))
        return true;

    CSoundCue* cue = new CSoundCue;
    std::strcpy(cue->name, name);
    if (directory) {
        cue->directory = new char[std::strlen(directory) + 1];
        std::strcpy(cue->directory, directory);
    }
    ReadWholeFile(cue->name, cue->directory, cue->data, cue->length);
    if (!IsWave(*cue)) {
        delete cue;
        return false;
    }
    InsertAt(LowerBound(cue->name), cue);
    return true;
}

void CSoundBank::ReadWholeFile(const char* name, const char* directory, unsigned char*& data,
                               uint32_t& length) {
    data = nullptr;
    length = 0;
    if (!name || !*name)
        return;

    // A plain name is looked for in the current directory before the fallback.
    std::string bytes;
    bool found = ReadCue(name, bytes);
    if (!found && directory && *directory) {
        std::string path = directory;
        if (path.back() != '/')
            path += '/';
        path += name;
        found = ReadCue(path, bytes);
    }
    if (!found || bytes.empty())
        return;
    // The cue owns a buffer of exactly its size.
    data = new (std::nothrow) unsigned char[bytes.size()];
    if (!data)
        return;
    std::memcpy(data, bytes.data(), bytes.size());
    length = static_cast<uint32_t>(bytes.size());
}

bool CSoundBank::IsWave(const CSoundCue& cue) {
    return cue.data && cue.length >= 4 && std::memcmp(cue.data, "RIFF", 4) == 0;
}

void CSoundBank::PlayCue(const char* name, bool async) {
    const CSoundCue* cue = FindCue(name);
    if (!cue || !IsWave(*cue) || !m_pPlayer)
        return;
    m_pPlayer->Play(cue->data, cue->length);
    if (!async)
        m_pPlayer->WaitUntilDone();
}

void CSoundBank::DiscoverSeries(const char* format, const char* directory) {
    if (!format)
        return;
    // The number moves on after every success, so a name that was in the bank
    // before discovery (AddCue succeeds without adding) cannot hold the loop still.
    for (int32_t n = m_nCount + 1; n > 0 && n < INT32_MAX; ++n) {
        char name[CSoundCue::kMaxNameLength + 1];
        const int written = std::snprintf(name, sizeof name, format, n);
        if (written < 0 || written >= static_cast<int>(sizeof name))
            return;
        if (!AddCue(name, directory))
            return;
    }
}

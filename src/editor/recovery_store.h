// Recovery copies: while a quiz has unsaved changes, the editor keeps a copy of
// its text in the user's data folder every few seconds. Each running editor
// holds a lock beside its copy; a copy whose lock is free was left by an editor
// that ended without saving or closing (a crash, a power cut) and is offered at
// the next start.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/disk_file_state.h"
#include "editor/quiz_text_file.h"

struct CRecoveryCopy {
    std::string file;     // the copy itself
    std::string quizPath; // the quiz it was kept for; empty for an untitled quiz
    CQuizTextFormat format;
    int64_t savedAt = 0; // seconds since 1970
    std::string text;    // UTF-8, LF line ends
    // The file on disk that the text was written over (its size and bytes), so
    // the file changing since is noticed; not known for an older copy.
    CDiskFileState base;
};

class CRecoveryStore {
public:
    // folder: where the copies go; made (0700) when the first copy is kept.
    explicit CRecoveryStore(std::string folder);
    ~CRecoveryStore();
    CRecoveryStore(const CRecoveryStore&) = delete;
    CRecoveryStore& operator=(const CRecoveryStore&) = delete;

    // "$XDG_DATA_HOME/torvi/recovery" when that variable is an absolute path,
    // else "<home>/.local/share/torvi/recovery". The texts may be null.
    static std::string DefaultFolder(const char* xdgDataHome, const char* home);
    // The same from the process environment.
    static std::string DefaultFolder();

    // Writes this editor's copy (0600), replacing its last one. False, with a
    // reason, when the folder or the file cannot be written.
    bool Keep(const std::string& quizPath, const CQuizTextFormat& format, std::string_view text,
              std::string& error, const CDiskFileState& base = {});
    // Removes this editor's copy: its changes were saved or given up.
    void Discard();
    // Lets go of this editor's copy without removing it: it is left for the
    // next start to offer, as if this editor had not ended normally.
    void Release();
    bool HasCopy() const { return m_bHasCopy; }

    // Copies that no running editor holds, oldest first.
    std::vector<CRecoveryCopy> FindAbandoned() const;
    // Deletes an abandoned copy and its lock.
    static void Remove(const CRecoveryCopy& copy);

    const std::string& GetFolder() const { return m_strFolder; }

private:
    bool TakeLock(std::string& error);

    std::string m_strFolder;
    std::string m_strName;
    int m_nLock = -1;
    bool m_bHasCopy = false;
};

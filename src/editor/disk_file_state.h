// What a quiz file on disk was when the editor last read or wrote it, so that a
// change made by another program (a second editor, a sync tool, git) is noticed
// instead of being written over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

struct CDiskFileState {
    bool known = false;  // false: nothing is known, so any file there counts as changed
    bool exists = false; // a file was there
    dev_t device = 0;
    ino_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0; // modification time, nanoseconds since 1970
    uint64_t contentHash = 0;

    // The state of the file at path now; its bytes are read for the hash. A
    // path where nothing is gives a known state that does not exist.
    static CDiskFileState Read(const std::string& path);
    // The state of a file just written with these bytes.
    static CDiskFileState Of(const std::string& path, std::string_view bytes);
    static uint64_t Hash(std::string_view bytes);
};

enum class EDiskChange {
    None,    // the same text is there (perhaps touched, or replaced by the same bytes)
    Changed, // other text is there, or a file appeared where there was none
    Deleted, // the file is gone: deleted, or renamed away
};

// How the file at path stands against what was known. now receives its
// present state.
EDiskChange CompareWithDisk(const CDiskFileState& known, const std::string& path,
                            CDiskFileState& now);

// The same file: the same device and inode when both exist.
bool IsSameFile(const CDiskFileState& a, const CDiskFileState& b);

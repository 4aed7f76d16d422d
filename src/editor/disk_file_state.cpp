#include "editor/disk_file_state.h"

#include <cerrno>
#include <sys/stat.h>

#include "file/file_read.h"

namespace {
constexpr uint64_t kFnvOffset = 14695981039346656037ULL;
constexpr uint64_t kFnvPrime = 1099511628211ULL;

int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

void Fill(CDiskFileState& state, const struct stat& info) {
    state.known = true;
    state.exists = true;
    state.device = info.st_dev;
    state.inode = info.st_ino;
    state.size = info.st_size;
    state.modifiedNs = Nanoseconds(info.st_mtim);
}
} // namespace

uint64_t CDiskFileState::Hash(std::string_view bytes) {
    uint64_t hash = kFnvOffset;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    return hash;
}

CDiskFileState CDiskFileState::Read(const std::string& path) {
    CDiskFileState state;
    state.known = true;
    std::string bytes;
    std::string why;
    struct stat info {};
    switch (ReadWholeFile(path, bytes, why, CReadRules(), &info)) {
    case EReadResult::Read:
        Fill(state, info);
        state.contentHash = Hash(bytes);
        break;
    case EReadResult::NotRegular:
        // A pipe or a device planted under the name: there, with nothing read.
        Fill(state, info);
        state.contentHash = Hash({});
        break;
    default:
        // Unreadable but there: counted as there, with a hash nothing matches.
        if (errno != ENOENT && errno != ENOTDIR && stat(path.c_str(), &info) == 0) {
            Fill(state, info);
            state.contentHash = ~Hash({});
        }
        break;
    }
    return state;
}

CDiskFileState CDiskFileState::Of(const std::string& path, std::string_view bytes) {
    CDiskFileState state;
    state.known = true;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0)
        Fill(state, info);
    state.contentHash = Hash(bytes);
    return state;
}

EDiskChange CompareWithDisk(const CDiskFileState& known, const std::string& path,
                            CDiskFileState& now) {
    now = CDiskFileState::Read(path);
    if (!now.exists)
        return known.known && !known.exists ? EDiskChange::None : EDiskChange::Deleted;
    if (!known.known || !known.exists)
        return EDiskChange::Changed;
    // Size and time are not enough (a change within one tick of a coarse clock,
    // a tool that sets the time back), so the bytes decide.
    return now.size == known.size && now.contentHash == known.contentHash ? EDiskChange::None
                                                                          : EDiskChange::Changed;
}

bool IsSameFile(const CDiskFileState& a, const CDiskFileState& b) {
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

#include "file/page_sweep.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#ifndef __EMSCRIPTEN__
namespace {
bool IsDigits(std::string_view text) {
    if (text.empty() || text.size() > 10)
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The process a name of prefix's pattern belongs to, or 0 for a name of any
// other shape.
long PageOwnerProcess(std::string_view name, std::string_view prefix) {
    constexpr std::string_view kEnding = ".html";
    if (!name.starts_with(prefix) || !name.ends_with(kEnding) || name.size() <= prefix.size() + 1 ||
        name[prefix.size()] != '-')
        return 0;
    std::string_view rest = name.substr(prefix.size() + 1);
    rest.remove_suffix(kEnding.size());
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos || !IsDigits(rest.substr(0, dash)) ||
        !IsDigits(rest.substr(dash + 1)))
        return 0;
    long process = 0;
    for (const char c : rest.substr(0, dash))
        process = process * 10 + (c - '0');
    return process;
}
} // namespace
#endif

std::string OwnPageName(const std::string& prefix, int number) {
    return prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(number) + ".html";
}

int RemovePagesOfEndedProcesses(const std::string& folder,
                                const std::vector<std::string>& prefixes) {
#ifdef __EMSCRIPTEN__
    // The browser player's file system lives and dies with its one page.
    (void)folder;
    (void)prefixes;
    return 0;
#else
    struct stat self {};
    if (stat("/proc/self", &self) != 0)
        return 0; // which processes run cannot be told
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return 0;
    DIR* listing = fdopendir(dir);
    if (!listing) {
        close(dir);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = readdir(listing)) {
        long process = 0;
        for (const std::string& prefix : prefixes)
            if ((process = PageOwnerProcess(entry->d_name, prefix)) != 0)
                break;
        if (process == 0 || process == getpid())
            continue;
        struct stat running {};
        if (stat(("/proc/" + std::to_string(process)).c_str(), &running) == 0)
            continue;
        struct stat info {};
        if (fstatat(dir, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != geteuid())
            continue;
        if (unlinkat(dir, entry->d_name, 0) == 0)
            ++removed;
    }
    closedir(listing);
    return removed;
#endif
}

bool RemoveOwnFile(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
           unlink(path.c_str()) == 0;
}

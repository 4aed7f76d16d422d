#include "ui/program_paths.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {
std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

// The user's home folder from the environment, else from the password database.
std::string HomeDirectory(const char* home) {
    if (home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

// A cache folder is usable when it exists (made if missing) and is writable.
bool UseCacheFolder(const std::string& folder) {
    return MakeDirectories(folder) && IsWritableDirectory(folder);
}
} // namespace

std::string GetProgramDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path;
    if (n > 0) {
        path.assign(buffer, static_cast<size_t>(n));
    } else {
        std::error_code error;
        path = std::filesystem::current_path(error).string() + "/";
    }
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string ProgramFilePath(const std::string& directory, const char* fileName) {
    return WithSlash(directory) + (fileName ? fileName : "");
}

bool IsWritableDirectory(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    return access(path.c_str(), W_OK | X_OK) == 0;
}

bool MakeDirectories(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(path, error);
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ChoosePageDirectory(const std::string& programDirectory, const char* xdgCacheHome,
                                const char* home) {
    if (IsWritableDirectory(programDirectory))
        return WithSlash(programDirectory);

    // Relative values of XDG_CACHE_HOME are invalid and are ignored.
    if (xdgCacheHome && xdgCacheHome[0] == '/') {
        const std::string folder = WithSlash(xdgCacheHome) + "torvi";
        if (UseCacheFolder(folder))
            return folder + "/";
    }
    if (const std::string homeFolder = HomeDirectory(home); !homeFolder.empty()) {
        const std::string folder = WithSlash(homeFolder) + ".cache/torvi";
        if (UseCacheFolder(folder))
            return folder + "/";
    }

    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (!error) {
        // A shared folder: only one this user made and owns is taken.
        const std::string folder =
            WithSlash(temp.string()) + "torvi-" + std::to_string(static_cast<long>(getuid()));
        mkdir(folder.c_str(), 0700);
        struct stat info {};
        if (lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
            IsWritableDirectory(folder))
            return folder + "/";
    }
    // Nowhere is writable: the pages are attempted beside the program, and the
    // page view shows what it can.
    return WithSlash(programDirectory);
}

std::string ChoosePageDirectory(const std::string& programDirectory) {
    return ChoosePageDirectory(programDirectory, std::getenv("XDG_CACHE_HOME"),
                               std::getenv("HOME"));
}

// ---- Support files ------------------------------------------------------------

namespace {
bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
} // namespace

std::string FindSupportDirectory(const std::string& programDirectory) {
    const std::string own = WithSlash(programDirectory);
    if (IsRegularFile(own + "Welcome.htm"))
        return own;
    // An installed program lives in bin/ and keeps its files in share/torvi/.
    const std::string shared =
        std::filesystem::path(own + "../share/torvi/").lexically_normal().string();
    if (IsRegularFile(shared + "Welcome.htm"))
        return shared;
    return own;
}

std::string FindSupportDirectory() {
    return FindSupportDirectory(GetProgramDirectory());
}

std::string ChooseIgnoreWordsFile(const std::string& supportDirectory) {
    if (IsRegularFile(kIgnoreWordsFile) || supportDirectory.empty())
        return kIgnoreWordsFile;
    return WithSlash(supportDirectory) + kIgnoreWordsFile;
}

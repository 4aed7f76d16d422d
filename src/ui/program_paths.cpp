#include "ui/program_paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "file/page_sweep.h"

namespace {
std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The user's home folder from the environment, else from the password database.
std::string HomeDirectory(const char* home) {
    if (home && *home)
        return home;
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

// The folder of /proc/self/exe with a trailing "/"; empty when it cannot be read.
std::string RunningProgramDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    const std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Judged for the effective user, whose rights the pages are written with.
bool CanCreateFiles(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool OthersMayWrite(const struct stat& info) {
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// Makes each missing folder of path for this user alone. Failures are left to
// the check that follows, which judges the folder whoever made it.
void MakePrivateFolders(const std::string& path) {
    size_t slash = path.find('/', 1);
    for (;;) {
        const std::string part = path.substr(0, slash);
        if (!part.empty())
            mkdir(part.c_str(), 0700);
        if (slash == std::string::npos)
            break;
        slash = path.find('/', slash + 1);
    }
}

// A folder of the user's own for the pages, made when missing; empty when the
// name is taken by something unsafe.
std::string TakePrivateFolder(const std::string& folder) {
    MakePrivateFolders(folder);
    return IsPrivateDirectory(folder) ? folder + "/" : std::string();
}
} // namespace

std::string GetProgramDirectory() {
    if (std::string directory = RunningProgramDirectory(); !directory.empty())
        return directory;
    std::error_code error;
    return WithSlash(std::filesystem::current_path(error).string());
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

bool IsPrivateDirectory(const std::string& path) {
    // lstat on the name without its trailing "/", so that a link in the
    // folder's place is seen as the link it is.
    const std::string name = WithoutSlash(path);
    struct stat info {};
    if (name.empty() || lstat(name.c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && !OthersMayWrite(info) &&
           CanCreateFiles(name);
}

bool IsPortableProgramDirectory(const std::string& supportDirectory,
                                const std::string& runningProgramDirectory) {
    if (supportDirectory.empty() || runningProgramDirectory.empty())
        return false;
    // The same folder under any spelling: compared by device and inode.
    struct stat support {};
    struct stat running {};
    if (stat(supportDirectory.c_str(), &support) != 0 ||
        stat(runningProgramDirectory.c_str(), &running) != 0)
        return false;
    if (!S_ISDIR(support.st_mode) || support.st_dev != running.st_dev ||
        support.st_ino != running.st_ino)
        return false;
    return support.st_uid == geteuid() && !OthersMayWrite(support) &&
           CanCreateFiles(supportDirectory);
}

std::string ChoosePageDirectory(const std::string& supportDirectory,
                                const std::string& runningProgramDirectory,
                                const char* xdgCacheHome, const char* home) {
    if (IsPortableProgramDirectory(supportDirectory, runningProgramDirectory))
        return WithSlash(supportDirectory);

    // Relative values of XDG_CACHE_HOME are invalid and are ignored.
    if (xdgCacheHome && xdgCacheHome[0] == '/') {
        if (std::string folder = TakePrivateFolder(WithSlash(xdgCacheHome) + "torvi");
            !folder.empty())
            return folder;
    }
    if (const std::string homeFolder = HomeDirectory(home); !homeFolder.empty()) {
        if (std::string folder = TakePrivateFolder(WithSlash(homeFolder) + ".cache/torvi");
            !folder.empty())
            return folder;
    }

    // A shared folder: only a folder of this user's own, that nobody else can
    // write in, is taken there.
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (!error) {
        const std::string folder =
            WithSlash(temp.string()) + "torvi-" + std::to_string(static_cast<long>(geteuid()));
        if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) {
            if (IsPrivateDirectory(folder))
                return folder + "/";
        }
    }
    // No safe folder: the pages are not written at all rather than somewhere
    // another user could read, replace or redirect them.
    return {};
}

std::string ChoosePageDirectory(const std::string& supportDirectory) {
    return ChoosePageDirectory(supportDirectory, RunningProgramDirectory(),
                               std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
}

// ---- Support files ------------------------------------------------------------

namespace {
bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
} // namespace

std::string FindSupportDirectory(const std::string& programDirectory,
                                 const std::string& configuredWay) {
    const std::string own = WithSlash(programDirectory);
    if (IsRegularFile(own + "Welcome.htm"))
        return own;
    // An installed program lives in bin/ and keeps its files in share/torvi/,
    // or wherever the build was told to put them.
    for (const std::string& way : {configuredWay, std::string("../share/torvi")}) {
        if (way.empty())
            continue;
        const std::string shared =
            std::filesystem::path(own + way + "/").lexically_normal().string();
        if (IsRegularFile(shared + "Welcome.htm"))
            return shared;
    }
    return own;
}

std::string FindSupportDirectory(const std::string& programDirectory) {
    return FindSupportDirectory(programDirectory, TORVI_SUPPORT_FROM_BIN);
}

std::string FindSupportDirectory() {
    return FindSupportDirectory(GetProgramDirectory());
}

std::string FindExampleQuizFolder(const std::string& supportDirectory) {
    if (supportDirectory.empty())
        return "";
    const std::string folder = WithSlash(supportDirectory) + "quizzes/";
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) ? folder : "";
}

std::string ChooseIgnoreWordsFile(const std::string& supportDirectory) {
    if (IsRegularFile(kIgnoreWordsFile) || supportDirectory.empty())
        return kIgnoreWordsFile;
    return WithSlash(supportDirectory) + kIgnoreWordsFile;
}

void RemovePagesLeftBehind(const std::string& pageDirectory) {
    RemovePagesOfEndedProcesses(pageDirectory,
                                {kQuestionPageStem, kExplanationPageStem, kEditorPreviewStem});
}

#include "ui/program_start.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::vector<std::string>& StartEnvironment() {
    static std::vector<std::string> s_environment;
    return s_environment;
}

bool& HaveStartEnvironment() {
    static bool s_bSaved = false;
    return s_bSaved;
}

// Marks every descriptor above standard error close-on-exec. The page engine
// keeps sockets, shared memory and watches open that no other program should get.
void CloseDescriptorsOnExec() {
#ifdef SYS_close_range
    if (syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
    // Older kernels: walk the open descriptors one by one.
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return;
    const int own = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd <= 2 || fd == own)
            continue;
        const int flags = fcntl(static_cast<int>(fd), F_GETFD);
        if (flags >= 0)
            fcntl(static_cast<int>(fd), F_SETFD, flags | FD_CLOEXEC);
    }
    closedir(dir);
}

} // namespace

void SaveStartEnvironment() {
    std::vector<std::string>& saved = StartEnvironment();
    saved.clear();
    for (char** entry = environ; entry && *entry; ++entry)
        saved.emplace_back(*entry);
    HaveStartEnvironment() = true;
}

int OpenTrustedProgram(const std::string& path) {
    if (path.empty())
        return -1;
    // O_PATH with O_NOFOLLOW opens a link itself, so fstat below sees it as one.
    const int fd = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    const bool trusted = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                         (info.st_uid == geteuid() || info.st_uid == 0) &&
                         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
                         (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    if (!trusted) {
        close(fd);
        return -1;
    }
    return fd;
}

void StartProgramInPlace(int programFd, const std::string& path) {
    if (programFd < 0)
        return;
    std::vector<char*> environment;
    if (HaveStartEnvironment()) {
        for (std::string& entry : StartEnvironment())
            environment.push_back(entry.data());
    } else {
        for (char** entry = environ; entry && *entry; ++entry)
            environment.push_back(*entry);
    }
    environment.push_back(nullptr);
    char* arguments[] = {const_cast<char*>(path.c_str()), nullptr};

    CloseDescriptorsOnExec();
    // The checked file itself is started, whatever its name points to by now.
    fexecve(programFd, arguments, environment.data());
    const int error = errno;
    close(programFd);
    errno = error;
}

// Peak memory of loading a quiz, against the size of its file. Each file is loaded
// in a fresh process (this program run again), so that the peak belongs to the
// load alone: the process's peak resident size after the load, less its peak just
// before it. Exits 1 when a load needs more than four times its file's size.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "quiz/question_set.h"
#include "quiz_generator.h"

namespace {
constexpr double kLimit = 4.0;

// The process's peak resident size so far (VmHWM), in kilobytes. Unlike the
// rusage peak it starts afresh when the program is run again by exec.
long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// The child: loads the file and prints the growth of its peak in kilobytes.
int MeasureLoad(const char* path) {
    CQuestionSet set(nullptr);
    const long before = PeakKilobytes();
    if (!set.Load(path))
        return 2;
    const long after = PeakKilobytes();
    std::printf("%ld %ld\n", after - before, after);
    return 0;
}

bool RunChild(const char* self, const std::string& path, long& growth, long& total) {
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(self, self, "--measure", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char text[128] = {};
    const ssize_t got = read(fds[0], text, sizeof text - 1);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return got > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
           std::sscanf(text, "%ld %ld", &growth, &total) == 2;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure") == 0)
        return MeasureLoad(argv[2]);

    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    struct {
        const char* name;
        std::string text;
    } files[] = {
        {"1000 questions", MakeQuizText(1'000)},
        {"10000 questions", MakeQuizText(10'000)},
        {"100000 questions", MakeQuizText(100'000)},
        {"1 MB HTML block", MakeHtmlQuizText()},
    };
    bool within = true;
    std::printf("%-18s %12s %14s %14s %8s\n", "quiz", "file bytes", "load peak KB", "process KB",
                "ratio");
    for (auto& file : files) {
        const std::string path =
            (std::filesystem::temp_directory_path() / "torvi-bench-memory.txt").string();
        std::remove(path.c_str());
        {
            std::ofstream out(path, std::ios::binary);
            out.write(file.text.data(), static_cast<std::streamsize>(file.text.size()));
        }
        long growth = 0;
        long total = 0;
        if (!RunChild(self.c_str(), path, growth, total)) {
            std::printf("%-18s failed to load\n", file.name);
            within = false;
            continue;
        }
        const double ratio =
            static_cast<double>(growth) * 1024.0 / static_cast<double>(file.text.size());
        std::printf("%-18s %12zu %14ld %14ld %8.2f\n", file.name, file.text.size(), growth, total,
                    ratio);
        // Small files are lost in the allocator's first arenas; the rule is for
        // files big enough to measure.
        if (file.text.size() >= 1'000'000 && ratio > kLimit)
            within = false;
        std::remove(path.c_str());
    }
    return within ? 0 : 1;
}

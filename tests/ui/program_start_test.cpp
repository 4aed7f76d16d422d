// Starting another program in place of this one (File > New): which program
// files are trusted, and what the new program inherits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"
#include "ui/program_start.h"

namespace {

std::string MakeProgram(const CTempDir& dir, const std::string& name, mode_t mode) {
    const std::string path = dir.Write(name, "#!/bin/sh\nexit 0\n");
    chmod(path.c_str(), mode);
    return path;
}

// The system's shell as a file of its own (/bin/sh itself is usually a link).
std::string Shell() {
    return std::filesystem::canonical("/bin/sh").string();
}

bool Trusted(const std::string& path) {
    const int fd = OpenTrustedProgram(path);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

} // namespace

TEST(ProgramStart, OnlyProgramFilesNobodyElseCanChangeAreTrusted) {
    CTempDir dir;
    EXPECT_TRUE(Trusted(MakeProgram(dir, "own", 0755)));
    EXPECT_TRUE(Trusted(MakeProgram(dir, "private", 0700)));
    EXPECT_TRUE(Trusted(Shell()));    // the superuser's
    EXPECT_FALSE(Trusted("/bin/sh")); // a link
    EXPECT_FALSE(Trusted(MakeProgram(dir, "group-writable", 0775)));
    EXPECT_FALSE(Trusted(MakeProgram(dir, "world-writable", 0757)));
    EXPECT_FALSE(Trusted(MakeProgram(dir, "not-executable", 0644)));
    const std::string target = MakeProgram(dir, "target", 0755);
    ASSERT_EQ(symlink(target.c_str(), dir.File("link").c_str()), 0);
    EXPECT_FALSE(Trusted(dir.File("link")));
    EXPECT_FALSE(Trusted(dir.Path()));
    EXPECT_FALSE(Trusted(dir.File("missing")));
    EXPECT_FALSE(Trusted(""));
}

// The new program is a shell that reports, on its standard output, whether a
// descriptor this process had open is still open and which variables it got.
TEST(ProgramStart, NewProgramGetsNoExtraDescriptorsAndTheStartEnvironment) {
    CTempDir dir;
    const std::string report = dir.File("report.txt");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("TORVI_FROM_USER", "kept", 1);
        SaveStartEnvironment();
        setenv("TORVI_ADDED_LATER", "leaked", 1);
        const int extra = open("/dev/null", O_RDONLY); // no close-on-exec of its own
        int script[2];
        if (extra < 0 || pipe(script) != 0)
            _exit(90);
        const std::string text = "[ -e /proc/$$/fd/" + std::to_string(extra) +
                                 " ] && echo open || echo closed\n"
                                 "echo \"user=${TORVI_FROM_USER:-none}\"\n"
                                 "echo \"later=${TORVI_ADDED_LATER:-none}\"\n";
        const int out = open(report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 ||
            write(script[1], text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            _exit(91);
        close(script[1]);
        dup2(script[0], 0);
        dup2(out, 1);
        StartProgramInPlace(OpenTrustedProgram(Shell()), Shell());
        _exit(92); // only reached when the program did not start
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    std::stringstream text;
    text << std::ifstream(report).rdbuf();
    EXPECT_EQ(text.str(), "closed\nuser=kept\nlater=none\n");
}

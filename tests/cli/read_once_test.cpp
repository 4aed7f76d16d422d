// The author's commands read their input once: the bytes read are the bytes
// checked, converted or loaded. Counted by the kernel, as the opens of the
// file that inotify reports.
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cmd_check.h"
#include "cli/cmd_convert.h"
#include "cli_test_support.h"

namespace {
using cli_test::CRunResult;
using cli_test::CTempDir;

constexpr CliCommandFactory kCommands[] = {MakeCheckCommand, MakeConvertCommand};

// How many times path is opened while the command runs.
int OpensDuring(const std::string& path, const std::vector<std::string>& command,
                CRunResult& result) {
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watcher < 0 || inotify_add_watch(watcher, path.c_str(), IN_OPEN) < 0)
        return -1;
    result = cli_test::RunCli(kCommands, command);
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(watcher, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            opens += (event->mask & IN_OPEN) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(watcher);
    return opens;
}

TEST(ReadOnce, CheckAndConvertOpenTheirInputOnce) {
    CTempDir dir;
    const std::string quiz = dir.Write("quiz.txt", "option:Words:Unicode\nCapital of Italy?\nRoma\n");
    const std::string sheet = dir.Write("sheet.csv", "Question,Answer\nCapital of Spain?,Madrid\n");
    const std::string vocabulary = dir.Write(
        "words.kvtml", "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><identifiers>"
                       "<identifier id=\"0\"><name>en</name></identifier>"
                       "<identifier id=\"1\"><name>de</name></identifier></identifiers>"
                       "<entries><entry id=\"0\"><translation id=\"0\"><text>dog</text>"
                       "</translation><translation id=\"1\"><text>Hund</text></translation>"
                       "</entry></entries></kvtml>\n");
    struct CCase {
        std::string input;
        std::vector<std::string> command;
        std::string said;
    } cases[] = {
        {quiz, {"check", quiz}, "1 question, 0 errors"},
        {sheet, {"check", sheet}, "1 question, 0 errors"},
        {vocabulary, {"check", vocabulary}, "1 question, 0 errors"},
        {quiz, {"convert", quiz, "-o", dir.File("out.csv")}, "1 question converted"},
        {quiz, {"convert", quiz, "-o", dir.File("again.txt")}, "1 question converted"},
        {quiz, {"convert", quiz, "-o", dir.File("out.kvtml")}, "1 question converted"},
        {sheet, {"convert", sheet, "-o", dir.File("sheet.txt")}, "1 question converted"},
        {vocabulary, {"convert", vocabulary, "-o", dir.File("words.tsv")}, "1 question converted"},
    };
    for (const CCase& c : cases) {
        CRunResult result;
        EXPECT_EQ(OpensDuring(c.input, c.command, result), 1) << c.command[0] << " " << c.input;
        EXPECT_NE((result.out + result.err).find(c.said), std::string::npos)
            << result.out << result.err;
    }
}

TEST(ReadOnce, AnUnreadableInputIsSaidOnceWithItsCause) {
    CTempDir dir;
    const std::string folder = dir.File("folder.txt");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const CRunResult result = cli_test::RunCli(kCommands, {"check", folder});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, folder + ": error: it is not a regular file\n" + folder +
                              ": 0 questions, 1 error, 0 warnings\n");
}
} // namespace

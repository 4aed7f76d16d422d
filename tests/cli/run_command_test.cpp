// torvi-cli run as a program: usage errors, and the built binary playing a quiz
// from piped, empty and closed standard input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "cli/cmd_run.h"
#include "cli_test_support.h"

using cli_test::CRunResult;
using cli_test::CTempDir;

namespace {

constexpr CliCommandFactory kCommands[] = {MakeRunCommand};

std::string RunData() {
    return std::string(TORVI_TEST_DATA_DIR) + "/run";
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs the built torvi-cli (or program) in folder with the given arguments;
// stdinSetup is the shell redirection for its standard input, environment more
// variables for it.
CRunResult RunBinary(const CTempDir& scratch, const std::string& folder,
                     const std::string& arguments, const std::string& stdinSetup,
                     const std::string& program = cli_test::BuiltCli(),
                     const std::string& environment = {}) {
    const std::string command = "cd '" + folder + "' && " + environment +
                                " SDL_AUDIODRIVER=dummy '" + program + "' run " + arguments + " " +
                                stdinSetup + " >'" + scratch.File("out") + "' 2>'" +
                                scratch.File("err") + "'";
    const int status = std::system(command.c_str());
    CRunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadAll(scratch.File("out"));
    result.err = ReadAll(scratch.File("err"));
    return result;
}

TEST(RunCommandUsage, MissingQuizIsAUsageError) {
    const CRunResult result = cli_test::RunCli(kCommands, {"run"});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_NE(result.err.find("QUIZ"), std::string::npos) << result.err;
}

TEST(RunCommandUsage, SeedMustBeAWholeNumber) {
    for (const char* seed : {"-3", "abc", "1.5", "99999999999999999999"}) {
        const CRunResult result =
            cli_test::RunCli(kCommands, {"run", "--seed", seed, RunData() + "/capitals.txt"});
        EXPECT_EQ(result.exitCode, kExitUsage) << seed;
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("--seed"), std::string::npos) << result.err;
    }
}

TEST(RunCommandUsage, UnreadableQuizIsAUsageError) {
    CRunResult result = cli_test::RunCli(kCommands, {"run", RunData() + "/missing.txt"});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_EQ(result.err, "torvi-cli: cannot read the quiz file '" + RunData() +
                              "/missing.txt': No such file or directory\n");
    result = cli_test::RunCli(kCommands, {"run", RunData()});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_NE(result.err.find("it is a directory"), std::string::npos) << result.err;
}

TEST(RunCommandUsage, UnreadableIgnoreWordsFileIsAUsageError) {
    const CRunResult result = cli_test::RunCli(
        kCommands, {"run", "--ignore-words", RunData() + "/none.txt", RunData() + "/capitals.txt"});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_NE(result.err.find("ignore-word file"), std::string::npos) << result.err;
}

TEST(RunBinary, PlaysAQuizFromPipedInput) {
    CTempDir scratch;
    scratch.Write("in", "Paris\nred\ngreen\nblue\n:quit\n");
    const CRunResult result =
        RunBinary(scratch, RunData(), "--no-sound capitals.txt", "<'" + scratch.File("in") + "'");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    // The relative path is opened as the file dialog would give it: in full.
    const std::string expectedStart = "Halvan Torvi - " + RunData() + "/capitals.txt\n";
    EXPECT_EQ(result.out.substr(0, expectedStart.size()), expectedStart);
    const std::string ending = "Answer 1 of 3: :quit\n\nYou got 2/3 right.\n\nPress Enter to "
                               "leave, or type :restart to play again: \n";
    ASSERT_GE(result.out.size(), ending.size());
    EXPECT_EQ(result.out.substr(result.out.size() - ending.size()), ending);
}

TEST(RunBinary, EmptyOrClosedInputEndsTheQuiz) {
    CTempDir scratch;
    for (const char* input : {"</dev/null", "<&-"}) {
        const CRunResult result = RunBinary(scratch, RunData(), "--no-sound capitals.txt", input);
        EXPECT_EQ(result.exitCode, 0) << input << result.err;
        const std::string ending = "Answer 1 of 1: \n\nYou got 0/3 right.\n";
        ASSERT_GE(result.out.size(), ending.size()) << input;
        EXPECT_EQ(result.out.substr(result.out.size() - ending.size()), ending) << input;
    }
}

TEST(RunBinary, QuizThatDoesNotLoadExitsWithOne) {
    CTempDir scratch;
    const CRunResult result =
        RunBinary(scratch, RunData(), "--no-sound bad_syntax.txt", "</dev/null");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Torvi: Bad Syntax for Torvi file.\n\n It's probably a question not "
                          "matched with an answer.\n");
}

TEST(RunBinary, IgnoreWordsComeFromTheOptionTheCurrentFolderOrBesideTheProgram) {
    // "the dog" is expected; "dog" alone is right only when "the" is ignored.
    CTempDir scratch;
    scratch.Write("in", "gracias\ndog\n");
    const std::string input = "<'" + scratch.File("in") + "'";
    const std::string quiz = "'" + RunData() + "/cp1252.txt'";

    // A copy of the program without support files has no list to fall back on.
    CTempDir bare;
    const std::string lone = bare.File("torvi-cli");
    std::filesystem::copy_file(cli_test::BuiltCli(), lone);
    CRunResult result = RunBinary(scratch, bare.Path(), "--no-sound " + quiz, input, lone);
    EXPECT_NE(result.out.find("You got 1/2 right."), std::string::npos) << result.out;
    // The built program falls back on the list beside it, which ignores "the".
    result = RunBinary(scratch, bare.Path(), "--no-sound " + quiz, input);
    EXPECT_NE(result.out.find("You got 2/2 right."), std::string::npos) << result.out;

    const std::string ignoreFile = scratch.Write("words.txt", "the\n");
    result = RunBinary(scratch, bare.Path(),
                       "--no-sound --ignore-words '" + ignoreFile + "' " + quiz, input);
    EXPECT_NE(result.out.find("You got 2/2 right."), std::string::npos) << result.out;

    CTempDir withDefault;
    withDefault.Write("IgnoreW.TXT", "a\nthe\n");
    result = RunBinary(scratch, withDefault.Path(), "--no-sound " + quiz, input);
    EXPECT_NE(result.out.find("You got 2/2 right."), std::string::npos) << result.out;
}

TEST(RunBinary, SoundOnWithoutADeviceGivesTheSameTranscript) {
    CTempDir scratch;
    scratch.Write("in", "Paris\nx\ny\nz\n\n");
    const std::string input = "<'" + scratch.File("in") + "'";
    const CRunResult silent = RunBinary(scratch, RunData(), "--no-sound capitals.txt", input);
    const CRunResult withSound = RunBinary(scratch, RunData(), "capitals.txt", input);
    EXPECT_EQ(withSound.exitCode, 0) << withSound.err;
    EXPECT_EQ(withSound.out, silent.out);
}

TEST(RunBinary, ColourIsAskedForOrLeftToTheTerminal) {
    CTempDir scratch;
    const std::string input = "<'" + scratch.Write("in", "Paris\nx\ny\nz\n") + "'";
    const CRunResult plain = RunBinary(scratch, RunData(), "--no-sound capitals.txt", input);
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out.find('\x1b'), std::string::npos);
    // A pipe is no terminal: auto and never write the plain transcript.
    for (const char* choice : {"--color=auto", "--color never"}) {
        const CRunResult result = RunBinary(
            scratch, RunData(), std::string("--no-sound ") + choice + " capitals.txt", input);
        EXPECT_EQ(result.out, plain.out) << choice;
    }
    // Always colours even into a pipe, whatever NO_COLOR says.
    const CRunResult always =
        RunBinary(scratch, RunData(), "--no-sound --color=always capitals.txt", input,
                  cli_test::BuiltCli(), "NO_COLOR=1");
    EXPECT_EQ(always.exitCode, 0) << always.err;
    EXPECT_NE(always.out.find("\x1b[32mYou are Correct!!!\x1b[0m"), std::string::npos)
        << always.out;
    EXPECT_NE(always.out.find("\x1b[31mYou are wrong"), std::string::npos) << always.out;

    const CRunResult bad =
        RunBinary(scratch, RunData(), "--no-sound --color=sometimes capitals.txt", input);
    EXPECT_EQ(bad.exitCode, kExitUsage);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("--color takes auto, always or never"), std::string::npos) << bad.err;
}

TEST(RunBinary, SameSeedSameJumbledTranscript) {
    CTempDir scratch;
    scratch.Write("in", std::string(30, '\n'));
    const std::string input = "<'" + scratch.File("in") + "'";
    const CRunResult first =
        RunBinary(scratch, RunData(), "--jumbled --seed 4242 --no-sound twelve.txt", input);
    const CRunResult second =
        RunBinary(scratch, RunData(), "--jumbled --seed 4242 --no-sound twelve.txt", input);
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, second.out);
    EXPECT_NE(first.out.find("You got 0/12 right."), std::string::npos) << first.out;
}

TEST(RunBinary, ParallelSessionsShowTheirOwnQuestions) {
    CTempDir scratch;
    const std::string capitalsInput = scratch.Write("capitals.in", "Paris\nred\ngreen\nblue\n");
    const std::string htmlInput = scratch.Write("html.in", "Loire\n:explain\n\nyes\n");
    const CRunResult capitals =
        RunBinary(scratch, RunData(), "--no-sound capitals.txt", "<'" + capitalsInput + "'");
    const CRunResult html =
        RunBinary(scratch, RunData(), "--no-sound html.txt", "<'" + htmlInput + "'");
    ASSERT_NE(capitals.out.find("You got 2/3 right."), std::string::npos) << capitals.out;
    ASSERT_NE(html.out.find("Length  777 km"), std::string::npos) << html.out;

    const std::string cli = "'" + std::string(TORVI_BIN_DIR) + "/torvi-cli' run --no-sound ";
    const std::string script = "cd '" + RunData() + "' && for i in 1 2 3 4 5 6 7 8; do " + cli +
                               "capitals.txt <'" + capitalsInput + "' >'" + scratch.Path() +
                               "/capitals'$i & " + cli + "html.txt <'" + htmlInput + "' >'" +
                               scratch.Path() + "/html'$i & done; wait";
    ASSERT_EQ(std::system(script.c_str()), 0);
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(ReadAll(scratch.File("capitals" + std::to_string(i))), capitals.out) << i;
        EXPECT_EQ(ReadAll(scratch.File("html" + std::to_string(i))), html.out) << i;
    }
}

TEST(RunBinary, PagesStayInTheSessionsOwnFolder) {
    CTempDir scratch;
    const std::string runtime = scratch.File("runtime");
    std::filesystem::create_directory(runtime);
    const std::string input = scratch.Write("in", "Paris\nred\ngreen\nblue\n");
    const CRunResult result = RunBinary(
        scratch, RunData(), "--no-sound capitals.txt", "<'" + input + "'", cli_test::BuiltCli(),
        "XDG_RUNTIME_DIR='" + runtime + "' XDG_CACHE_HOME='" + scratch.File("cache") + "' HOME='" +
            scratch.File("home") + "'");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("What is the capital of France?"), std::string::npos) << result.out;
    // Neither cache folder was made, and the session's folder is gone.
    EXPECT_FALSE(std::filesystem::exists(scratch.File("cache")));
    EXPECT_FALSE(std::filesystem::exists(scratch.File("home")));
    EXPECT_TRUE(std::filesystem::is_empty(runtime));
}

// Sends the signal to a session that waits for its first answer. The shell would
// start a background job with SIGINT and SIGQUIT ignored; env gives them back
// their defaults.
void ExpectSignalEndsTheQuizAsQuit(const std::string& signal) {
    SCOPED_TRACE(signal);
    CTempDir scratch;
    const std::string runtime = scratch.File("runtime");
    std::filesystem::create_directory(runtime);
    // A pipe that stays open, so the program waits for its first answer.
    const std::string script =
        "cd '" + RunData() + "' && mkfifo '" + scratch.File("fifo") + "' && exec 3<>'" +
        scratch.File("fifo") + "' && env --default-signal=INT,QUIT XDG_RUNTIME_DIR='" + runtime +
        "' '" + std::string(TORVI_BIN_DIR) + "/torvi-cli' run --no-sound capitals.txt <'" +
        scratch.File("fifo") + "' >'" + scratch.File("out") +
        "' & pid=$!; for i in $(seq 1 300); do grep -q 'Answer 1 of 1:' '" + scratch.File("out") +
        "' && break; sleep 0.1; done; kill -" + signal + " $pid; wait $pid; echo $? >'" +
        scratch.File("rc") + "'";
    ASSERT_EQ(std::system(script.c_str()), 0);
    EXPECT_EQ(ReadAll(scratch.File("rc")), "130\n");
    const std::string out = ReadAll(scratch.File("out"));
    const std::string ending = "Answer 1 of 1: \n\nYou got 0/3 right.\n";
    ASSERT_GE(out.size(), ending.size()) << out;
    EXPECT_EQ(out.substr(out.size() - ending.size()), ending);
    EXPECT_TRUE(std::filesystem::is_empty(runtime));
}

TEST(RunBinary, TerminationEndsTheQuizAsQuitAndCleansUp) {
    // Ctrl+C and Ctrl+\ too; Ctrl+\ leaves no core dump (its status would be 131).
    for (const char* signal : {"TERM", "QUIT", "INT"})
        ExpectSignalEndsTheQuizAsQuit(signal);
}

} // namespace

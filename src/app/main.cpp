// Torvi, the quiz program: its window.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/start_arguments.h"
#include "app/torvi_app.h"
#include "app/window_platform.h"
#include "ui/program_start.h"

namespace {

std::vector<std::string> ArgumentsAfterName(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (buffer.size() > (1u << 20))
            return "/";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

} // namespace

int main(int argc, char** argv) {
    // Before anything below adds variables for the page engine: File > New hands
    // the editor the environment the user gave this program.
    SaveStartEnvironment();
    // --help and --version need no display, so they are answered before one is
    // looked for; Qt's options are still in argv here and are passed over.
    const std::string directory = CurrentDirectory();
    const EStartAction early = ReadStartArguments(ArgumentsAfterName(argc, argv), directory).action;
    if (early == EStartAction::Help) {
        std::fputs(StartUsage().c_str(), stdout);
        return 0;
    }
    if (early == EStartAction::Version) {
        std::puts("torvi (Torvi) " TORVI_VERSION);
        return 0;
    }
    // Qt would abort when no window platform can start; this says why instead.
    if (!PrepareWindowPlatform("torvi", argc, argv)) {
        return 2;
    }
    CTorviApp::PrepareEnvironment();
    CTorviApp app(argc, argv);
    const CStartArguments start = ReadStartArguments(ArgumentsAfterName(argc, argv), directory);
    if (!start.message.empty())
        std::fprintf(stderr, "%s\n", start.message.c_str());
    if (start.action == EStartAction::Fail)
        return 2;
    app.SetStartFile(start.file);
    app.InitInstance();
    return app.GetExitCode();
}

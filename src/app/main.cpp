// Torvi, the quiz program: its window.
#include "app/torvi_app.h"
#include "app/window_platform.h"
#include "ui/program_start.h"

int main(int argc, char** argv) {
    // Before anything below adds variables for the page engine: File > New hands
    // the editor the environment the user gave this program.
    SaveStartEnvironment();
    // Qt would abort when no window platform can start; this says why instead.
    if (!PrepareWindowPlatform("torvi", argc, argv)) {
        return 2;
    }
    CTorviApp::PrepareEnvironment();
    CTorviApp app(argc, argv);
    app.InitInstance();
    return app.GetExitCode();
}

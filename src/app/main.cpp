// Torvi, the quiz program: its window.
#include <cstdio>

#include "app/torvi_app.h"
#include "ui/program_start.h"

int main(int argc, char** argv) {
    // Before anything below adds variables for the page engine: File > New hands
    // the editor the environment the user gave this program.
    SaveStartEnvironment();
    if (!CTorviApp::HasDisplay()) {
        std::fputs("torvi: no display found (DISPLAY and WAYLAND_DISPLAY are unset); start it on a "
                   "desktop, or use torvi-cli in a terminal\n",
                   stderr);
        return 2;
    }
    CTorviApp::PrepareEnvironment();
    CTorviApp app(argc, argv);
    app.InitInstance();
    return app.GetExitCode();
}

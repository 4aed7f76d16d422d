// Torvi, the quiz program: its window.
#include <cstdio>

#include "app/torvi_app.h"

int main(int argc, char** argv) {
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

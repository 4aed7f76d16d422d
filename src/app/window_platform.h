// Which of Qt's window platforms to start. Qt aborts the whole process when
// none of the platforms it is told to try can be started, so the program finds
// out beforehand which ones can: a Wayland compositor or an X server that
// answers, with Qt's plugin for it installed. Wayland comes first, so the
// window runs natively on a Wayland session and on X where there is no Wayland.
#pragma once

#include <functional>
#include <string>

struct CPlatformProbe {
    std::string chosen;               // QT_QPA_PLATFORM as the user set it; empty when unset
    bool chosenOnCommandLine = false; // -platform given: Qt's own choice, taken as it stands
    std::string waylandDisplay;       // WAYLAND_DISPLAY, empty when unset
    bool waylandSocket = false;       // WAYLAND_SOCKET set: a connection handed down, not probed
    std::string xDisplay;             // DISPLAY, empty when unset
    bool waylandPlugin = false;       // Qt's Wayland platform plugin is installed
    bool xPlugin = false;             // Qt's X platform plugin is installed
    // Whether the compositor or the X server answers a connection; asked only
    // when the display is set and its plugin is there.
    std::function<bool()> waylandAnswers;
    std::function<bool()> xAnswers;
};

struct CPlatformChoice {
    // The platforms for QT_QPA_PLATFORM, in the order Qt is to try them,
    // separated by ';'. Empty when none can be started.
    std::string platforms;
    // Then why, as one line for the user (without the program's name).
    std::string problem;
};

CPlatformChoice ChooseWindowPlatforms(const CPlatformProbe& probe);

// The probe for this process: its environment, the plugins Qt would load, and
// connections to the displays named there. Usable before any Qt application
// object exists.
CPlatformProbe ProbeWindowPlatforms(int argc, char** argv);

// Chooses and sets QT_QPA_PLATFORM for the application object made next; when
// no platform can be started, prints one line starting with program and gives
// false.
bool PrepareWindowPlatform(const char* program, int argc, char** argv);

#include "app/window_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <optional>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

namespace {

bool IsWaylandPlatform(const std::string& name) {
    return name.rfind("wayland", 0) == 0;
}

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            parts.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Why the Wayland platform cannot start, or empty when it can.
std::string WaylandProblem(const CPlatformProbe& probe) {
    if (probe.waylandDisplay.empty() && !probe.waylandSocket)
        return "WAYLAND_DISPLAY is unset";
    if (!probe.waylandPlugin)
        return "Qt's Wayland platform plugin is not installed (Debian package qt6-wayland)";
    if (!probe.waylandSocket && !(probe.waylandAnswers && probe.waylandAnswers()))
        return "the Wayland display \"" + probe.waylandDisplay + "\" does not answer";
    return {};
}

std::string XProblem(const CPlatformProbe& probe) {
    if (probe.xDisplay.empty())
        return "DISPLAY is unset";
    if (!probe.xPlugin)
        return "Qt's X platform plugin is not installed (Debian package libqt6gui6)";
    if (!(probe.xAnswers && probe.xAnswers()))
        return "the X display \"" + probe.xDisplay + "\" does not answer";
    return {};
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
    std::string joined;
    for (const std::string& part : parts) {
        if (!joined.empty())
            joined += separator;
        joined += part;
    }
    return joined;
}

// Connects to a display through the same client library Qt's plugin uses, so
// "answers" means what it will mean to Qt. The library is loaded only for the
// question: it is there whenever the plugin is.
bool WaylandCompositorAnswers() {
    // A name relative to a runtime folder that is not set cannot be reached, and
    // the library would print its own complaint about it.
    const char* name = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (name != nullptr && name[0] != '/' && (runtime == nullptr || runtime[0] == '\0'))
        return false;
    void* library = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return false;
    using Connect = void* (*)(const char*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(library, "wl_display_connect"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(library, "wl_display_disconnect"));
    bool answers = false;
    if (connect != nullptr && disconnect != nullptr) {
        if (void* display = connect(nullptr)) {
            answers = true;
            disconnect(display);
        }
    }
    dlclose(library);
    return answers;
}

bool XServerAnswers() {
    void* library = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(library, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(library, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(library, "xcb_disconnect"));
    bool answers = false;
    if (connect != nullptr && hasError != nullptr && disconnect != nullptr) {
        // xcb always gives a connection object, an erroneous one when it failed.
        void* connection = connect(nullptr, nullptr);
        answers = hasError(connection) == 0;
        disconnect(connection);
    }
    dlclose(library);
    return answers;
}

bool PluginInstalled(const QString& pattern) {
    for (const QString& folder : QCoreApplication::libraryPaths()) {
        const QDir platforms(folder + QStringLiteral("/platforms"));
        if (!platforms.entryList({pattern}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

CPlatformChoice ChooseWindowPlatforms(const CPlatformProbe& probe) {
    if (probe.chosenOnCommandLine)
        return {probe.chosen, {}};
    std::vector<std::string> platforms;
    std::vector<std::string> problems;
    if (!probe.chosen.empty()) {
        // The user's own list, in the user's order, less what cannot start;
        // platforms without a display (offscreen, vnc, ...) are taken on trust.
        // Each display is asked once, however many entries name it.
        std::optional<std::string> wayland;
        std::optional<std::string> x;
        for (const std::string& entry : SplitList(probe.chosen)) {
            const std::string name = entry.substr(0, entry.find(':'));
            std::string problem;
            if (IsWaylandPlatform(name))
                problem = wayland ? *wayland : *(wayland = WaylandProblem(probe));
            else if (name == "xcb")
                problem = x ? *x : *(x = XProblem(probe));
            if (problem.empty())
                platforms.push_back(entry);
            else
                problems.push_back(problem);
        }
        if (platforms.empty())
            return {{},
                    "none of the platforms in QT_QPA_PLATFORM (\"" + probe.chosen +
                        "\") can start: " + Join(problems, "; ")};
        return {Join(platforms, ";"), {}};
    }
    if (probe.waylandDisplay.empty() && !probe.waylandSocket && probe.xDisplay.empty())
        return {{}, "no display found (DISPLAY and WAYLAND_DISPLAY are unset)"};
    const std::string wayland = WaylandProblem(probe);
    if (wayland.empty()) {
        platforms.push_back("wayland");
        // X stays behind Wayland untried: on a Wayland desktop a connection
        // made only to ask would start Xwayland for nothing.
        if (!probe.xDisplay.empty() && probe.xPlugin)
            platforms.push_back("xcb");
        return {Join(platforms, ";"), {}};
    }
    problems.push_back(wayland);
    const std::string x = XProblem(probe);
    if (x.empty())
        platforms.push_back("xcb");
    else
        problems.push_back(x);
    if (platforms.empty())
        return {{}, "no window can be opened: " + Join(problems, "; ")};
    return {Join(platforms, ";"), {}};
}

CPlatformProbe ProbeWindowPlatforms(int argc, char** argv) {
    CPlatformProbe probe;
    probe.chosen = Environment("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            probe.chosenOnCommandLine = true;
    }
    probe.waylandDisplay = Environment("WAYLAND_DISPLAY");
    probe.waylandSocket = !Environment("WAYLAND_SOCKET").empty();
    probe.xDisplay = Environment("DISPLAY");
    probe.waylandPlugin = PluginInstalled(QStringLiteral("libqwayland-*.so"));
    probe.xPlugin = PluginInstalled(QStringLiteral("libqxcb.so"));
    probe.waylandAnswers = WaylandCompositorAnswers;
    probe.xAnswers = XServerAnswers;
    return probe;
}

bool PrepareWindowPlatform(const char* program, int argc, char** argv) {
    const CPlatformProbe probe = ProbeWindowPlatforms(argc, argv);
    const CPlatformChoice choice = ChooseWindowPlatforms(probe);
    if (choice.platforms.empty() && !probe.chosenOnCommandLine) {
        std::fprintf(stderr, "%s: %s; start it on a desktop, or use torvi-cli in a terminal\n",
                     program, choice.problem.c_str());
        return false;
    }
    if (!probe.chosenOnCommandLine)
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(choice.platforms));
    return true;
}

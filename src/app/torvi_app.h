// CTorviApp: the application object. It starts the page view's engine, runs the
// main dialog modally and lets the program end when the dialog closes.
#pragma once

#include <QApplication>
#include <QString>
#include <string>

class CTorviApp : public QApplication {
    Q_OBJECT

public:
    // Qt reads its own options from the command line and takes them out of
    // argc and argv; what is left is the program's (start_arguments.h).
    CTorviApp(int& argc, char** argv);

    // A quiz file to open once the window has been shown, as File > Open would
    // open it; empty (the default) to start on the welcome page.
    void SetStartFile(const std::string& path) { m_strStartFile = path; }

    // Runs the whole program. Always false: there is no loop of the application's
    // own after the dialog's.
    bool InitInstance();
    // 0 after a normal run; 1 when the page view's engine could not be started.
    int GetExitCode() const { return m_nExitCode; }

    // Whether a window can be shown at all: a display, or a platform chosen by
    // hand (QT_QPA_PLATFORM, for example offscreen).
    static bool HasDisplay();
    // Settings the page view's engine needs before the application object exists.
    static void PrepareEnvironment();
    // Checks that the page view's engine can start: its helper program and its
    // resources are in place and its profile can be made.
    static bool StartPageEngine();

    static const char* const kOleFailedText;

private:
    int m_nExitCode = 0;
    std::string m_strStartFile;
};

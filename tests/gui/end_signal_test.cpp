// The whole program, as main runs it, ends on SIGTERM in the middle of a quiz
// after a cue has played: the run returns normally instead of the process
// being killed or the signal being lost.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "app/torvi_app.h"
#include "ui/qt/torvi_main_window.h"
#include "ui/qt/web_browser2.h"
#include "window_controls.h"

namespace {

bool g_bSignalSent = false;

CTorviMainWindow* FindWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<CTorviMainWindow*>(widget)) {
            return window;
        }
    }
    return nullptr;
}

// Drives the window from page to page: the welcome page, the question, a wrong
// answer (which plays a cue), then the signal.
void Drive() {
    CTorviMainWindow* window = FindWindow();
    if (window == nullptr) {
        QTimer::singleShot(50, Drive);
        return;
    }
    auto* loads = new int(0);
    QObject::connect(PageView(*window), &QWebEngineView::loadFinished, window, [window, loads] {
        ++*loads;
        if (*loads == 1) {
            window->SetOpenFileAnswer(QStringLiteral(TORVI_GUI_DATA_DIR "/capitals.txt"));
            MenuCommand(*window, "openAction")->trigger();
        } else if (*loads == 2) {
            QLineEdit* box = AnswerBox(*window, 1);
            QTest::keyClicks(box, QStringLiteral("Lyon"));
            QTest::keyClick(box, Qt::Key_Return);
            if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
                std::fputs("no cue was played\n", stderr);
                std::_Exit(2);
            }
            g_bSignalSent = true;
            kill(getpid(), SIGTERM);
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    // A run that never ends fails instead of hanging.
    alarm(60);
    CTorviApp::PrepareEnvironment();
    CTorviApp app(argc, argv);
    QTimer::singleShot(0, Drive);
    app.InitInstance();
    if (!g_bSignalSent) {
        std::fputs("the run ended before the signal was sent\n", stderr);
        return 1;
    }
    std::printf("ended on SIGTERM with exit code %d\n", app.GetExitCode());
    return app.GetExitCode();
}

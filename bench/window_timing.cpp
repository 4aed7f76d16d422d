// window_timing: the quiz window, built and started as the torvi program builds
// and starts it, then driven through a quiz: it opens the quiz, types the answer
// into the first answer box and presses Enter on every question page, as many
// times as asked, then closes the window. Each moment is written to standard
// output as "window-timing <event> <milliseconds since 1970> [page file]", events
// "page-loaded", "page-failed" and "enter"; bench/gui_latency reads them.
//
// Usage: window_timing QUIZ [ANSWER [ROUNDS]]   (ANSWER "yes", ROUNDS 10 by default)
// It must lie in the program folder (beside Welcome.htm), as torvi does.
#include <chrono>
#include <cstdio>

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>
#include <QTimer>

#include "app/torvi_app.h"
#include "sound/sdl_audio_player.h"
#include "ui/program_paths.h"
#include "ui/program_start.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/torvi_main_window.h"
#include "ui/qt/web_browser2.h"
#include "ui/torvi_dlg.h"

namespace {

void Report(const char* event, const QString& detail = QString()) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const double ms = std::chrono::duration<double, std::milli>(now).count();
    std::printf("window-timing %s %.3f %s\n", event, ms, detail.toUtf8().constData());
    std::fflush(stdout);
}

// Plays the learner: reacts to every finished page load of the window.
class CWindowDriver {
public:
    CWindowDriver(CTorviMainWindow& window, const QString& quiz, const QString& answer, int rounds)
        : m_window(window), m_strQuiz(quiz), m_strAnswer(answer), m_nRounds(rounds),
          m_pView(window.findChild<CWebBrowser2*>(QStringLiteral("pageView"))),
          m_pOpen(window.findChild<QAction*>(QStringLiteral("openAction"))),
          m_pBox(window.findChild<QLineEdit*>(QStringLiteral("answerBox1"))) {}

    // False when the window lacks a control the run needs.
    bool Connect() {
        if (m_pView == nullptr || m_pOpen == nullptr || m_pBox == nullptr)
            return false;
        QObject::connect(m_pView, &QWebEngineView::loadFinished, &m_window,
                         [this](bool ok) { OnPageLoaded(ok); });
        return true;
    }

private:
    void OnPageLoaded(bool ok) {
        const QString file = QFileInfo(m_pView->GetRequestedPath()).fileName();
        Report(ok ? "page-loaded" : "page-failed", file);
        // Let the load finish its own work before the next step starts.
        QTimer::singleShot(0, &m_window, [this, file] { Step(file); });
    }

    void Step(const QString& file) {
        if (!m_bOpened) {
            m_bOpened = true;
            m_window.SetOpenFileAnswer(m_strQuiz);
            m_pOpen->trigger();
            return;
        }
        // The window's question page, under the name of its own it writes.
        if (!file.startsWith(QStringLiteral("QuestionTemp-")))
            return;
        if (m_nRounds <= 0) {
            m_window.close();
            return;
        }
        --m_nRounds;
        m_pBox->setText(m_strAnswer);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        Report("enter");
        QCoreApplication::sendEvent(m_pBox, &press);
    }

    CTorviMainWindow& m_window;
    QString m_strQuiz;
    QString m_strAnswer;
    int m_nRounds;
    CWebBrowser2* m_pView;
    QAction* m_pOpen;
    QLineEdit* m_pBox;
    bool m_bOpened = false;
};

} // namespace

int main(int argc, char** argv) {
    // The same start as torvi's own main and CTorviApp::InitInstance.
    SaveStartEnvironment();
    if (!CTorviApp::HasDisplay()) {
        std::fputs("window_timing: no display; set QT_QPA_PLATFORM=offscreen\n", stderr);
        return 2;
    }
    CTorviApp::PrepareEnvironment();
    CTorviApp app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 4) {
        std::fputs("usage: window_timing QUIZ [ANSWER [ROUNDS]]\n", stderr);
        return 2;
    }
    const QString quiz = QFileInfo(args.at(1)).absoluteFilePath();
    const QString answer = args.size() > 2 ? args.at(2) : QStringLiteral("yes");
    int rounds = 10;
    if (args.size() > 3) {
        bool ok = false;
        rounds = args.at(3).toInt(&ok);
        if (!ok || rounds < 0) {
            std::fputs("window_timing: ROUNDS must be a whole number from 0 up\n", stderr);
            return 2;
        }
    }
    if (!CTorviApp::StartPageEngine()) {
        std::fprintf(stderr, "window_timing: %s\n", CTorviApp::kOleFailedText);
        return 1;
    }

    CSdlAudioPlayer player;
    CTorviMainWindow window(&player);
    CTorviDlg dialog(window, &player, FindSupportDirectory());
    window.Attach(&dialog);
    CWindowDriver driver(window, quiz, answer, rounds);
    if (!driver.Connect()) {
        std::fputs("window_timing: the window lacks its page view, File > Open or answer box\n",
                   stderr);
        return 1;
    }
    dialog.OnInitDialog();
    window.RunModal();
    player.Stop();
    window.Attach(nullptr);
    return 0;
}

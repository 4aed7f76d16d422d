#include "app/torvi_app.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QWebEngineProfile>

#include "app/end_signals.h"
#include "sound/sdl_audio_player.h"
#include "ui/program_paths.h"
#include "ui/qt/torvi_icon.h"
#include "ui/qt/torvi_main_window.h"
#include "ui/torvi_dlg.h"

const char* const CTorviApp::kOleFailedText =
    "OLE initialization failed.  Make sure that the OLE libraries are the correct version.";

CTorviApp::CTorviApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Docks and Wayland compositors match the window to its menu entry by the
    // desktop file name; the version is the one torvi-cli --version reports.
    setApplicationName(QStringLiteral("torvi"));
    setApplicationVersion(QStringLiteral(TORVI_VERSION));
    setDesktopFileName(QStringLiteral(TORVI_APP_ID));
    setWindowIcon(TorviIcon());
}

bool CTorviApp::HasDisplay() {
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

void CTorviApp::PrepareEnvironment() {
    // The page view renders through a context shared with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine's sandbox refuses to start for the superuser; without this the
    // page view would stay empty when the program runs as root.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // On Linux the engine keeps a page's text away from screen readers unless
    // told otherwise; the question is the page, so a screen reader must reach it.
    // The engine builds that tree only while a screen reader is listening.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY")) {
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    }
}

bool CTorviApp::StartPageEngine() {
    // Without its helper program the engine aborts the whole process on first
    // use, so it is looked for here first, where Qt itself will look.
    QString helper = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    if (helper.isEmpty()) {
        const QString candidates[] = {QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                                          QStringLiteral("/QtWebEngineProcess"),
                                      QCoreApplication::applicationDirPath() +
                                          QStringLiteral("/QtWebEngineProcess")};
        for (const QString& candidate : candidates) {
            if (QFileInfo(candidate).isExecutable()) {
                helper = candidate;
                break;
            }
        }
    }
    if (helper.isEmpty() || !QFileInfo(helper).isExecutable()) {
        return false;
    }
    QString resources = qEnvironmentVariable("QTWEBENGINE_RESOURCES_PATH");
    if (resources.isEmpty()) {
        resources = QLibraryInfo::path(QLibraryInfo::DataPath) + QStringLiteral("/resources");
    }
    if (!QFileInfo::exists(resources + QStringLiteral("/qtwebengine_resources.pak"))) {
        return false;
    }
    return QWebEngineProfile::defaultProfile() != nullptr;
}

bool CTorviApp::InitInstance() {
    if (!StartPageEngine()) {
        QMessageBox box(QMessageBox::Warning, applicationName(), QString::fromUtf8(kOleFailedText),
                        QMessageBox::Ok);
        box.exec();
        m_nExitCode = 1;
        return false;
    }

    // Declared in the order they must be built; they go in the reverse order, so
    // the player is silenced before the sound banks free the cues it may be reading.
    CSdlAudioPlayer player;
    CTorviMainWindow window(&player);
    // Asked to end (logout, Ctrl+C, the terminal closing): the window closes as if
    // the learner closed it, and any message box or file dialog open above it
    // gives way, so the run ends below and everything goes in order.
    CEndSignals endSignals;
    connect(&endSignals, &CEndSignals::Received, &window, [&window] {
        window.close();
        QCoreApplication::exit(0);
    });
    {
        const std::string supportDirectory = FindSupportDirectory();
        window.SetOpenFileFolder(
            QFile::decodeName(FindExampleQuizFolder(supportDirectory).c_str()));
        CTorviDlg dialog(window, &player, supportDirectory);
        window.Attach(&dialog);
        // This platform offers no automation clients, so no CTorviDlgAutoProxy is
        // ever made and closing the window always ends the program.
        dialog.OnInitDialog();
        // Queued, so that it runs in the window's loop after the window has been
        // shown: a message box about a file that does not load then stands over
        // its window, and the welcome page is not drawn over the question.
        if (!m_strStartFile.empty())
            QTimer::singleShot(0, &window,
                               [&dialog, this] { dialog.OpenQuizFile(m_strStartFile); });
        window.RunModal();
        player.Stop();
        window.Attach(nullptr);
    }
    m_nExitCode = 0;
    return false;
}

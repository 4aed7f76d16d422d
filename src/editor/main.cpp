// Torvi Quiz Editor: writes and checks quiz files. Started with no arguments (as
// the quiz window's File > New starts it) it opens a new, untitled quiz; files
// named on its command line open each in a window of its own, a vocabulary file
// or spreadsheet as File > Import brings it in.
#include <cstdio>

#include <QCommandLineParser>
#include <QFile>
#include <QMessageBox>

#include "app/end_signals.h"
#include "app/start_arguments.h"
#include "app/torvi_app.h"
#include "app/window_platform.h"
#include "convert/quiz_import.h"
#include "editor/editor_prompts.h"
#include "editor/quiz_editor_window.h"
#include "editor/recovery_store.h"
#include "ui/qt/qt_text.h"

namespace {

// A file: address, as a desktop may pass one, names its local file; anything
// else is a path already.
QString LocalFileArgument(const QString& argument) {
    std::string path;
    if (LocalPathFromFileUri(argument.toStdString(), path))
        return QFile::decodeName(path.c_str());
    return argument;
}

// A vocabulary file, spreadsheet or flashcard export opens as a new quiz made
// from it, never as the text it holds, so saving cannot turn it into a quiz file.
bool IsImported(const QString& file) {
    const std::string path = QFile::encodeName(file).toStdString();
    const std::string start = ReadFileStart(path);
    return !start.empty() && DetectInputFormat(path, start) != EFileFormat::Quiz;
}

} // namespace

int main(int argc, char** argv) {
    if (!PrepareWindowPlatform("torvi-editor", argc, argv)) {
        return 2;
    }
    CTorviApp::PrepareEnvironment();
    CTorviApp app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torvi-editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TORVI_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Torvi Quiz Editor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.torvi.editor"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes and checks Torvi quiz files, previews their questions and tries "
                       "answers on them."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Quiz files to open (a file that does not exist "
                                                "yet is created when saved); a vocabulary "
                                                "file or spreadsheet is imported."),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);

    if (!CTorviApp::StartPageEngine()) {
        QMessageBox::warning(nullptr, QStringLiteral("Torvi Quiz Editor"),
                             QStringLiteral("The page engine (QtWebEngine) cannot start, so "
                                            "questions cannot be previewed."));
        return 1;
    }

    CDialogPrompts prompts;
    const QString support = CQuizEditorWindow::FindSupportFolder();
    const QString recovery = QStringFromUtf8(CRecoveryStore::DefaultFolder());
    QList<CQuizEditorWindow*> windows =
        CQuizEditorWindow::OfferRecoveryCopies(prompts, support, recovery);
    // A file named twice, or recovered above, keeps the one window it has.
    for (const QString& argument : parser.positionalArguments()) {
        const QString file = LocalFileArgument(argument);
        if (IsImported(file)) {
            auto* window = new CQuizEditorWindow(prompts, support, recovery);
            if (window->ImportFile(file))
                windows.append(window);
            else
                delete window;
            continue;
        }
        CQuizEditorWindow* window =
            CQuizEditorWindow::OpenInWindow(prompts, support, recovery, file);
        if (window && !windows.contains(window))
            windows.append(window);
    }
    if (windows.isEmpty()) {
        auto* window = new CQuizEditorWindow(prompts, support, recovery);
        window->NewQuiz();
        windows.append(window);
    }
    for (CQuizEditorWindow* window : windows)
        window->show();

    // Asked to end (logout, Ctrl+C, the terminal closing): unsaved work is kept
    // as recovery copies for the next start instead of asking about it now.
    CEndSignals endSignals;
    QObject::connect(&endSignals, &CEndSignals::Received, &app, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<CQuizEditorWindow*>(widget))
                window->KeepForNextStart();
        QApplication::closeAllWindows();
        QCoreApplication::exit(0);
    });
    return app.exec();
}

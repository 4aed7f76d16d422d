// A quiz named on the command line: how the arguments are read, and the real
// start-up (CTorviApp) opening the file in its window once it is shown, or
// giving the message File > Open gives and staying on the welcome page.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QtTest>
#include <functional>

#include "app/start_arguments.h"
#include "app/torvi_app.h"
#include "ui/qt/torvi_main_window.h"
#include "window_controls.h"

namespace {
// The window writes its question under a name of its own in the shared page
// folder: QuestionTemp-PID-N.html.
bool IsQuestionPage(const QString& path) {
    static const QRegularExpression own(QStringLiteral("/QuestionTemp-[0-9]+-[0-9]+\\.html$"));
    return own.match(path).hasMatch();
}

// Runs the event loop, waking every 50 ms, until done says so or the time is up.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

QString PageText(CWebBrowser2* view) {
    QString text;
    bool done = false;
    view->page()->toPlainText([&](const QString& result) {
        text = result;
        done = true;
    });
    WaitUntil([&] { return done; }, 5000);
    return text;
}

CTorviMainWindow* FindQuizWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<CTorviMainWindow*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

QString DataPath(const QString& name) {
    return QStringLiteral(TORVI_GUI_DATA_DIR "/") + name;
}

CStartArguments Read(const std::vector<std::string>& arguments) {
    return ReadStartArguments(arguments, "/home/learner/quizzes");
}

} // namespace

class COpenAtStartTest : public QObject {
    Q_OBJECT

public:
    explicit COpenAtStartTest(CTorviApp& app) : m_app(app) {}

private:
    // Runs the program's start-up with path as the file named at start; while
    // the window runs, inspect is called with it, and the window is closed after.
    void RunStartUp(const QString& path, const std::function<void(CTorviMainWindow&)>& inspect) {
        bool inspected = false;
        QTimer::singleShot(0, [&] {
            CTorviMainWindow* window = nullptr;
            WaitUntil([&] { return (window = FindQuizWindow()) != nullptr; });
            QVERIFY2(window != nullptr, "the start-up shows no window");
            inspect(*window);
            inspected = true;
            window->close();
        });
        m_app.SetStartFile(QFile::encodeName(path).toStdString());
        m_app.InitInstance();
        m_app.SetStartFile({});
        QVERIFY(inspected);
        QCOMPARE(m_app.GetExitCode(), 0);
    }

    CTorviApp& m_app;

private slots:
    void ArgumentsNameOneFileOrAnOption() {
        QCOMPARE(Read({}).action, EStartAction::Run);
        QVERIFY(Read({}).file.empty());
        QCOMPARE(Read({"capitals.txt"}).file, std::string("/home/learner/quizzes/capitals.txt"));
        QCOMPARE(Read({"../capitals.csv"}).file,
                 std::string("/home/learner/quizzes/../capitals.csv"));
        QCOMPARE(Read({"/srv/q.kvtml"}).file, std::string("/srv/q.kvtml"));
        QVERIFY(Read({"/srv/q.kvtml"}).message.empty());
        QCOMPARE(Read({"--help"}).action, EStartAction::Help);
        QCOMPARE(Read({"quiz.txt", "-h"}).action, EStartAction::Help);
        QCOMPARE(Read({"--version"}).action, EStartAction::Version);
        // After "--" every argument is a file, however it is spelt.
        const CStartArguments dashed = Read({"--", "--help"});
        QCOMPARE(dashed.action, EStartAction::Run);
        QCOMPARE(dashed.file, std::string("/home/learner/quizzes/--help"));
        QCOMPARE(Read({"-"}).file, std::string("/home/learner/quizzes/-"));

        const CStartArguments unknown = Read({"--bogus", "quiz.txt"});
        QCOMPARE(unknown.action, EStartAction::Fail);
        QVERIFY(unknown.message.find("'--bogus'") != std::string::npos);
        QVERIFY(unknown.message.find("'--'") != std::string::npos);
        QCOMPARE(Read({""}).action, EStartAction::Fail);

        const CStartArguments two = Read({"a.txt", "b.txt"});
        QCOMPARE(two.action, EStartAction::Run);
        QCOMPARE(two.file, std::string("/home/learner/quizzes/a.txt"));
        QVERIFY(two.message.find("'a.txt'") != std::string::npos);
        QVERIFY(two.message.find("1 other file") != std::string::npos);
        QVERIFY(Read({"a.txt", "b.txt", "c.txt"}).message.find("2 other files") !=
                std::string::npos);
        QVERIFY(two.message.find('\n') == std::string::npos);
    }

    void FileAddressesNameLocalFilesOnly() {
        QCOMPARE(Read({"file:///home/learner/my%20quiz.txt"}).file,
                 std::string("/home/learner/my quiz.txt"));
        QCOMPARE(Read({"file://localhost/srv/q.csv"}).file, std::string("/srv/q.csv"));
        QCOMPARE(Read({"file:/srv/q.csv"}).file, std::string("/srv/q.csv"));
        QCOMPARE(Read({"file:///srv/%C3%A9t%c3%a9.txt#top"}).file,
                 std::string("/srv/\xC3\xA9t\xC3\xA9.txt"));
        // A lone % that starts no escape is the character itself.
        QCOMPARE(Read({"file:///srv/100%.txt"}).file, std::string("/srv/100%.txt"));
        for (const char* refused :
             {"file://elsewhere/srv/q.txt", "file:///srv/a%00b.txt", "file://localhost"}) {
            const CStartArguments read = Read({refused});
            QVERIFY2(read.action == EStartAction::Fail, refused);
            QVERIFY2(read.message.find(refused) != std::string::npos, refused);
        }
        // A name that only looks like an address's beginning is a relative path.
        QCOMPARE(Read({"file:quiz.txt"}).file, std::string("/home/learner/quizzes/file:quiz.txt"));
    }

    void TheProgramAnswersOptionsAndRefusesUnknownOnes() {
        const auto run = [](const QStringList& arguments, int& code) {
            QProcess process;
            process.start(QStringLiteral(TORVI_BIN_DIR "/torvi"), arguments);
            if (!process.waitForFinished(20000))
                return QStringList{QStringLiteral("<did not end>")};
            code = process.exitCode();
            return QStringList{QString::fromUtf8(process.readAllStandardOutput()),
                               QString::fromUtf8(process.readAllStandardError()).trimmed()};
        };
        int code = -1;
        QStringList out = run({QStringLiteral("--help")}, code);
        QCOMPARE(code, 0);
        QVERIFY2(out.value(0).startsWith(QStringLiteral("Usage: torvi ")),
                 qPrintable(out.value(0)));
        out = run({QStringLiteral("--version")}, code);
        QCOMPARE(code, 0);
        QCOMPARE(out.value(0), QStringLiteral("torvi (Torvi) " TORVI_VERSION "\n"));
        out = run({QStringLiteral("--bogus")}, code);
        QCOMPARE(code, 2);
        // Qt may say something of its own about the session first; the
        // program's word is one line.
        const QStringList said = out.value(1)
                                     .split(QLatin1Char('\n'))
                                     .filter(QRegularExpression(QStringLiteral("^torvi: ")));
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].startsWith(QStringLiteral("torvi: unknown option '--bogus'")),
                 qPrintable(out.value(1)));
    }

    void FileNamedAtStartShowsItsFirstQuestion() {
        const struct {
            QString file, question;
        } cases[] = {
            {QStringLiteral("capitals.txt"), QStringLiteral("What is the capital of France?")},
            {QStringLiteral("vocabulary.kvtml"), QStringLiteral("house")},
            {QStringLiteral("capitals.csv"), QStringLiteral("Capital of Spain?")},
        };
        for (const auto& c : cases) {
            RunStartUp(DataPath(c.file), [&](CTorviMainWindow& window) {
                CWebBrowser2* view = PageView(window);
                QString text;
                const bool shown = WaitUntil([&] {
                    if (!IsQuestionPage(view->GetRequestedPath()))
                        return false;
                    text = PageText(view);
                    return text.contains(c.question);
                });
                QVERIFY2(shown, qPrintable(c.file + QStringLiteral(": ") + text));
                QCOMPARE(window.windowTitle(),
                         QStringLiteral("Halvan Torvi - ") + DataPath(c.file));
                QVERIFY(AnswerBox(window, 1)->isEnabled());
                // The first paint came and went without the welcome page.
                QTest::qWait(300);
                QVERIFY(IsQuestionPage(view->GetRequestedPath()));
            });
        }
    }

    void FileThatDoesNotLoadGivesTheMessageAndTheWelcomePage() {
        const QString files[] = {DataPath(QStringLiteral("broken.txt")),
                                 DataPath(QStringLiteral("no-such-quiz.txt"))};
        for (const QString& file : files) {
            RunStartUp(file, [&](CTorviMainWindow& window) {
                // The box runs a loop of its own, so it is answered from a timer.
                QString message;
                bool overTheWindow = false;
                QTimer answer;
                QObject::connect(&answer, &QTimer::timeout, [&] {
                    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        message = box->text();
                        overTheWindow = box->parentWidget() == &window && window.isVisible();
                        box->accept();
                    }
                });
                answer.start(50);
                QVERIFY(WaitUntil([&] {
                    return !message.isEmpty() &&
                           !qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                }));
                QVERIFY2(message.contains(QStringLiteral("Bad Syntax")), qPrintable(message));
                QVERIFY(overTheWindow);
                QVERIFY(
                    PageView(window)->GetRequestedPath().endsWith(QStringLiteral("/Welcome.htm")));
                QCOMPARE(window.windowTitle(), QStringLiteral("Halvan Torvi"));
                QVERIFY(!AnswerBox(window, 1)->isEnabled());
            });
        }
    }
};

int main(int argc, char** argv) {
    // The start-up writes its pages where an installed program would; here that
    // is a folder of the test's own.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    CTorviApp::PrepareEnvironment();
    CTorviApp app(argc, argv);
    COpenAtStartTest test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "open_at_start_test.moc"

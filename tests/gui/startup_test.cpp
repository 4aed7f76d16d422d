// The window at start: the welcome page, the controls before a quiz, the
// layout, closing, and the program's start without a display or page engine.
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/torvi_app.h"
#include "app/window_platform.h"
#include "gui_fixture.h"
#include "ui/torvi_dlg_auto_proxy.h"

class CStartupTest : public QObject {
    Q_OBJECT

private slots:
    void WelcomePageIsShownAtStart() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QCOMPARE(f.PageFile(), QStringLiteral("Welcome.htm"));
        QVERIFY(f.PageText().contains(QStringLiteral("Welcome to Halvan Torvi")));
        QVERIFY(f.PageText().contains(QStringLiteral("File > Open")));
    }

    void WelcomePageIsRequestedOnlyOnce() {
        CGuiFixture f;
        QVERIFY(f.Start());
        f.window.repaint();
        f.window.hide();
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QVERIFY(!f.WaitForPage(800));
    }

    void BeforeAQuizOnlyTheMenusWork() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Halvan Torvi"));
        for (int i = 1; i <= CWindowServices::kAnswerBoxes; ++i) {
            QVERIFY2(!f.Box(i)->isEnabled(), qPrintable(QString::number(i)));
        }
        for (EButton button :
             {EButton::Explanation, EButton::Quit, EButton::Restart, EButton::Repeat}) {
            QVERIFY(!f.Button(button)->isEnabled());
        }
        QVERIFY(f.Command(EMenuItem::InOrder)->isChecked());
        QVERIFY(!f.Command(EMenuItem::JumbledUp)->isChecked());
        QVERIFY(f.Command(EMenuItem::Sound)->isChecked());
        QVERIFY(f.FeedbackText().isEmpty());
        QVERIFY(f.CommentText().isEmpty());
    }

    void ControlsLieInsideTheWindowWithoutOverlapping() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QWidget* client = f.window.findChild<QWidget*>(QStringLiteral("client"));
        QVERIFY(client != nullptr);
        std::vector<QWidget*> controls = f.TabStops();
        controls.push_back(f.window.findChild<QLabel*>(QStringLiteral("answersLabel")));
        QCOMPARE(controls.size(), size_t(18));
        for (size_t i = 0; i < controls.size(); ++i) {
            QVERIFY2(client->rect().contains(controls[i]->geometry()),
                     qPrintable(controls[i]->objectName()));
            for (size_t j = i + 1; j < controls.size(); ++j) {
                QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + " " + controls[j]->objectName()));
            }
        }
        // The page area spans nearly the whole width above the answer boxes.
        QVERIFY(f.View()->width() > client->width() * 9 / 10);
        QVERIFY(f.View()->geometry().bottom() < f.Box(1)->geometry().top());
        for (int i = 2; i <= CWindowServices::kAnswerBoxes; ++i) {
            QVERIFY(f.Box(i - 1)->geometry().bottom() < f.Box(i)->geometry().top());
        }
    }

    void ClosingTheWindowEndsTheRun() {
        CGuiFixture f;
        bool closed = false;
        QTimer::singleShot(300, &f.window, [&] {
            closed = true;
            f.window.close();
        });
        f.window.RunModal();
        QVERIFY(closed);
        QVERIFY(!f.window.isVisible());
    }

    void ClosingWithAnAutomationObjectOnlyHidesTheWindow() {
        CGuiFixture f;
        auto proxy = std::make_unique<CTorviDlgAutoProxy>(f.dialog.get());
        bool hiddenButRunning = false;
        QTimer::singleShot(300, &f.window, [&] { f.window.close(); });
        QTimer::singleShot(600, &f.window, [&] {
            hiddenButRunning = !f.window.isVisible();
            proxy.reset();
            f.window.show();
            f.window.close();
        });
        f.window.RunModal();
        QVERIFY(hiddenButRunning);
        QVERIFY(!f.window.isVisible());
    }

    void WithoutADisplayTheProgramSaysSoAndFails() {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TORVI_BIN_DIR "/torvi"), {});
        QVERIFY(process.waitForFinished(10000));
        QVERIFY(process.exitCode() != 0);
        const QString message = QString::fromUtf8(process.readAllStandardError()).trimmed();
        QVERIFY(message.contains(QStringLiteral("no display")));
        QVERIFY(!message.contains(QLatin1Char('\n')));
    }

    // Where Qt would abort the process (a display set but not answering, or
    // no plugin for it) the program says why in one line and fails instead.
    void DisplaysThatDoNotAnswerAreReportedInOneLine() {
        const QString nowhere = QDir::tempPath() + QStringLiteral("/torvi-no-compositor-here");
        const struct {
            QString wayland, x, expected;
        } cases[] = {
            {nowhere, QString(), QStringLiteral("does not answer")},
            {QStringLiteral("wayland-torvi-none"), QStringLiteral(":987"),
             QStringLiteral("\":987\" does not answer")},
        };
        for (const auto& c : cases) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
            environment.remove(QStringLiteral("DISPLAY"));
            environment.insert(QStringLiteral("WAYLAND_DISPLAY"), c.wayland);
            if (!c.x.isEmpty())
                environment.insert(QStringLiteral("DISPLAY"), c.x);
            process.setProcessEnvironment(environment);
            process.start(QStringLiteral(TORVI_BIN_DIR "/torvi"), {});
            QVERIFY(process.waitForFinished(20000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit); // no abort
            QCOMPARE(process.exitCode(), 2);
            const QString message = QString::fromUtf8(process.readAllStandardError()).trimmed();
            QVERIFY2(message.startsWith(QStringLiteral("torvi: ")), qPrintable(message));
            QVERIFY2(message.contains(c.expected), qPrintable(message));
            QVERIFY2(!message.contains(QLatin1Char('\n')), qPrintable(message));
        }
    }

    // Wayland first, X where Wayland cannot start; a list the user set is kept
    // in the user's order less what cannot start.
    void PlatformsAreChosenFromWhatAnswers() {
        int waylandAsked = 0;
        int xAsked = 0;
        // Both displays set, both plugins there, both answering.
        const auto both = [&waylandAsked, &xAsked] {
            CPlatformProbe probe;
            probe.waylandDisplay = "wayland-0";
            probe.xDisplay = ":0";
            probe.waylandPlugin = probe.xPlugin = true;
            probe.waylandAnswers = [&waylandAsked] {
                ++waylandAsked;
                return true;
            };
            probe.xAnswers = [&xAsked] {
                ++xAsked;
                return true;
            };
            return probe;
        };
        QCOMPARE(ChooseWindowPlatforms(both()).platforms, std::string("wayland;xcb"));
        // Where Wayland answers, X is kept behind it without being asked, so no
        // X server is started for the question.
        QCOMPARE(xAsked, 0);
        CPlatformProbe twice = both();
        twice.chosen = "wayland;wayland-egl;xcb";
        waylandAsked = 0;
        QCOMPARE(ChooseWindowPlatforms(twice).platforms, std::string("wayland;wayland-egl;xcb"));
        QCOMPARE(waylandAsked, 1);

        CPlatformProbe noPlugin = both();
        noPlugin.waylandPlugin = false;
        waylandAsked = 0;
        QCOMPARE(ChooseWindowPlatforms(noPlugin).platforms, std::string("xcb"));
        QCOMPARE(waylandAsked, 0);

        CPlatformProbe silent = both();
        silent.waylandAnswers = [] { return false; };
        QCOMPARE(ChooseWindowPlatforms(silent).platforms, std::string("xcb"));
        silent.xAnswers = [] { return false; };
        const CPlatformChoice none = ChooseWindowPlatforms(silent);
        QVERIFY(none.platforms.empty());
        QVERIFY(none.problem.find("\"wayland-0\" does not answer") != std::string::npos);
        QVERIFY(none.problem.find("\":0\" does not answer") != std::string::npos);

        CPlatformProbe waylandOnly = both();
        waylandOnly.waylandPlugin = false;
        waylandOnly.xDisplay.clear();
        const CPlatformChoice missing = ChooseWindowPlatforms(waylandOnly);
        QVERIFY(missing.platforms.empty());
        QVERIFY(missing.problem.find("qt6-wayland") != std::string::npos);

        CPlatformProbe chosen = both();
        chosen.waylandAnswers = [] { return false; };
        chosen.chosen = "wayland;xcb;offscreen";
        QCOMPARE(ChooseWindowPlatforms(chosen).platforms, std::string("xcb;offscreen"));
        chosen.chosen = "wayland";
        QVERIFY(ChooseWindowPlatforms(chosen).platforms.empty());
        chosen.chosenOnCommandLine = true;
        QCOMPARE(ChooseWindowPlatforms(chosen).platforms, std::string("wayland"));

        CPlatformProbe handed = both();
        handed.waylandDisplay.clear();
        handed.waylandSocket = true;
        handed.waylandAnswers = [] { return false; }; // a handed-down socket is not probed
        QCOMPARE(ChooseWindowPlatforms(handed).platforms, std::string("wayland;xcb"));
    }

    void PageEngineWithoutItsHelperProgramDoesNotStart() {
        qputenv("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess");
        const bool startedWithout = CTorviApp::StartPageEngine();
        qunsetenv("QTWEBENGINEPROCESS_PATH");
        QVERIFY(!startedWithout);
        QVERIFY(CTorviApp::StartPageEngine());
    }
};

int main(int argc, char** argv) {
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CStartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "startup_test.moc"

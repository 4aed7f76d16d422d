// The window at start: the welcome page, the controls before a quiz, the
// layout, closing, and the program's start without a display or page engine.
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/torvi_app.h"
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

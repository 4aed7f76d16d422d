// The dialog's keys: Enter reaches the quiz wherever the focus is and never
// presses a button, Esc does nothing, Ctrl+A accents inside an answer box, and
// Tab walks the controls in template order.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "app/torvi_app.h"
#include "gui_fixture.h"
#include "ui/qt/web_browser2.h"

namespace {

// The widget inside the page view that really holds the focus and its keys.
QWidget* PageKeyTarget(CWebBrowser2* view) {
    return view->focusProxy() != nullptr ? view->focusProxy() : view;
}

} // namespace

class CKeysTest : public QObject {
    Q_OBJECT

private slots:
    void EnterOnAButtonGoesToTheQuizNotTheButton() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Lyon"));
        f.Button(EButton::Quit)->setFocus();
        QSignalSpy clicked(f.Button(EButton::Quit), &QPushButton::clicked);
        f.PressEnter(f.Button(EButton::Quit));
        QCOMPARE(clicked.count(), 0);
        // Enter moved on to the next question instead of quitting.
        QVERIFY(f.WaitForPage());
        QVERIFY(f.PageText().contains(QStringLiteral("capital of Spain")));
        QVERIFY(!f.FeedbackText().startsWith(QStringLiteral("You got")));
    }

    void EnterInThePageViewJudgesTheAnswer() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        QTest::keyClicks(f.Box(1), QStringLiteral("Paris"));
        f.View()->setFocus();
        f.PressEnter(PageKeyTarget(f.View()));
        QVERIFY(f.FeedbackText().startsWith(QStringLiteral("You are Correct!!!")));
        QVERIFY(f.WaitForPage());
        QVERIFY(f.PageText().contains(QStringLiteral("capital of Spain")));
    }

    void EnterBeforeAQuizDoesNothing() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QSignalSpy finished(&f.window, &QDialog::finished);
        f.PressEnter(f.Feedback());
        QCOMPARE(finished.count(), 0);
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.dialog->GetState(), QuizState::NoQuiz);
    }

    void EscapeKeepsTheWindowOpen() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        QSignalSpy finished(&f.window, &QDialog::finished);
        QTest::keyClicks(f.Box(1), QStringLiteral("Par"));
        QTest::keyClick(f.Box(1), Qt::Key_Escape);
        QTest::keyClick(f.Feedback(), Qt::Key_Escape);
        QTest::keyClick(PageKeyTarget(f.View()), Qt::Key_Escape);
        QTest::keyClick(&f.window, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCOMPARE(finished.count(), 0);
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.dialog->GetState(), QuizState::Asking);
        QCOMPARE(f.Box(1)->text(), QStringLiteral("Par"));
    }

    void CtrlAAccentsTheLetterBeforeTheCaretInsteadOfSelectingAll() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        QTest::keyClicks(f.Box(1), QStringLiteral("cafe"));
        QTest::keyClick(f.Box(1), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.Box(1)->text(), QString::fromUtf8("caf\u00e9"));
        QCOMPARE(f.Box(1)->cursorPosition(), 4);
        QVERIFY(!f.Box(1)->hasSelectedText());

        // Typing goes on after the accented letter, and n takes its tilde.
        QTest::keyClicks(f.Box(1), QStringLiteral(" espan"));
        QTest::keyClick(f.Box(1), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.Box(1)->text(), QString::fromUtf8("caf\u00e9 espa\u00f1"));

        // A capital letter stays as it is.
        QTest::keyClicks(f.Box(1), QStringLiteral("E"));
        QTest::keyClick(f.Box(1), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.Box(1)->text(), QString::fromUtf8("caf\u00e9 espa\u00f1E"));
    }

    void CtrlAWithTheCaretInsideTheWordAccentsTheLetterBeforeIt() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Box(1)->setText(QString::fromUtf8("\U0001F600ole"));
        // The caret after the o: one emoji (two UTF-16 units) and the o.
        f.Box(1)->setCursorPosition(3);
        QTest::keyClick(f.Box(1), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.Box(1)->text(), QString::fromUtf8("\U0001F600\u00f3le"));
        QCOMPARE(f.Box(1)->cursorPosition(), 3);
    }

    void CtrlAOutsideAnAnswerBoxChangesNothing() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Lyon"));
        f.Feedback()->setFocus();
        QTest::keyClick(f.Feedback(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(!f.Feedback()->textCursor().hasSelection());
        QCOMPARE(f.Box(1)->text(), QStringLiteral("Lyon"));
    }

    void TabWalksTheOpenControlsInTemplateOrder() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Paris"));
        QVERIFY(f.WaitForPage());
        f.Answer(1, QStringLiteral("Madrid"));
        QVERIFY(f.WaitForPage());
        // Three boxes are open; Repeat Question and Explanation are disabled.
        QCOMPARE(f.window.focusWidget(), f.Box(1));
        CWebBrowser2* view = f.View();
        const std::vector<QWidget*> expected = {f.Box(2),
                                                f.Box(3),
                                                f.Feedback(),
                                                f.Button(EButton::Quit),
                                                f.Button(EButton::Restart),
                                                view,
                                                f.Comment(),
                                                f.Box(1)};
        for (QWidget* next : expected) {
            QWidget* focus = f.window.focusWidget();
            QTest::keyClick(focus, Qt::Key_Tab);
            QWidget* now = f.window.focusWidget();
            QVERIFY2(now == next || next->isAncestorOf(now) || now == next->focusProxy(),
                     qPrintable(QStringLiteral("expected %1, got %2")
                                    .arg(next->objectName(), now ? now->objectName() : "none")));
        }
        // Shift+Tab goes back the same way.
        QTest::keyClick(f.window.focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(f.window.focusWidget(), f.Comment());
        QTest::keyClick(f.window.focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QWidget* now = f.window.focusWidget();
        QVERIFY(now == view || view->isAncestorOf(now));
        QTest::keyClick(now, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(f.window.focusWidget(), f.Button(EButton::Restart));
    }
};

int main(int argc, char** argv) {
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "keys_test.moc"

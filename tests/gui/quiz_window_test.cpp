// A quiz played in the real window: the pages the view shows, the feedback and
// comment boxes, which boxes and buttons are open, and the score.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/torvi_app.h"
#include "gui_fixture.h"

class CQuizWindowTest : public QObject {
    Q_OBJECT

private slots:
    void OpeningAQuizAsksItsFirstQuestion() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        QCOMPARE(f.PageFile(), QStringLiteral("QuestionTemp.html"));
        QVERIFY(f.PageText().contains(QStringLiteral("What is the capital of France?")));
        QCOMPARE(f.window.windowTitle(),
                 QStringLiteral("Halvan Torvi - ") + CGuiFixture::DataPath("capitals.txt"));
        QVERIFY(f.Box(1)->isEnabled());
        QVERIFY(f.Box(1)->isVisible());
        for (int i = 2; i <= CWindowServices::kAnswerBoxes; ++i) {
            QVERIFY(!f.Box(i)->isVisible());
            QVERIFY(!f.Box(i)->isEnabled());
        }
        QCOMPARE(f.window.focusWidget(), f.Box(1));
        QVERIFY(f.Button(EButton::Quit)->isEnabled());
        QVERIFY(f.Button(EButton::Restart)->isEnabled());
        QVERIFY(!f.Button(EButton::Repeat)->isEnabled());
        QVERIFY(!f.Button(EButton::Explanation)->isEnabled());
    }

    void RightAnswerSaysCorrectAndAsksTheNextQuestion() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("paris"));
        QVERIFY(f.WaitForPage());
        QCOMPARE(f.FeedbackText(), QStringLiteral("You are Correct!!!\n\nParis"));
        QCOMPARE(f.CommentText(), QStringLiteral("Paris lies on the Seine."));
        QVERIFY(f.PageText().contains(QStringLiteral("What is the capital of Spain?")));
        QVERIFY(f.Box(1)->text().isEmpty());
        QVERIFY(f.Box(1)->isEnabled());
    }

    void WrongAnswerShowsTheCorrectionUntilEnter() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Lyon"));
        QCOMPARE(f.FeedbackText(), QStringLiteral("You are wrong, the correct answer is:      "
                                                  "{Press Enter to continue}\nParis"));
        QCOMPARE(f.CommentText(), QStringLiteral("Paris lies on the Seine."));
        QVERIFY(!f.Box(1)->isEnabled());
        QVERIFY(f.Box(1)->isVisible());
        QCOMPARE(f.Box(1)->text(), QStringLiteral("Lyon"));
        QVERIFY(f.Button(EButton::Repeat)->isEnabled());
        QVERIFY(f.Button(EButton::Explanation)->isEnabled());
        // The question stays on the page until Enter.
        QVERIFY(!f.WaitForPage(300));
        QVERIFY(f.PageText().contains(QStringLiteral("capital of France")));

        f.PressEnter(f.window.focusWidget() ? f.window.focusWidget() : &f.window);
        QVERIFY(f.WaitForPage());
        QVERIFY(f.PageText().contains(QStringLiteral("capital of Spain")));
        QVERIFY(f.FeedbackText().isEmpty());
        QVERIFY(f.CommentText().isEmpty());
    }

    void ExplanationButtonShowsTheExplanationPage() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Lyon"));
        QTest::mouseClick(f.Button(EButton::Explanation), Qt::LeftButton);
        QVERIFY(f.WaitForPage());
        QCOMPARE(f.PageFile(), QStringLiteral("ExplanationTemp.html"));
        QVERIFY(f.PageText().contains(QStringLiteral("since the Middle Ages")));
    }

    void RepeatQuestionAsksTheSameQuestionAgain() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Lyon"));
        QTest::mouseClick(f.Button(EButton::Repeat), Qt::LeftButton);
        QVERIFY(f.WaitForPage());
        QVERIFY(f.PageText().contains(QStringLiteral("capital of France")));
        QVERIFY(f.Box(1)->isEnabled());
        QVERIFY(f.Box(1)->text().isEmpty());
        QVERIFY(f.FeedbackText().isEmpty());
    }

    void QuitShowsTheScoreAndLeavesOnlyRestart() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Paris"));
        QVERIFY(f.WaitForPage());
        QTest::mouseClick(f.Button(EButton::Quit), Qt::LeftButton);
        QCOMPARE(f.FeedbackText(), QStringLiteral("You got 1/3 right."));
        QVERIFY(f.CommentText().isEmpty());
        QVERIFY(f.Button(EButton::Restart)->isEnabled());
        QVERIFY(!f.Button(EButton::Quit)->isEnabled());
        QVERIFY(!f.Button(EButton::Repeat)->isEnabled());
        QVERIFY(!f.Button(EButton::Explanation)->isEnabled());
        QVERIFY(!f.Box(1)->isEnabled());
        QVERIFY(f.window.isVisible());

        QTest::mouseClick(f.Button(EButton::Restart), Qt::LeftButton);
        QVERIFY(f.WaitForPage());
        QVERIFY(f.PageText().contains(QStringLiteral("capital of France")));
    }

    void PlayingThroughShowsTheFinalScore() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        f.Answer(1, QStringLiteral("Paris"));
        QVERIFY(f.WaitForPage());
        f.Answer(1, QStringLiteral("Barcelona"));
        f.PressEnter(f.window.focusWidget() ? f.window.focusWidget() : &f.window);
        QVERIFY(f.WaitForPage());
        QVERIFY(f.PageText().contains(QStringLiteral("primary colours")));
        for (int i = 1; i <= 3; ++i) {
            QVERIFY(f.Box(i)->isVisible());
        }
        QVERIFY(!f.Box(4)->isVisible());
        QTest::keyClicks(f.Box(1), QStringLiteral("blue"));
        QTest::keyClicks(f.Box(2), QStringLiteral("red"));
        QTest::keyClicks(f.Box(3), QStringLiteral("green"));
        f.PressEnter(f.Box(3));
        QCOMPARE(f.FeedbackText(), QStringLiteral("You got 2/3 right."));
        QVERIFY(!f.Button(EButton::Quit)->isEnabled());
        QVERIFY(f.Button(EButton::Restart)->isEnabled());
        // The last question's page stays.
        QVERIFY(f.PageText().contains(QStringLiteral("primary colours")));
    }

    void WordsOfOtherAlphabetsAreJudgedInTheirOwnLetters() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("unicode_words.txt")));
        // Letters beyond Latin-1 come from an input method, as a committed text.
        const auto commit = [&f](const QString& text) {
            QInputMethodEvent event;
            event.setCommitString(text);
            QCoreApplication::sendEvent(f.Box(1), &event);
            f.PressEnter(f.Box(1));
        };
        commit(QStringLiteral("КОШКА"));
        QVERIFY(f.WaitForPage());
        QCOMPARE(f.FeedbackText(), QStringLiteral("You are Correct!!!\n\nкошка"));
        QVERIFY(f.PageText().contains(QStringLiteral("Deutsch")));
        f.Answer(1, QStringLiteral("STRASSE"));
        QCOMPARE(f.FeedbackText(), QStringLiteral("You got 2/2 right."));
    }

    void QuizFileThatDoesNotLoadShowsTheSyntaxMessage() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QString shown;
        QString caption;
        f.WhenModalAppears([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box != nullptr) {
                shown = box->text();
                caption = box->windowTitle();
                box->accept();
            } else {
                modal->close();
            }
        });
        f.window.SetOpenFileAnswer(CGuiFixture::DataPath(QStringLiteral("broken.txt")));
        f.Command("openAction")->trigger();
        QCOMPARE(shown, QStringLiteral("Bad Syntax for Torvi file.\n\n It's probably a question "
                                       "not matched with an answer."));
        QCOMPARE(caption, QStringLiteral("Torvi"));
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Halvan Torvi"));
        QVERIFY(!f.Box(1)->isEnabled());
    }

    void OpenDialogOffersTxtFilesInTheExamplesThenInTheLastQuizFolder() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QTemporaryDir examples;
        QVERIFY(examples.isValid());
        f.window.SetOpenFileFolder(examples.path());
        const QString quiz = CGuiFixture::DataPath(QStringLiteral("capitals.txt"));

        // What the dialog showed each time: its folder, filters and file name.
        QString folder;
        QStringList filters;
        QString name;
        auto look = [&] {
            f.WhenModalAppears([&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (dialog != nullptr) {
                    folder = QDir(dialog->directory()).canonicalPath();
                    filters = dialog->nameFilters();
                    auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                    name = nameBox != nullptr ? nameBox->text() : QString();
                }
                modal->close();
            });
            f.Command("openAction")->trigger();
        };

        look();
        QCOMPARE(folder, QDir(examples.path()).canonicalPath());
        // Quizzes first, then the files of other programs that open as quizzes.
        QVERIFY(filters.size() >= 3);
        QCOMPARE(filters.constFirst(), QStringLiteral("*.txt"));
        QVERIFY(filters.join(u' ').contains(QStringLiteral("*.kvtml")));
        QVERIFY(filters.join(u' ').contains(QStringLiteral("*.csv")));
        QCOMPARE(name, QStringLiteral("*.txt"));
        // Cancelled: no quiz was chosen, so it still starts among the examples.
        folder.clear();
        look();
        QCOMPARE(folder, QDir(examples.path()).canonicalPath());

        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        look();
        QCOMPARE(folder, QFileInfo(quiz).dir().canonicalPath());
        QCOMPARE(name, QStringLiteral("*.txt"));
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Halvan Torvi - ") + quiz);
    }

    void VocabularyFileAndSpreadsheetArePlayedInTheWindow() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("vocabulary.kvtml")));
        QCOMPARE(f.window.windowTitle(),
                 QStringLiteral("Halvan Torvi - ") +
                     CGuiFixture::DataPath(QStringLiteral("vocabulary.kvtml")));
        QVERIFY(f.PageText().contains(QStringLiteral("house")));
        f.Answer(1, QStringLiteral("maison"));
        QVERIFY(f.WaitForPage());
        QVERIFY(f.FeedbackText().startsWith(QStringLiteral("You are Correct!!!")));
        QCOMPARE(f.CommentText(), QString::fromUtf8("féminin"));
        QVERIFY(f.PageText().contains(QStringLiteral("cat")));

        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.csv")));
        QVERIFY(f.PageText().contains(QStringLiteral("Capital of Spain?")));
        f.Answer(1, QStringLiteral("madrid"));
        QVERIFY(f.FeedbackText().contains(QStringLiteral("You got 1/1 right.")));
    }

    void QuizFileThatDoesNotLoadBringsBackTheWelcomePage() {
        CGuiFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.OpenQuiz(QStringLiteral("capitals.txt")));
        QVERIFY(f.PageText().contains(QStringLiteral("What is the capital of France?")));
        f.WhenModalAppears([](QWidget* modal) { modal->close(); });
        f.window.SetOpenFileAnswer(CGuiFixture::DataPath(QStringLiteral("broken.txt")));
        f.Command("openAction")->trigger();
        QVERIFY(f.WaitForPage());
        QCOMPARE(f.PageFile(), QStringLiteral("Welcome.htm"));
        const QString page = f.PageText();
        QVERIFY(page.contains(QStringLiteral("Welcome to Halvan Torvi")));
        QVERIFY(!page.contains(QStringLiteral("capital")));
        QVERIFY(!f.Box(1)->isEnabled());
    }
};

int main(int argc, char** argv) {
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CQuizWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "quiz_window_test.moc"

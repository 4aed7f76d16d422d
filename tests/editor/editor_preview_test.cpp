// The preview of the question at the caret, as the quiz window shows it, and
// the answer box, which judges a typed answer as torvi-cli judge explains it.
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextCursor>
#include <QtTest>

#include "app/torvi_app.h"
#include "editor/quiz_code_edit.h"
#include "editor_test_support.h"
#include "ui/page_composer.h"
#include "ui/qt/torvi_main_window.h"
#include "ui/qt/web_browser2.h"

namespace {
// What torvi-cli judge prints for the pair, less its ignore-list line (which
// names the file as given on its command line).
QStringList CliJudgeLines(const QString& expected, const QString& typed) {
    QProcess cli;
    cli.start(QStringLiteral(TORVI_BIN_DIR "/torvi-cli"),
              {QStringLiteral("judge"), QStringLiteral("--ignore-words"),
               QStringLiteral("IgnoreW.TXT"), QStringLiteral("--"), expected, typed});
    if (!cli.waitForFinished(20000))
        return {};
    QStringList lines =
        QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf(
        [](const QString& line) { return line.startsWith(QStringLiteral("Ignore list:")); });
    return lines;
}
} // namespace

class CEditorPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void PreviewShowsTheQuestionAtTheCaret() {
        CEditorFixture f;
        f.Window().show();
        CQuizCodeEdit* editor = f.Window().GetEditor();
        f.ReplaceText(QStringLiteral("What is the capital of France?\nParis\n;On the Seine.\n"
                                     "\nName two colours,/\nin this order.\n>>red/\nblue\n"
                                     "~Red comes first.\n"));
        editor->GoToLine(1);
        // The page view loads the page in its own time.
        QTRY_COMPARE_WITH_TIMEOUT(f.PreviewText(f.Window()),
                                  QStringLiteral("What is the capital of France?"), 20000);
        QCOMPARE(f.Window().GetPreviewedQuestion(), 0);
        const QString first = f.Window().GetPreviewDetails()->toPlainText();
        QVERIFY(first.contains(QStringLiteral("1. Paris")));
        QVERIFY(first.contains(QStringLiteral("Comment: On the Seine.")));

        // Any line of the second record shows the second question.
        editor->GoToLine(8);
        QTRY_COMPARE_WITH_TIMEOUT(f.PreviewText(f.Window()),
                                  QStringLiteral("Name two colours,\nin this order."), 20000);
        const QString second = f.Window().GetPreviewDetails()->toPlainText();
        QVERIFY(second.contains(QStringLiteral("in this order:\n  1. red\n  2. blue")));
        QVERIFY(second.contains(QStringLiteral("Explanation: Red comes first.")));
        QVERIFY(!second.contains(QStringLiteral("Paris")));
        editor->GoToLine(2);
        QCOMPARE(f.Window().GetPreviewedQuestion(), 0);
    }

    void PreviewIsTheQuizWindowsPage() {
        CTorviMainWindow quizWindow(nullptr);
        const QWidget* pageArea = quizWindow.findChild<QWidget*>(QStringLiteral("pageView"));
        QVERIFY(pageArea != nullptr);
        const QWidget* feedback =
            quizWindow.findChild<QPlainTextEdit*>(QStringLiteral("feedbackBox"));
        QVERIFY(feedback != nullptr);
        const int width = feedback->geometry().width() - 40;

        CEditorFixture f;
        QCOMPARE(f.Window().GetPreview()->size(), pageArea->size());
        // A Windows-1252 quiz gives a page in that character set; a UTF-8 one in UTF-8.
        const struct {
            QByteArray file;
            QByteArray question;
            bool utf8;
        } quizzes[] = {
            {"Caf\xe9 <b>cr\xe8me</b>?/\nline two\nA\n", "Caf\xe9 <b>cr\xe8me</b>?\nline two",
             false},
            {"Caf\xc3\xa9 cr\xc3\xa8me?\r\nA\r\n", "Caf\xc3\xa9 cr\xc3\xa8me?", true},
        };
        for (const auto& quiz : quizzes) {
            f.WriteFile(QStringLiteral("quiz.txt"), quiz.file);
            QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("quiz.txt"))));
            QFile page(f.Window().GetPreview()->GetRequestedPath());
            QVERIFY(page.open(QIODevice::ReadOnly));
            const CTextBuffer expected = ComposePage(quiz.question.constData(), width, quiz.utf8);
            QCOMPARE(page.readAll(), QByteArray(expected.GetText(), expected.GetLength()));
        }
    }

    void EachWindowPreviewsIntoAPageOfItsOwn() {
        CEditorFixture f;
        CQuizEditorWindow* other = f.MakeWindow();
        other->NewQuiz();
        f.ReplaceText(QStringLiteral("Which river flows through Paris?\nSeine\n"));
        QTextCursor cursor(other->GetEditor()->document());
        cursor.select(QTextCursor::Document);
        cursor.insertText(QStringLiteral("Which river flows through Rome?\nTiber\n"));
        QVERIFY(f.WaitForCheck(*other));

        const QString mine = f.Window().GetPreview()->GetRequestedPath();
        const QString theirs = other->GetPreview()->GetRequestedPath();
        QFile minePage(mine);
        QVERIFY(minePage.open(QIODevice::ReadOnly));
        QVERIFY(minePage.readAll().contains("through Paris?"));
        QFile theirPage(theirs);
        QVERIFY(theirPage.open(QIODevice::ReadOnly));
        QVERIFY(theirPage.readAll().contains("through Rome?"));

        // A window takes its page with it; the other window's stays.
        delete other;
        QVERIFY(!QFileInfo::exists(theirs));
        QVERIFY(QFileInfo::exists(mine));
    }

    void NoQuestionToShowWhenTheQuizDoesNotLoad() {
        CEditorFixture f;
        f.ReplaceText(QStringLiteral("Q1\n<html>A</html>\n"));
        QCOMPARE(f.Window().GetPreviewedQuestion(), -1);
        QVERIFY(f.Window().GetPreviewDetails()->toPlainText().contains(
            QStringLiteral("does not load")));
        f.ReplaceText(QStringLiteral("Q1\nA\n"));
        QCOMPARE(f.Window().GetPreviewedQuestion(), 0);
    }

    void AnswerBoxGivesTheJudgesVerdictAndWhy() {
        CEditorFixture f;
        f.ReplaceText(QStringLiteral("Which battle was in 1066?\nThe Battle of Hastings\n"));
        QLineEdit* box = f.Window().GetAnswerBox();
        for (const QString& typed :
             {QStringLiteral("hastings"), QStringLiteral("battle of hastings"),
              QStringLiteral("the hastings battle, 1066")}) {
            box->clear();
            QTest::keyClicks(box, typed);
            const QString shown = f.Window().GetVerdicts()->toPlainText();
            const QStringList cli = CliJudgeLines(QStringLiteral("The Battle of Hastings"), typed);
            QCOMPARE(cli.size(), 10);
            for (const QString& line : cli)
                QVERIFY2(shown.contains(QStringLiteral("  ") + line + u'\n'), qPrintable(line));
            const bool right = cli[0].endsWith(QStringLiteral("right"));
            QCOMPARE(shown.startsWith(QStringLiteral("Right")), right);
        }
        QVERIFY(f.Window().GetVerdicts()->toPlainText().contains(
            QStringLiteral("Ignore list:     IgnoreW.TXT (93 entries)")));
    }

    void TriedAnswerIsJudgedWithTheQuizsOwnOptionsOnly() {
        CEditorFixture f;
        // With these options "the" counts and half of the words is enough.
        f.ReplaceText(QStringLiteral("option:PercentForCorrect:0.5\noption:DontIgnore:the\n"
                                     "Q\nthe cat\n"));
        QTest::keyClicks(f.Window().GetAnswerBox(), QStringLiteral("the"));
        QString shown = f.Window().GetVerdicts()->toPlainText();
        QVERIFY2(shown.startsWith(QStringLiteral("Right")), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("Share:           1 of 2 = 0.5")));
        QVERIFY(shown.contains(QStringLiteral("(92 entries)")));

        // Without them, "the" is an ignore word again and the threshold 0.65:
        // options never outlive the text that set them.
        f.ReplaceText(QStringLiteral("Q\nthe cat\n"));
        shown = f.Window().GetVerdicts()->toPlainText();
        QVERIFY2(shown.startsWith(QStringLiteral("Wrong")), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("Ignored:         the")));
        QVERIFY(shown.contains(QStringLiteral("Threshold:       0.65")));
    }

    void EveryExpectedAnswerIsTriedAndTheQuestionsVerdictFollowsTheBoxes() {
        CEditorFixture f;
        f.ReplaceText(QStringLiteral("Colours?\nred/\nblue\nIn order?\n>>red/\nblue\n"));
        QTest::keyClicks(f.Window().GetAnswerBox(), QStringLiteral("blue red"));
        f.Window().GetEditor()->GoToLine(1);
        QString shown = f.Window().GetVerdicts()->toPlainText();
        QVERIFY(shown.contains(QStringLiteral("Expected answer 1: \"red\"")));
        QVERIFY(shown.contains(QStringLiteral("Expected answer 2: \"blue\"")));
        QVERIFY(shown.contains(QStringLiteral("matches 2 of the 2 expected answers: the question "
                                              "would be right")));
        // In order, one box answers only the first answer.
        f.Window().GetEditor()->GoToLine(5);
        shown = f.Window().GetVerdicts()->toPlainText();
        QVERIFY2(
            shown.startsWith(QStringLiteral("Typed in the first box, it is right for the first")),
            qPrintable(shown));
    }
};

int main(int argc, char** argv) {
    UsePrivateSettings();
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CEditorPreviewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_preview_test.moc"

// Checking as the author types: each mistake at its line in the problem list,
// the margin and the status line, gone once it is fixed; and the colours of
// the format's parts, which must read the file as the loader does.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/torvi_app.h"
#include "check/quiz_checker.h"
#include "editor/quiz_code_edit.h"
#include "editor/quiz_line_roles.h"
#include "editor_test_support.h"
#include "text/encoding.h"

namespace {
// Types text into the editor key by key, a line end as Return.
void Type(CQuizCodeEdit* editor, const QString& text) {
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClicks(editor, lines[i]);
    }
}

std::vector<CLineRole> Roles(const char* text) {
    return ClassifyQuizLines(text);
}
} // namespace

class CEditorCheckingTest : public QObject {
    Q_OBJECT

private slots:
    void BrokenQuizShowsItsErrorAtItsLineAndFixingItClearsIt() {
        CEditorFixture f;
        f.ReplaceText(QString());
        CQuizCodeEdit* editor = f.Window().GetEditor();
        Type(editor, QStringLiteral("Q1\nA1\n\nQuestion two/\ncontinued"));
        QVERIFY(f.WaitForCheck(f.Window()));
        QCOMPARE(f.ProblemLines(f.Window()), QStringList{QStringLiteral("4: error")});
        QVERIFY(f.Window().GetProblemList()->item(0)->text().contains(QStringLiteral(
            "question without an answer block (the file ends after it): \"Question two/\"")));
        QCOMPARE(editor->GetMarks().value(4), CQuizCodeEdit::EMark::Error);
        QCOMPARE(editor->GetMarks().size(), 1);
        QCOMPARE(f.Window().GetStatusLine()->text(),
                 QStringLiteral("0 questions, 1 error, 0 warnings"));

        // The continuation took "continued" into the question; an answer fixes it.
        Type(editor, QStringLiteral("\nits answer"));
        QVERIFY(f.WaitForCheck(f.Window()));
        QCOMPARE(f.ProblemLines(f.Window()), QStringList());
        QVERIFY(editor->GetMarks().isEmpty());
        QCOMPARE(f.Window().GetStatusLine()->text(),
                 QStringLiteral("2 questions, 0 errors, 0 warnings"));
    }

    void ProblemsAreTheCheckersOwnWithLinesAndKinds() {
        // The same text as a file for the command-line check and typed into the
        // editor: the same problems at the same lines.
        const QByteArray quiz = "\noption:PercentForCorrect:0.5\nQ\nThe/\nred\n"
                                "Q2\nA2\noption:DontIgnore:x\nQ3\n<html>no</html>\n";
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), quiz);
        CAnswerJudge ignore(nullptr);
        QVERIFY(ignore.LoadIgnoreWords("IgnoreW.TXT"));
        const CQuizCheck check =
            CheckQuizFile(f.Path(QStringLiteral("quiz.txt")).toStdString(), ignore, &ToUtf8);
        QVERIFY(!check.diagnostics.empty());

        f.ReplaceText(QString::fromUtf8(quiz));
        QListWidget* list = f.Window().GetProblemList();
        QCOMPARE(list->count(), static_cast<int>(check.diagnostics.size()));
        for (int i = 0; i < list->count(); ++i) {
            const CQuizDiagnostic& d = check.diagnostics[static_cast<size_t>(i)];
            QCOMPARE(list->item(i)->data(Qt::UserRole).toInt(), d.line);
            QCOMPARE(list->item(i)->text(),
                     QStringLiteral("Line %1: %2: %3")
                         .arg(d.line)
                         .arg(d.error ? QStringLiteral("error") : QStringLiteral("warning"),
                              QString::fromStdString(d.text)));
        }
        QCOMPARE(f.Window().GetStatusLine()->text(), QString::fromStdString(check.Summary()));
        // An error outranks a warning in the margin; every listed line is marked.
        for (const CQuizDiagnostic& d : check.diagnostics)
            QVERIFY(f.Window().GetEditor()->GetMarks().contains(d.line));
        QCOMPARE(f.Window().GetEditor()->GetMarks().value(10), CQuizCodeEdit::EMark::Error);
    }

    void ClickingAProblemPutsTheCaretOnItsLine() {
        CEditorFixture f;
        f.Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.Window()));
        f.ReplaceText(QStringLiteral("Q1\nA1\nQ2\nA2\nQ3\n"));
        QListWidget* list = f.Window().GetProblemList();
        QCOMPARE(list->count(), 1);
        f.Window().GetEditor()->GoToLine(1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(f.Window().GetEditor()->GetCaretLine(), 5);
    }

    void NewQuizTemplateIsACleanQuiz() {
        CEditorFixture f;
        QVERIFY(!f.Window().IsModified());
        QVERIFY(f.Window().GetPath().isEmpty());
        QCOMPARE(f.Window().GetStatusLine()->text(),
                 QStringLiteral("3 questions, 0 errors, 0 warnings"));
        QVERIFY(f.Window().GetEditor()->toPlainText().startsWith(QStringLiteral("option:")));
    }

    void CharacterTheFileCannotHoldIsAnErrorAtItsLine() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("latin.txt"), "Caf\xe9?\ncoffee\n");
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("latin.txt"))));
        QTextCursor end(f.Window().GetEditor()->document());
        end.movePosition(QTextCursor::End);
        end.insertText(QStringLiteral("Tick?\nyes \u2713\n"));
        QVERIFY(f.WaitForCheck(f.Window()));
        QCOMPARE(f.ProblemLines(f.Window()), QStringList{QStringLiteral("4: error")});
        QVERIFY(f.Window().GetProblemList()->item(0)->text().contains(QStringLiteral("U+2713")));
        QCOMPARE(f.Window().GetStatusLine()->text(),
                 QStringLiteral("2 questions, 1 error, 0 warnings"));
    }

    void LettersBeyondAsciiOfferTheWordsOptionAsOneUndoableEdit() {
        CEditorFixture f;
        const QString quiz = QStringLiteral("Q\nStra\u00dfe\nQ2\n\u043a\u043e\u0448\u043a\u0430\n"
                                            "Q3\nParis\n");
        f.ReplaceText(quiz);
        CQuizEditorWindow& window = f.Window();
        QCOMPARE(f.ProblemLines(window),
                 (QStringList{QStringLiteral("2: warning"), QStringLiteral("4: warning")}));
        QPushButton* button = window.GetWordsFixButton();
        QVERIFY(button->isVisibleTo(&window));
        QVERIFY(window.GetWordsFixAction()->isEnabled());
        QVERIFY(button->accessibleDescription().startsWith(
            QStringLiteral("2 expected answers hold letters beyond A-Z")));
        // The caret's text does not move under it.
        window.GetEditor()->GoToLine(5);

        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(window.GetEditor()->toPlainText(),
                 QStringLiteral("option:Words:Unicode\n") + quiz);
        QCOMPARE(f.ProblemLines(window), QStringList());
        QCOMPARE(window.GetStatusLine()->text(),
                 QStringLiteral("3 questions, 0 errors, 0 warnings"));
        QVERIFY(!button->isVisibleTo(&window));
        QVERIFY(!window.GetWordsFixAction()->isEnabled());
        QCOMPARE(window.GetEditor()->GetCaretLine(), 6);
        // The judge now reads the word whole.
        window.GetEditor()->GoToLine(2);
        QTest::keyClicks(window.GetAnswerBox(), QStringLiteral("STRASSE"));
        QVERIFY2(window.GetVerdicts()->toPlainText().startsWith(QStringLiteral("Right")),
                 qPrintable(window.GetVerdicts()->toPlainText()));

        // One undo takes the line out, and the warnings are back.
        window.GetEditor()->undo();
        QVERIFY(f.WaitForCheck(window));
        QCOMPARE(window.GetEditor()->toPlainText(), quiz);
        QCOMPARE(f.ProblemLines(window).size(), 2);
        QVERIFY(button->isVisibleTo(&window));
    }

    void WordsOptionGoesAboveABlankFirstLineAndItsHeader() {
        // The header is read only from the file's first character on: the line
        // goes above the blank line, and the option lines under it, which the
        // blank line kept from being read, are read with it.
        CEditorFixture f;
        const QString quiz =
            QStringLiteral("\noption:PercentForCorrect:0.5\nQ\ncaf\u00e9 cr\u00e8me\n");
        f.ReplaceText(quiz);
        CQuizEditorWindow& window = f.Window();
        QVERIFY(window.GetCheck().Offers(EQuizFix::AddWordsUnicodeOption));
        window.GetWordsFixAction()->trigger();
        QCOMPARE(window.GetEditor()->toPlainText(),
                 QStringLiteral("option:Words:Unicode\n") + quiz);
        QCOMPARE(f.ProblemLines(window), QStringList());
        QCOMPARE(window.GetCheck().questionCount, 1);
        // Half of the words is enough, as the header says.
        window.GetEditor()->GoToLine(4);
        QTest::keyClicks(window.GetAnswerBox(), QStringLiteral("CAF\u00c9"));
        const QString shown = window.GetVerdicts()->toPlainText();
        QVERIFY2(shown.startsWith(QStringLiteral("Right")), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("Words:           unicode")));
    }

    void WordsFixAnswersTheKeyboard() {
        CEditorFixture f;
        f.Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.Window()));
        f.Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.Window()));
        f.ReplaceText(QStringLiteral("Q\n\u03b3\u03ac\u03c4\u03b1\n"));
        // Alt+W, from anywhere in the window; the button shows itself pressed first.
        QTest::keyClick(f.Window().GetEditor(), Qt::Key_W, Qt::AltModifier);
        QTRY_VERIFY(f.Window().GetEditor()->toPlainText().startsWith(
            QStringLiteral("option:Words:Unicode\nQ\n")));
        QCOMPARE(f.ProblemLines(f.Window()), QStringList());
        // The focus goes back to the text, not lost with the hidden button.
        QCOMPARE(QApplication::focusWidget(), f.Window().GetEditor());
    }

    // The colours: the traps of the format must show as the loader reads them.
    void SemicolonRightAfterAQuestionIsItsAnswer() {
        const auto roles = Roles("What is the capital of Italy?\n;Rome is on the Tiber.\nNext\n");
        QCOMPARE(roles[0].role, ELineRole::Question);
        QCOMPARE(roles[1].role, ELineRole::Answer);
        QCOMPARE(roles[2].role, ELineRole::Question);
        // After an answer block it is a comment; a "~" line an explanation.
        const auto marked = Roles("Q\nA\n;c\n~e\nQ2\n");
        QCOMPARE(marked[2].role, ELineRole::Comment);
        QCOMPARE(marked[3].role, ELineRole::Explanation);
        QCOMPARE(marked[4].role, ELineRole::Question);
    }

    void ContinuationMarkSwallowsTheNextLine() {
        // Blanks after a mark count only on a block's first line.
        const auto roles = Roles("Q1\nA1/  \nB1/  \nQ2\nA2\n");
        QCOMPARE(roles[1].continuationAt, 2);
        QCOMPARE(roles[2].role, ELineRole::Answer);
        QCOMPARE(roles[2].continuationAt, -1);
        QCOMPARE(roles[3].role, ELineRole::Question);
        const auto swallowed = Roles("Q1\nA1 //\t\n\nQ2\nA2\\\n;c\n");
        QCOMPARE(swallowed[1].continuationAt, 3);
        QCOMPARE(swallowed[2].role, ELineRole::Blank);
        QCOMPARE(swallowed[3].role, ELineRole::Answer);
        QCOMPARE(swallowed[4].role, ELineRole::Question);
        // A question block goes on into a marked line; an answer block stops before it.
        QCOMPARE(swallowed[4].continuationAt, 2);
        QCOMPARE(swallowed[5].role, ELineRole::Question);
        const auto question = Roles("Q/\n;part of the question\nA\n;comment\n");
        QCOMPARE(question[1].role, ELineRole::Question);
        QCOMPARE(question[2].role, ELineRole::Answer);
        QCOMPARE(question[3].role, ELineRole::Comment);
        const auto stop = Roles("Q\nA/\n;comment\n");
        QCOMPARE(stop[1].continuationAt, -1);
        QCOMPARE(stop[2].role, ELineRole::Comment);
    }

    void UnclosedHtmlBlockTakesInTheRestOfTheFile() {
        const auto roles = Roles("<html><body>Q\n;not a comment\n~nor this\nA\n");
        for (size_t i = 0; i < 4; ++i) {
            QCOMPARE(roles[i].role, ELineRole::Question);
            QVERIFY(roles[i].html);
        }
        const auto closed = Roles("Q\nA\n~<HTML>x\n</html>\nQ2\nA2\n");
        QCOMPARE(closed[2].role, ELineRole::Explanation);
        QVERIFY(closed[3].html);
        QCOMPARE(closed[4].role, ELineRole::Question);
        QVERIFY(!closed[4].html);
    }

    void BlankFirstLineHidesTheOptionHeader() {
        const auto hidden = Roles("\noption:PercentForCorrect:0.5\nQ\nA\n");
        QCOMPARE(hidden[0].role, ELineRole::Question);
        QCOMPARE(hidden[1].role, ELineRole::Answer);
        QCOMPARE(hidden[2].role, ELineRole::Question);
        QCOMPARE(hidden[3].role, ELineRole::Answer);
        const auto header = Roles("OPTION:a\n\noption:b\nQ\n>>A/\nB\noption:c\n");
        QCOMPARE(header[0].role, ELineRole::Option);
        QCOMPARE(header[1].role, ELineRole::Blank);
        QCOMPARE(header[2].role, ELineRole::Option);
        QCOMPARE(header[3].role, ELineRole::Question);
        QCOMPARE(header[4].role, ELineRole::Answer);
        QVERIFY(header[4].blockStart);
        QCOMPARE(header[5].role, ELineRole::Answer);
        QVERIFY(!header[5].blockStart);
        QCOMPARE(header[6].role, ELineRole::Question);
    }

    void QuestionsStartWhereTheLoaderStartsThem() {
        // Every sample quiz of the loader's own test data: the lines coloured
        // as the start of a question are exactly the loader's question lines.
        QStringList files;
        for (const char* folder :
             {TORVI_SOURCE_DIR "/fuzz/corpus/load", TORVI_SOURCE_DIR "/tests/data/run",
              TORVI_SOURCE_DIR "/tests/data/ui", TORVI_SOURCE_DIR "/res/quizzes"})
            for (const QFileInfo& info : QDir(QString::fromUtf8(folder)).entryInfoList(QDir::Files))
                files << info.filePath();
        QVERIFY(files.size() > 10);
        int compared = 0;
        for (const QString& file : files) {
            QFile in(file);
            QVERIFY(in.open(QIODevice::ReadOnly));
            QByteArray bytes = in.readAll();
            if (bytes.contains('\0'))
                continue; // the editor holds no NUL characters
            // The editor holds its text with LF line ends.
            bytes.replace("\r\n", "\n").replace('\r', '\n');
            CQuestionSet set(nullptr);
            CLoadReport report;
            if (!LoadQuizBytes(set, std::string_view(bytes.constData(), bytes.size()), &report))
                continue;
            const auto roles = ClassifyQuizLines(std::string_view(bytes.constData(), bytes.size()));
            QList<int> starts;
            for (size_t i = 0; i < roles.size(); ++i)
                if (roles[i].role == ELineRole::Question && roles[i].blockStart)
                    starts << static_cast<int>(i) + 1;
            QList<int> loaderStarts;
            for (const auto& question : report.questions)
                loaderStarts << question.textLine;
            QVERIFY2(starts == loaderStarts, qPrintable(file));
            ++compared;
        }
        QVERIFY(compared > 5);
    }
};

int main(int argc, char** argv) {
    UsePrivateSettings();
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CEditorCheckingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_checking_test.moc"

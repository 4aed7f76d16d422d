// Opening and saving without losing anything: encoding and line ends kept,
// characters the encoding cannot hold refused, the file replaced whole (its
// mode kept, a link left a link), and unsaved changes asked about first.
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

#include "app/torvi_app.h"
#include "editor/quiz_code_edit.h"
#include "editor_test_support.h"
#include "ui/program_start.h"

// Takes the file addresses the editor asks the desktop to open.
class CUrlCatcher : public QObject {
    Q_OBJECT

public slots:
    void Catch(const QUrl& url) { urls << url; }

public:
    QList<QUrl> urls;
};

namespace {
using EChoice = CEditorPrompts::ESaveChoice;

void AppendText(CQuizEditorWindow& window, const QString& text) {
    QTextCursor end(window.GetEditor()->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

QAction* MenuAction(CQuizEditorWindow& window, const QString& text) {
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Every file of the folder but the given ones: what a save left behind.
QStringList Leftovers(const QString& folder, const QStringList& expected) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : expected)
        names.removeAll(name);
    return names;
}
} // namespace

class CEditorFilesTest : public QObject {
    Q_OBJECT

private slots:
    void Windows1252FileOpensAndSavesBackByteForByte() {
        // CR LF line ends, accented letters, the euro sign, guillemets, a no-break
        // space and one of the five bytes Windows-1252 leaves undefined.
        const QByteArray bytes = "Comment dit-on \xab thank you \xbb en fran\xe7"
                                 "ais\xa0?\r\n"
                                 "merci\r\n;\x80 5, \x81, caf\xe9\r\n";
        CEditorFixture f;
        f.WriteFile(QStringLiteral("french.txt"), bytes);
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("french.txt"))));
        QCOMPARE(f.Window().GetEditor()->document()->toRawText().replace(QChar::ParagraphSeparator,
                                                                         u'\n'),
                 QString::fromUtf8("Comment dit-on « thank you » en français\u00a0?\nmerci\n"
                                   ";€ 5, \u0081, café\n"));
        QCOMPARE(f.Window().GetFormat().encoding, EQuizEncoding::Windows1252);
        QCOMPARE(f.Window().GetFormat().lineEnds, ELineEnds::CrLf);

        QVERIFY(f.Window().Save());
        QCOMPARE(f.ReadFile(QStringLiteral("french.txt")), bytes);

        // An edit is written in the file's own encoding and line ends.
        AppendText(f.Window(), QString::fromUtf8("Où ?\nlà\n"));
        QVERIFY(f.Window().IsModified());
        QVERIFY(f.Window().Save());
        QVERIFY(!f.Window().IsModified());
        QCOMPARE(f.ReadFile(QStringLiteral("french.txt")), bytes + "O\xf9 ?\r\nl\xe0\r\n");
        QVERIFY(f.prompts.errors.isEmpty());
    }

    void Utf8FilesKeepTheirMarkAndLineEnds() {
        CEditorFixture f;
        for (const QByteArray& bytes :
             {QByteArray("\xef\xbb\xbfQ\xc3\xa9\nA\n"), QByteArray("Q\rA\r;c"),
              QByteArray("Q\r\nA\r\nQ2\nA2\r\n")}) {
            f.WriteFile(QStringLiteral("utf8.txt"), bytes);
            QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("utf8.txt"))));
            QCOMPARE(f.Window().GetFormat().encoding, EQuizEncoding::Utf8);
            QVERIFY(f.Window().Save());
            QByteArray expected = bytes;
            // Mixed line ends are written the way the file mostly has them.
            expected.replace("Q2\nA2", "Q2\r\nA2");
            QCOMPARE(f.ReadFile(QStringLiteral("utf8.txt")), expected);
        }
    }

    void CharacterWindows1252CannotHoldIsRefusedNotMangled() {
        const QByteArray bytes = "Caf\xe9?\ncaf\xe9\n";
        CEditorFixture f;
        f.WriteFile(QStringLiteral("latin.txt"), bytes);
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("latin.txt"))));
        AppendText(f.Window(), QString::fromUtf8("Done?\nyes \u2713\n"));
        QVERIFY(!f.Window().Save());
        QCOMPARE(f.ReadFile(QStringLiteral("latin.txt")), bytes);
        QCOMPARE(f.prompts.errors.size(), 1);
        QVERIFY(f.prompts.errors[0].contains(QStringLiteral("U+2713")));
        QVERIFY(f.prompts.errors[0].contains(QStringLiteral("line 4, column 5")));
        QCOMPARE(f.Window().GetEditor()->GetCaretLine(), 4);
        QVERIFY(f.Window().IsModified());
        QCOMPARE(Leftovers(f.folder.path(), {QStringLiteral("latin.txt")}), QStringList());

        // Choosing UTF-8 is the author's decision; the file is then written as UTF-8.
        QAction* utf8 = MenuAction(f.Window(), QStringLiteral("UTF-8"));
        QVERIFY(utf8 != nullptr);
        utf8->trigger();
        QVERIFY(f.Window().Save());
        QCOMPARE(f.ReadFile(QStringLiteral("latin.txt")),
                 QByteArray("Caf\xc3\xa9?\ncaf\xc3\xa9\nDone?\nyes \xe2\x9c\x93\n"));
    }

    void SavingReplacesTheFileWholeAndKeepsItsMode() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q\nA\n");
        const QByteArray path = QFile::encodeName(f.Path(QStringLiteral("quiz.txt")));
        QCOMPARE(chmod(path.constData(), 0640), 0);
        struct stat before {};
        QCOMPARE(stat(path.constData(), &before), 0);
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("quiz.txt"))));
        AppendText(f.Window(), QStringLiteral("Q2\nA2\n"));
        QVERIFY(f.Window().Save());
        struct stat after {};
        QCOMPARE(stat(path.constData(), &after), 0);
        QCOMPARE(after.st_mode & 07777, 0640u);
        // A new file took the old one's place; nothing half-written is left.
        QVERIFY(after.st_ino != before.st_ino);
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Q\nA\nQ2\nA2\n"));
        QCOMPARE(Leftovers(f.folder.path(), {QStringLiteral("quiz.txt")}), QStringList());
    }

    void SavingThroughALinkReplacesTheFileItNamesAndKeepsTheLink() {
        CEditorFixture f;
        QDir(f.folder.path()).mkdir(QStringLiteral("real"));
        f.WriteFile(QStringLiteral("real/quiz.txt"), "Q\nA\n");
        QVERIFY(QFile::link(f.Path(QStringLiteral("real/quiz.txt")),
                            f.Path(QStringLiteral("link.txt"))));
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("link.txt"))));
        AppendText(f.Window(), QStringLiteral("Q2\nA2\n"));
        QVERIFY(f.Window().Save());
        QVERIFY(QFileInfo(f.Path(QStringLiteral("link.txt"))).isSymLink());
        QCOMPARE(f.ReadFile(QStringLiteral("real/quiz.txt")), QByteArray("Q\nA\nQ2\nA2\n"));
        QCOMPARE(Leftovers(f.folder.path() + QStringLiteral("/real"), {QStringLiteral("quiz.txt")}),
                 QStringList());

        // A link that leads nowhere is not written through, nor replaced, even
        // when the author, told the file is gone, says to save it again.
        QVERIFY(QFile::remove(f.Path(QStringLiteral("real/quiz.txt"))));
        AppendText(f.Window(), QStringLiteral("Q3\nA3\n"));
        f.prompts.diskChoices = {CEditorPrompts::EDiskChoice::Overwrite};
        QVERIFY(!f.Window().Save());
        QCOMPARE(f.prompts.diskQuestions,
                 QStringList{QStringLiteral("link.txt deleted modified saving")});
        QVERIFY(f.Window().IsModified());
        QVERIFY(QFileInfo(f.Path(QStringLiteral("link.txt"))).isSymLink());
        QVERIFY(!QFileInfo::exists(f.Path(QStringLiteral("real/quiz.txt"))));
        QCOMPARE(f.prompts.errors.size(), 1);
    }

    void NewQuizIsSavedWhereTheAuthorSays() {
        CEditorFixture f;
        AppendText(f.Window(), QStringLiteral("Q4\nA4\n"));
        f.prompts.savePaths.push_back(f.Path(QStringLiteral("mine.txt")));
        QVERIFY(f.Window().Save());
        QCOMPARE(f.Window().GetPath(), f.Path(QStringLiteral("mine.txt")));
        QVERIFY(f.ReadFile(QStringLiteral("mine.txt")).endsWith("Q4\nA4\n"));
        struct stat info {};
        QCOMPARE(stat(QFile::encodeName(f.Path(QStringLiteral("mine.txt"))).constData(), &info), 0);
        // A new file gets the usual mode of new files, as any editor gives it.
        const mode_t mask = umask(022);
        umask(mask);
        QCOMPARE(info.st_mode & 0777, 0666u & ~static_cast<unsigned>(mask));
        // Cancelling the save dialog saves nothing.
        AppendText(f.Window(), QStringLiteral("Q5\nA5\n"));
        QVERIFY(!f.Window().SaveAs());
        QVERIFY(f.Window().IsModified());
    }

    void ClosingWithUnsavedChangesAsksFirst() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q\nA\n");
        CQuizEditorWindow* window = f.MakeWindow();
        QPointer<CQuizEditorWindow> alive(window);
        QVERIFY(window->OpenFile(f.Path(QStringLiteral("quiz.txt"))));
        window->show();

        // Unchanged: closes without a question.
        CQuizEditorWindow* other = f.MakeWindow();
        QPointer<CQuizEditorWindow> otherAlive(other);
        other->NewQuiz();
        other->show();
        QVERIFY(other->close());
        QTRY_VERIFY(otherAlive.isNull());
        QVERIFY(f.prompts.saveQuestions.isEmpty());

        AppendText(*window, QStringLiteral("Q2\nA2\n"));
        f.prompts.saveChoices = {EChoice::Cancel};
        QVERIFY(!window->close());
        QCOMPARE(f.prompts.saveQuestions, QStringList{QStringLiteral("quiz.txt")});
        QVERIFY(window->isVisible());
        QVERIFY(window->GetEditor()->toPlainText().endsWith(QStringLiteral("Q2\nA2\n")));

        f.prompts.saveChoices = {EChoice::Save};
        QVERIFY(window->close());
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Q\nA\nQ2\nA2\n"));
        QTRY_VERIFY(alive.isNull());
    }

    void DiscardingLeavesTheFileAsItWas() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q\nA\n");
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("quiz.txt"))));
        AppendText(f.Window(), QStringLiteral("Q2\nA2\n"));
        f.prompts.saveChoices = {EChoice::Discard};
        QVERIFY(f.Window().close());
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Q\nA\n"));
    }

    void OpeningOrStartingAnewAsksAboutUnsavedChanges() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("other.txt"), "Other\nquiz\n");
        AppendText(f.Window(), QStringLiteral("Mine\nunsaved\n"));
        const QString mine = f.Window().GetEditor()->toPlainText();

        f.prompts.saveChoices = {EChoice::Cancel, EChoice::Cancel};
        f.prompts.openPaths = {f.Path(QStringLiteral("other.txt"))};
        MenuAction(f.Window(), QStringLiteral("&Open..."))->trigger();
        MenuAction(f.Window(), QStringLiteral("&New"))->trigger();
        QCOMPARE(f.prompts.saveQuestions.size(), 2);
        QCOMPARE(f.Window().GetEditor()->toPlainText(), mine);
        QCOMPARE(f.prompts.openPaths.size(), 1u); // never asked which file

        f.prompts.saveChoices = {EChoice::Discard};
        MenuAction(f.Window(), QStringLiteral("&Open..."))->trigger();
        QCOMPARE(f.Window().GetEditor()->toPlainText(), QStringLiteral("Other\nquiz\n"));
        QCOMPARE(f.Window().GetPath(), f.Path(QStringLiteral("other.txt")));
    }

    void RecentFilesListTheLastOpenedFirst() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("one.txt"), "Q\nA\n");
        f.WriteFile(QStringLiteral("two.txt"), "Q\nA\n");
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("one.txt"))));
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("two.txt"))));
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("one.txt"))));
        QMenu* recent = f.RecentMenu();
        QVERIFY(recent != nullptr);
        QStringList names;
        for (QAction* action : recent->actions())
            names << action->text().section(u' ', 0, 0);
        QCOMPARE(names.mid(0, 2),
                 (QStringList{QStringLiteral("one.txt"), QStringLiteral("two.txt")}));
        QVERIFY(names.count(QStringLiteral("one.txt")) == 1);
        // Choosing one opens it.
        recent->actions().at(1)->trigger();
        QCOMPARE(f.Window().GetPath(), f.Path(QStringLiteral("two.txt")));
    }

    void HelpContentsOpensTheManualOfTheProgramFolder() {
        CEditorFixture f;
        CUrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Catch");
        MenuAction(f.Window(), QStringLiteral("&Contents"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls,
                 QList<QUrl>{QUrl::fromLocalFile(f.folder.path() +
                                                 QStringLiteral("/program/manual/index.html"))});
        // A build's program folder has the manual and the editor beside the window,
        // where Help > Contents and File > New look for them.
        QVERIFY(QFileInfo::exists(QStringLiteral(TORVI_BIN_DIR "/manual/index.html")));
        const int editor = OpenTrustedProgram(TORVI_BIN_DIR "/torvi-editor");
        QVERIFY(editor >= 0);
        close(editor);
    }
};

int main(int argc, char** argv) {
    UsePrivateSettings();
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CEditorFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_files_test.moc"

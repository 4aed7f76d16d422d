// Recovery copies: unsaved work is copied aside privately every few seconds,
// removed once saved or given up, and a copy left by an editor that did not
// end normally is offered at the next start.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <sys/stat.h>

#include "app/torvi_app.h"
#include "editor/quiz_code_edit.h"
#include "editor_test_support.h"

namespace {
using ERecovery = CEditorPrompts::ERecoveryChoice;

QStringList Copies(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.recovery")}, QDir::Files);
}

mode_t Mode(const QString& path) {
    struct stat info {};
    stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

void AppendText(CQuizEditorWindow& window, const QString& text) {
    QTextCursor end(window.GetEditor()->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

// What a crash leaves: the copy and its lock file, with nobody holding the lock.
QString LeaveAsIfCrashed(const QString& folder, const QString& copy) {
    const QString stem = QStringLiteral("4242-1-0");
    QFile::copy(folder + u'/' + copy, folder + u'/' + stem + QStringLiteral(".recovery"));
    QFile lock(folder + u'/' + stem + QStringLiteral(".lock"));
    lock.open(QIODevice::WriteOnly);
    return stem + QStringLiteral(".recovery");
}
} // namespace

class CEditorRecoveryTest : public QObject {
    Q_OBJECT

private slots:
    void UnsavedWorkIsCopiedAsidePrivatelyUntilSaved() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q\nA\n");
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("quiz.txt"))));
        // Nothing to keep while nothing changed.
        QTest::qWait(CQuizEditorWindow::kRecoveryIntervalMs + 500);
        QVERIFY(Copies(f.RecoveryFolder()).isEmpty());

        AppendText(f.Window(), QStringLiteral("Q2\nunsaved answer\n"));
        QTRY_COMPARE_WITH_TIMEOUT(Copies(f.RecoveryFolder()).size(), 1,
                                  CQuizEditorWindow::kRecoveryIntervalMs * 3);
        const QString copy = f.RecoveryFolder() + u'/' + Copies(f.RecoveryFolder())[0];
        QCOMPARE(Mode(f.RecoveryFolder()), 0700u);
        QCOMPARE(Mode(copy), 0600u);
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray kept = file.readAll();
        QVERIFY(kept.endsWith("Q\nA\nQ2\nunsaved answer\n"));
        QVERIFY(kept.contains(QFile::encodeName(f.Path(QStringLiteral("quiz.txt")))));
        // Never beside the quiz.
        QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("quiz.txt")});

        QVERIFY(f.Window().Save());
        QVERIFY(QDir(f.RecoveryFolder()).entryList(QDir::Files).isEmpty());
    }

    void CopyLeftByACrashIsOfferedAndRecovered() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("french.txt"), "Caf\xe9?\r\ncaf\xe9\r\n");
        QVERIFY(f.Window().OpenFile(f.Path(QStringLiteral("french.txt"))));
        AppendText(f.Window(), QString::fromUtf8("Thé?\nthé\n"));
        QTRY_COMPARE_WITH_TIMEOUT(Copies(f.RecoveryFolder()).size(), 1,
                                  CQuizEditorWindow::kRecoveryIntervalMs * 3);
        const QString crashed = LeaveAsIfCrashed(f.RecoveryFolder(), Copies(f.RecoveryFolder())[0]);

        // The next start: only the copy nobody holds is offered, not the one of
        // the editor still running.
        f.prompts.recoveryChoices = {ERecovery::Recover};
        const QList<CQuizEditorWindow*> windows = CQuizEditorWindow::OfferRecoveryCopies(
            f.prompts, f.folder.path() + u'/', f.RecoveryFolder());
        QCOMPARE(f.prompts.recoveryQuestions.size(), 1);
        QVERIFY(f.prompts.recoveryQuestions[0].contains(f.Path(QStringLiteral("french.txt"))));
        QCOMPARE(windows.size(), 1);
        CQuizEditorWindow& recovered = *windows[0];
        QCOMPARE(recovered.GetEditor()->toPlainText(),
                 QString::fromUtf8("Café?\ncafé\nThé?\nthé\n"));
        QCOMPARE(recovered.GetPath(), f.Path(QStringLiteral("french.txt")));
        QVERIFY(recovered.IsModified());
        QCOMPARE(recovered.GetFormat().encoding, EQuizEncoding::Windows1252);
        QCOMPARE(recovered.GetFormat().lineEnds, ELineEnds::CrLf);
        // The crashed editor's copy is gone; the new window keeps its own.
        QVERIFY(!QFileInfo::exists(f.RecoveryFolder() + u'/' + crashed));
        QCOMPARE(Copies(f.RecoveryFolder()).size(), 2);

        // Saved, the quiz is written as the file was: Windows-1252, CR LF.
        QVERIFY(recovered.Save());
        QCOMPARE(f.ReadFile(QStringLiteral("french.txt")),
                 QByteArray("Caf\xe9?\r\ncaf\xe9\r\nTh\xe9?\r\nth\xe9\r\n"));
        QCOMPARE(Copies(f.RecoveryFolder()).size(), 1);
    }

    void DiscardedCopyIsDeletedAndOneLeftForLaterIsOfferedAgain() {
        CEditorFixture f;
        AppendText(f.Window(), QStringLiteral("Q4\nA4\n"));
        QTRY_COMPARE_WITH_TIMEOUT(Copies(f.RecoveryFolder()).size(), 1,
                                  CQuizEditorWindow::kRecoveryIntervalMs * 3);
        const QString crashed = LeaveAsIfCrashed(f.RecoveryFolder(), Copies(f.RecoveryFolder())[0]);

        f.prompts.recoveryChoices = {ERecovery::Later};
        QVERIFY(CQuizEditorWindow::OfferRecoveryCopies(f.prompts, f.folder.path() + u'/',
                                                       f.RecoveryFolder())
                    .isEmpty());
        QVERIFY(f.prompts.recoveryQuestions[0].contains(QStringLiteral("untitled")));
        QVERIFY(QFileInfo::exists(f.RecoveryFolder() + u'/' + crashed));

        f.prompts.recoveryChoices = {ERecovery::Discard};
        QVERIFY(CQuizEditorWindow::OfferRecoveryCopies(f.prompts, f.folder.path() + u'/',
                                                       f.RecoveryFolder())
                    .isEmpty());
        QCOMPARE(f.prompts.recoveryQuestions.size(), 2);
        QVERIFY(!QFileInfo::exists(f.RecoveryFolder() + u'/' + crashed));
        QVERIFY(!QFileInfo::exists(f.RecoveryFolder() + QStringLiteral("/4242-1-0.lock")));
    }

    void ClosingNormallyLeavesNoCopyButEndingTheSessionKeepsOne() {
        CEditorFixture f;
        CQuizEditorWindow* window = f.MakeWindow();
        window->NewQuiz();
        AppendText(*window, QStringLiteral("Q4\nA4\n"));
        QTRY_COMPARE_WITH_TIMEOUT(Copies(f.RecoveryFolder()).size(), 1,
                                  CQuizEditorWindow::kRecoveryIntervalMs * 3);
        f.prompts.saveChoices = {CEditorPrompts::ESaveChoice::Discard};
        QVERIFY(window->close());
        QVERIFY(QDir(f.RecoveryFolder()).entryList(QDir::Files).isEmpty());

        // Logging out: the work is kept without a question and offered next time.
        AppendText(f.Window(), QStringLiteral("Q5\nA5\n"));
        f.Window().KeepForNextStart();
        QVERIFY(f.Window().close());
        QTest::qWait(0);
        QCOMPARE(f.prompts.saveQuestions.size(), 1);
        QCOMPARE(Copies(f.RecoveryFolder()).size(), 1);
        f.prompts.recoveryChoices = {ERecovery::Later};
        CQuizEditorWindow::OfferRecoveryCopies(f.prompts, f.folder.path() + u'/',
                                               f.RecoveryFolder());
        QCOMPARE(f.prompts.recoveryQuestions.size(), 1);
    }
};

int main(int argc, char** argv) {
    UsePrivateSettings();
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CEditorRecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_recovery_test.moc"

// The open file and other programs: a change, a replacement (a new file renamed
// over it), a deletion or a re-creation from outside is noticed, an unmodified
// text follows it and a modified one is never written over without a question;
// saving keeps owner, group, mode, attributes and links; each file has one window.
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "app/torvi_app.h"
#include "editor/quiz_code_edit.h"
#include "editor/recovery_store.h"
#include "editor_test_support.h"
#include "file/file_write.h"

namespace {
using EDisk = CEditorPrompts::EDiskChoice;
// Long enough for a file event to settle and be looked at.
constexpr int kWatchMs = 5000;

QString Text(CQuizEditorWindow& window) {
    return window.GetEditor()->toPlainText();
}

void AppendText(CQuizEditorWindow& window, const QString& text) {
    QTextCursor end(window.GetEditor()->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

QByteArray Local(const QString& path) {
    return QFile::encodeName(path);
}

struct stat StatOf(const QString& path) {
    struct stat info {};
    stat(Local(path).constData(), &info);
    return info;
}

// As a sync tool or a second editor saves: a new file renamed over the name.
void ReplaceFromOutside(const QString& path, const QByteArray& bytes) {
    const QString temp = path + QStringLiteral(".outside");
    QFile file(temp);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QVERIFY(std::rename(Local(temp).constData(), Local(path).constData()) == 0);
}

// As a plain program writes: the same file truncated and written.
void WriteFromOutside(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray Attribute(const QString& path, const char* name) {
    char value[256];
    const ssize_t n = getxattr(Local(path).constData(), name, value, sizeof value);
    return n < 0 ? QByteArray() : QByteArray(value, static_cast<int>(n));
}

// An access control list in the form the kernel keeps it: the owner, one more
// user, the owning group, the mask and others.
QByteArray AclGivingUserReadWrite(uint32_t user) {
    QByteArray acl;
    const auto put32 = [&acl](uint32_t v) { acl.append(reinterpret_cast<const char*>(&v), 4); };
    const auto put16 = [&acl](uint16_t v) { acl.append(reinterpret_cast<const char*>(&v), 2); };
    const auto entry = [&](uint16_t tag, uint16_t perm, uint32_t id) {
        put16(tag);
        put16(perm);
        put32(id);
    };
    put32(2);                   // version
    entry(0x01, 6, 0xFFFFFFFF); // owner: rw
    entry(0x02, 6, user);       // the other user: rw
    entry(0x04, 4, 0xFFFFFFFF); // owning group: r
    entry(0x10, 6, 0xFFFFFFFF); // mask: rw
    entry(0x20, 4, 0xFFFFFFFF); // others: r
    return acl;
}
} // namespace

class CEditorDiskTest : public QObject {
    Q_OBJECT

private slots:
    void UnmodifiedTextFollowsTheFileKeepingTheCaretLine() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q1\nA1\nQ2\nA2\n");
        const QString path = f.Path(QStringLiteral("quiz.txt"));
        QVERIFY(f.Window().OpenFile(path));
        f.Window().GetEditor()->GoToLine(3);

        WriteFromOutside(path, "Q1\nA1\nQ2 changed\nA2\nQ3\nA3\n");
        QTRY_COMPARE_WITH_TIMEOUT(Text(f.Window()),
                                  QStringLiteral("Q1\nA1\nQ2 changed\nA2\nQ3\nA3\n"), kWatchMs);
        QVERIFY(!f.Window().IsModified());
        QCOMPARE(f.Window().GetEditor()->GetCaretLine(), 3);
        QVERIFY(f.prompts.diskQuestions.isEmpty());

        // Replaced by rename, and then written in place: the watch went onto the
        // new file.
        ReplaceFromOutside(path, "R1\nB1\n");
        QTRY_COMPARE_WITH_TIMEOUT(Text(f.Window()), QStringLiteral("R1\nB1\n"), kWatchMs);
        WriteFromOutside(path, "S1\nC1\n");
        QTRY_COMPARE_WITH_TIMEOUT(Text(f.Window()), QStringLiteral("S1\nC1\n"), kWatchMs);
        QVERIFY(f.prompts.diskQuestions.isEmpty());

        // The text before a reload is one Undo away.
        f.Window().GetEditor()->undo();
        QCOMPARE(Text(f.Window()), QStringLiteral("R1\nB1\n"));

        // Touched, or written again with the same bytes: nothing happens.
        f.Window().GetEditor()->redo();
        f.Window().GetEditor()->document()->setModified(false);
        ReplaceFromOutside(path, "S1\nC1\n");
        QTest::qWait(CFileWatchSettle());
        QVERIFY(!f.Window().IsModified());
        QVERIFY(f.prompts.diskQuestions.isEmpty());
    }

    void ModifiedTextIsNeverWrittenOverWithoutAQuestion() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q1\nA1\n");
        const QString path = f.Path(QStringLiteral("quiz.txt"));
        QVERIFY(f.Window().OpenFile(path));
        AppendText(f.Window(), QStringLiteral("Mine\nmine\n"));

        ReplaceFromOutside(path, "Q1\nA1\nTheirs\ntheirs\n");
        QTRY_COMPARE_WITH_TIMEOUT(f.prompts.diskQuestions,
                                  QStringList{QStringLiteral("quiz.txt changed modified")},
                                  kWatchMs);
        // Kept editing: the text stays, and saving asks again.
        QCOMPARE(Text(f.Window()), QStringLiteral("Q1\nA1\nMine\nmine\n"));
        QVERIFY(!f.Window().Save());
        QCOMPARE(f.prompts.diskQuestions.last(),
                 QStringLiteral("quiz.txt changed modified saving"));
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Q1\nA1\nTheirs\ntheirs\n"));

        // Told to, it writes over the other program's text.
        f.prompts.diskChoices = {EDisk::Overwrite};
        QVERIFY(f.Window().Save());
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Q1\nA1\nMine\nmine\n"));
        QVERIFY(!f.Window().IsModified());
        const int asked = f.prompts.diskQuestions.size();
        // Its own save is not mistaken for another program's.
        QTest::qWait(CFileWatchSettle());
        QCOMPARE(f.prompts.diskQuestions.size(), asked);

        // Or it takes the other program's text, giving up its own.
        AppendText(f.Window(), QStringLiteral("More\nmore\n"));
        f.prompts.diskChoices = {EDisk::Reload};
        WriteFromOutside(path, "Theirs again\nyes\n");
        QTRY_COMPARE_WITH_TIMEOUT(Text(f.Window()), QStringLiteral("Theirs again\nyes\n"),
                                  kWatchMs);
        QVERIFY(!f.Window().IsModified());

        // Or it saves under another name, leaving the file as the other program left it.
        AppendText(f.Window(), QStringLiteral("Q\nA\n"));
        f.prompts.diskChoices = {EDisk::SaveAs};
        f.prompts.savePaths = {f.Path(QStringLiteral("mine.txt"))};
        WriteFromOutside(path, "Third\nthird\n");
        QTRY_COMPARE_WITH_TIMEOUT(f.Window().GetPath(), f.Path(QStringLiteral("mine.txt")),
                                  kWatchMs);
        QCOMPARE(f.ReadFile(QStringLiteral("mine.txt")), QByteArray("Theirs again\nyes\nQ\nA\n"));
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Third\nthird\n"));
    }

    void ChangeTheWatchHasNotSeenYetIsCaughtBeforeWriting() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q1\nA1\n");
        const QString path = f.Path(QStringLiteral("quiz.txt"));
        QVERIFY(f.Window().OpenFile(path));
        AppendText(f.Window(), QStringLiteral("Q2\nA2\n"));

        // The same size and the same time: only the bytes tell.
        const struct stat before = StatOf(path);
        WriteFromOutside(path, "Q1\nB1\n");
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        QVERIFY(utimensat(AT_FDCWD, Local(path).constData(), times, 0) == 0);
        QVERIFY(!f.Window().Save());
        QCOMPARE(f.prompts.diskQuestions,
                 QStringList{QStringLiteral("quiz.txt changed modified saving")});
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Q1\nB1\n"));
    }

    void DeletedFileIsReportedAndPutBackOnlyWhenAsked() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q1\nA1\n");
        const QString path = f.Path(QStringLiteral("quiz.txt"));
        QVERIFY(f.Window().OpenFile(path));

        // Renamed away: reported as gone, and the text is now the only copy.
        QVERIFY(QFile::rename(path, f.Path(QStringLiteral("moved.txt"))));
        QTRY_COMPARE_WITH_TIMEOUT(f.prompts.diskQuestions,
                                  QStringList{QStringLiteral("quiz.txt deleted")}, kWatchMs);
        QVERIFY(f.Window().IsModified());
        QVERIFY(!f.Window().Save());
        QVERIFY(!QFileInfo::exists(path));
        f.prompts.saveChoices = {CEditorPrompts::ESaveChoice::Cancel};
        QVERIFY(!f.Window().close());

        f.prompts.diskChoices = {EDisk::Overwrite};
        QVERIFY(f.Window().Save());
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Q1\nA1\n"));

        // Deleted and made again with other text while the window has changes.
        AppendText(f.Window(), QStringLiteral("Q2\nA2\n"));
        f.prompts.diskQuestions.clear();
        QVERIFY(QFile::remove(path));
        f.WriteFile(QStringLiteral("quiz.txt"), "New\nfile\n");
        QTRY_VERIFY_WITH_TIMEOUT(
            f.prompts.diskQuestions.contains(QStringLiteral("quiz.txt changed modified")),
            kWatchMs);
        QCOMPARE(Text(f.Window()), QStringLiteral("Q1\nA1\nQ2\nA2\n"));
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("New\nfile\n"));
    }

    void SharedFolderSaveKeepsOwnerGroupModeAttributesAndAcl() {
        if (geteuid() != 0)
            QSKIP("giving a file to another owner and group needs the administrator");
        const struct group* users = getgrnam("users");
        const struct passwd* nobody = getpwnam("nobody");
        if (!users || !nobody)
            QSKIP("no users group or nobody user here");
        CEditorFixture f;
        f.WriteFile(QStringLiteral("shared.txt"), "Q1\nA1\n");
        const QString path = f.Path(QStringLiteral("shared.txt"));
        QVERIFY(chown(Local(path).constData(), nobody->pw_uid, users->gr_gid) == 0);
        QVERIFY(chmod(Local(path).constData(), 0664) == 0);
        const QByteArray acl = AclGivingUserReadWrite(0);
        const bool haveAttributes =
            setxattr(Local(path).constData(), "user.torvi.origin", "staff room", 10, 0) == 0 &&
            setxattr(Local(path).constData(), "system.posix_acl_access", acl.constData(),
                     static_cast<size_t>(acl.size()), 0) == 0;
        const struct stat before = StatOf(path);

        QVERIFY(f.Window().OpenFile(path));
        AppendText(f.Window(), QStringLiteral("Q2\nA2\n"));
        QVERIFY(f.Window().Save());
        const struct stat after = StatOf(path);
        QVERIFY(after.st_ino != before.st_ino); // still a new file renamed into place
        QCOMPARE(after.st_uid, nobody->pw_uid);
        QCOMPARE(after.st_gid, users->gr_gid);
        QCOMPARE(after.st_mode & 07777, before.st_mode & 07777);
        QVERIFY(f.prompts.warnings.isEmpty());
        if (!haveAttributes)
            QSKIP("this file system keeps no extended attributes");
        QCOMPARE(Attribute(path, "user.torvi.origin"), QByteArray("staff room"));
        QCOMPARE(Attribute(path, "system.posix_acl_access"), acl);
    }

    void OwnerAndGroupThatCannotBeKeptAreNamedBeforeWriting() {
        // The user owns the file and is in its group: nothing to say.
        QVERIFY(OwnershipChange(1000, 100, 1000, 1000, {100}).empty());
        QVERIFY(OwnershipChange(1000, 1000, 1000, 1000, {}).empty());
        // The administrator may give the file back to anyone.
        QVERIFY(OwnershipChange(1000, 100, 0, 0, {}).empty());
        // A colleague's file in a group the user is in: only the owner changes.
        const std::string colleague = OwnershipChange(1001, 100, 1000, 1000, {100});
        QVERIFY(colleague.find("will belong to you") != std::string::npos);
        // The user's own file in a group the user is not in: only the group changes.
        const std::string group = OwnershipChange(1000, 100, 1000, 1000, {27});
        QVERIFY(group.find("will belong to you") == std::string::npos);
        QVERIFY(!group.empty());
    }

    void FileWithTwoNamesIsWrittenInPlaceAfterABackup() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("a.txt"), "Q1\nA1\n");
        const QString path = f.Path(QStringLiteral("a.txt"));
        const QString other = f.Path(QStringLiteral("b.txt"));
        QVERIFY(link(Local(path).constData(), Local(other).constData()) == 0);
        const struct stat before = StatOf(path);

        QVERIFY(f.Window().OpenFile(path));
        AppendText(f.Window(), QStringLiteral("Q2\nA2\n"));
        QVERIFY(f.Window().Save());
        QCOMPARE(StatOf(path).st_ino, before.st_ino);
        QCOMPARE(StatOf(path).st_nlink, before.st_nlink);
        QCOMPARE(f.ReadFile(QStringLiteral("b.txt")), QByteArray("Q1\nA1\nQ2\nA2\n"));

        // The copy of the old text is in the user's private backup folder, and
        // the status line says where.
        const QDir backups(f.Window().BackupFolder());
        const QStringList copies = backups.entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(copies[0].startsWith(QStringLiteral("a.txt.")));
        QFile copy(backups.filePath(copies[0]));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("Q1\nA1\n"));
        QCOMPARE(StatOf(backups.path()).st_mode & 0777, 0700u);
        QVERIFY(f.Window().statusBar()->currentMessage().contains(backups.filePath(copies[0])));
        // Nothing beside the quiz.
        QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));

        // Without a place for the copy, such a file is refused with the reason.
        CWriteReport written;
        QVERIFY(!ReplaceFile(Local(path).toStdString(), "x", CWriteOptions(), written));
        QVERIFY(written.error.find("hard links") != std::string::npos);
        QCOMPARE(f.ReadFile(QStringLiteral("b.txt")), QByteArray("Q1\nA1\nQ2\nA2\n"));
    }

    void EachFileHasOneWindowAndRecoveryGoesIntoIt() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("quiz.txt"), "Q1\nA1\n");
        f.WriteFile(QStringLiteral("other.txt"), "Q\nA\n");
        const QString path = f.Path(QStringLiteral("quiz.txt"));
        QVERIFY(QFile::link(path, f.Path(QStringLiteral("alias.txt"))));
        const QString support = f.folder.path() + QStringLiteral("/program/");

        // Unsaved work left by an editor that did not end, written over the file
        // as it was then; another program changed the file afterwards.
        {
            CRecoveryStore crashed(Local(f.RecoveryFolder()).toStdString());
            std::string error;
            QVERIFY(crashed.Keep(Local(path).toStdString(), CQuizTextFormat{},
                                 "Q1\nA1\nRecovered\nanswer\n", error,
                                 CDiskFileState::Read(Local(path).toStdString())));
            crashed.Release();
        }
        f.WriteFile(QStringLiteral("quiz.txt"), "Q1\nA1\nTheirs\nt\n");
        // Recovered at start, then named on the command line: one window.
        f.prompts.recoveryChoices = {CEditorPrompts::ERecoveryChoice::Recover};
        const QList<CQuizEditorWindow*> recovered =
            CQuizEditorWindow::OfferRecoveryCopies(f.prompts, support, f.RecoveryFolder());
        QCOMPARE(recovered.size(), 1);
        CQuizEditorWindow* window =
            CQuizEditorWindow::OpenInWindow(f.prompts, support, f.RecoveryFolder(), path);
        QCOMPARE(window, recovered[0]);
        QCOMPARE(Text(*window), QStringLiteral("Q1\nA1\nRecovered\nanswer\n"));
        QVERIFY(window->IsModified());
        // Under another name of the same file too.
        QCOMPARE(CQuizEditorWindow::OpenInWindow(f.prompts, support, f.RecoveryFolder(),
                                                 f.Path(QStringLiteral("alias.txt"))),
                 window);
        CQuizEditorWindow* second = CQuizEditorWindow::OpenInWindow(
            f.prompts, support, f.RecoveryFolder(), f.Path(QStringLiteral("other.txt")));
        QVERIFY(second && second != window);

        // The recovered text does not know the later change: saving asks first.
        QVERIFY(!window->Save());
        QCOMPARE(f.prompts.diskQuestions.last(),
                 QStringLiteral("quiz.txt changed modified saving"));
        QCOMPARE(f.ReadFile(QStringLiteral("quiz.txt")), QByteArray("Q1\nA1\nTheirs\nt\n"));

        // A copy for a file open, unmodified, in a window goes into that window;
        // the file is as the copy found it, so it is saved without a question.
        window->GetEditor()->document()->setModified(false);
        {
            CRecoveryStore crashed(Local(f.RecoveryFolder()).toStdString());
            std::string error;
            const std::string other = Local(f.Path(QStringLiteral("other.txt"))).toStdString();
            QVERIFY(crashed.Keep(other, CQuizTextFormat{}, "Q\nA\nLater\nwork\n", error,
                                 CDiskFileState::Read(other)));
            crashed.Release();
        }
        const qsizetype asked = f.prompts.diskQuestions.size();
        f.prompts.recoveryChoices = {CEditorPrompts::ERecoveryChoice::Recover};
        QCOMPARE(CQuizEditorWindow::OfferRecoveryCopies(f.prompts, support, f.RecoveryFolder()),
                 QList<CQuizEditorWindow*>{second});
        QCOMPARE(Text(*second), QStringLiteral("Q\nA\nLater\nwork\n"));
        QVERIFY(second->IsModified());
        QVERIFY(second->Save());
        QCOMPARE(f.prompts.diskQuestions.size(), asked);
        QCOMPARE(f.ReadFile(QStringLiteral("other.txt")), QByteArray("Q\nA\nLater\nwork\n"));
    }

    void DialogsOfferWhatFitsTheCase() {
        // Each question as the author sees it: the buttons it has, and the one
        // pressed is the answer.
        const auto ask = [](EDiskChange change, bool modified, bool saving, const QString& press,
                            QStringList& buttons) {
            QTimer::singleShot(0, [&buttons, press] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                for (QAbstractButton* button : box->buttons())
                    buttons << button->text();
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == press)
                        button->click();
            });
            CDialogPrompts prompts;
            return prompts.AskDiskChanged(nullptr, QStringLiteral("quiz.txt"), change, modified,
                                          saving);
        };
        QStringList buttons;
        QCOMPARE(ask(EDiskChange::Changed, true, false, QStringLiteral("&Overwrite"), buttons),
                 EDisk::Overwrite);
        buttons.sort();
        QCOMPARE(buttons,
                 (QStringList{QStringLiteral("&Keep Editing"), QStringLiteral("&Overwrite"),
                              QStringLiteral("&Reload from Disk"), QStringLiteral("Save &As...")}));
        buttons.clear();
        QCOMPARE(
            ask(EDiskChange::Changed, true, true, QStringLiteral("&Reload from Disk"), buttons),
            EDisk::Reload);
        QVERIFY(buttons.contains(QStringLiteral("&Cancel")));
        // A file that is gone cannot be reloaded; it can be put back.
        buttons.clear();
        QCOMPARE(ask(EDiskChange::Deleted, false, false, QStringLiteral("&Keep Editing"), buttons),
                 EDisk::KeepEditing);
        QVERIFY(!buttons.contains(QStringLiteral("&Reload from Disk")));
        QVERIFY(buttons.contains(QStringLiteral("&Save It Again")));
        buttons.clear();
        QCOMPARE(ask(EDiskChange::Deleted, true, true, QStringLiteral("Save &As..."), buttons),
                 EDisk::SaveAs);
    }

private:
    static int CFileWatchSettle() { return 1000; }
};

int main(int argc, char** argv) {
    UsePrivateSettings();
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CEditorDiskTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_disk_test.moc"

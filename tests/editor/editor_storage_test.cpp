// The editor's files below the window: reading and writing quiz bytes without
// changing them, private files that a planted link cannot redirect, and
// recovery copies that read back as they were written.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

#include "editor/quiz_text_file.h"
#include "editor/recovery_store.h"
#include "file/file_write.h"

namespace {
std::string Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(unreadable)";
    return file.readAll().toStdString();
}

mode_t Mode(const QString& path) {
    struct stat info {};
    lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}
} // namespace

class CEditorStorageTest : public QObject {
    Q_OBJECT

private slots:
    void EveryWindows1252ByteReadsAndWritesBackUnchanged() {
        std::string bytes;
        for (int c = 1; c < 256; ++c)
            if (c != '\n' && c != '\r')
                bytes += static_cast<char>(c);
        bytes += "\r\nend\r\n";
        std::string text;
        CQuizTextFormat format;
        DecodeQuizBytes(bytes, text, format);
        QCOMPARE(format.encoding, EQuizEncoding::Windows1252);
        QCOMPARE(format.lineEnds, ELineEnds::CrLf);
        QVERIFY(FindUnencodable(text, format).empty());
        std::string written;
        QVERIFY(EncodeQuizText(text, format, written));
        QCOMPARE(written, bytes);
    }

    void LineEndsAreTheKindTheFileMostlyHas() {
        const struct {
            const char* bytes;
            ELineEnds ends;
        } cases[] = {{"a\nb\r\nc\r\n", ELineEnds::CrLf},
                     {"a\rb\rc\n", ELineEnds::Cr},
                     {"a\r\nb\nc\n", ELineEnds::Lf},
                     {"no line end", ELineEnds::Lf},
                     {"a\r\n\r\n", ELineEnds::CrLf}};
        for (const auto& c : cases) {
            std::string text;
            CQuizTextFormat format;
            DecodeQuizBytes(c.bytes, text, format);
            QCOMPARE(format.lineEnds, c.ends);
            QVERIFY(text.find('\r') == std::string::npos);
        }
    }

    void Utf8MarkIsKeptAndNeverPartOfTheText() {
        std::string text;
        CQuizTextFormat format;
        DecodeQuizBytes("\xef\xbb\xbfoption:x\n", text, format);
        QVERIFY(format.byteOrderMark);
        QCOMPARE(text, std::string("option:x\n"));
        // A Windows-1252 file that merely starts with those bytes keeps them as text.
        DecodeQuizBytes("\xef\xbb\xbf\xe9\n", text, format);
        QCOMPARE(format.encoding, EQuizEncoding::Windows1252);
        QVERIFY(!format.byteOrderMark);
        std::string written;
        QVERIFY(EncodeQuizText(text, format, written));
        QCOMPARE(written, std::string("\xef\xbb\xbf\xe9\n"));
    }

    void UnencodableCharactersAreFoundWhereTheyStand() {
        CQuizTextFormat format;
        format.encoding = EQuizEncoding::Windows1252;
        const std::string text = "ok \xe2\x82\xac\nx\xe2\x9c\x93y \xf0\x9f\x99\x82\n";
        const std::vector<CUnencodable> found = FindUnencodable(text, format);
        QCOMPARE(found.size(), size_t(2));
        QCOMPARE(found[0].character, U'\u2713');
        QCOMPARE(found[0].line, 2);
        QCOMPARE(found[0].column, 2);
        QCOMPARE(found[1].character, U'\U0001F642');
        QCOMPARE(found[1].column, 5);
        std::string written;
        CUnencodable first;
        QVERIFY(!EncodeQuizText(text, format, written, &first));
        QCOMPARE(first.character, U'\u2713');
        QCOMPARE(EncodeQuizTextLoosely(text, format), std::string("ok \x80\nx?y ?\n"));
    }

    void PrivateFileReplacesAPlantedLinkInsteadOfFollowingIt() {
        QTemporaryDir dir;
        const QString victim = dir.filePath(QStringLiteral("victim.txt"));
        const QString target = dir.filePath(QStringLiteral("page.html"));
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
        file.close();
        QVERIFY(QFile::link(victim, target));
        std::string error;
        QVERIFY(WritePrivateFile(target.toStdString(), "page", error));
        QCOMPARE(Read(victim), std::string("precious"));
        QVERIFY(!QFileInfo(target).isSymLink());
        QCOMPARE(Read(target), std::string("page"));
        QCOMPARE(Mode(target), 0600u);
    }

    void PrivateFolderIsTheUsersOwnAndClosed() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("a/b/recovery"));
        QVERIFY(MakePrivateFolder(folder.toStdString()));
        QCOMPARE(Mode(folder), 0700u);
        QVERIFY(chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QVERIFY(MakePrivateFolder(folder.toStdString()));
        QCOMPARE(Mode(folder), 0700u);
        // A link planted where the folder should be is not taken for it.
        const QString planted = dir.filePath(QStringLiteral("planted"));
        QVERIFY(QFile::link(folder, planted));
        QVERIFY(!MakePrivateFolder(planted.toStdString()));
        CRecoveryStore store(planted.toStdString());
        std::string error;
        QVERIFY(!store.Keep("", CQuizTextFormat{}, "text", error));
        QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
    }

    void RecoveryCopyReadsBackAsWritten() {
        QTemporaryDir dir;
        const std::string folder = dir.filePath(QStringLiteral("recovery")).toStdString();
        CQuizTextFormat format;
        format.encoding = EQuizEncoding::Windows1252;
        format.lineEnds = ELineEnds::Cr;
        // A path may hold line ends and percent signs; the text may look like a header.
        const std::string path = "/home/me/odd\nname 100%0A.txt";
        const std::string text = "path: /elsewhere\n\nQ\nA\n";
        {
            CRecoveryStore running(folder);
            std::string error;
            QVERIFY(running.Keep(path, format, text, error));
            // Held by a running editor: not offered.
            QVERIFY(CRecoveryStore(folder).FindAbandoned().empty());
            running.Release();
        }
        const std::vector<CRecoveryCopy> copies = CRecoveryStore(folder).FindAbandoned();
        QCOMPARE(copies.size(), size_t(1));
        QCOMPARE(copies[0].quizPath, path);
        QCOMPARE(copies[0].text, text);
        QVERIFY(copies[0].format == format);
        QVERIFY(copies[0].savedAt > 0);
        CRecoveryStore::Remove(copies[0]);
        QVERIFY(QDir(QString::fromStdString(folder)).entryList(QDir::Files).isEmpty());
    }

    void RecoveryFolderFollowsTheDataHome() {
        QCOMPARE(CRecoveryStore::DefaultFolder("/data", "/home/me"),
                 std::string("/data/torvi/recovery"));
        // A relative XDG_DATA_HOME is not valid and is ignored.
        QCOMPARE(CRecoveryStore::DefaultFolder("data", "/home/me"),
                 std::string("/home/me/.local/share/torvi/recovery"));
        QCOMPARE(CRecoveryStore::DefaultFolder(nullptr, "/home/me"),
                 std::string("/home/me/.local/share/torvi/recovery"));
    }
};

QTEST_GUILESS_MAIN(CEditorStorageTest)

#include "editor_storage_test.moc"

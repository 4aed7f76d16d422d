// File > Import… and File > Export…: a vocabulary file or spreadsheet becomes a
// new, unsaved quiz with what was left out in the problem list, and the quiz
// goes out as KVTML or CSV that reads back the same.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QtTest>
#include <unistd.h>

#include "app/torvi_app.h"
#include "convert/quiz_import.h"
#include "editor/quiz_code_edit.h"
#include "editor_test_support.h"

namespace {
QStringList ListedProblems(CQuizEditorWindow& window) {
    QStringList lines;
    for (int i = 0; i < window.GetProblemList()->count(); ++i)
        lines << window.GetProblemList()->item(i)->text();
    return lines;
}

QString EditedText(CQuizEditorWindow& window) {
    return window.GetEditor()->document()->toPlainText();
}
} // namespace

class CEditorTransferTest : public QObject {
    Q_OBJECT

private slots:
    void ImportedSpreadsheetIsANewUnsavedQuizWithItsReport() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("words.csv"),
                    "Question;Answer;Comment\nHaus;house;das\nleer;;\n\"Stra\xc3\x9f"
                    "e\";street;\n");
        QVERIFY(f.Window().ImportFile(f.Path(QStringLiteral("words.csv"))));
        QCOMPARE(EditedText(f.Window()), QString::fromUtf8("Haus\nhouse\n;das\nStraße\nstreet\n"));
        QVERIFY(f.Window().GetPath().isEmpty());
        QVERIFY(f.Window().IsModified());
        QCOMPARE(f.Window().GetCheck().questionCount, 2);
        const QStringList problems = ListedProblems(f.Window());
        QVERIFY2(problems.contains(
                     QStringLiteral("Imported from words.csv: line 3: skipped: nothing to answer")),
                 qPrintable(problems.join(u'\n')));
        QVERIFY(problems.contains(
            QStringLiteral("Imported from words.csv: 2 questions converted, 1 record skipped.")));

        // The report stays through later checks, and goes with the text.
        f.ReplaceText(EditedText(f.Window()) + QStringLiteral("More\nmehr\n"));
        QVERIFY(
            ListedProblems(f.Window()).join(u'\n').contains(QStringLiteral("nothing to answer")));
        f.Window().NewQuiz();
        QVERIFY(!ListedProblems(f.Window()).join(u'\n').contains(QStringLiteral("Imported")));
    }

    void FileThatDoesNotConvertIsRefusedWithItsReason() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("broken.kvtml"), "<?xml version=\"1.0\"?><kvtml");
        const QString before = EditedText(f.Window());
        QVERIFY(!f.Window().ImportFile(f.Path(QStringLiteral("broken.kvtml"))));
        QCOMPARE(f.prompts.errors.size(), 1);
        QVERIFY2(f.prompts.errors[0].contains(QStringLiteral("not well-formed XML")),
                 qPrintable(f.prompts.errors[0]));
        QCOMPARE(EditedText(f.Window()), before);

        f.WriteFile(QStringLiteral("quiz.txt"), "Q\nA\n");
        QVERIFY(!f.Window().ImportFile(f.Path(QStringLiteral("quiz.txt"))));
        QVERIFY(f.prompts.errors[1].contains(QStringLiteral("File > Open")));

        // Random bytes named as a spreadsheet: the one line, and the text as it was.
        QByteArray noise(4096, '\0');
        quint32 state = 12345;
        for (char& c : noise) {
            state = state * 1664525u + 1013904223u;
            c = static_cast<char>(state >> 24);
        }
        QVERIFY(noise.contains('\0'));
        f.WriteFile(QStringLiteral("data.csv"), noise);
        QVERIFY(!f.Window().ImportFile(f.Path(QStringLiteral("data.csv"))));
        QCOMPARE(f.prompts.errors[2], f.Path(QStringLiteral("data.csv")) +
                                          QStringLiteral(" cannot be imported: the file is not "
                                                         "text (it holds NUL characters)."));
        QCOMPARE(EditedText(f.Window()), before);
    }

    void ExportedVocabularyAndSpreadsheetReadBackAsTheSameQuiz() {
        CEditorFixture f;
        // A Greek answer is read by its own letters, in the quiz and when it
        // comes back.
        f.ReplaceText(QString::fromUtf8("option:Words:Unicode\nCapital of Greece?\nΑθήνα\n"
                                        ";in Attica\nTwo, please.\na/\nb\n~Why\n"));
        QStringList notes;
        QVERIFY(f.Window().ExportFile(f.Path(QStringLiteral("out.kvtml")), &notes));
        QVERIFY2(notes.join(u'\n').contains(QStringLiteral("question 2: only the first of 2")),
                 qPrintable(notes.join(u'\n')));
        QVERIFY(f.Window().ExportFile(f.Path(QStringLiteral("out.csv")), &notes));

        std::string quiz;
        CConvertReport report;
        const QByteArray kvtml = f.ReadFile(QStringLiteral("out.kvtml"));
        QVERIFY(ConvertToQuizText(std::string_view(kvtml.constData(), kvtml.size()),
                                  EFileFormat::Kvtml, {}, quiz, report));
        QCOMPARE(QString::fromStdString(quiz),
                 QString::fromUtf8("option:Words:Unicode\nCapital of Greece?\nΑθήνα\n"
                                   ";in Attica\nTwo, please.\na\n"));
        const QByteArray csv = f.ReadFile(QStringLiteral("out.csv"));
        QVERIFY(ConvertToQuizText(std::string_view(csv.constData(), csv.size()), EFileFormat::Csv,
                                  {}, quiz, report));
        QCOMPARE(QString::fromStdString(quiz), EditedText(f.Window()));

        // A quiz that does not load is not exported.
        f.ReplaceText(QStringLiteral("A question with no answer block\n"));
        QVERIFY(!f.Window().ExportFile(f.Path(QStringLiteral("bad.csv"))));
        QVERIFY(!QFileInfo::exists(f.Path(QStringLiteral("bad.csv"))));
    }

    // An export over a file with other names keeps them all pointing at it,
    // as a save does: written in place, after a copy of what it held.
    void ExportOverAFileWithTwoNamesWritesItInPlaceAfterABackup() {
        CEditorFixture f;
        f.WriteFile(QStringLiteral("out.csv"), "old,sheet\n");
        const QByteArray path = QFile::encodeName(f.Path(QStringLiteral("out.csv")));
        const QByteArray other = QFile::encodeName(f.Path(QStringLiteral("shared.csv")));
        QVERIFY(link(path.constData(), other.constData()) == 0);
        f.ReplaceText(QStringLiteral("Capital of Italy?\nRome\n"));
        QStringList notes;
        QVERIFY(f.Window().ExportFile(f.Path(QStringLiteral("out.csv")), &notes));
        QCOMPARE(f.ReadFile(QStringLiteral("shared.csv")), f.ReadFile(QStringLiteral("out.csv")));
        QVERIFY(f.ReadFile(QStringLiteral("shared.csv")).contains("Rome"));
        QVERIFY2(notes.join(u'\n').contains(QStringLiteral("the file as it was is kept in")),
                 qPrintable(notes.join(u'\n')));
        const QDir backups(f.Window().BackupFolder());
        QCOMPARE(backups.entryList(QDir::Files).size(), 1);
    }

    // The browser player comes from the support files of the running program;
    // this test program has none beside it, so a web page is refused, with
    // the reason, and nothing is written.
    void WebPageWithoutThePlayerIsRefusedAndNothingIsWritten() {
        CEditorFixture f;
        f.ReplaceText(QStringLiteral("Capital of Italy?\nRome\n"));
        QVERIFY(!f.Window().ExportFile(f.Path(QStringLiteral("quiz.html"))));
        QCOMPARE(f.prompts.errors.size(), 1);
        QVERIFY2(f.prompts.errors[0].contains(QStringLiteral("browser player is not installed")),
                 qPrintable(f.prompts.errors[0]));
        QVERIFY(!QFileInfo::exists(f.Path(QStringLiteral("quiz.html"))));
        // A SCORM package holds that page: refused the same way, in either version.
        for (const EScormVersion version : {EScormVersion::Scorm12, EScormVersion::Scorm2004}) {
            QVERIFY(!f.Window().ExportFile(f.Path(QStringLiteral("quiz.zip")), nullptr, version));
            QVERIFY(f.prompts.errors.last().contains(QStringLiteral("browser player")));
        }
        QCOMPARE(f.prompts.errors.size(), 3);
        QVERIFY(!QFileInfo::exists(f.Path(QStringLiteral("quiz.zip"))));
    }

    void FileMenuOffersImportAndExport() {
        CEditorFixture f;
        QStringList texts;
        for (QAction* action : f.Window().findChildren<QAction*>())
            texts << action->text();
        QVERIFY(texts.contains(QStringLiteral("&Import...")));
        QVERIFY(texts.contains(QStringLiteral("&Export...")));
    }
};

int main(int argc, char** argv) {
    UsePrivateSettings();
    CTorviApp::PrepareEnvironment();
    QApplication app(argc, argv);
    CEditorTransferTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editor_transfer_test.moc"

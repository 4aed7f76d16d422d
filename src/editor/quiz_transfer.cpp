#include "editor/quiz_transfer.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>

#include "convert/quiz_export.h"
#include "convert/quiz_import.h"
#include "editor/editor_prompts.h"
#include "editor/quiz_editor_window.h"
#include "editor/quiz_text_file.h"
#include "export/html_export.h"
#include "file/file_write.h"
#include "ui/program_paths.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/window_return.h"

namespace {
const QString kImportFilter =
    QStringLiteral("Vocabulary and spreadsheet files (*.kvtml *.csv *.tsv *.tab *.txt);;"
                   "Vocabulary files (*.kvtml);;Spreadsheets (*.csv *.tsv *.tab);;"
                   "Flashcard exports (*.txt);;All files (*)");
const QString kExportFilter =
    QStringLiteral("Spreadsheet, comma-separated (*.csv);;Spreadsheet, tab-separated (*.tsv);;"
                   "Vocabulary file (*.kvtml);;Web page that plays the quiz (*.html *.htm);;"
                   "SCORM 1.2 package for a learning platform (*.zip);;"
                   "SCORM 2004 package for a learning platform (*.zip)");

QStringList ReportLines(const CConvertReport& report) {
    QStringList lines;
    for (const std::string& line : report.Lines())
        lines << QStringFromUtf8(line);
    return lines;
}
} // namespace

CImportedQuiz ConvertForEditor(const QString& path) {
    CImportedQuiz result;
    const std::string name = Utf8FromQString(path);
    std::string bytes;
    std::string why;
    if (ReadWholeFile(name, bytes, why) != EReadResult::Read) {
        result.error = QStringFromUtf8(why);
        return result;
    }
    const EFileFormat format = DetectInputFormat(name, std::string_view(bytes).substr(0, 4096));
    if (format == EFileFormat::Quiz) {
        result.error = QStringLiteral("it is a quiz file already; File > Open opens it");
        return result;
    }
    std::string text;
    CConvertReport report;
    result.ok = ConvertToQuizText(bytes, format, CConvertOptions(), text, report);
    if (!result.ok) {
        result.error = QStringFromUtf8(report.error);
        return result;
    }
    result.text = QStringFromUtf8(text);
    result.report = ReportLines(report);
    return result;
}

bool WriteUserFile(const QString& path, std::string_view bytes, const std::string& backupFolder,
                   const QString& done, QStringList& notes, QString& error) {
    CWriteOptions options;
    options.followLink = true;
    options.backupFolder = backupFolder;
    CWriteReport written;
    if (!ReplaceFile(Utf8FromQString(path), bytes, options, written)) {
        error = QStringFromUtf8(written.error);
        return false;
    }
    if (!written.backup.empty())
        notes << QStringLiteral("%1 into the file itself, which has other names (hard links); "
                                "the file as it was is kept in %2")
                     .arg(done, QStringFromUtf8(written.backup));
    for (const std::string& warning : written.warnings)
        notes << QStringFromUtf8(warning);
    return true;
}

bool ExportQuiz(const CQuestionSet& set, const QString& path, QStringList& notes, QString& error,
                const std::string& backupFolder) {
    const QString ending = QFileInfo(path).suffix().toLower();
    CConvertReport report;
    std::string bytes;
    if (ending == QStringLiteral("kvtml"))
        bytes = WriteKvtml(set, Utf8FromQString(QFileInfo(path).completeBaseName()), report);
    else
        bytes = WriteDelimited(
            set, ending == QStringLiteral("tsv") || ending == QStringLiteral("tab") ? '\t' : ',',
            report);
    if (report.Failed()) {
        error = QStringFromUtf8(report.error);
        return false;
    }
    notes = ReportLines(report);
    return WriteUserFile(path, bytes, backupFolder, QStringLiteral("Written"), notes, error);
}

bool CQuizEditorWindow::ImportFile(const QString& path) {
    const CImportedQuiz imported = ConvertForEditor(path);
    if (!imported.ok) {
        m_prompts.ShowError(this, QStringLiteral("Torvi Quiz Editor"),
                            QStringLiteral("%1 cannot be imported: %2.").arg(path, imported.error));
        return false;
    }
    // A new quiz with no file of its own: the import is never saved over the
    // file it came from.
    m_importReport.clear();
    SetText(imported.text, QString(), CQuizTextFormat{}, true);
    for (const QString& line : imported.report)
        m_importReport
            << QStringLiteral("Imported from %1: %2").arg(QFileInfo(path).fileName(), line);
    ShowProblems();
    return true;
}

namespace {
// A web page carries the quiz text as it would be saved, with the pictures its
// pages name found beside the quiz's file.
// A SCORM package (lms given) holds that page, reporting to the platform,
// with its manifest.
bool ExportWebPage(const std::string& quizBytes, const QString& quizPath, const QString& path,
                   const std::string& backupFolder, QStringList& notes, QString& error,
                   const CScormOptions* lms, int questions) {
    const QFileInfo quiz(quizPath.isEmpty() ? QDir::current().filePath(QStringLiteral("quiz.txt"))
                                            : quizPath);
    std::string page;
    std::string why;
    CHtmlExportReport report;
    if (!MakeQuizPage(quizBytes, Utf8FromQString(quiz.completeBaseName() + QStringLiteral(".txt")),
                      Utf8FromQString(quiz.absolutePath()) + "/", FindSupportDirectory(), page,
                      report, why, lms)) {
        error = QStringFromUtf8(why);
        return false;
    }
    if (lms) {
        std::string package;
        if (!MakeScormPackage(page, Utf8FromQString(quiz.completeBaseName()), questions, *lms,
                              package, why)) {
            error = QStringFromUtf8(why);
            return false;
        }
        page.swap(package);
    }
    notes.clear();
    for (const std::string& line : ::ReportLines(report))
        notes << QStringFromUtf8(line);
    return WriteUserFile(path, page, backupFolder, QStringLiteral("Written"), notes, error);
}
} // namespace

bool CQuizEditorWindow::ExportFile(const QString& path, QStringList* notes, EScormVersion scorm) {
    RunCheck();
    if (!m_check.loaded || !m_pSet) {
        m_prompts.ShowError(this, QStringLiteral("Torvi Quiz Editor"),
                            QStringLiteral("The quiz does not load, so it cannot be exported; the "
                                           "problem list says why."));
        return false;
    }
    QStringList said;
    QString error;
    const QString ending = QFileInfo(path).suffix().toLower();
    const bool package = ending == QStringLiteral("zip");
    const bool webPage =
        package || ending == QStringLiteral("html") || ending == QStringLiteral("htm");
    const std::string backupFolder = Utf8FromQString(BackupFolder());
    const CScormOptions lms{scorm, std::nullopt};
    if (webPage ? !ExportWebPage(EncodeQuizTextLoosely(Utf8FromQString(EditorText()), m_format),
                                 m_strPath, path, backupFolder, said, error,
                                 package ? &lms : nullptr, m_pSet->GetQuestions().GetCount())
                : !ExportQuiz(*m_pSet, path, said, error, backupFolder)) {
        m_prompts.ShowError(this, QStringLiteral("Torvi Quiz Editor"),
                            QStringLiteral("%1 cannot be written: %2").arg(path, error));
        return false;
    }
    if (notes)
        *notes = said;
    return true;
}

void CQuizEditorWindow::OnImport() {
    if (!MayDiscardChanges())
        return;
    const QString folder = m_strPath.isEmpty() ? QDir::currentPath() : QFileInfo(m_strPath).path();
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Import"), folder, kImportFilter);
    ReturnTo(this);
    if (!path.isEmpty())
        ImportFile(path);
}

void CQuizEditorWindow::OnExport() {
    const QString suggested =
        m_strPath.isEmpty() ? QDir::currentPath() + QStringLiteral("/quiz.csv")
                            : QFileInfo(m_strPath).path() + u'/' +
                                  QFileInfo(m_strPath).completeBaseName() + QStringLiteral(".csv");
    QFileDialog dialog(this, QStringLiteral("Export"), suggested, kExportFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    // A name typed without an ending gets the chosen format's own.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        const qsizetype star = filter.indexOf(QStringLiteral("(*."));
        if (star >= 0)
            dialog.setDefaultSuffix(filter.mid(star + 3).section(QRegularExpression("[ )]"), 0, 0));
    });
    if (ExecReturningTo(dialog, this) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QStringList notes;
    const QString chosen = dialog.selectedFiles().constFirst();
    const bool webPage = chosen.endsWith(QStringLiteral(".html")) ||
                         chosen.endsWith(QStringLiteral(".htm")) ||
                         chosen.endsWith(QStringLiteral(".zip"));
    // Both SCORM versions are zips: the filter chosen tells which.
    const EScormVersion scorm = dialog.selectedNameFilter().contains(QStringLiteral("2004"))
                                    ? EScormVersion::Scorm2004
                                    : EScormVersion::Scorm12;
    if (ExportFile(chosen, &notes, scorm) && notes.size() > (webPage ? 0 : 1)) {
        QMessageBox::information(this, QStringLiteral("Torvi Quiz Editor"), notes.join(u'\n'));
        ReturnTo(this);
    }
}

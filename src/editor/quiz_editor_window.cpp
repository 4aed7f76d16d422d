#include "editor/quiz_editor_window.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <unistd.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include "check/answer_explanation.h"
#include "editor/editor_prompts.h"
#include "editor/file_watch.h"
#include "editor/find_bar.h"
#include "editor/quiz_code_edit.h"
#include "editor/quiz_highlighter.h"
#include "editor/quiz_transfer.h"
#include "file/file_read.h"
#include "file/file_write.h"
#include "file/page_sweep.h"
#include "text/encoding.h"
#include "ui/page_composer.h"
#include "ui/program_paths.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/torvi_icon.h"
#include "ui/qt/web_browser2.h"

namespace {
const QString kProgramName = QStringLiteral("Torvi Quiz Editor");
const QString kManualFile = QStringLiteral("manual/index.html");
constexpr int kRecentCount = 8;

// A new quiz: every part of the format once, so the author sees how it goes.
const char kTemplate[] = "option:PercentForCorrect:0.65\n"
                         "What is the capital of France?\n"
                         "Paris\n"
                         ";Paris lies on the Seine.\n"
                         "~Paris has been the capital of France for centuries.\n"
                         "Name the three primary colours of light,/\n"
                         "in any order.\n"
                         "red/\n"
                         "green/\n"
                         "blue\n"
                         "Give the first three letters of the Greek alphabet,/\n"
                         "one in each box, in order.\n"
                         ">>alpha/\n"
                         "beta/\n"
                         "gamma\n";

// The quiz window's page area and feedback box, in its dialog units: its pages
// are the feedback box's width less 40 pixels wide, and they are seen through
// an area this big.
constexpr int kPageAreaWidth = 309;
constexpr int kPageAreaHeight = 104;
constexpr int kFeedbackBoxWidth = 294;

QSettings EditorSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("torvi"),
                     QStringLiteral("torvi-editor"));
}
} // namespace

CQuizEditorWindow::CQuizEditorWindow(CEditorPrompts& prompts, const QString& supportFolder,
                                     const QString& recoveryFolder, QWidget* parent)
    : QMainWindow(parent), m_prompts(prompts), m_strSupportFolder(supportFolder),
      m_recovery(Utf8FromQString(recoveryFolder)) {
    setObjectName(QStringLiteral("quizEditorWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(TorviIcon());
    const std::string support = Utf8FromQString(m_strSupportFolder);
    // Each window previews into a page of its own: another window, or another
    // editor running at the same time, must never show or replace it.
    if (const std::string pageFolder = ChoosePageDirectory(support); !pageFolder.empty()) {
        RemovePagesLeftBehind(pageFolder);
        static int s_nWindowsMade = 0;
        m_strPagePath = pageFolder + OwnPageName(kEditorPreviewStem, ++s_nWindowsMade);
    }
    CreateWidgets();
    CreateMenus();
    LoadIgnoreList();
    m_pWatch = new CFileWatch(this);
    connect(m_pWatch, &CFileWatch::Touched, this, &CQuizEditorWindow::CheckDisk);

    m_timerCheck.setSingleShot(true);
    m_timerCheck.setInterval(kCheckDelayMs);
    connect(&m_timerCheck, &QTimer::timeout, this, &CQuizEditorWindow::RunCheck);
    m_timerRecovery.setInterval(kRecoveryIntervalMs);
    connect(&m_timerRecovery, &QTimer::timeout, this, &CQuizEditorWindow::KeepRecoveryCopy);
    m_timerRecovery.start();
    resize(1200, 800);
}

CQuizEditorWindow::~CQuizEditorWindow() {
    // The preview page is this window's alone and goes with it.
    if (m_bPageWritten)
        RemoveOwnFile(m_strPagePath);
}

QString CQuizEditorWindow::FindSupportFolder() {
    return QStringFromUtf8(FindSupportDirectory());
}

void CQuizEditorWindow::CreateWidgets() {
    m_pEdit = new CQuizCodeEdit(this);
    m_pHighlighter = new CQuizHighlighter(m_pEdit->document());
    m_pFindBar = new CFindBar(m_pEdit, this);

    m_pProblems = new QListWidget(this);
    m_pProblems->setObjectName(QStringLiteral("problemList"));
    m_pProblems->setAccessibleName(QStringLiteral("Problems"));
    connect(m_pProblems, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { m_pEdit->GoToLine(item->data(Qt::UserRole).toInt()); });
    connect(m_pProblems, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_pEdit->GoToLine(item->data(Qt::UserRole).toInt()); });

    auto* textSide = new QWidget(this);
    auto* textLayout = new QVBoxLayout(textSide);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textLayout->addWidget(m_pEdit, 1);
    textLayout->addWidget(m_pFindBar);
    // The fix for the letters beyond A-Z sits right above the warnings it ends,
    // shown only while they are there.
    m_pWordsBar = new QWidget(this);
    m_pWordsBar->setObjectName(QStringLiteral("wordsFixBar"));
    auto* wordsLayout = new QHBoxLayout(m_pWordsBar);
    wordsLayout->setContentsMargins(0, 0, 0, 0);
    m_pWordsNote = new QLabel(m_pWordsBar);
    m_pWordsNote->setWordWrap(true);
    m_pWordsFix = new QPushButton(QStringLiteral("Read &Words in Every Alphabet"), m_pWordsBar);
    m_pWordsFix->setObjectName(QStringLiteral("wordsFixButton"));
    m_pWordsFix->setAccessibleName(QStringLiteral("Read words in every alphabet"));
    m_pWordsFix->setToolTip(
        QStringLiteral("Adds \"%1\" as the first line of the file (Edit > Undo takes it out)")
            .arg(kWordsUnicodeOption));
    connect(m_pWordsFix, &QPushButton::clicked, this, &CQuizEditorWindow::AddWordsOption);
    wordsLayout->addWidget(m_pWordsNote, 1);
    wordsLayout->addWidget(m_pWordsFix);
    m_pWordsBar->hide();
    auto* problemSide = new QWidget(this);
    auto* problemLayout = new QVBoxLayout(problemSide);
    problemLayout->setContentsMargins(0, 0, 0, 0);
    problemLayout->addWidget(m_pWordsBar);
    problemLayout->addWidget(m_pProblems, 1);

    auto* left = new QSplitter(Qt::Vertical, this);
    left->addWidget(textSide);
    left->addWidget(problemSide);
    left->setStretchFactor(0, 4);
    left->setStretchFactor(1, 1);

    // The page view is the quiz window's, at its size and with its page width.
    const CDialogUnits units(
        CDialogUnits::MakeFont(QStringLiteral("Courier New"), 8, QFont::TypeWriter));
    m_nPageWidth = units.X(kFeedbackBoxWidth) - 40;
    m_pPreview = new CWebBrowser2(this);
    m_pPreview->setObjectName(QStringLiteral("preview"));
    m_pPreview->setFixedSize(units.X(kPageAreaWidth), units.Y(kPageAreaHeight));

    m_pDetails = new QPlainTextEdit(this);
    m_pDetails->setObjectName(QStringLiteral("previewDetails"));
    m_pDetails->setReadOnly(true);
    m_pTryBox = new QLineEdit(this);
    m_pTryBox->setObjectName(QStringLiteral("answerBox"));
    m_pTryBox->setPlaceholderText(QStringLiteral("Type an answer to the question at the caret"));
    m_pVerdicts = new QPlainTextEdit(this);
    m_pVerdicts->setObjectName(QStringLiteral("verdicts"));
    m_pVerdicts->setReadOnly(true);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    m_pVerdicts->setFont(fixed);
    connect(m_pTryBox, &QLineEdit::textChanged, this, &CQuizEditorWindow::UpdateVerdicts);

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(
        new QLabel(QStringLiteral("Question at the caret, as the quiz shows it:"), right));
    rightLayout->addWidget(m_pPreview, 0, Qt::AlignLeft);
    rightLayout->addWidget(m_pDetails, 1);
    rightLayout->addWidget(new QLabel(QStringLiteral("&Try an answer:"), right));
    rightLayout->addWidget(m_pTryBox);
    rightLayout->addWidget(m_pVerdicts, 2);
    qobject_cast<QLabel*>(rightLayout->itemAt(3)->widget())->setBuddy(m_pTryBox);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    setCentralWidget(split);

    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("checkSummary"));
    m_pFormatLabel = new QLabel(this);
    statusBar()->addWidget(m_pStatus, 1);
    statusBar()->addPermanentWidget(m_pFormatLabel);

    connect(m_pEdit, &QPlainTextEdit::textChanged, this, [this] { m_timerCheck.start(); });
    connect(m_pEdit, &QPlainTextEdit::cursorPositionChanged, this,
            &CQuizEditorWindow::UpdatePreview);
    connect(m_pEdit->document(), &QTextDocument::modificationChanged, this,
            &QWidget::setWindowModified);
}

void CQuizEditorWindow::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&New"), QKeySequence::New, this, &CQuizEditorWindow::OnNew);
    file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this,
                    &CQuizEditorWindow::OnOpen);
    m_pRecentMenu = file->addMenu(QStringLiteral("Open &Recent"));
    connect(m_pRecentMenu, &QMenu::aboutToShow, this, &CQuizEditorWindow::FillRecentMenu);
    file->addSeparator();
    file->addAction(QStringLiteral("&Import..."), this, &CQuizEditorWindow::OnImport);
    file->addAction(QStringLiteral("&Export..."), this, &CQuizEditorWindow::OnExport);
    file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, &CQuizEditorWindow::Save);
    file->addAction(QStringLiteral("Save &As..."), QKeySequence(QStringLiteral("Ctrl+Shift+S")),
                    this, &CQuizEditorWindow::SaveAs);
    QMenu* encoding = file->addMenu(QStringLiteral("Enco&ding"));
    m_pEncodingGroup = new QActionGroup(this);
    for (const auto& [name, value] : {std::pair{"UTF-8", 0}, std::pair{"Windows-1252", 1}}) {
        QAction* action = encoding->addAction(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setData(value);
        m_pEncodingGroup->addAction(action);
    }
    encoding->addSeparator();
    m_pLineEndGroup = new QActionGroup(this);
    for (const auto& [name, value] :
         {std::pair{"LF line ends", static_cast<int>(ELineEnds::Lf)},
          std::pair{"CR LF line ends", static_cast<int>(ELineEnds::CrLf)},
          std::pair{"CR line ends", static_cast<int>(ELineEnds::Cr)}}) {
        QAction* action = encoding->addAction(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setData(value);
        m_pLineEndGroup->addAction(action);
    }
    connect(m_pEncodingGroup, &QActionGroup::triggered, this, &CQuizEditorWindow::OnEncodingChosen);
    connect(m_pLineEndGroup, &QActionGroup::triggered, this, &CQuizEditorWindow::OnEncodingChosen);
    file->addSeparator();
    file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, &QWidget::close);
    file->addAction(QStringLiteral("&Quit"), QKeySequence(QStringLiteral("Ctrl+Q")), qApp,
                    &QApplication::closeAllWindows);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* undo = edit->addAction(QStringLiteral("&Undo"), QKeySequence::Undo, m_pEdit,
                                    &QPlainTextEdit::undo);
    QAction* redo = edit->addAction(QStringLiteral("&Redo"), QKeySequence::Redo, m_pEdit,
                                    &QPlainTextEdit::redo);
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(m_pEdit, &QPlainTextEdit::undoAvailable, undo, &QAction::setEnabled);
    connect(m_pEdit, &QPlainTextEdit::redoAvailable, redo, &QAction::setEnabled);
    edit->addSeparator();
    edit->addAction(QStringLiteral("Cu&t"), QKeySequence::Cut, m_pEdit, &QPlainTextEdit::cut);
    edit->addAction(QStringLiteral("&Copy"), QKeySequence::Copy, m_pEdit, &QPlainTextEdit::copy);
    edit->addAction(QStringLiteral("&Paste"), QKeySequence::Paste, m_pEdit, &QPlainTextEdit::paste);
    edit->addAction(QStringLiteral("Select &All"), QKeySequence::SelectAll, m_pEdit,
                    &QPlainTextEdit::selectAll);
    edit->addSeparator();
    edit->addAction(QStringLiteral("&Find and Replace..."), QKeySequence::Find, m_pFindBar,
                    &CFindBar::Open);
    edit->addAction(QStringLiteral("Find &Next"), QKeySequence::FindNext, this,
                    [this] { m_pFindBar->FindNext(); });
    edit->addAction(QStringLiteral("Find Pre&vious"), QKeySequence::FindPrevious, this,
                    [this] { m_pFindBar->FindNext(true); });
    edit->addSeparator();
    m_pWordsAction = edit->addAction(QStringLiteral("Read &Words in Every Alphabet"), this,
                                     &CQuizEditorWindow::AddWordsOption);
    m_pWordsAction->setObjectName(QStringLiteral("wordsFixAction"));
    m_pWordsAction->setEnabled(false);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Contents"), QKeySequence::HelpContents, this,
                    &CQuizEditorWindow::OnHelpContents);
    help->addAction(QStringLiteral("&About"), this, &CQuizEditorWindow::OnHelpAbout);
}

void CQuizEditorWindow::LoadIgnoreList() {
    // As the quiz window finds it: the current folder first, then the program's.
    const std::string candidates[] = {
        "IgnoreW.TXT", Utf8FromQString(m_strSupportFolder + QStringLiteral("IgnoreW.TXT"))};
    for (const std::string& file : candidates) {
        if (m_ignoreList.LoadIgnoreWords(file.c_str())) {
            m_strIgnoreFile = file;
            return;
        }
    }
}

bool CQuizEditorWindow::IsModified() const {
    return m_pEdit->document()->isModified();
}

QString CQuizEditorWindow::DocumentName() const {
    return m_strPath.isEmpty() ? QStringLiteral("Untitled quiz") : QFileInfo(m_strPath).fileName();
}

void CQuizEditorWindow::UpdateTitle() {
    setWindowTitle(DocumentName() + QStringLiteral("[*] - ") + kProgramName);
    setWindowModified(IsModified());
}

void CQuizEditorWindow::UpdateFormatLabel() {
    m_pFormatLabel->setText(QString::fromStdString(m_format.Describe()));
    for (QAction* action : m_pEncodingGroup->actions())
        action->setChecked(action->data().toInt() ==
                           (m_format.encoding == EQuizEncoding::Utf8 ? 0 : 1));
    for (QAction* action : m_pLineEndGroup->actions())
        action->setChecked(action->data().toInt() == static_cast<int>(m_format.lineEnds));
}

void CQuizEditorWindow::SetText(const QString& text, const QString& path,
                                const CQuizTextFormat& format, bool modified) {
    m_strPath = path;
    m_format = format;
    m_importReport.clear();
    m_pEdit->setPlainText(text);
    m_pEdit->document()->setModified(modified);
    m_strKeptText.clear();
    m_recovery.Discard();
    UpdateTitle();
    UpdateFormatLabel();
    RunCheck();
}

void CQuizEditorWindow::NewQuiz() {
    SetText(QString::fromUtf8(kTemplate), QString(), CQuizTextFormat{}, false);
    TrackFile(QString(), CDiskFileState{});
}

bool CQuizEditorWindow::OpenFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::string name = Utf8FromQString(absolute);
    std::string bytes;
    std::string why;
    if (ReadWholeFile(name, bytes, why) != EReadResult::Read) {
        // A name where nothing is yet: a new quiz to be saved there.
        if (errno == ENOENT || errno == ENOTDIR) {
            SetText(QString(), absolute, CQuizTextFormat{}, false);
            TrackFile(absolute, CDiskFileState::Read(name));
            return true;
        }
        m_prompts.ShowError(
            this, kProgramName,
            QStringLiteral("%1 cannot be read: %2").arg(absolute, QStringFromUtf8(why)));
        return false;
    }
    std::string text;
    CQuizTextFormat format;
    DecodeQuizBytes(bytes, text, format);
    SetText(QStringFromUtf8(text), absolute, format, false);
    TrackFile(absolute, CDiskFileState::Of(name, bytes));
    RememberRecent(absolute);
    return true;
}

void CQuizEditorWindow::OpenRecovered(const CRecoveryCopy& copy) {
    SetText(QStringFromUtf8(copy.text), QStringFromUtf8(copy.quizPath), copy.format, true);
    TrackRecoveredFile(copy);
    // The copy is this window's from now on.
    KeepRecoveryCopy();
}

bool CQuizEditorWindow::MayDiscardChanges() {
    if (!IsModified())
        return true;
    switch (m_prompts.AskSaveChanges(this, DocumentName())) {
    case CEditorPrompts::ESaveChoice::Save:
        return Save();
    case CEditorPrompts::ESaveChoice::Discard:
        return true;
    case CEditorPrompts::ESaveChoice::Cancel:
        break;
    }
    return false;
}

void CQuizEditorWindow::OnNew() {
    if (MayDiscardChanges())
        NewQuiz();
}

void CQuizEditorWindow::OnOpen() {
    if (!MayDiscardChanges())
        return;
    const QString folder = m_strPath.isEmpty() ? QDir::currentPath() : QFileInfo(m_strPath).path();
    const QString path = m_prompts.AskOpenPath(this, folder);
    if (path.isEmpty())
        return;
    if (CQuizEditorWindow* open = FindWindowFor(path))
        open->BringForward();
    else
        OpenFile(path);
}

void CQuizEditorWindow::OpenRecent(const QString& path) {
    // A file open in a window already is edited there, never twice.
    if (CQuizEditorWindow* open = FindWindowFor(path)) {
        open->BringForward();
        return;
    }
    if (MayDiscardChanges())
        OpenFile(path);
}

bool CQuizEditorWindow::Save() {
    if (m_strPath.isEmpty())
        return SaveAs();
    return SaveTo(m_strPath);
}

bool CQuizEditorWindow::SaveAs() {
    const QString suggested =
        m_strPath.isEmpty() ? QDir::current().filePath(QStringLiteral("quiz.txt")) : m_strPath;
    const QString path = m_prompts.AskSavePath(this, suggested);
    if (path.isEmpty())
        return false;
    return SaveTo(QFileInfo(path).absoluteFilePath());
}

bool CQuizEditorWindow::SaveTo(const QString& path) {
    std::string bytes;
    CUnencodable bad;
    if (!EncodeQuizText(Utf8FromQString(EditorText()), m_format, bytes, &bad)) {
        m_prompts.ShowError(
            this, kProgramName,
            QStringLiteral("The quiz was not saved: the character %1 on line %2, column %3 "
                           "cannot be written in Windows-1252, the encoding of this file.\n\n"
                           "Replace it, or choose File > Encoding > UTF-8 to save the file "
                           "as UTF-8.")
                .arg(QStringFromUtf8(DescribeCharacter(bad.character)))
                .arg(bad.line)
                .arg(bad.column));
        m_pEdit->GoToLine(bad.line);
        return false;
    }
    if (!ConfirmWrite(path))
        return false;
    QStringList notes;
    QString error;
    if (!WriteUserFile(path, bytes, Utf8FromQString(BackupFolder()), QStringLiteral("Saved"), notes,
                       error)) {
        m_prompts.ShowError(this, kProgramName,
                            QStringLiteral("The quiz was not saved: %1").arg(error));
        return false;
    }
    TrackFile(path, CDiskFileState::Of(Utf8FromQString(path), bytes));
    if (!notes.isEmpty())
        statusBar()->showMessage(notes.join(QStringLiteral("; ")));
    m_strPath = path;
    m_pEdit->document()->setModified(false);
    m_recovery.Discard();
    m_strKeptText.clear();
    RememberRecent(path);
    UpdateTitle();
    return true;
}

void CQuizEditorWindow::OnEncodingChosen() {
    CQuizTextFormat format = m_format;
    if (QAction* encoding = m_pEncodingGroup->checkedAction())
        format.encoding =
            encoding->data().toInt() == 0 ? EQuizEncoding::Utf8 : EQuizEncoding::Windows1252;
    if (QAction* ends = m_pLineEndGroup->checkedAction())
        format.lineEnds = static_cast<ELineEnds>(ends->data().toInt());
    if (format.encoding == EQuizEncoding::Windows1252)
        format.byteOrderMark = false;
    if (format == m_format)
        return;
    m_format = format;
    // The file will change when saved.
    m_pEdit->document()->setModified(true);
    UpdateFormatLabel();
    m_timerCheck.start();
}

void CQuizEditorWindow::RememberRecent(const QString& path) {
    QSettings settings = EditorSettings();
    QStringList recent = settings.value(QStringLiteral("recentFiles")).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentCount)
        recent.removeLast();
    settings.setValue(QStringLiteral("recentFiles"), recent);
}

void CQuizEditorWindow::FillRecentMenu() {
    m_pRecentMenu->clear();
    const QStringList recent = EditorSettings().value(QStringLiteral("recentFiles")).toStringList();
    for (const QString& path : recent) {
        // An "&" in a name is shown, not taken for an access key.
        QString label = QFileInfo(path).fileName() + QStringLiteral("  (") + path + u')';
        QAction* action = m_pRecentMenu->addAction(label.replace(u'&', QStringLiteral("&&")));
        connect(action, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
    if (recent.isEmpty())
        m_pRecentMenu->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

void CQuizEditorWindow::OnHelpContents() {
    const QString manual = m_strSupportFolder + kManualFile;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(manual)))
        m_prompts.ShowError(this, kProgramName,
                            QStringLiteral("The manual could not be opened: %1").arg(manual));
}

void CQuizEditorWindow::OnHelpAbout() {
    QMessageBox::about(this, QStringLiteral("About ") + kProgramName,
                       QStringLiteral("<b>%1</b> %2<p>Writes and checks quiz files for Torvi: "
                                      "each mistake shows at its line while you type, each "
                                      "question can be previewed and answers tried.</p>"
                                      "<p>Free software under the GNU GPL, version 3 or later.</p>")
                           .arg(kProgramName, QCoreApplication::applicationVersion()));
}

void CQuizEditorWindow::closeEvent(QCloseEvent* event) {
    if (!MayDiscardChanges()) {
        event->ignore();
        return;
    }
    m_timerRecovery.stop();
    m_recovery.Discard();
    event->accept();
}

void CQuizEditorWindow::KeepForNextStart() {
    m_timerRecovery.stop();
    if (!IsModified())
        return;
    KeepRecoveryCopy();
    // The copy stays for the next start; nothing is asked.
    m_recovery.Release();
    m_pEdit->document()->setModified(false);
}

void CQuizEditorWindow::KeepRecoveryCopy() {
    if (!IsModified()) {
        m_recovery.Discard();
        return;
    }
    const QString text = EditorText();
    if (m_recovery.HasCopy() && text == m_strKeptText)
        return;
    std::string error;
    if (m_recovery.Keep(Utf8FromQString(m_strPath), m_format, Utf8FromQString(text), error,
                        DiskBase()))
        m_strKeptText = text;
    else
        statusBar()->showMessage(
            QStringLiteral("No recovery copy could be kept: ") + QStringFromUtf8(error), 5000);
}

QList<CQuizEditorWindow*> CQuizEditorWindow::OfferRecoveryCopies(CEditorPrompts& prompts,
                                                                 const QString& supportFolder,
                                                                 const QString& recoveryFolder) {
    QList<CQuizEditorWindow*> windows;
    const CRecoveryStore store(Utf8FromQString(recoveryFolder));
    for (const CRecoveryCopy& copy : store.FindAbandoned()) {
        const QString quiz = copy.quizPath.empty() ? QStringLiteral("an untitled quiz")
                                                   : QStringFromUtf8(copy.quizPath);
        const QString when = QDateTime::fromSecsSinceEpoch(copy.savedAt).toString(Qt::TextDate);
        const QString description = QStringLiteral("%1, kept %2 (%3 lines).")
                                        .arg(quiz, when)
                                        .arg(QStringFromUtf8(copy.text).count(u'\n') + 1);
        switch (prompts.AskRecover(nullptr, description)) {
        case CEditorPrompts::ERecoveryChoice::Recover: {
            // Into the window that has the quiz open, if one has, as unsaved
            // changes; one with unsaved changes of its own keeps them, and the
            // copy gets a window beside it (saving either one then asks first,
            // since the other's save changes the file under it).
            CQuizEditorWindow* window =
                copy.quizPath.empty() ? nullptr : FindWindowFor(QStringFromUtf8(copy.quizPath));
            if (window && window->IsModified())
                window = nullptr;
            if (!window)
                window = new CQuizEditorWindow(prompts, supportFolder, recoveryFolder);
            window->OpenRecovered(copy);
            CRecoveryStore::Remove(copy);
            if (!windows.contains(window))
                windows.append(window);
            break;
        }
        case CEditorPrompts::ERecoveryChoice::Discard:
            CRecoveryStore::Remove(copy);
            break;
        case CEditorPrompts::ERecoveryChoice::Later:
            break;
        }
    }
    return windows;
}

QString CQuizEditorWindow::EditorText() const {
    // The document's own characters: its plain-text view would turn no-break
    // spaces into spaces, and a quiz must be saved as it was written.
    QString text = m_pEdit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

QString CQuizEditorWindow::WindowText(const CTextBuffer& text) const {
    const std::string_view bytes(text.GetText() ? text.GetText() : "",
                                 static_cast<size_t>(text.GetLength()));
    return QStringFromUtf8(m_pSet && !m_pSet->IsUtf8() ? Cp1252ToUtf8(bytes) : ToUtf8(bytes));
}

void CQuizEditorWindow::RunCheck() {
    m_timerCheck.stop();
    const std::string text = Utf8FromQString(EditorText());
    // The bytes the file will hold; characters the encoding cannot hold are
    // reported on their own below.
    const std::string bytes = EncodeQuizTextLoosely(text, m_format);
    m_pSet = std::make_unique<CQuestionSet>(nullptr);
    for (const CTextBuffer* word : m_ignoreList.ignoreWords)
        m_pSet->judge.ignoreWords.Add(new CTextBuffer(*word));
    const bool loaded = LoadQuizBytes(*m_pSet, bytes, &m_report);
    m_check =
        CheckLoadedQuiz(*m_pSet, loaded, m_report, m_pSet->IsUtf8() ? &ToUtf8 : &Cp1252ToUtf8);
    for (const CUnencodable& bad : FindUnencodable(text, m_format))
        m_check.diagnostics.push_back(
            {bad.line, true,
             DescribeCharacter(bad.character) +
                 " cannot be written in Windows-1252: the file cannot be saved until it is "
                 "replaced"});
    std::stable_sort(
        m_check.diagnostics.begin(), m_check.diagnostics.end(),
        [](const CQuizDiagnostic& a, const CQuizDiagnostic& b) { return a.line < b.line; });
    m_pHighlighter->SetRoles(ClassifyQuizLines(text));
    ShowProblems();
    m_nPreviewed = -2; // shown again, whatever the caret's question
    UpdatePreview();
    emit Checked();
}

void CQuizEditorWindow::ShowProblems() {
    m_pProblems->clear();
    QMap<int, CQuizCodeEdit::EMark> marks;
    for (const CQuizDiagnostic& d : m_check.diagnostics) {
        const QString kind = d.error ? QStringLiteral("error") : QStringLiteral("warning");
        auto* item = new QListWidgetItem(
            QStringLiteral("Line %1: %2: %3").arg(d.line).arg(kind, QStringFromUtf8(d.text)),
            m_pProblems);
        item->setData(Qt::UserRole, d.line);
        item->setForeground(d.error ? QColor(0xB0, 0x00, 0x00) : QColor(0x80, 0x60, 0x00));
        const auto mark = d.error ? CQuizCodeEdit::EMark::Error : CQuizCodeEdit::EMark::Warning;
        if (!marks.contains(d.line) || mark == CQuizCodeEdit::EMark::Error)
            marks[d.line] = mark;
    }
    for (const QString& line : m_importReport)
        new QListWidgetItem(line, m_pProblems);
    m_pEdit->SetMarks(marks);
    m_pStatus->setText(QString::fromStdString(m_check.Summary()));

    const auto lost = std::count_if(
        m_check.diagnostics.begin(), m_check.diagnostics.end(),
        [](const CQuizDiagnostic& d) { return d.fix == EQuizFix::AddWordsUnicodeOption; });
    if (lost > 0) {
        m_pWordsNote->setText(
            (lost == 1 ? QStringLiteral("1 expected answer holds")
                       : QStringLiteral("%1 expected answers hold").arg(lost)) +
            QStringLiteral(" letters beyond A-Z, which the judge takes for spaces. %1 as the "
                           "first line reads words in every alphabet.")
                .arg(kWordsUnicodeOption));
        // What a screen reader says of the button: why it is there.
        m_pWordsFix->setAccessibleDescription(m_pWordsNote->text());
    }
    // The button gives way to the problems when it goes; the focus stays in
    // the window.
    if (lost == 0 && m_pWordsFix->hasFocus())
        m_pProblems->setFocus();
    m_pWordsBar->setVisible(lost > 0);
    m_pWordsAction->setEnabled(lost > 0);
}

void CQuizEditorWindow::AddWordsOption() {
    // Options are read only when "option:" are the file's very first characters,
    // so the line goes at the very start: before any option line already there,
    // and above a blank first line, under which it would be read as an answer.
    QTextCursor start(m_pEdit->document());
    start.movePosition(QTextCursor::Start);
    start.insertText(QString::fromLatin1(kWordsUnicodeOption) + u'\n');
    // The warnings go at once, not a moment later.
    RunCheck();
    m_pEdit->setFocus();
    statusBar()->showMessage(QStringLiteral("%1 is now the first line: words of every alphabet "
                                            "are read. Edit > Undo takes it out.")
                                 .arg(kWordsUnicodeOption),
                             8000);
}

void CQuizEditorWindow::UpdatePreview() {
    const int count = m_pSet ? m_pSet->GetQuestions().GetCount() : 0;
    int index = -1;
    if (count > 0) {
        // The question whose record the caret is in: the last one that starts
        // on or before the caret's line (the first one for the header above it).
        const int caret = m_pEdit->GetCaretLine();
        index = 0;
        for (int i = 0; i < count && i < static_cast<int>(m_report.questions.size()); ++i)
            if (m_report.questions[static_cast<size_t>(i)].textLine <= caret)
                index = i;
    }
    if (index == m_nPreviewed)
        return;
    ShowQuestion(index);
}

void CQuizEditorWindow::ShowQuestion(int index) {
    m_nPreviewed = index;
    QString details;
    std::string text;
    if (index < 0) {
        if (!m_check.loaded)
            details = QStringLiteral("The quiz does not load, so no question can be shown: "
                                     "see the errors under the text.");
        else
            details = QStringLiteral("The quiz has no questions yet.");
    } else {
        const CQuestion& question = *m_pSet->GetQuestions().GetAt(index);
        text.assign(question.text.GetText() ? question.text.GetText() : "",
                    static_cast<size_t>(question.text.GetLength()));
        const int count = question.answers.GetCount();
        details = QStringLiteral("Question %1 of %2, line %3.\n")
                      .arg(index + 1)
                      .arg(m_pSet->GetQuestions().GetCount())
                      .arg(m_report.questions[static_cast<size_t>(index)].textLine);
        if (count == 0)
            details += QStringLiteral("No expected answers: any answer is right.\n");
        else if (question.ordered)
            details += QStringLiteral("Expected answers, each in its own box, in this order:\n");
        else
            details += QStringLiteral("Expected answers, in any of the boxes:\n");
        for (int k = 0; k < count; ++k)
            details +=
                QStringLiteral("  %1. %2\n").arg(k + 1).arg(WindowText(*question.answers.GetAt(k)));
        if (count > CQuestionSet::kMaxJudgedAnswers)
            details += QStringLiteral("Only the first ten are typed and judged.\n");
        if (question.comment.GetLength() > 0)
            details += QStringLiteral("Comment: ") + WindowText(question.comment) + u'\n';
        if (question.explanation.GetLength() > 0)
            details += QStringLiteral("Explanation: ") + WindowText(question.explanation) + u'\n';
    }
    m_pDetails->setPlainText(details);

    // The page the quiz window would write for this question, in the same way.
    const CTextBuffer page = ComposePage(text.c_str(), m_nPageWidth, m_pSet && m_pSet->IsUtf8());
    const std::string pageBytes(page.GetText() ? page.GetText() : "",
                                static_cast<size_t>(page.GetLength()));
    // Without a safe folder for it there is no page to show.
    if (pageBytes != m_strShownPage && !m_strPagePath.empty()) {
        std::string error;
        m_bPageWritten = WritePrivateFile(m_strPagePath, pageBytes, error) || m_bPageWritten;
        m_strShownPage = pageBytes;
        m_pPreview->Navigate(m_strPagePath);
    }
    UpdateVerdicts();
}

void CQuizEditorWindow::UpdateVerdicts() {
    if (m_nPreviewed < 0 || !m_pSet) {
        m_pVerdicts->setPlainText(QStringLiteral("No question to try an answer on."));
        return;
    }
    const CQuestion& question = *m_pSet->GetQuestions().GetAt(m_nPreviewed);
    const std::string typed = Utf8FromQString(m_pTryBox->text());
    const int count = question.answers.GetCount();
    const std::string ignoreLine = m_strIgnoreFile.empty()
                                       ? std::string("none")
                                       : ToUtf8(m_strIgnoreFile) + " (" +
                                             std::to_string(m_pSet->judge.ignoreWords.GetCount()) +
                                             " entries)";
    QString report;
    int right = 0;
    bool firstRight = false;
    for (int k = 0; k < count && k < CQuestionSet::kMaxJudgedAnswers; ++k) {
        const CTextBuffer& expected = *question.answers.GetAt(k);
        CAnswerExplanation explanation;
        ExplainAnswer(m_pSet->judge, typed,
                      std::string_view(expected.GetText() ? expected.GetText() : "",
                                       static_cast<size_t>(expected.GetLength())),
                      explanation);
        right += explanation.right ? 1 : 0;
        firstRight = k == 0 ? explanation.right : firstRight;
        report +=
            QStringLiteral("Expected answer %1: \"%2\"\n").arg(k + 1).arg(WindowText(expected));
        const std::string lines = FormatAnswerExplanation(
            explanation, m_pSet->judge.threshold, m_pSet->judge.wordRule, ignoreLine, &ToUtf8);
        for (const QString& line : QStringFromUtf8(lines).split(u'\n', Qt::SkipEmptyParts))
            report += QStringLiteral("  ") + line + u'\n';
        report += u'\n';
    }
    QString verdict;
    const int judged = qMin(count, CQuestionSet::kMaxJudgedAnswers);
    if (count == 0)
        verdict = QStringLiteral("This question has no expected answers: any answer is right.");
    else if (judged == 1)
        verdict = right == 1 ? QStringLiteral("Right: this answer would be accepted.")
                             : QStringLiteral("Wrong: this answer would not be accepted.");
    else if (question.ordered)
        verdict = QStringLiteral("Typed in the first box, it is %1 for the first answer; each "
                                 "of the %2 boxes is judged against its own answer.")
                      .arg(firstRight ? QStringLiteral("right") : QStringLiteral("wrong"))
                      .arg(judged);
    else
        verdict =
            QStringLiteral("Typed in one box, it matches %1 of the %2 expected answers%3.")
                .arg(right)
                .arg(judged)
                .arg(right == judged ? QStringLiteral(": the question would be right") : QString());
    m_pVerdicts->setPlainText(verdict + QStringLiteral("\n\n") + report);
}

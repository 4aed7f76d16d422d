// The quiz editor window and the file on disk: noticing another program's
// changes, checking the file just before writing over it, and keeping one
// window per file.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "editor/editor_prompts.h"
#include "editor/file_watch.h"
#include "editor/quiz_code_edit.h"
#include "editor/quiz_editor_window.h"
#include "file/file_read.h"
#include "file/file_write.h"
#include "ui/qt/qt_text.h"

namespace {
const QString kProgramName = QStringLiteral("Torvi Quiz Editor");

// The same text is on disk: the same bytes, whatever the times say.
bool SameText(const CDiskFileState& a, const CDiskFileState& b) {
    return a.known && b.known && a.exists == b.exists && a.size == b.size &&
           a.contentHash == b.contentHash;
}
} // namespace

QString CQuizEditorWindow::BackupFolder() const {
    // Beside the recovery copies, in the user's own data folder.
    return QFileInfo(QStringFromUtf8(m_recovery.GetFolder())).absolutePath() +
           QStringLiteral("/backup");
}

void CQuizEditorWindow::TrackFile(const QString& path, const CDiskFileState& state) {
    m_diskKnown = state;
    m_diskAccepted = CDiskFileState{};
    m_diskReported = CDiskFileState{};
    m_pWatch->Watch(path);
}

CDiskFileState CQuizEditorWindow::DiskBase() const {
    return m_diskAccepted.known ? m_diskAccepted : m_diskKnown;
}

void CQuizEditorWindow::TrackRecoveredFile(const CRecoveryCopy& copy) {
    const CDiskFileState disk = CDiskFileState::Read(copy.quizPath);
    // Unknown (a copy that does not say) counts as changed: saving asks.
    TrackFile(m_strPath, SameText(disk, copy.base) ? disk : copy.base);
}

bool CQuizEditorWindow::HoldsFile(const QString& path) const {
    if (m_strPath.isEmpty() || path.isEmpty())
        return false;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (absolute == QDir::cleanPath(m_strPath))
        return true;
    // Another name of the same file: a link, or a second hard link.
    const CDiskFileState mine = CDiskFileState::Of(Utf8FromQString(m_strPath), {});
    return IsSameFile(mine, CDiskFileState::Of(Utf8FromQString(absolute), {}));
}

CQuizEditorWindow* CQuizEditorWindow::FindWindowFor(const QString& path) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<CQuizEditorWindow*>(widget);
        if (window && window->HoldsFile(path))
            return window;
    }
    return nullptr;
}

CQuizEditorWindow* CQuizEditorWindow::OpenInWindow(CEditorPrompts& prompts,
                                                   const QString& supportFolder,
                                                   const QString& recoveryFolder,
                                                   const QString& path) {
    if (CQuizEditorWindow* open = FindWindowFor(path)) {
        open->BringForward();
        return open;
    }
    auto* window = new CQuizEditorWindow(prompts, supportFolder, recoveryFolder);
    if (window->OpenFile(path))
        return window;
    delete window;
    return nullptr;
}

void CQuizEditorWindow::BringForward() {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void CQuizEditorWindow::CheckDisk() {
    if (m_strPath.isEmpty() || m_bAskingAboutDisk)
        return;
    CDiskFileState now;
    const EDiskChange change = CompareWithDisk(m_diskKnown, Utf8FromQString(m_strPath), now);
    if (change == EDiskChange::None) {
        if (now.exists)
            m_diskKnown = now; // touched, or the same bytes written again
        return;
    }
    // One question for one change, however many events it made.
    if (SameText(now, m_diskReported) || SameText(now, m_diskAccepted))
        return;
    m_diskReported = now;
    if (change == EDiskChange::Changed && !IsModified()) {
        if (ReloadFromDisk())
            statusBar()->showMessage(
                QStringLiteral("%1 was changed by another program and has been reloaded "
                               "(Edit > Undo brings the text before back).")
                    .arg(QFileInfo(m_strPath).fileName()));
        return;
    }
    m_bAskingAboutDisk = true;
    const auto choice = m_prompts.AskDiskChanged(this, QFileInfo(m_strPath).fileName(), change,
                                                 IsModified(), false);
    m_bAskingAboutDisk = false;
    if (change == EDiskChange::Deleted)
        // The window now holds the only copy of the text: closing it asks.
        m_pEdit->document()->setModified(true);
    switch (choice) {
    case CEditorPrompts::EDiskChoice::Reload:
        if (change == EDiskChange::Changed)
            ReloadFromDisk();
        break;
    case CEditorPrompts::EDiskChoice::Overwrite:
        m_diskAccepted = now;
        Save();
        break;
    case CEditorPrompts::EDiskChoice::SaveAs:
        SaveAs();
        break;
    case CEditorPrompts::EDiskChoice::KeepEditing:
        break;
    }
}

void CQuizEditorWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        // After the event: a question asked now would come up inside it.
        QTimer::singleShot(0, this, &CQuizEditorWindow::CheckDisk);
}

bool CQuizEditorWindow::ReloadFromDisk() {
    std::string bytes;
    std::string why;
    if (ReadWholeFile(Utf8FromQString(m_strPath), bytes, why) != EReadResult::Read) {
        m_prompts.ShowError(
            this, kProgramName,
            QStringLiteral("%1 cannot be read: %2").arg(m_strPath, QStringFromUtf8(why)));
        return false;
    }
    std::string text;
    CQuizTextFormat format;
    DecodeQuizBytes(bytes, text, format);

    const int line = m_pEdit->textCursor().blockNumber();
    // One edit over the whole text, so Undo brings back what was there before.
    QTextCursor all(m_pEdit->document());
    all.beginEditBlock();
    all.select(QTextCursor::Document);
    all.insertText(QStringFromUtf8(text));
    all.endEditBlock();
    const QTextBlock block =
        m_pEdit->document()->findBlockByNumber(qMin(line, m_pEdit->document()->blockCount() - 1));
    QTextCursor caret(block);
    m_pEdit->setTextCursor(caret);

    m_format = format;
    m_pEdit->document()->setModified(false);
    m_recovery.Discard();
    m_strKeptText.clear();
    TrackFile(m_strPath, CDiskFileState::Of(Utf8FromQString(m_strPath), bytes));
    UpdateTitle();
    UpdateFormatLabel();
    RunCheck();
    return true;
}

bool CQuizEditorWindow::ConfirmWrite(const QString& path) {
    const std::string target = Utf8FromQString(path);
    if (!m_strPath.isEmpty() && HoldsFile(path)) {
        CDiskFileState now;
        const EDiskChange change = CompareWithDisk(m_diskKnown, target, now);
        if (change != EDiskChange::None && !SameText(now, m_diskAccepted)) {
            m_bAskingAboutDisk = true;
            const auto choice = m_prompts.AskDiskChanged(this, QFileInfo(path).fileName(), change,
                                                         IsModified(), true);
            m_bAskingAboutDisk = false;
            m_diskReported = now;
            switch (choice) {
            case CEditorPrompts::EDiskChoice::Overwrite:
                m_diskAccepted = now;
                break;
            case CEditorPrompts::EDiskChoice::Reload:
                if (change == EDiskChange::Changed)
                    ReloadFromDisk();
                return false;
            case CEditorPrompts::EDiskChoice::SaveAs:
                SaveAs();
                return false;
            case CEditorPrompts::EDiskChoice::KeepEditing:
                return false;
            }
        }
    }
    const std::string ownership = OwnershipChange(target);
    if (!ownership.empty() &&
        !m_prompts.AskToContinue(
            this, QStringLiteral("Saving will change who owns %1.").arg(QFileInfo(path).fileName()),
            QStringFromUtf8(ownership)))
        return false;
    return true;
}

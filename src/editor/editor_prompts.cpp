#include "editor/editor_prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/qt/window_return.h"

// Every dialog here hands the keyboard back to the editor window as it closes,
// so that a screen reader hears the window and its text again (window_return.h).
namespace {
const QString kQuizFilter = QStringLiteral("Quiz files (*.txt);;All files (*)");
}

CEditorPrompts::ESaveChoice CDialogPrompts::AskSaveChanges(QWidget* parent,
                                                           const QString& documentName) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Torvi Quiz Editor"),
                    QStringLiteral("%1 has changes that are not saved.").arg(documentName),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(QStringLiteral("Save them before going on?"));
    box.setDefaultButton(QMessageBox::Save);
    switch (ExecReturningTo(box, parent)) {
    case QMessageBox::Save:
        return ESaveChoice::Save;
    case QMessageBox::Discard:
        return ESaveChoice::Discard;
    default:
        return ESaveChoice::Cancel;
    }
}

CEditorPrompts::ERecoveryChoice CDialogPrompts::AskRecover(QWidget* parent,
                                                           const QString& description) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Torvi Quiz Editor"),
                    QStringLiteral("The quiz editor did not end normally last time. A copy of "
                                   "unsaved work was kept:"),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(description);
    QPushButton* recover = box.addButton(QStringLiteral("&Recover"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("&Discard"), QMessageBox::DestructiveRole);
    box.addButton(QStringLiteral("Ask &Later"), QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    ExecReturningTo(box, parent);
    if (box.clickedButton() == recover)
        return ERecoveryChoice::Recover;
    if (box.clickedButton() == discard)
        return ERecoveryChoice::Discard;
    return ERecoveryChoice::Later;
}

QString CDialogPrompts::AskOpenPath(QWidget* parent, const QString& folder) {
    const QString path =
        QFileDialog::getOpenFileName(parent, QStringLiteral("Open Quiz"), folder, kQuizFilter);
    ReturnTo(parent);
    return path;
}

QString CDialogPrompts::AskSavePath(QWidget* parent, const QString& suggested) {
    QFileDialog dialog(parent, QStringLiteral("Save Quiz As"), suggested, kQuizFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (ExecReturningTo(dialog, parent) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void CDialogPrompts::ShowError(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
    ReturnTo(parent);
}

CEditorPrompts::EDiskChoice CDialogPrompts::AskDiskChanged(QWidget* parent,
                                                           const QString& documentName,
                                                           EDiskChange change, bool modified,
                                                           bool saving) {
    const bool gone = change == EDiskChange::Deleted;
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("Torvi Quiz Editor"),
        gone
            ? QStringLiteral("%1 has been deleted or renamed by another program.").arg(documentName)
            : QStringLiteral("%1 has been changed by another program.").arg(documentName),
        QMessageBox::NoButton, parent);
    QString info;
    if (gone)
        info = QStringLiteral("The text in this window is now the only copy. Save it to put the "
                              "file back, or save it under another name.");
    else if (modified)
        info = QStringLiteral("This window has changes of its own. Reloading gives them up; "
                              "saving over the file gives up the other program's changes.");
    else
        info = QStringLiteral("Saving over the file gives up the other program's changes.");
    if (saving)
        info += QStringLiteral("\n\nNothing has been saved yet.");
    box.setInformativeText(info);
    QPushButton* reload =
        gone ? nullptr
             : box.addButton(QStringLiteral("&Reload from Disk"), QMessageBox::DestructiveRole);
    QPushButton* overwrite =
        box.addButton(gone ? QStringLiteral("&Save It Again") : QStringLiteral("&Overwrite"),
                      QMessageBox::AcceptRole);
    QPushButton* saveAs = box.addButton(QStringLiteral("Save &As..."), QMessageBox::AcceptRole);
    QPushButton* keep =
        box.addButton(saving ? QStringLiteral("&Cancel") : QStringLiteral("&Keep Editing"),
                      QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    ExecReturningTo(box, parent);
    if (reload && box.clickedButton() == reload)
        return EDiskChoice::Reload;
    if (box.clickedButton() == overwrite)
        return EDiskChoice::Overwrite;
    if (box.clickedButton() == saveAs)
        return EDiskChoice::SaveAs;
    return EDiskChoice::KeepEditing;
}

bool CDialogPrompts::AskToContinue(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Torvi Quiz Editor"), title,
                    QMessageBox::NoButton, parent);
    box.setInformativeText(text);
    QPushButton* go = box.addButton(QStringLiteral("&Save Anyway"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    ExecReturningTo(box, parent);
    return box.clickedButton() == go;
}

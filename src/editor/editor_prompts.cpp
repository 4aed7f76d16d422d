#include "editor/editor_prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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
    switch (box.exec()) {
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
    box.exec();
    if (box.clickedButton() == recover)
        return ERecoveryChoice::Recover;
    if (box.clickedButton() == discard)
        return ERecoveryChoice::Discard;
    return ERecoveryChoice::Later;
}

QString CDialogPrompts::AskOpenPath(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open Quiz"), folder, kQuizFilter);
}

QString CDialogPrompts::AskSavePath(QWidget* parent, const QString& suggested) {
    QFileDialog dialog(parent, QStringLiteral("Save Quiz As"), suggested, kQuizFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void CDialogPrompts::ShowError(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

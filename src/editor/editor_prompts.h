// The questions the editor asks its author (save changes? recover a copy? which
// file?) and the errors it shows, behind one interface: the program asks with
// message boxes and file dialogs, and tests answer in their place.
#pragma once

#include <QString>

#include "editor/disk_file_state.h"

class QWidget;

class CEditorPrompts {
public:
    enum class ESaveChoice { Save, Discard, Cancel };
    enum class ERecoveryChoice { Recover, Discard, Later };
    // What to do about a file that another program changed or took away.
    enum class EDiskChoice {
        Reload,      // the file as it is now replaces the text (not for a file that is gone)
        Overwrite,   // the text is saved over it (or puts a file that is gone back)
        SaveAs,      // the text is saved under another name
        KeepEditing, // nothing now; saving asks again
    };

    virtual ~CEditorPrompts() = default;

    // The quiz named documentName has unsaved changes: save, throw them away, or
    // go back to editing.
    virtual ESaveChoice AskSaveChanges(QWidget* parent, const QString& documentName) = 0;
    // A copy of unsaved work (described) was left by an editor that did not end
    // normally.
    virtual ERecoveryChoice AskRecover(QWidget* parent, const QString& description) = 0;
    // A quiz file to open, or empty for none.
    virtual QString AskOpenPath(QWidget* parent, const QString& folder) = 0;
    // Where to save, or empty for nowhere.
    virtual QString AskSavePath(QWidget* parent, const QString& suggested) = 0;
    virtual void ShowError(QWidget* parent, const QString& title, const QString& text) = 0;
    // The file of documentName was changed or deleted by another program. modified:
    // the window holds changes of its own; saving: the author was about to save.
    virtual EDiskChoice AskDiskChanged(QWidget* parent, const QString& documentName,
                                       EDiskChange change, bool modified, bool saving) = 0;
    // A warning before something is done (text says what and why): go on or not.
    virtual bool AskToContinue(QWidget* parent, const QString& title, const QString& text) = 0;
};

// Message boxes and file dialogs.
class CDialogPrompts final : public CEditorPrompts {
public:
    ESaveChoice AskSaveChanges(QWidget* parent, const QString& documentName) override;
    ERecoveryChoice AskRecover(QWidget* parent, const QString& description) override;
    QString AskOpenPath(QWidget* parent, const QString& folder) override;
    QString AskSavePath(QWidget* parent, const QString& suggested) override;
    void ShowError(QWidget* parent, const QString& title, const QString& text) override;
    EDiskChoice AskDiskChanged(QWidget* parent, const QString& documentName, EDiskChange change,
                               bool modified, bool saving) override;
    bool AskToContinue(QWidget* parent, const QString& title, const QString& text) override;
};

// The quiz editor window made for one test: a private folder for its files and
// recovery copies, and prompts answered from a script instead of by a person.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>

#include "editor/editor_prompts.h"
#include "editor/quiz_editor_window.h"

// Answers the editor's questions from queues and records every question asked.
// An empty queue answers Cancel, Later or nothing, so an unexpected question
// never throws work away.
class CScriptedPrompts final : public CEditorPrompts {
public:
    ESaveChoice AskSaveChanges(QWidget* parent, const QString& documentName) override;
    ERecoveryChoice AskRecover(QWidget* parent, const QString& description) override;
    QString AskOpenPath(QWidget* parent, const QString& folder) override;
    QString AskSavePath(QWidget* parent, const QString& suggested) override;
    void ShowError(QWidget* parent, const QString& title, const QString& text) override;
    // Questions about the file on disk are recorded as "NAME changed|deleted
    // [modified] [saving]"; an empty queue keeps editing.
    EDiskChoice AskDiskChanged(QWidget* parent, const QString& documentName, EDiskChange change,
                               bool modified, bool saving) override;
    // An empty queue answers no.
    bool AskToContinue(QWidget* parent, const QString& title, const QString& text) override;

    std::deque<ESaveChoice> saveChoices;
    std::deque<ERecoveryChoice> recoveryChoices;
    std::deque<QString> openPaths;
    std::deque<QString> savePaths;
    QStringList saveQuestions;     // the document names asked about
    QStringList recoveryQuestions; // the descriptions offered
    QStringList errors;
    std::deque<EDiskChoice> diskChoices;
    std::deque<bool> continueAnswers;
    QStringList diskQuestions;
    QStringList warnings; // title and text of each warning
};

class QMenu;

class CEditorFixture {
public:
    CEditorFixture();
    ~CEditorFixture();

    // A window of this fixture (it deletes itself when closed).
    CQuizEditorWindow* MakeWindow();
    // The window made first, started with a new quiz.
    CQuizEditorWindow& Window() { return *m_pWindow; }

    // Replaces the whole text as typing would, and waits for the check that follows.
    void ReplaceText(const QString& text);
    // Waits until the text has been checked since the last change.
    bool WaitForCheck(CQuizEditorWindow& window);
    // The lines of the problems listed, in list order, as "LINE: error|warning".
    QStringList ProblemLines(CQuizEditorWindow& window) const;
    // The text of the page the preview shows now, blanks around it dropped.
    static QString PreviewText(CQuizEditorWindow& window);
    // File > Open Recent of the first window, filled as it is when it opens.
    QMenu* RecentMenu();

    QString Path(const QString& name) const { return folder.filePath(name); }
    QByteArray ReadFile(const QString& name) const;
    void WriteFile(const QString& name, const QByteArray& bytes) const;
    QString RecoveryFolder() const { return folder.filePath(QStringLiteral("recovery")); }

    QTemporaryDir folder;
    CScriptedPrompts prompts;

private:
    CQuizEditorWindow* m_pWindow = nullptr;
};

// Points the editor's settings (recent files) at a folder of the test's own.
void UsePrivateSettings();

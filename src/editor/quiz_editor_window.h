// CQuizEditorWindow: one quiz file being written. The text is checked a moment
// after each change by the loader and the checks the quiz window and torvi-cli
// use; the question at the caret is shown as the quiz window will show it, and
// an answer can be tried on it. Unsaved work is copied aside every few seconds.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>

#include "check/quiz_checker.h"
#include "editor/disk_file_state.h"
#include "editor/quiz_text_file.h"
#include "ui/lms_report.h"
#include "editor/recovery_store.h"
#include "judge/answer_judge.h"
#include "quiz/question_set.h"

class CEditorPrompts;
class CFileWatch;
class CFindBar;
class CQuizCodeEdit;
class CQuizHighlighter;
class CWebBrowser2;
class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;

class CQuizEditorWindow : public QMainWindow {
    Q_OBJECT

public:
    // supportFolder ends with "/": it holds the manual, IgnoreW.TXT and the page
    // files' fallback place. recoveryFolder is where copies of unsaved work go.
    CQuizEditorWindow(CEditorPrompts& prompts, const QString& supportFolder,
                      const QString& recoveryFolder, QWidget* parent = nullptr);
    ~CQuizEditorWindow() override;

    // A new, untitled quiz holding the short template.
    void NewQuiz();
    // Reads the quiz at path into this window; false (and the author is told
    // why) when it cannot be read. A path that does not exist yet starts an empty
    // quiz that will be saved there.
    bool OpenFile(const QString& path);
    // Takes the text of a recovery copy; it counts as unsaved until it is saved.
    void OpenRecovered(const CRecoveryCopy& copy);
    // Saves to the file's own path (asking for one when it has none); false when
    // nothing was saved.
    bool Save();
    bool SaveAs();
    // Asks about unsaved changes; true when the window may go on (they were
    // saved or given up, or there were none).
    bool MayDiscardChanges();
    // The session is ending (logout, a signal): the unsaved text is copied aside
    // and left for the next start, with no questions asked.
    void KeepForNextStart();
    // File > Import… and File > Export… without their dialogs (quiz_transfer.cpp):
    // a vocabulary file, spreadsheet or flashcard export becomes a new, unsaved
    // quiz with the conversion's report in the problem list; the quiz is written
    // as KVTML, CSV or TSV, a web page or (.zip) a SCORM package of the version
    // given, by the name's ending, and notes says what was not kept.
    bool ImportFile(const QString& path);
    bool ExportFile(const QString& path, QStringList* notes = nullptr,
                    EScormVersion scorm = EScormVersion::Scorm12);

    // Copies of unsaved work left by editors that did not end normally are offered
    // one by one; each one taken opens in a window of its own. Returns those windows.
    static QList<CQuizEditorWindow*> OfferRecoveryCopies(CEditorPrompts& prompts,
                                                         const QString& supportFolder,
                                                         const QString& recoveryFolder);

    // The folder with the program's support files: the program's own when it
    // holds Welcome.htm, else the installed data folder.
    static QString FindSupportFolder();

    // The window that has the file at path open (the same file under any name),
    // or null.
    static CQuizEditorWindow* FindWindowFor(const QString& path);
    // Brings the window that has path open to the front, or opens path in a new
    // window. Null when the file cannot be read.
    static CQuizEditorWindow* OpenInWindow(CEditorPrompts& prompts, const QString& supportFolder,
                                           const QString& recoveryFolder, const QString& path);
    // True when this window has the file at path open.
    bool HoldsFile(const QString& path) const;
    // Looks at the file on disk now, as the file watch does when it changes:
    // an unmodified text is reloaded, otherwise the author is asked.
    void CheckDisk();
    // Where copies of files written in place (hard links) are kept.
    QString BackupFolder() const;

    CQuizCodeEdit* GetEditor() const { return m_pEdit; }
    QListWidget* GetProblemList() const { return m_pProblems; }
    QLabel* GetStatusLine() const { return m_pStatus; }
    CWebBrowser2* GetPreview() const { return m_pPreview; }
    QPlainTextEdit* GetPreviewDetails() const { return m_pDetails; }
    QLineEdit* GetAnswerBox() const { return m_pTryBox; }
    QPlainTextEdit* GetVerdicts() const { return m_pVerdicts; }
    CFindBar* GetFindBar() const { return m_pFindBar; }
    // What puts right the answers whose letters beyond A-Z the judge would lose:
    // the button beside the problems and its Edit menu entry.
    QPushButton* GetWordsFixButton() const { return m_pWordsFix; }
    QAction* GetWordsFixAction() const { return m_pWordsAction; }
    const QString& GetPath() const { return m_strPath; }
    const CQuizTextFormat& GetFormat() const { return m_format; }
    bool IsModified() const;
    // The index of the question the caret is in, -1 when the quiz has none.
    int GetPreviewedQuestion() const { return m_nPreviewed; }
    // The result of the last check.
    const CQuizCheck& GetCheck() const { return m_check; }
    // The recovery store of this window (where its copy goes).
    const CRecoveryStore& GetRecoveryStore() const { return m_recovery; }

    // How long the text must rest before it is checked, and how often unsaved
    // work is copied aside.
    static constexpr int kCheckDelayMs = 400;
    static constexpr int kRecoveryIntervalMs = 3000;

signals:
    // The text has been loaded and checked again; problems, marks, status line
    // and preview now speak for it.
    void Checked();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Coming back to the window looks at the file again: a folder the file
    // watch cannot see into (some network folders) is then covered as well.
    void changeEvent(QEvent* event) override;

private:
    void CreateWidgets();
    void CreateMenus();
    void LoadIgnoreList();
    void SetText(const QString& text, const QString& path, const CQuizTextFormat& format,
                 bool modified);
    bool SaveTo(const QString& path);
    void OnOpen();
    void OnImport();
    void OnExport();
    void OnNew();
    void OpenRecent(const QString& path);
    void RememberRecent(const QString& path);
    void FillRecentMenu();
    void OnHelpContents();
    void OnHelpAbout();
    void OnEncodingChosen();
    void UpdateTitle();
    void UpdateFormatLabel();

    // The file's text as it is on disk replaces the text (an undoable edit), the
    // caret staying on its line. False, with the author told, when it cannot be read.
    bool ReloadFromDisk();
    // Before saving over path: the file must be as it was read or last saved, or
    // the author must say what to do; and a change of owner or group is warned
    // of. False when nothing is to be written.
    bool ConfirmWrite(const QString& path);
    // Starts watching path, which holds what state says.
    void TrackFile(const QString& path, const CDiskFileState& state);
    // The file a recovered text was written over: known only when it is still
    // as the copy says, so any change since makes saving ask first.
    void TrackRecoveredFile(const CRecoveryCopy& copy);
    // The file that the text would be saved over without a question.
    CDiskFileState DiskBase() const;
    void BringForward();

    void RunCheck();
    void ShowProblems();
    // Puts "option:Words:Unicode" at the very start of the text, one undoable edit.
    void AddWordsOption();
    void UpdatePreview();
    void ShowQuestion(int index);
    void UpdateVerdicts();
    void KeepRecoveryCopy();
    // The text being edited, LF between lines.
    QString EditorText() const;
    // Quiz bytes as the window shows them: UTF-8, or Windows-1252 read byte by byte.
    QString WindowText(const CTextBuffer& text) const;
    QString DocumentName() const;

    CEditorPrompts& m_prompts;
    QString m_strSupportFolder;
    QString m_strPath;
    CQuizTextFormat m_format;
    // What the import of the text being edited left out; shown with the problems
    // until the text is replaced.
    QStringList m_importReport;

    CQuizCodeEdit* m_pEdit = nullptr;
    CQuizHighlighter* m_pHighlighter = nullptr;
    CFindBar* m_pFindBar = nullptr;
    QListWidget* m_pProblems = nullptr;
    QWidget* m_pWordsBar = nullptr;
    QLabel* m_pWordsNote = nullptr;
    QPushButton* m_pWordsFix = nullptr;
    QAction* m_pWordsAction = nullptr;
    QLabel* m_pStatus = nullptr;
    QLabel* m_pFormatLabel = nullptr;
    CWebBrowser2* m_pPreview = nullptr;
    QPlainTextEdit* m_pDetails = nullptr;
    QLineEdit* m_pTryBox = nullptr;
    QPlainTextEdit* m_pVerdicts = nullptr;
    QMenu* m_pRecentMenu = nullptr;
    QActionGroup* m_pEncodingGroup = nullptr;
    QActionGroup* m_pLineEndGroup = nullptr;

    // The file as it was last read or written, and the state of it that the
    // author last chose to save over (or was told of).
    CDiskFileState m_diskKnown;
    CDiskFileState m_diskAccepted;
    CDiskFileState m_diskReported;
    CFileWatch* m_pWatch = nullptr;
    bool m_bAskingAboutDisk = false;

    QTimer m_timerCheck;
    QTimer m_timerRecovery;
    CRecoveryStore m_recovery;
    // The text as it was last copied aside, so an unchanged text is not written again.
    QString m_strKeptText;

    // The ignore list as read at start; every check starts from a copy of it.
    CAnswerJudge m_ignoreList{nullptr};
    std::string m_strIgnoreFile;
    std::unique_ptr<CQuestionSet> m_pSet;
    CLoadReport m_report;
    CQuizCheck m_check;
    int m_nPreviewed = -1;
    int m_nPageWidth = 0;
    std::string m_strPagePath;
    std::string m_strShownPage;
    bool m_bPageWritten = false;
};

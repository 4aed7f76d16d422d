// CTorviMainWindow: the main dialog on screen. It lays out the controls, menus
// and keys, implements the window services for CTorviDlg, and hands every user
// event to the matching CTorviDlg handler. It keeps no quiz state of its own.
#pragma once

#include <QDialog>
#include <QFont>
#include <array>
#include <vector>

#include "ui/qt/dialog_units.h"
#include "ui/window_services.h"

class CAnnouncer;
class CAnswersLabel;
class CAudioPlayer;
class CTorviDlg;
class CWebBrowser2;
class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

class CTorviMainWindow : public QDialog, public CWindowServices {
    Q_OBJECT

public:
    // The player is stopped before this program is replaced by the editor; it
    // may be null.
    explicit CTorviMainWindow(CAudioPlayer* player = nullptr, QWidget* parent = nullptr);
    ~CTorviMainWindow() override;

    // Events go to dialog from now on; null stops them.
    void Attach(CTorviDlg* dialog) { m_pDialog = dialog; }
    // Shows the window and runs until the dialog ends; hiding the window does not
    // end the run.
    int RunModal();

    // The one way in for a test: the next open-file request is answered with
    // path instead of asking the user, once. Everything else a test reaches by
    // the controls' object names (answerBox1..10, feedbackBox, commentBox, the
    // buttons, pageView, menuBar, the menus and their actions, openAction and
    // the like).
    void SetOpenFileAnswer(const QString& path) { m_strOpenFileAnswer = path; }
    // The folder the open-file dialog starts in until a quiz is chosen (the
    // example quizzes); empty for the current folder. After that it starts in
    // the folder of the quiz chosen last, for the rest of the run.
    void SetOpenFileFolder(const QString& folder) { m_strOpenFolder = folder; }

    // CWindowServices
    std::string GetAnswerText(int box) override;
    void SetAnswerText(int box, const std::string& text) override;
    void EnableAnswerBox(int box, bool enable) override;
    void ShowAnswerBox(int box, bool show) override;
    void FocusAnswerBox(int box) override;
    int GetFocusedAnswerBox() override;
    void GetAnswerSelection(int box, int& start, int& end) override;
    void SetAnswerSelection(int box, int start, int end) override;
    void SetFeedbackText(const std::string& text) override;
    void SetCommentText(const std::string& text) override;
    int GetFeedbackBoxWidth() override;
    void EnableButton(EButton button, bool enable) override;
    void CheckMenuItem(EMenuItem item, bool checked) override;
    void SetWindowTitle(const std::string& title) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    bool ChooseOpenFile(std::string& path) override;
    void Navigate(const std::string& path) override;
    bool OpenUrl(const std::string& url) override;
    bool OpenHelpFile(const std::string& path) override;
    bool ReplaceProcess(const std::string& path) override;
    void ShowAboutBox() override;
    void HideWindow() override;
    void EndDialog() override;

    // The keyboard table of the dialog: Enter, Esc, Ctrl+A and Tab are taken
    // here, for every control of this window, before the control sees them.
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void accept() override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* GetAnswerBox(int box) const { return m_answerBoxes.at(static_cast<size_t>(box)); }
    QPushButton* GetButton(EButton button) const;
    QAction* GetMenuAction(EMenuItem item) const;
    void CreateControls();
    void CreateMenus();
    QLineEdit* CreateAnswerBox(int number, int y);
    QPlainTextEdit* CreateTextBox(const QString& name, const QRect& rect);
    QPushButton* CreateButton(const QString& name, const QString& caption, const QRect& rect);
    QAction* AddCommand(QMenu* menu, const QString& name, const QString& caption,
                        void (CTorviDlg::*handler)());
    QAction* AddCheckCommand(QMenu* menu, const QString& name, const QString& caption,
                             void (CTorviDlg::*handler)());
    void Forward(void (CTorviDlg::*handler)());
    bool IsOwnKeyTarget(QObject* watched) const;
    bool HandleKeyPress(QKeyEvent* event);
    void MoveFocus(bool forward);
    void MoveFocusFrom(const QWidget* focus, bool forward);
    void ScheduleStepEnd();
    void EndStep();
    void AnnounceVerdict();
    void OnPageLoaded(bool ok);
    void PlaceFocus();

    CTorviDlg* m_pDialog = nullptr;
    CAudioPlayer* m_pPlayer = nullptr;
    QFont m_fontDialog;
    CDialogUnits m_units;
    QMenuBar* m_pMenuBar = nullptr;
    QWidget* m_pClient = nullptr;
    CAnswersLabel* m_pAnswersLabel = nullptr;
    std::array<QLineEdit*, kAnswerBoxes> m_answerBoxes{};
    QPlainTextEdit* m_pFeedback = nullptr;
    QPlainTextEdit* m_pComment = nullptr;
    QPushButton* m_btnQuit = nullptr;
    QPushButton* m_btnRestart = nullptr;
    QPushButton* m_btnRepeat = nullptr;
    QPushButton* m_btnExplanation = nullptr;
    CWebBrowser2* m_pBrowser = nullptr;
    CAnnouncer* m_pAnnouncer = nullptr;     // the verdict and its comment
    CAnnouncer* m_pPageAnnouncer = nullptr; // the text of a page once it shows
    // What the step being run still has to tell (see EndStep).
    bool m_bStepEndDue = false;
    bool m_bVerdictDue = false;
    int m_nFocusDue = -1;
    int m_nPageRequests = 0;
    QWidget* m_pFocusLeft = nullptr;
    QAction* m_pActNew = nullptr;
    QAction* m_pActOpen = nullptr;
    QAction* m_pActInOrder = nullptr;
    QAction* m_pActJumbled = nullptr;
    QAction* m_pActSound = nullptr;
    QAction* m_pActContents = nullptr;
    QAction* m_pActWebSite = nullptr;
    QAction* m_pActAbout = nullptr;
    std::vector<QWidget*> m_tabStops;
    QString m_strOpenFileAnswer;
    QString m_strOpenFolder;
    bool m_bFocusPlaced = false;
};

// The real quiz window with its dialog, made for one test: a private program
// folder with Welcome.htm, a recording audio player, and helpers that wait for
// the page view and read what it shows.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sound/audio_player.h"
#include "ui/qt/torvi_main_window.h"
#include "ui/qt/web_browser2.h"
#include "ui/torvi_dlg.h"
#include "window_controls.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Counts the cues it is asked to play; plays nothing.
class CCountingPlayer : public CAudioPlayer {
public:
    void Play(const unsigned char*, uint32_t) override { ++m_nPlayed; }
    void Stop() override { ++m_nStopped; }
    int m_nPlayed = 0;
    int m_nStopped = 0;
};

class CGuiFixture {
public:
    CGuiFixture();
    ~CGuiFixture();

    // Shows the window and waits for the welcome page; false when it never came.
    bool Start();
    // Opens a quiz from tests/gui/data through File > Open and waits for its
    // first page; false when no page came.
    bool OpenQuiz(const QString& name);
    // Waits until the page view has finished loading a page after the last call.
    bool WaitForPage(int timeoutMs = 10000);
    // The text of the page shown now.
    QString PageText();
    // The file name of the page last requested.
    QString PageFile() const;

    // Types into answer box number (1 to 10) and presses Enter there.
    void Answer(int number, const QString& text);
    void PressEnter(QWidget* target);

    // The window's controls, found by their object names.
    QLineEdit* Box(int number) const { return AnswerBox(window, number); }
    QPlainTextEdit* Feedback() const;
    QPlainTextEdit* Comment() const;
    QPushButton* Button(EButton button) const { return ::Button(window, button); }
    QAction* Command(const char* name) const { return MenuCommand(window, name); }
    QAction* Command(EMenuItem item) const { return MenuCommand(window, item); }
    CWebBrowser2* View() const { return PageView(window); }
    // The controls of the window's client area that Tab visits.
    std::vector<QWidget*> TabStops() const;
    QString FeedbackText() const;
    QString CommentText() const;
    static QString DataPath(const QString& name);
    // Runs action on the next modal window other than the main window, once it
    // has appeared (the caller then opens that window and blocks in it).
    void WhenModalAppears(const std::function<void(QWidget*)>& action);

    QTemporaryDir folder;
    CCountingPlayer player;
    CTorviMainWindow window;
    std::unique_ptr<CTorviDlg> dialog;

private:
    int m_nLoadsSeen = 0;
    int m_nLoadsFinished = 0;
};

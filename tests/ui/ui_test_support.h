// The scene every window test plays in: a temporary program folder (where the
// page files and sound cues go), an empty current folder, the scripted window,
// a recording audio player and the dialog under test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_window.h"
#include "ui/torvi_dlg.h"

// Sets an environment variable (or unsets it, for a null value) until the
// guard goes out of scope.
class CScopedEnvironment {
public:
    CScopedEnvironment(const char* name, const char* value);
    ~CScopedEnvironment();
    CScopedEnvironment(const CScopedEnvironment&) = delete;
    CScopedEnvironment& operator=(const CScopedEnvironment&) = delete;

private:
    std::string m_strName;
    std::string m_strSaved;
    bool m_bWasSet = false;
};

// The permission bits of path itself (a link is not followed); -1 when missing.
int ModeOf(const std::string& path);

class CQuizWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A quiz file of tests/data/ui.
    static std::string QuizPath(const std::string& name);
    // Puts a small RIFF file named name into the program folder; its bytes are
    // "RIFF" followed by the name, so the recorded plays tell the cues apart.
    void AddCue(const std::string& name);
    // Builds the dialog (after the cues are in place), with its pages in the
    // program folder, and runs OnInitDialog.
    void Start();
    // Chooses the quiz file in the open-file dialog.
    void Open(const std::string& quizName);
    // Types the texts into answer boxes 1, 2, ... and presses Enter.
    void Answer(const std::vector<std::string>& texts);
    // The content of a file in the program folder, or "<missing>".
    std::string ReadProgramFile(const std::string& name) const;
    // The text inside the layer of the last question page written.
    std::string QuestionOnPage() const;
    // Expects the four buttons enabled as given.
    void ExpectButtons(bool explanation, bool quit, bool restart, bool repeat) const;

    std::string m_strRoot;
    std::string m_strProgramDirectory; // ends with "/"
    std::string m_strCurrentDirectory;
    std::string m_strSavedDirectory;
    std::vector<std::string> m_log;
    CFakeWindow m_window{m_log};
    CRecordingPlayer m_player{m_log};
    std::unique_ptr<CTorviDlg> m_dlg;
};

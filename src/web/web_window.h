// CWebWindow: the quiz window's services over the page's DOM. Every service
// is one call into the page's script, which shows what it is told and reads
// the controls back; the quiz itself stays with CTorviDlg.
#pragma once

#include <string>

#include "ui/window_services.h"

class CWebWindow : public CWindowServices {
public:
    // The file the open-file dialog answers with: the quiz the page carries.
    void SetOpenFilePath(const std::string& path) { m_strOpenFilePath = path; }

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
    // A page that plays a quiz opens no other address, help file or program.
    bool OpenUrl(const std::string&) override { return false; }
    bool OpenHelpFile(const std::string&) override { return false; }
    bool ReplaceProcess(const std::string&) override { return false; }
    void ShowAboutBox() override {}
    // A browser tab is closed by its user; the page stays as it is.
    void HideWindow() override {}
    void EndDialog() override {}

private:
    std::string m_strOpenFilePath;
};

// CWebBrowser2: the page area of the main window, an embedded web view that is
// told which local HTML file to show. Its page is locked down (CQuizPage): a
// quiz page is drawn, never run.
#pragma once

#include <QWebEngineView>
#include <string>

class CQuizPage;

class CWebBrowser2 : public QWebEngineView {
    Q_OBJECT

public:
    explicit CWebBrowser2(QWidget* parent = nullptr);

    // Shows the local HTML file at path (a plain file path, not a URL). A missing
    // file is left to the view, which shows its own error page.
    void Navigate(const std::string& path);

    // The file the view was last told to show, empty before the first Navigate.
    const QString& GetRequestedPath() const { return m_strRequestedPath; }

private:
    CQuizPage* m_pPage = nullptr;
    QString m_strRequestedPath;
};

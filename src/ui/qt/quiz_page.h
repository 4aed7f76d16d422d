// CQuizPage: the page behind the page area. Quiz files come from anyone, so a
// page shown here runs no script, opens no window, reaches no network and
// never leaves the program's own page files; only what a page needs to be
// drawn (images, style sheets, fonts named by a local path) is loaded.
#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

// Refuses every request a page makes except the ones that draw it: the page
// file itself, and images, style sheets, fonts and media from local files,
// data: addresses or the program's own resources. Any other scheme (http,
// https, ws, wss, ftp, ...) and any other kind of local read (frames, fetch,
// XHR, objects, workers) is blocked.
class CPageRequestFilter : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT

public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    static bool IsAllowed(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type);
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

class CQuizPage : public QWebEnginePage {
    Q_OBJECT

public:
    explicit CQuizPage(QObject* parent = nullptr);

    // Shows the local file at path; the only way this page changes address.
    void ShowFile(const QString& path);

    // True when a link the learner clicked should open in the desktop's browser.
    static bool IsWebLink(const QUrl& url);

signals:
    // A link to a web address was clicked; the page itself stays where it is.
    void WebLinkClicked(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    void LockDown();
    void OnNewWindowRequested(QWebEngineNewWindowRequest& request);

    CPageRequestFilter m_filter;
    QUrl m_urlRequested;
};

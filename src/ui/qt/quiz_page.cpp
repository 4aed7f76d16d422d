#include "ui/qt/quiz_page.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>

namespace {

bool IsLocalScheme(const QString& scheme) {
    return scheme == QLatin1String("file") || scheme == QLatin1String("data") ||
           scheme == QLatin1String("qrc");
}

} // namespace

bool CPageRequestFilter::IsAllowed(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type) {
    if (!IsLocalScheme(url.scheme()))
        return false;
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
        return true;
    default:
        // Frames could show a folder listing or any file of the learner's;
        // fetch, XHR, objects and workers are reads no drawn page needs.
        return false;
    }
}

void CPageRequestFilter::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!IsAllowed(info.requestUrl(), info.resourceType()))
        info.block(true);
}

CQuizPage::CQuizPage(QObject* parent) : QWebEnginePage(parent), m_filter(this) {
    LockDown();
    setUrlRequestInterceptor(&m_filter);
    connect(this, &QWebEnginePage::newWindowRequested, this, &CQuizPage::OnNewWindowRequested);
}

void CQuizPage::LockDown() {
    QWebEngineSettings* s = settings();
    // No code from a quiz file runs: no script, no plug-in, no PDF viewer.
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    // Nothing reaches another machine, not even a name lookup or a link's ping.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
    // Pictures and style sheets named by a local path keep working.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    // Nothing moves the view away from the question: no file dropped on it,
    // no full screen, no screen capture, no scheme handed to another program.
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
}

void CQuizPage::ShowFile(const QString& path) {
    m_urlRequested = QUrl::fromLocalFile(path);
    load(m_urlRequested);
}

bool CQuizPage::IsWebLink(const QUrl& url) {
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

bool CQuizPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    const bool samePage = url.adjusted(QUrl::RemoveFragment) == m_urlRequested;
    if (type == NavigationTypeLinkClicked) {
        // A link to a place on the same page only scrolls it.
        if (isMainFrame && samePage && url.hasFragment())
            return true;
        if (isMainFrame && IsWebLink(url))
            emit WebLinkClicked(url);
        return false;
    }
    // Only the file the program asked for, loaded or reloaded, in the page itself.
    return isMainFrame && !m_urlRequested.isEmpty() &&
           (type == NavigationTypeTyped || type == NavigationTypeReload) && samePage;
}

void CQuizPage::OnNewWindowRequested(QWebEngineNewWindowRequest& request) {
    // A link meant for a new window is still a link the learner clicked; a
    // window the page asks for by itself is never opened.
    if (request.isUserInitiated() && IsWebLink(request.requestedUrl()))
        emit WebLinkClicked(request.requestedUrl());
}

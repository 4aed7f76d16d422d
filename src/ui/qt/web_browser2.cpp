#include "ui/qt/web_browser2.h"

#include <QDesktopServices>
#include <QUrl>

#include "ui/qt/qt_text.h"
#include "ui/qt/quiz_page.h"

CWebBrowser2::CWebBrowser2(QWidget* parent) : QWebEngineView(parent) {
    // The pages are the program's own; a context menu would only offer Back and
    // Reload, which lead away from the question being asked.
    setContextMenuPolicy(Qt::NoContextMenu);
    m_pPage = new CQuizPage(this);
    setPage(m_pPage);
    // A web link in a page opens in the desktop's browser; the question stays.
    connect(m_pPage, &CQuizPage::WebLinkClicked, this,
            [](const QUrl& url) { QDesktopServices::openUrl(url); });
}

void CWebBrowser2::Navigate(const std::string& path) {
    m_strRequestedPath = QStringFromUtf8(path);
    // The same file is written again for each question; loading its address
    // again reads the new content.
    m_pPage->ShowFile(m_strRequestedPath);
}

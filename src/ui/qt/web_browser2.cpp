#include "ui/qt/web_browser2.h"

#include <QUrl>

#include "ui/qt/qt_text.h"

CWebBrowser2::CWebBrowser2(QWidget* parent) : QWebEngineView(parent) {
    // The pages are the program's own; a context menu would only offer Back and
    // Reload, which lead away from the question being asked.
    setContextMenuPolicy(Qt::NoContextMenu);
}

void CWebBrowser2::Navigate(const std::string& path) {
    m_strRequestedPath = QStringFromUtf8(path);
    // The same file is written again for each question; loading its address
    // again reads the new content.
    load(QUrl::fromLocalFile(m_strRequestedPath));
}

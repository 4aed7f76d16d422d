#include "editor/file_watch.h"

#include <QFileInfo>

CFileWatch::CFileWatch(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        Arm();
        emit Touched();
    });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CFileWatch::OnEvent);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CFileWatch::OnEvent);
}

void CFileWatch::Watch(const QString& path) {
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_settle.stop();
    m_strPath = path;
    Arm();
}

void CFileWatch::OnEvent() {
    // The file may have been replaced: the watch goes onto the new one now, so
    // nothing written while the burst settles is missed.
    Arm();
    m_settle.start();
}

void CFileWatch::Arm() {
    if (m_strPath.isEmpty())
        return;
    const QString folder = QFileInfo(m_strPath).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    // A watch goes with the file it was made on, not with its name: made again,
    // so it is on whatever has the name now (a file renamed over the old one).
    if (m_watcher.files().contains(m_strPath))
        m_watcher.removePath(m_strPath);
    if (QFileInfo::exists(m_strPath))
        m_watcher.addPath(m_strPath);
}

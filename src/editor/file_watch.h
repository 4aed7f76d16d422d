// Watches one file for changes made by other programs. The file's folder is
// watched too: a program that saves by writing a new file and renaming it over
// the old one replaces the file the watch was on, and the new file is then
// watched in its place.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class CFileWatch : public QObject {
    Q_OBJECT

public:
    explicit CFileWatch(QObject* parent = nullptr);

    // Watches path from now on (an empty path: nothing).
    void Watch(const QString& path);
    const QString& GetPath() const { return m_strPath; }

    // A burst of events (a save is often a write, a rename and a time change)
    // ends in one signal this long after the last of them.
    static constexpr int kSettleMs = 150;

signals:
    // Something happened to the file or to its name: look at it again.
    void Touched();

private:
    void OnEvent();
    void Arm();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_strPath;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Learns of the changes to the files in a folder from the kernel (inotify),
// where the folder's file system reports every change: local disks, not
// network folders or FUSE, where a change can come from another machine or
// from behind the file system's back. Only changes made through the folder
// are seen, not those through a link to a file elsewhere
// (WorkDir::FileStamp::linked). QFileSystemWatcher reports no change of
// content for a folder, and its signals come only when the event loop runs,
// so a change made just before a search could come too late.
class FolderWatch
{
public:
    explicit FolderWatch(const QString &folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch &) = delete;
    FolderWatch &operator=(const FolderWatch &) = delete;

    bool active() const { return m_fd >= 0; }
    // Whether a file's stamp moves when its content changes. Not so under
    // FUSE: fusefat, for one, keeps a file's time when it is rewritten.
    bool stampsTell() const { return m_stampsTell; }
    // Appends the names of the files written, changed, created, removed or
    // renamed since the last call, as the file system holds them (see
    // WorkDir::nameFromNative). False when it cannot say: changes were lost
    // in a flood of them, or the folder itself was removed or moved (then
    // the watch ends).
    bool takeChanges(QList<QByteArray> *names);

private:
    int m_fd = -1;
    bool m_stampsTell = true;
};

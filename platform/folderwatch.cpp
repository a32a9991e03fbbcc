#include "platform/folderwatch.h"

#include <QFile>

#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// File systems whose every change passes through this machine's kernel.
bool reportsEveryChange(quint32 type)
{
    switch (type) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0x01021994: // tmpfs
    case 0xF2F52010: // f2fs
    case 0x4d44:     // vfat
    case 0x2011BAB0: // exfat
    case 0x5346544e: // ntfs
    case 0x2fc12fc1: // zfs
    case 0xca451a4e: // bcachefs
        return true;
    default:
        return false;
    }
}

const quint32 fuseType = 0x65735546;

} // namespace

FolderWatch::FolderWatch(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct statfs fs;
    if (::statfs(path.constData(), &fs) != 0) {
        m_stampsTell = false;
        return;
    }
    m_stampsTell = quint32(fs.f_type) != fuseType;
    if (!reportsEveryChange(quint32(fs.f_type)))
        return;
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    const uint32_t mask = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO
        | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (::inotify_add_watch(m_fd, path.constData(), mask) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FolderWatch::~FolderWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderWatch::takeChanges(QList<QByteArray> *names)
{
    if (m_fd < 0)
        return false;
    bool complete = true;
    bool ended = false;
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0)
            break; // nothing more (EAGAIN)
        for (const char *p = buffer; p < buffer + got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(p);
            if (event->mask & IN_Q_OVERFLOW)
                complete = false;
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED))
                ended = true;
            if (event->len > 0)
                names->append(QByteArray(event->name));
            p += sizeof(inotify_event) + event->len;
        }
    }
    if (ended) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return complete;
}

#include "platform/trash.h"

#include "platform/workdir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Not QFile::moveToTrash: where the home trash cannot be made (an account
// without ~/.local/share) Qt takes the current directory for the trash and
// makes its files/ and info/ there, which is the receipts' folder; and for a
// file on another device than the home folder it makes a trash at the top of
// that device, which is the receipts' folder again when that is the top of a
// memory stick. Here there is one trash, the user's own, made where missing,
// and no trash at all rather than one in the wrong place.

namespace {

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

// Makes the folder and the missing ones above it, for the user only, as the
// desktop's trash has them. Only below a folder that exists and is not the root
// of the file system: a home folder that is not there gets no trash.
bool makeFolder(const QString &path)
{
    QStringList missing;
    QString at = QDir::cleanPath(path);
    while (!QFileInfo(at).isDir()) {
        if (QFileInfo::exists(at) || QFileInfo(at).isSymLink())
            return false;
        missing.prepend(at);
        at = QFileInfo(at).path();
    }
    if (!missing.isEmpty() && QDir(at).isRoot())
        return false;
    const QFile::Permissions own = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const QString &folder : std::as_const(missing)) {
        if (!QDir().mkdir(folder, own))
            return false;
    }
    return true;
}

} // namespace

QString trash::folder()
{
    // An account whose home folder is not there has no trash of its own.
    if (!QFileInfo(QDir::homePath()).isDir() || QDir(QDir::homePath()).isRoot())
        return QString();
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    // A relative $XDG_DATA_HOME is to be ignored; Qt would take it as it stands.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        return QString();
    return QDir::cleanPath(dataHome + QStringLiteral("/Trash"));
}

namespace {

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// The regular file's bytes into a new file at target, made only where no
// file is, written to the disk before the source goes. False, with errno
// set, when anything fails; a copy begun is removed again and the source
// stays.
bool copyThenRemove(const QByteArray &source, const QByteArray &target, const struct stat &st)
{
    const int in = ::open(source.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        errno = err;
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!writeAll(out, buffer, n)) {
            ok = false;
            break;
        }
    }
    // The trash keeps the file's time, for the desktop that puts it back.
    const struct timespec times[2] = { st.st_atim, st.st_mtim };
    ok = ok && ::futimens(out, times) == 0 && ::fsync(out) == 0;
    int err = ok ? 0 : errno;
    if (::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    ::close(in);
    if (ok && ::unlink(source.constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(target.constData());
        errno = err;
    }
    return ok;
}

// The same link (its target as written, not resolved) at target, then the
// link itself removed.
bool relinkThenRemove(const QByteArray &source, const QByteArray &target)
{
    QByteArray points(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(source.constData(), points.data(), size_t(points.size()));
    if (n < 0)
        return false;
    if (n >= points.size()) {
        errno = ENAMETOOLONG;
        return false;
    }
    points.truncate(n);
    if (::symlink(points.constData(), target.constData()) != 0)
        return false;
    if (::unlink(source.constData()) != 0) {
        const int err = errno;
        ::unlink(target.constData());
        errno = err;
        return false;
    }
    return true;
}

// Moves the file or link to target without ever replacing what is there.
bool moveFile(const QByteArray &source, const QByteArray &target, const struct stat &st)
{
    // rename() would replace a file that turned up at target meanwhile.
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system that cannot refuse to replace: the name was free a moment ago.
        struct stat there;
        if (::lstat(target.constData(), &there) == 0) {
            errno = EEXIST;
            return false;
        }
        if (::rename(source.constData(), target.constData()) == 0)
            return true;
    }
    if (errno != EXDEV)
        return false;
    if (S_ISLNK(st.st_mode))
        return relinkThenRemove(source, target);
    if (S_ISREG(st.st_mode))
        return copyThenRemove(source, target, st);
    errno = EXDEV;
    return false;
}

} // namespace

bool trash::moveToTrash(const QByteArray &path, QString *reason)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0) {
        setReason(reason, QStringLiteral("Sie kann nicht in den Papierkorb gelegt werden: %1")
                              .arg(WorkDir::reasonText(errno)));
        return false;
    }
    const QString trash = folder();
    const QString files = trash + QStringLiteral("/files");
    const QString info = trash + QStringLiteral("/info");
    if (trash.isEmpty() || !makeFolder(files) || !makeFolder(info)) {
        setReason(reason, trash.isEmpty()
                      ? QStringLiteral("Es gibt keinen Papierkorb für sie")
                      : QStringLiteral("Der Papierkorb \"%1\" fehlt und kann nicht angelegt werden")
                            .arg(QDir::toNativeSeparators(trash)));
        return false;
    }
    const QByteArray filesPath = QFile::encodeName(files) + '/';
    const QByteArray infoPath = QFile::encodeName(info) + '/';

    // The name in the trash is the file's own, in its own bytes; a second
    // one of that name becomes "name.2.num" and so on.
    const QByteArray fileName = path.mid(path.lastIndexOf('/') + 1);
    const qsizetype dot = fileName.lastIndexOf('.');
    const QByteArray base = dot > 0 ? fileName.left(dot) : fileName;
    const QByteArray suffix = dot > 0 ? fileName.mid(dot) : QByteArray();

    // The note under info/ is made first and new only: it takes the name,
    // and a file of the same name already in the trash keeps its own.
    int note = -1;
    QByteArray name;
    for (int n = 1; n <= 1000 && name.isEmpty(); ++n) {
        const QByteArray candidate = n == 1 ? fileName : base + '.' + QByteArray::number(n) + suffix;
        struct stat there;
        if (::lstat(QByteArray(filesPath + candidate).constData(), &there) == 0)
            continue;
        note = ::open(QByteArray(infoPath + candidate + ".trashinfo").constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (note >= 0)
            name = candidate;
        else if (errno != EEXIST)
            break;
    }
    if (name.isEmpty()) {
        setReason(reason, QStringLiteral("Im Papierkorb \"%1\" kann sie nicht abgelegt werden")
                              .arg(QDir::toNativeSeparators(trash)));
        return false;
    }
    const QByteArray noteName = infoPath + name + ".trashinfo";
    const QByteArray absolute = path.startsWith('/') ? path : QFile::encodeName(QDir::currentPath()) + '/' + path;
    const QByteArray text = "[Trash Info]\nPath=" + absolute.toPercentEncoding("/") + "\nDeletionDate="
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + '\n';
    bool noted = writeAll(note, text.constData(), text.size());
    int err = errno;
    if (::close(note) != 0 && noted) {
        noted = false;
        err = errno;
    }
    if (!noted || !moveFile(path, filesPath + name, st)) {
        if (noted)
            err = errno;
        ::unlink(noteName.constData());
        setReason(reason, QStringLiteral("Sie kann nicht in den Papierkorb gelegt werden: %1")
                              .arg(WorkDir::reasonText(err)));
        return false;
    }
    return true;
}

#include "platform/workdir.h"

#include "platform/folderwatch.h"
#include "platform/trash.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString failure(const QString &name, const QString &what, const QString &reason)
{
    QString text = QStringLiteral("Die Datei \"%1\" konnte nicht %2 werden.").arg(name, what);
    if (!reason.isEmpty())
        text += QStringLiteral(" (%1)").arg(reason);
    return text;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QString WorkDir::failureMessage(const QString &name, const QString &what, const QString &reason)
{
    return failure(name, what, reason);
}

namespace {

struct GermanReason
{
    int err;
    const char *text;
};
const GermanReason germanReasons[] = {
    { ENOSPC, "Der Datenträger ist voll" },
    { EDQUOT, "Der zugeteilte Speicherplatz ist aufgebraucht" },
    { EROFS, "Der Datenträger ist schreibgeschützt" },
    { EACCES, "Keine Berechtigung" },
    { EPERM, "Nicht erlaubt" },
    { EEXIST, "Die Datei existiert bereits" },
    { ENOENT, "Die Datei oder der Ordner ist nicht vorhanden" },
    { EIO, "Ein-/Ausgabefehler" },
};

} // namespace

QString WorkDir::reasonText(int err)
{
    for (const GermanReason &r : germanReasons) {
        if (r.err == err)
            return QString::fromUtf8(r.text);
    }
    return QString::fromLocal8Bit(std::strerror(err));
}

QString WorkDir::reasonText(const QString &systemText)
{
    // Qt's error texts for files are the system's strerror() texts, in the
    // system's language; the errno behind them is gone by the time Qt
    // reports, so the text is matched. Qt's own texts stand as they are.
    for (const GermanReason &r : germanReasons) {
        if (systemText == QString::fromLocal8Bit(std::strerror(r.err)))
            return QString::fromUtf8(r.text);
    }
    return systemText;
}

WorkDir::Lock &WorkDir::Lock::operator=(Lock &&other) noexcept
{
    if (this != &other) {
        release();
        m_path = std::exchange(other.m_path, {});
    }
    return *this;
}

void WorkDir::Lock::release()
{
    if (!m_path.isEmpty())
        ::unlink(m_path.constData());
    m_path.clear();
}

WorkDir::Lock WorkDir::lock(const QString &name, QString *error, int waitMs) const
{
    const QByteArray path = QFile::encodeName(filePath(QStringLiteral(".zettelfix-%1.lock").arg(name.toLower())));
    QElapsedTimer waited;
    waited.start();
    // The lock seen standing, and since when: its own time may come from
    // another desk's clock, so its age is also measured here.
    struct stat seen {};
    qint64 seenSince = 0;
    unsigned pause = 200; // microseconds, doubled up to 20 ms
    for (;;) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            Lock held;
            held.m_path = path;
            return held;
        }
        const int err = errno;
        if (err != EEXIST) {
            setError(error, failure(name, QStringLiteral("gesperrt"), reasonText(err)));
            return {};
        }
        struct stat st;
        if (::stat(path.constData(), &st) == 0) {
            if (st.st_ino != seen.st_ino || st.st_mtim.tv_sec != seen.st_mtim.tv_sec
                || st.st_mtim.tv_nsec != seen.st_mtim.tv_nsec) {
                seen = st;
                seenSince = waited.elapsed();
            }
            const bool old = std::time(nullptr) - st.st_mtim.tv_sec > staleSeconds;
            if (old || waited.elapsed() - seenSince > staleSeconds * 1000) {
                // Taken over by renaming it away first: of several copies
                // that find it stale at once, only one renames it.
                const QByteArray away = path + '.' + QByteArray::number(qint64(::getpid())) + ".stale";
                if (::rename(path.constData(), away.constData()) == 0)
                    ::unlink(away.constData());
                continue;
            }
        }
        if (waited.elapsed() > waitMs) {
            setError(error, failure(name, QStringLiteral("gesperrt"),
                                    QStringLiteral("Die Datei wird gerade von einem anderen Programm benutzt")));
            return {};
        }
        ::usleep(pause);
        pause = qMin(pause * 2, 20000u);
    }
}

WorkDir::WorkDir(const QString &path)
    : m_path(QDir(path).absolutePath())
{
}

WorkDir::~WorkDir() = default;

QString WorkDir::filePath(const QString &storedName) const
{
    return m_path + QLatin1Char('/') + storedName;
}

bool WorkDir::isBareName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QChar(0));
}

bool WorkDir::faulted(Op op, const QString &name, QString *error) const
{
    if (!m_faultHook || !m_faultHook(op, name))
        return false;
    const QString what = op == Op::Read ? QStringLiteral("gelesen")
        : op == Op::Remove             ? QStringLiteral("gelöscht")
                                       : QStringLiteral("geschrieben");
    setError(error, failure(name, what, QStringLiteral("Ein-/Ausgabefehler")));
    return true;
}

WorkDir::Stamp WorkDir::directoryStamp() const
{
    // Nanosecond times of the folder itself: adding, removing or renaming an
    // entry moves them. QFileInfo offers only milliseconds.
    struct stat st;
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return {};
    return { { qint64(st.st_mtim.tv_sec), qint32(st.st_mtim.tv_nsec) },
             { qint64(st.st_ctim.tv_sec), qint32(st.st_ctim.tv_nsec) } };
}

bool WorkDir::indexCurrent() const
{
    return m_indexed && directoryStamp() == m_stamp;
}

void WorkDir::refresh() const
{
    m_indexed = false;
    m_index.clear();
}

QString WorkDir::nameFromNative(QByteArrayView native)
{
    const QString name = QFile::decodeName(native.toByteArray());
    if (name.contains(QChar::ReplacementCharacter) && QFile::encodeName(name) != native)
        return QString::fromLatin1(native); // an old disk's Latin-1 name
    return name;
}

void WorkDir::indexEntry(const QByteArray &native) const
{
    const QString name = nameFromNative(native);
    if (QFile::encodeName(name) != native) {
        // Not in the system's encoding: listed by its Latin-1 reading, unless
        // a name in the system's encoding reads the same (that one comes
        // first).
        const auto known = m_native.constFind(name);
        if (known == m_native.constEnd()) {
            if (QFile::exists(filePath(name)))
                return;
            m_native.insert(name, native);
        } else if (*known != native) {
            return;
        }
    }
    m_index.insert(name.toLower(), name);
}

void WorkDir::ensureIndex() const
{
    if (m_indexed && m_watch && m_watch->active()) {
        // The kernel tells which names came and went since: each is looked
        // at once more and the index follows, instead of the whole folder
        // being read again after every save.
        QList<QByteArray> changed;
        if (m_watch->takeChanges(&changed)) {
            const int dir = changed.isEmpty() ? -1 : ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            for (const QByteArray &native : std::as_const(changed)) {
                const QString name = nameFromNative(native);
                m_index.remove(name.toLower(), name);
                struct stat st;
                if (dir >= 0 && ::fstatat(dir, native.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
                    indexEntry(native);
                else if (m_native.value(name) == native)
                    m_native.remove(name);
            }
            if (dir >= 0)
                ::close(dir);
            return;
        }
    } else if (m_indexed && directoryStamp() == m_stamp) {
        return;
    }
    // Watched from before the folder is read, so that no change goes unseen.
    if (!m_watch || !m_watch->active())
        m_watch = std::make_unique<FolderWatch>(m_path);
    const Stamp stamp = directoryStamp();
    m_index.clear();
    // readdir() rather than QDirIterator: the iterator asks the file system
    // about every entry, which costs several times the reading itself in a
    // folder of 100 000 receipts. Only names are wanted here.
    if (DIR *d = ::opendir(QFile::encodeName(m_path).constData())) {
        while (const dirent *e = ::readdir(d)) {
            if (e->d_type == DT_DIR)
                continue;
            const char *n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            indexEntry(QByteArray(n));
        }
        ::closedir(d);
    }
    m_stamp = stamp;
    m_indexed = true;
}

void WorkDir::noteAdded(const QString &storedName, bool indexWasCurrent) const
{
    if (!indexWasCurrent)
        return;
    m_index.remove(storedName.toLower(), storedName);
    m_index.insert(storedName.toLower(), storedName);
    m_stamp = directoryStamp();
}

void WorkDir::noteRemoved(const QString &storedName, bool indexWasCurrent) const
{
    if (!indexWasCurrent)
        return;
    m_index.remove(storedName.toLower(), storedName);
    m_stamp = directoryStamp();
}

QStringList WorkDir::spellings(const QString &name)
{
    const QString lower = name.toLower();
    const qsizetype dot = lower.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? lower : lower.left(dot);
    const QString ext = dot < 0 ? QString() : lower.mid(dot);
    QString capitalised = lower;
    if (!capitalised.isEmpty())
        capitalised[0] = capitalised.at(0).toUpper();
    QStringList list { name, lower, stem.toUpper() + ext, name.toUpper(), capitalised, stem + ext.toUpper() };
    list.removeDuplicates();
    return list;
}

QString WorkDir::storedName(const QString &name) const
{
    if (!isBareName(name))
        return {};
    const QString lower = name.toLower();
    for (const QString &spelling : spellings(name)) {
        if (QFileInfo::exists(filePath(spelling)))
            return spelling;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        ensureIndex();
        auto found = m_index.constFind(lower);
        if (found == m_index.constEnd())
            return {};
        for (; found != m_index.constEnd() && found.key() == lower; ++found) {
            if (storedExists(*found))
                return *found;
        }
        refresh(); // the index was stale
    }
    return {};
}

QByteArray WorkDir::nativeName(const QString &storedName) const
{
    const auto found = m_native.constFind(storedName);
    return found != m_native.constEnd() ? *found : QFile::encodeName(storedName);
}

bool WorkDir::storedExists(const QString &storedName) const
{
    struct stat st;
    return ::stat(QByteArray(QFile::encodeName(m_path) + '/' + nativeName(storedName)).constData(), &st) == 0;
}

std::optional<QByteArray> WorkDir::readBytes(const QString &name) const
{
    return readUpTo(name, maxReadBytes, true);
}

std::optional<QByteArray> WorkDir::readStart(const QString &name, qint64 maxBytes) const
{
    return readUpTo(name, maxBytes, false);
}

std::optional<QByteArray> WorkDir::readUpTo(const QString &name, qint64 maxBytes, bool refuseLarger) const
{
    if (faulted(Op::Read, name, nullptr))
        return std::nullopt;
    const QString stored = storedName(name);
    if (stored.isEmpty())
        return std::nullopt;
    // Not blocking on a pipe; only a regular file is read, a device would
    // never end.
    const QByteArray path = QFile::encodeName(m_path) + '/' + nativeName(stored);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (refuseLarger && st.st_size > maxBytes)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(qMin<qint64>(st.st_size, maxBytes)), Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) {
            // Grown since the stat.
            if (size >= maxBytes)
                break;
            bytes.resize(qsizetype(qMin<qint64>(maxBytes, qMax<qint64>(4096, size * 2))));
        }
        const ssize_t got = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        size += got;
    }
    ::close(fd);
    if (refuseLarger && size >= maxBytes && st.st_size < maxBytes)
        return std::nullopt; // grew beyond the bound while read
    bytes.resize(size);
    return bytes;
}

namespace {

WorkDir::FileStamp stampOf(const struct stat &st, bool throughLink = false)
{
    return { qint64(st.st_size),
             { qint64(st.st_mtim.tv_sec), qint32(st.st_mtim.tv_nsec) },
             { qint64(st.st_ctim.tv_sec), qint32(st.st_ctim.tv_nsec) },
             quint64(st.st_dev),
             quint64(st.st_ino),
             throughLink || st.st_nlink > 1 };
}

} // namespace

void WorkDir::readEach(const QStringList &storedNames, qsizetype from, qsizetype to,
                       const std::function<void(qsizetype, QByteArrayView, const FileStamp &)> &use,
                       const ReadOptions &options) const
{
    // QFile asks the file system about each file several times before and
    // while reading it; over 100 000 receipts those calls are most of a
    // search's time. Opening relative to the open folder spares the path too.
    const int dir = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (qsizetype i = from; i < to; ++i) {
        const QString &name = storedNames.at(i);
        if (!isBareName(name))
            continue;
        const QByteArray encoded = nativeName(name);
        struct stat st {};
        const auto passOver = [&](const FileStamp &stamp) {
            if (options.passed)
                options.passed(i, stamp);
        };
        if (const FileStamp *known = options.held ? options.held(i) : nullptr) {
            // Follows a link as the open below does.
            if (::fstatat(dir, encoded.constData(), &st, 0) == 0 && S_ISREG(st.st_mode) && stampOf(st) == *known
                && (known->linked || st.st_nlink == 1)) {
                options.kept(i);
                continue;
            }
        }
        if (faulted(Op::Read, name, nullptr)) {
            passOver(FileStamp());
            continue;
        }
        // Not blocking: a pipe under a receipt's name must not stop the reading.
        // A symbolic link is followed, but the caller learns of it.
        const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
        bool throughLink = false;
        int fd = ::openat(dir, encoded.constData(), flags | O_NOFOLLOW);
        if (fd < 0 && errno == ELOOP) {
            throughLink = true;
            fd = ::openat(dir, encoded.constData(), flags);
        }
        if (fd < 0) {
            passOver(FileStamp());
            continue;
        }
        // Only a regular file: a device under that name (a link to /dev/zero)
        // would never end. Nor one far larger than any receipt.
        const bool stamped = options.stamp || options.held || throughLink;
        if (stamped && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxReadEachBytes)) {
            ::close(fd);
            passOver(S_ISREG(st.st_mode) ? stampOf(st, throughLink) : FileStamp());
            continue;
        }
        // One read for the whole file where the size holds; a short read is its end.
        if (stamped && st.st_size >= buffer.size())
            buffer.resize(qsizetype(st.st_size) + 1);
        qsizetype size = 0;
        bool ok = true;
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data() + size, size_t(buffer.size() - size));
            if (got < 0) {
                ok = false;
                break;
            }
            size += got;
            // A regular file reads short only at its end.
            if (size < buffer.size() || got == 0)
                break;
            if ((!stamped && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) || size > maxReadEachBytes) {
                ok = false;
                break;
            }
            buffer.resize(buffer.size() * 2);
        }
        ::close(fd);
        if (ok)
            use(i, QByteArrayView(buffer.constData(), size), stamped ? stampOf(st, throughLink) : FileStamp());
        else
            passOver(FileStamp());
        // A file that grew far beyond the receipts' size leaves no large buffer behind.
        if (buffer.size() > 4 * maxReadEachBytes)
            buffer = QByteArray(64 * 1024, Qt::Uninitialized);
    }
    ::close(dir);
}

bool WorkDir::write(const QString &name, const QByteArray &bytes, QString *error)
{
    if (faulted(Op::Write, name, error))
        return false;
    if (!isBareName(name)) {
        setError(error, failure(name, QStringLiteral("geschrieben"), QStringLiteral("ungültiger Name")));
        return false;
    }
    const bool wasCurrent = indexCurrent();
    QString stored = storedName(name);
    if (stored.isEmpty())
        stored = name;
    QSaveFile file(filePath(stored));
    // Unbuffered, so that a failing write (a full disk) reports its reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() || !file.commit()) {
        setError(error, failure(stored, QStringLiteral("geschrieben"), reasonText(file.errorString())));
        return false;
    }
    noteAdded(stored, wasCurrent);
    return true;
}

bool WorkDir::appendInPlace(const QString &name, const QByteArray &added, QString *error)
{
    if (faulted(Op::Append, name, error))
        return false;
    if (!isBareName(name)) {
        setError(error, failure(name, QStringLiteral("geschrieben"), QStringLiteral("ungültiger Name")));
        return false;
    }
    const bool wasCurrent = indexCurrent();
    QString stored = storedName(name);
    const bool created = stored.isEmpty();
    if (created)
        stored = name;
    const QByteArray path = QFile::encodeName(m_path) + '/' + nativeName(stored);
    // Some file systems take no appending in place (FAT through fusefat
    // refuses it): there the file is rewritten whole through a save file,
    // as the short lists are.
    const auto unsupported = [](int err) {
        return err == EPERM || err == EOPNOTSUPP || err == ENOTSUP || err == EINVAL || err == ENOSYS;
    };
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        if (unsupported(errno))
            return append(name, added, error);
        setError(error, failure(stored, QStringLiteral("geschrieben"), reasonText(errno)));
        return false;
    }
    qsizetype done = 0;
    int err = 0;
    while (done < added.size()) {
        const ssize_t n = ::write(fd, added.constData() + done, size_t(added.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : EIO;
            break;
        }
        done += n;
    }
    if (err && done == 0 && unsupported(err)) {
        ::close(fd);
        return append(name, added, error);
    }
    if (!err && ::fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (err) {
        setError(error, failure(stored, QStringLiteral("geschrieben"), reasonText(err)));
        return false;
    }
    if (created)
        noteAdded(stored, wasCurrent);
    return true;
}

std::optional<QByteArray> WorkDir::readEnd(const QString &name, qint64 maxBytes, qint64 *size) const
{
    if (faulted(Op::Read, name, nullptr))
        return std::nullopt;
    const QString stored = storedName(name);
    if (stored.isEmpty())
        return std::nullopt;
    const QByteArray path = QFile::encodeName(m_path) + '/' + nativeName(stored);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    const qint64 from = qMax<qint64>(0, st.st_size - maxBytes);
    QByteArray bytes(qsizetype(st.st_size - from), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), off_t(from + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.resize(got);
    if (size)
        *size = from + got;
    return bytes;
}

bool WorkDir::append(const QString &name, const QByteArray &added, QString *error)
{
    if (faulted(Op::Append, name, error))
        return false;
    // The files appended to are short lists; rewriting them whole through a
    // save file means a failing disk never leaves half a line at their end.
    QByteArray bytes;
    if (exists(name)) {
        const auto old = readBytes(name);
        if (!old) {
            setError(error, failure(storedName(name), QStringLiteral("gelesen"), QString()));
            return false;
        }
        bytes = *old;
    }
    bytes += added;
    return write(name, bytes, error);
}

WorkDir::CreateResult WorkDir::createNew(const QString &name, const QByteArray &bytes, QString *error)
{
    if (faulted(Op::Create, name, error))
        return CreateResult::Failed;
    if (!isBareName(name)) {
        setError(error, failure(name, QStringLiteral("angelegt"), QStringLiteral("ungültiger Name")));
        return CreateResult::Failed;
    }
    // Two desks saving the same number, in the same or another letter case.
    const Lock held = lock(name, error);
    if (!held)
        return CreateResult::Failed;
    if (exists(name))
        return CreateResult::Exists;
    QTemporaryFile temp(filePath(QStringLiteral(".zettelfix-XXXXXX.tmp")));
    if (!temp.open() || temp.write(bytes) != bytes.size() || !temp.flush()
        || ::fsync(temp.handle()) != 0) {
        setError(error, failure(name, QStringLiteral("angelegt"), reasonText(temp.errorString())));
        return CreateResult::Failed;
    }
    // A temporary file is private to its owner; the receipt gets the
    // permissions of any other file the program writes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(temp.handle(), 0666 & ~mask);
    temp.close();
    const QByteArray from = QFile::encodeName(temp.fileName());
    const QByteArray to = QFile::encodeName(filePath(name));
    QString reason;
    switch (placeNew(name, from, to, bytes, &reason)) {
    case CreateResult::Exists:
        return CreateResult::Exists;
    case CreateResult::Failed:
        // A share without hard links may refuse the loser of a race for the
        // name with some other error than "exists".
        refresh();
        if (exists(name))
            return CreateResult::Exists;
        setError(error, failure(name, QStringLiteral("angelegt"), reason));
        return CreateResult::Failed;
    case CreateResult::Created:
        break;
    }
    temp.remove();
    // The folder as it is now (where no watch reports each change, one
    // readdir): another spelling of the name beside the new file means the
    // number was taken; the new file goes again.
    if (!m_watch || !m_watch->active())
        refresh();
    ensureIndex();
    const QString lower = name.toLower();
    for (auto it = m_index.constFind(lower); it != m_index.constEnd() && it.key() == lower; ++it) {
        if (*it != name && QFileInfo::exists(filePath(*it))) {
            ::unlink(to.constData());
            refresh();
            return CreateResult::Exists;
        }
    }
    return CreateResult::Created;
}

WorkDir::CreateResult WorkDir::placeNew(const QString &name, const QByteArray &from, const QByteArray &to,
                                        const QByteArray &bytes, QString *reason) const
{
    // Each way below refuses an existing target atomically, also against a
    // second copy of the program saving the same name at the same moment.
    // QFile::rename is not used: when its rename is refused it falls back to
    // copying onto the target, which could overwrite a receipt created in
    // between.
    const auto refused = [](int err) { return err != EEXIST; };

    // 1. A hard link of the complete temporary file: the receipt appears
    // whole or not at all. FAT and exFAT, and network shares that refuse
    // hard links, answer EPERM or EOPNOTSUPP.
    int err = faulted(Op::HardLink, name, nullptr) ? EPERM
        : ::link(from.constData(), to.constData()) == 0 ? 0
                                                         : errno;
    if (err == 0)
        return CreateResult::Created;
    if (!refused(err))
        return CreateResult::Exists;

    // 2. Renaming the temporary file without replacing: as whole as a link,
    // where the file system offers it (fusefat and some shares answer EINVAL).
    err = faulted(Op::RenameNoReplace, name, nullptr) ? EINVAL
        : ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0
        ? 0
        : errno;
    if (err == 0)
        return CreateResult::Created;
    if (!refused(err))
        return CreateResult::Exists;

    // 3. Creating the final name exclusively and writing it there. On the
    // file systems that get here (FAT and the like) O_EXCL is still atomic
    // and refuses every letter case. The receipt is not whole until it is
    // written and synced; if that fails, the part is removed and the failure
    // reported, so no half receipt stays under the name.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666 & ~mask);
    if (fd < 0) {
        err = errno;
        if (err == EEXIST)
            return CreateResult::Exists;
        *reason = reasonText(err);
        return CreateResult::Failed;
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    err = written == bytes.size() ? 0 : (errno ? errno : EIO);
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && faulted(Op::WriteNew, name, nullptr))
        err = EIO;
    if (err != 0) {
        ::unlink(to.constData());
        *reason = reasonText(err);
        return CreateResult::Failed;
    }
    return CreateResult::Created;
}

bool WorkDir::remove(const QString &name, QString *error)
{
    if (faulted(Op::Remove, name, error))
        return false;
    const QString stored = storedName(name);
    if (stored.isEmpty()) {
        setError(error, failure(name, QStringLiteral("gelöscht"), QStringLiteral("nicht vorhanden")));
        return false;
    }
    const bool wasCurrent = indexCurrent();
    QFile file(filePath(stored));
    if (!file.remove()) {
        setError(error, failure(stored, QStringLiteral("gelöscht"), reasonText(file.errorString())));
        return false;
    }
    noteRemoved(stored, wasCurrent);
    return true;
}

bool WorkDir::moveToTrash(const QString &name, QString *error)
{
    if (faulted(Op::Remove, name, error))
        return false;
    const QString stored = storedName(name);
    if (stored.isEmpty()) {
        setError(error, failure(name, QStringLiteral("gelöscht"), QStringLiteral("nicht vorhanden")));
        return false;
    }
    const bool wasCurrent = indexCurrent();
    QString reason;
    if (!trash::moveToTrash(filePath(stored), &reason)) {
        setError(error, failure(stored, QStringLiteral("gelöscht"), reason));
        return false;
    }
    noteRemoved(stored, wasCurrent);
    return true;
}

int WorkDir::removeLeftovers(int olderThanSeconds) const
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-olderThanSeconds);
    int removed = 0;
    const QDir dir(m_path);
    const QStringList names = dir.entryList({ QStringLiteral(".zettelfix-*.tmp") },
                                            QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (QFileInfo(dir.filePath(name)).lastModified().toUTC() < before && QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
}

QStringList WorkDir::list(const QString &suffix, Order order) const
{
    if (faulted(Op::List, suffix, nullptr))
        return {};
    ensureIndex();
    const QString lowerSuffix = suffix.toLower();
    if (order == Order::None) {
        QStringList names;
        for (auto it = m_index.cbegin(); it != m_index.cend(); ++it) {
            if (it.key().endsWith(lowerSuffix))
                names.append(it.value());
        }
        return names;
    }
    // Sorted on the index's lower-case keys: comparing those is several times
    // cheaper than a case-insensitive comparison of the names.
    QList<std::pair<QString, QString>> found;
    for (auto it = m_index.cbegin(); it != m_index.cend(); ++it) {
        if (it.key().endsWith(lowerSuffix))
            found.append({ it.key(), it.value() });
    }
    std::sort(found.begin(), found.end());
    QStringList names;
    names.reserve(found.size());
    for (const auto &entry : found)
        names.append(entry.second);
    return names;
}

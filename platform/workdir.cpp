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

// A lock file's content: who holds it.
//   zettelfix-lock 2 <computer> <process> <process start> <token>
// The computer is the boot's id together with the process id namespace: two
// containers on one machine share the boot but not their process numbers.
struct WorkDir::Lock::State
{
    QByteArray path;
    QByteArray content;
    // The lock file's time as it was made: the folder's own clock.
    WorkDir::Time created;
    bool lost = false;
};

namespace {

QByteArray firstLineOf(const char *path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readLine(256).trimmed();
}

// The process's start in clock ticks since boot, from /proc/<pid>/stat, or
// -1 where that process does not run (a zombie has ended too).
qint64 processStart(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.read(4096);
    // The command name in parentheses may hold blanks and parentheses.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // After the name: state (3rd field of the line), ... start time (22nd).
    if (fields.size() < 20 || fields.at(0) == "Z" || fields.at(0) == "X")
        return -1;
    bool ok = false;
    const qint64 start = fields.at(19).toLongLong(&ok);
    return ok ? start : -1;
}

const QByteArray &thisComputer()
{
    static const QByteArray id = [] {
        QByteArray boot = firstLineOf("/proc/sys/kernel/random/boot_id");
        char ns[128] = {};
        const ssize_t n = ::readlink("/proc/self/ns/pid", ns, sizeof ns - 1);
        QByteArray space = n > 0 ? QByteArray(ns, qsizetype(n)) : QByteArray();
        space.replace(' ', '_');
        return boot.isEmpty() ? QByteArray() : boot + '/' + space;
    }();
    return id;
}

QByteArray lockContent()
{
    static const qint64 start = processStart(::getpid());
    QByteArray token(16, Qt::Uninitialized);
    QFile random(QStringLiteral("/dev/urandom"));
    if (!random.open(QIODevice::ReadOnly) || random.read(token.data(), token.size()) != token.size())
        token = QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + QByteArray::number(qint64(&token));
    return "zettelfix-lock 2 " + (thisComputer().isEmpty() ? QByteArray("-") : thisComputer()) + ' '
        + QByteArray::number(qint64(::getpid())) + ' ' + QByteArray::number(start) + ' ' + token.toHex() + '\n';
}

enum class Holder { Unknown, Here, Ended };

// Whether the holder that a lock file names runs on this computer, has
// ended here, or cannot be told (another computer, an older program's empty
// lock, a lock being written).
Holder holderOf(const QByteArray &content)
{
    const QList<QByteArray> f = content.trimmed().split(' ');
    if (f.size() != 6 || f.at(0) != "zettelfix-lock" || f.at(1) != "2" || thisComputer().isEmpty()
        || f.at(2) != thisComputer())
        return Holder::Unknown;
    bool ok = false;
    const qint64 pid = f.at(3).toLongLong(&ok);
    if (!ok || pid <= 0)
        return Holder::Unknown;
    const qint64 start = processStart(pid);
    return start >= 0 && QByteArray::number(start) == f.at(4) ? Holder::Here : Holder::Ended;
}

// A lock file's content, or nothing where it is gone; not through a link.
std::optional<QByteArray> readLockFile(const QByteArray &path, struct stat *st = nullptr)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    char buffer[512];
    ssize_t n;
    do
        n = ::read(fd, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    if (st)
        ::fstat(fd, st);
    ::close(fd);
    return n < 0 ? QByteArray() : QByteArray(buffer, qsizetype(n));
}

// Writes all the bytes: 0, or the error number, with *done (where given)
// the bytes written before it.
int writeAll(int fd, const QByteArray &bytes, qsizetype *written = nullptr)
{
    qsizetype done = 0;
    int err = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : EIO;
            break;
        }
        done += n;
    }
    if (written)
        *written = done;
    return err;
}

// Makes the lock file with its content, or fails with EEXIST where it stands:
// 0 or the error number; *st gets the new file's state. Where the file system
// offers unnamed files, the lock appears with its content in one step, so
// that no program killed at any moment leaves an empty lock behind. FAT and
// network shares get it created exclusively and written at once.
int makeLockFile(const QByteArray &folder, const QByteArray &path, const QByteArray &content, struct stat *st)
{
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
        int err = writeAll(fd, content);
        if (err == 0 && ::linkat(AT_FDCWD, ("/proc/self/fd/" + QByteArray::number(fd)).constData(), AT_FDCWD,
                          path.constData(), AT_SYMLINK_FOLLOW)
                 != 0)
            err = errno;
        if (err == 0)
            ::fstat(fd, st);
        ::close(fd);
        // Without /proc or where linking is refused, the other way below.
        if (err != ENOENT && err != EPERM && err != EOPNOTSUPP && err != EXDEV)
            return err;
    }
    fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return errno;
    const int err = writeAll(fd, content);
    ::fstat(fd, st);
    ::close(fd);
    if (err)
        ::unlink(path.constData());
    return err;
}

// Takes a lock over that was found stale with that content: renamed away
// first, so that of several copies finding it stale at once only one
// renames it. Where the lock renamed away is not the one judged (it was
// taken anew in between), it goes back when its place is still free.
void takeOver(const QByteArray &path, const QByteArray &judged)
{
    const QByteArray away = path + '.' + QByteArray::number(qint64(::getpid())) + ".stale";
    if (::rename(path.constData(), away.constData()) != 0)
        return;
    if (readLockFile(away).value_or(QByteArray()) != judged
        && ::renameat2(AT_FDCWD, away.constData(), AT_FDCWD, path.constData(), RENAME_NOREPLACE) == 0)
        return;
    ::unlink(away.constData());
}

} // namespace

WorkDir::Lock &WorkDir::Lock::operator=(Lock &&other) noexcept
{
    if (this != &other) {
        release();
        m_state = std::move(other.m_state);
    }
    return *this;
}

bool WorkDir::Lock::stillHeld() const
{
    return m_state && readLockFile(m_state->path) == m_state->content;
}

bool WorkDir::Lock::lost() const
{
    return m_state && m_state->lost;
}

void WorkDir::Lock::release()
{
    // Only its own: a lock taken over belongs to another copy now.
    if (m_state && stillHeld())
        ::unlink(m_state->path.constData());
    m_state.reset();
}

WorkDir::Lock WorkDir::lock(const QString &name, QString *error, int waitMs) const
{
    return acquire(name, error, waitMs);
}

WorkDir::Lock WorkDir::tryLock(const QString &name) const
{
    return acquire(name, nullptr, -1);
}

WorkDir::Lock WorkDir::acquire(const QString &name, QString *error, int waitMs) const
{
    const QByteArray path = lockPath(name);
    QElapsedTimer waited;
    waited.start();
    // The lock seen standing, and since when, by this computer's steady
    // clock: the lock's own time may come from another desk's clock.
    QByteArray seen;
    struct stat seenStat {};
    qint64 seenSince = 0;
    bool told = false;
    const auto endWait = [&] {
        if (told && m_waitHook)
            m_waitHook(name, -1);
    };
    const QByteArray content = lockContent();
    const QByteArray folder = QFile::encodeName(m_path);
    unsigned pause = 200; // microseconds, doubled up to 20 ms
    for (;;) {
        struct stat st {};
        const int made = makeLockFile(folder, path, content, &st);
        if (made == 0) {
            auto state = std::make_shared<Lock::State>();
            state->path = path;
            state->content = content;
            state->created = { qint64(st.st_mtim.tv_sec), qint32(st.st_mtim.tv_nsec) };
            endWait();
            m_held.insert(path, state);
            Lock held;
            held.m_state = std::move(state);
            return held;
        }
        const int err = made;
        if (err != EEXIST) {
            endWait();
            setError(error, unreachable() ? unreachableMessage()
                                          : failure(name, QStringLiteral("gesperrt"), reasonText(err)));
            return {};
        }
        if (const auto content = readLockFile(path, &st)) {
            if (*content != seen || st.st_ino != seenStat.st_ino || st.st_mtim.tv_sec != seenStat.st_mtim.tv_sec
                || st.st_mtim.tv_nsec != seenStat.st_mtim.tv_nsec) {
                seen = *content;
                seenStat = st;
                seenSince = waited.elapsed();
            }
            const Holder holder = holderOf(seen);
            // A holder writes its name into the lock right after making it:
            // one still empty a moment later was made by a program killed
            // in between (or by an older version, which held it briefly).
            const qint64 limitMs = holder == Holder::Here ? hungSeconds * 1000
                : seen.isEmpty()                          ? 200
                                                          : staleSeconds * 1000;
            if (holder == Holder::Ended || waited.elapsed() - seenSince > limitMs) {
                takeOver(path, seen);
                continue;
            }
        }
        if (waitMs < 0)
            return {};
        if (m_waitHook && !m_waitHook(name, told ? waited.elapsed() : 0)) {
            m_waitHook(name, -1);
            setError(error, QStringLiteral("Das Warten auf die Datei \"%1\" wurde abgebrochen; sie wird gerade an einem "
                                           "anderen Arbeitsplatz geändert. Es wurde nichts geändert.")
                                .arg(name));
            return {};
        }
        told = true;
        if (waited.elapsed() > waitMs) {
            endWait();
            setError(error, failure(name, QStringLiteral("gesperrt"),
                                    QStringLiteral("Die Datei wird gerade von einem anderen Programm benutzt")));
            return {};
        }
        ::usleep(pause);
        pause = qMin(pause * 2, 20000u);
    }
}

bool WorkDir::changeLocked(const QString &name, const std::function<bool(QString *error)> &change,
                           QString *error) const
{
    for (int round = 0; round < 10; ++round) {
        const Lock held = lock(name, error);
        if (!held)
            return false;
        if (change(error))
            return true;
        if (!held.lost())
            return false;
    }
    return false;
}

bool WorkDir::stillLocked(const QString &name, QString *error) const
{
    const QByteArray path = lockPath(name);
    const auto found = m_held.constFind(path);
    if (found == m_held.constEnd())
        return true;
    const std::shared_ptr<Lock::State> state = found->lock();
    if (!state) {
        m_held.remove(path);
        return true;
    }
    if (readLockFile(state->path) == state->content)
        return true;
    state->lost = true;
    setError(error, QStringLiteral("Die Datei \"%1\" wurde nicht geschrieben: ein anderer Arbeitsplatz hat sie "
                                   "inzwischen übernommen.")
                        .arg(name));
    return false;
}

bool WorkDir::unreachable() const
{
    struct stat st;
    return ::stat(QFile::encodeName(m_path).constData(), &st) != 0 || !S_ISDIR(st.st_mode);
}

QString WorkDir::unreachableMessage() const
{
    return QStringLiteral("Der Ordner \"%1\" ist nicht erreichbar. Bitte prüfen Sie, ob der Datenträger oder die "
                          "Netzwerkfreigabe verbunden ist, und versuchen Sie es dann noch einmal.")
        .arg(QDir::toNativeSeparators(m_path));
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
    m_links.clear();
}

QStringList WorkDir::links() const
{
    ensureIndex();
    QStringList names(m_links.begin(), m_links.end());
    names.removeIf([](const QString &name) { return name.startsWith(QLatin1Char('.')); });
    names.sort(Qt::CaseInsensitive);
    return names;
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
                m_links.remove(name);
                struct stat st;
                if (dir >= 0 && ::fstatat(dir, native.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode)) {
                    indexEntry(native);
                    if (S_ISLNK(st.st_mode))
                        m_links.insert(name);
                }
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
    m_links.clear();
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
            if (e->d_type == DT_LNK)
                m_links.insert(nameFromNative(n));
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
    // A link counts as there even where it points nowhere.
    return ::lstat(QByteArray(QFile::encodeName(m_path) + '/' + nativeName(storedName)).constData(), &st) == 0;
}

bool WorkDir::isLink(const QString &name) const
{
    const QString stored = storedName(name);
    struct stat st;
    return !stored.isEmpty()
        && ::lstat(QByteArray(QFile::encodeName(m_path) + '/' + nativeName(stored)).constData(), &st) == 0
        && S_ISLNK(st.st_mode);
}

QString WorkDir::linkMessage(const QString &storedName)
{
    return QStringLiteral("Die Datei \"%1\" ist eine Verknüpfung auf eine andere Datei. Das Programm liest und "
                          "schreibt keine Datei durch eine Verknüpfung; es wurde nichts geändert. Bitte ersetzen Sie "
                          "die Verknüpfung durch eine gewöhnliche Datei.")
        .arg(storedName);
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
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
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

WorkDir::FileStamp stampOf(const struct stat &st)
{
    return { qint64(st.st_size),
             { qint64(st.st_mtim.tv_sec), qint32(st.st_mtim.tv_nsec) },
             { qint64(st.st_ctim.tv_sec), qint32(st.st_ctim.tv_nsec) },
             quint64(st.st_dev),
             quint64(st.st_ino),
             st.st_nlink > 1 };
}

} // namespace

std::optional<WorkDir::FileStamp> WorkDir::stamp(const QString &name) const
{
    const QString stored = storedName(name);
    struct stat st;
    if (stored.isEmpty()
        || ::lstat(QByteArray(QFile::encodeName(m_path) + '/' + nativeName(stored)).constData(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

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
            if (::fstatat(dir, encoded.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && stampOf(st) == *known
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
        // Not through a symbolic link: it could point at any file of the
        // user's, which would then be searched, summed and exported as a
        // receipt. The caller learns of it as passed over and linked.
        const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
        const int fd = ::openat(dir, encoded.constData(), flags);
        if (fd < 0) {
            FileStamp stamp;
            stamp.linked = errno == ELOOP;
            passOver(stamp);
            continue;
        }
        // Only a regular file: a device under that name (a link to /dev/zero)
        // would never end. Nor one far larger than any receipt.
        const bool stamped = options.stamp || options.held;
        if (stamped && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxReadEachBytes)) {
            ::close(fd);
            passOver(S_ISREG(st.st_mode) ? stampOf(st) : FileStamp());
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
            use(i, QByteArrayView(buffer.constData(), size), stamped ? stampOf(st) : FileStamp());
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
    // Every rewrite holds the file's lock, whoever asks for it: a temporary
    // file whose lock is free is then a leftover of a write that was cut
    // short, and goes at the next start.
    Lock own;
    if (!holdsLock(name)) {
        own = lock(name, error);
        if (!own)
            return false;
    }
    const bool wasCurrent = indexCurrent();
    QString stored = storedName(name);
    if (stored.isEmpty())
        stored = name;
    if (isLink(stored)) {
        setError(error, linkMessage(stored));
        return false;
    }
    if (!replace(name, stored, bytes, error))
        return false;
    noteAdded(stored, wasCurrent);
    return true;
}

bool WorkDir::replace(const QString &name, const QString &stored, const QByteArray &bytes, QString *error) const
{
    // Not QSaveFile: it follows a symbolic link and replaces the file the
    // link points to, wherever that is. Here the new content goes to a
    // temporary file in the folder, and renaming it replaces the entry in
    // the folder itself, a link included, never a file elsewhere. The old
    // content stays until the new one is complete.
    const QByteArray target = QFile::encodeName(m_path) + '/' + nativeName(stored);
    const auto failed = [&](const QString &reason) {
        setError(error, unreachable() ? unreachableMessage() : failure(stored, QStringLiteral("geschrieben"), reason));
        return false;
    };
    QTemporaryFile temp(filePath(temporaryPattern(name)));
    if (!temp.open())
        return failed(reasonText(temp.errorString()));
    int err = writeAll(temp.handle(), bytes);
    if (!err && ::fsync(temp.handle()) != 0 && errno != EINVAL)
        err = errno;
    if (err)
        return failed(reasonText(err));
    // The permissions the file had, or those of any new file.
    struct stat old;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(temp.handle(), ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode) ? (old.st_mode & 07777)
                                                                                         : (0666 & ~mask));
    if (!stillLocked(name, error))
        return false;
    if (::rename(QFile::encodeName(temp.fileName()).constData(), target.constData()) != 0)
        return failed(reasonText(errno));
    temp.setAutoRemove(false);
    return true;
}

QString WorkDir::temporaryPattern(const QString &name)
{
    return QStringLiteral(".zettelfix-%1.XXXXXX.tmp").arg(name.toLower());
}

bool WorkDir::holdsLock(const QString &name) const
{
    const auto found = m_held.constFind(lockPath(name));
    return found != m_held.constEnd() && !found->expired();
}

QByteArray WorkDir::lockPath(const QString &name) const
{
    return QFile::encodeName(filePath(QStringLiteral(".zettelfix-%1.lock").arg(name.toLower())));
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
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666);
    if (fd < 0) {
        const int why = errno;
        if (why == ELOOP) {
            setError(error, linkMessage(stored));
            return false;
        }
        if (unsupported(why))
            return append(name, added, error);
        setError(error, unreachable() ? unreachableMessage()
                                      : failure(stored, QStringLiteral("geschrieben"), reasonText(why)));
        return false;
    }
    // Appending in place would change the file under its other names too,
    // which may lie outside the folder.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
        ::close(fd);
        setError(error, linkMessage(stored));
        return false;
    }
    if (!stillLocked(name, error)) {
        ::close(fd);
        return false;
    }
    qsizetype done = 0;
    int err = writeAll(fd, added, &done);
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
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
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
    // The reading and the rewrite under one hold of the lock.
    Lock own;
    if (!holdsLock(name)) {
        own = lock(name, error);
        if (!own)
            return false;
    }
    QByteArray bytes;
    if (isLink(name)) {
        setError(error, linkMessage(storedName(name)));
        return false;
    }
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
    QTemporaryFile temp(filePath(temporaryPattern(name)));
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
    switch (placeNew(name, from, to, &reason)) {
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
                                        QString *reason) const
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

    // 3. A plain rename, which would replace a file of that name: FAT
    // through fusefat offers neither of the ways above. Creating the final
    // name exclusively and writing it there (as earlier versions did) leaves
    // an empty receipt under the name when the program is killed in
    // between. The rename is safe because every copy of the program saves a
    // number only under the name's lock, which this one holds; the name is
    // looked up afresh right before (FAT finds it in any letter case), and
    // the lock is looked at last, in case another copy took it over while
    // this one stalled.
    refresh();
    if (exists(name))
        return CreateResult::Exists;
    QString lost;
    if (!stillLocked(name, &lost)) {
        *reason = lost;
        return CreateResult::Failed;
    }
    if (faulted(Op::WriteNew, name, nullptr)) {
        *reason = reasonText(EIO);
        return CreateResult::Failed;
    }
    if (::rename(from.constData(), to.constData()) != 0) {
        *reason = reasonText(errno);
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
    // By the name as stored, also one in Latin-1; a link goes, not what it points at.
    if (::unlink(QByteArray(QFile::encodeName(m_path) + '/' + nativeName(stored)).constData()) != 0) {
        setError(error, failure(stored, QStringLiteral("gelöscht"), reasonText(errno)));
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
    // By the name as stored, also one in Latin-1; a link goes, not what it points at.
    if (!trash::moveToTrash(QFile::encodeName(m_path) + '/' + nativeName(stored), &reason)) {
        setError(error, failure(stored, QStringLiteral("gelöscht"), reason));
        return false;
    }
    noteRemoved(stored, wasCurrent);
    return true;
}

int WorkDir::removeLeftovers() const
{
    int removed = 0;
    const QByteArray folder = QFile::encodeName(m_path);
    QList<QByteArray> names;
    if (DIR *d = ::opendir(folder.constData())) {
        while (const dirent *e = ::readdir(d)) {
            const QByteArrayView n(e->d_name);
            if (n.startsWith(".zettelfix-") || n.size() > 7)
                names.append(n.toByteArray());
        }
        ::closedir(d);
    }
    // Locks of ended holders first: their files' leftovers go with them.
    std::stable_partition(names.begin(), names.end(),
                          [](const QByteArray &n) { return n.endsWith(".lock") || n.endsWith(".stale"); });
    Lock probe;
    const auto folderNow = [&]() -> qint64 {
        if (!probe)
            probe = tryLock(QStringLiteral("zettelfix-start"));
        return probe ? probe.m_state->created.seconds : 0;
    };
    const auto isRandom = [](QByteArrayView part) {
        return part.size() == 6
            && std::all_of(part.begin(), part.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    };
    for (const QByteArray &native : std::as_const(names)) {
        const QByteArray path = folder + '/' + native;
        const QString name = nameFromNative(native);
        if (native.startsWith(".zettelfix-") && native.endsWith(".lock")) {
            // A lock of a process that has ended here, or one left empty by
            // a program killed as it made it (older than a few seconds by the
            // folder's own clock, which the probe's lock file tells).
            struct stat st {};
            const auto content = readLockFile(path, &st);
            if (!content)
                continue;
            if (holderOf(*content) == Holder::Ended
                || (content->isEmpty() && folderNow() - st.st_mtim.tv_sec > staleSeconds)) {
                takeOver(path, *content);
                ++removed;
            }
        } else if (native.startsWith(".zettelfix-") && native.endsWith(".stale")) {
            // A lock taken over by a copy that was killed before it removed it.
            removed += ::unlink(path.constData()) == 0 ? 1 : 0;
        } else if (native.startsWith(".zettelfix-") && native.endsWith(".tmp") && native.size() > 22
                   && native.at(native.size() - 11) == '.' && isRandom(QByteArrayView(native).sliced(native.size() - 10, 6))) {
            // The temporary file of a write of <name>: a leftover when no
            // copy holds that name's lock, since every write holds it.
            const QString of = nameFromNative(QByteArrayView(native).sliced(11, native.size() - 22));
            if (of.isEmpty())
                continue;
            const Lock held = tryLock(of);
            if (held && ::unlink(path.constData()) == 0)
                ++removed;
        } else if (native.startsWith(".zettelfix-") && native.endsWith(".tmp") && native.size() == 21) {
            // An earlier version's temporary file of a new receipt, named
            // after nothing: gone when older than ten minutes.
            struct stat st;
            if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode)
                && std::time(nullptr) - st.st_mtim.tv_sec > 600 && ::unlink(path.constData()) == 0)
                ++removed;
        } else if (!native.startsWith('.') && native.at(native.size() - 7) == '.'
                   && isRandom(QByteArrayView(native).sliced(native.size() - 6))) {
            // "nummer.dat.XXXXXX": what earlier versions left when killed
            // while rewriting a file on FAT. Not every write of theirs held
            // the lock: only one older than some seconds by the folder's
            // own clock goes.
            const QString of = name.chopped(7);
            const QString lower = of.toLower();
            if (!lower.endsWith(QLatin1String(".dat")) && !lower.endsWith(QLatin1String(".txt")))
                continue;
            const Lock held = tryLock(of);
            struct stat st;
            if (held && ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode)
                && held.m_state->created.seconds - st.st_mtim.tv_sec > 10 && ::unlink(path.constData()) == 0)
                ++removed;
        }
    }
    if (removed)
        refresh();
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

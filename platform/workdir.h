#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// The program's working directory. Every file the program keeps lives here
// under a bare name, as 8-bit Windows-1252 text with CR LF line ends; this
// class keeps their bytes (text/ knows the code page and the lines).
//
// Names are matched without regard to letter case: "DM.dat" and "dm.dat" are
// one file, and an existing file keeps the name it is stored under. Reading a
// folder of 100 000 receipts takes a noticeable fraction of a second, so a
// lookup first tries the spellings in use ("dm.dat", "DM.dat", "DM.DAT",
// "Dm.dat", "dm.DAT") with one stat each, and only then asks an index of the
// directory. The index is read once; where the file system reports every
// change (a local disk) it follows the names the kernel reports as changed,
// elsewhere (a network share, FUSE) the folder is read again when its time
// stamp moved.
class FolderWatch;

class WorkDir
{
public:
    // HardLink and RenameNoReplace are the first two ways createNew() tries
    // to put a new file in place, WriteNew the last one (see placeNew).
    enum class Op { Read, Write, Append, Create, Remove, List, HardLink, RenameNoReplace, WriteNew };
    // Returns true when the operation on that name is to fail; tests use it to
    // stand in for a full disk, a read-only folder (permissions don't bind
    // root) or a file system without hard links.
    using FaultHook = std::function<bool(Op op, const QString &name)>;

    enum class CreateResult { Created, Exists, Failed };

    explicit WorkDir(const QString &path);
    ~WorkDir();
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;

    QString path() const { return m_path; }
    QString filePath(const QString &storedName) const;

    // A bare name: not empty, no path separator, not "." or "..".
    static bool isBareName(const QString &name);
    // A name as the file system holds it, read in the system's encoding, or
    // as Latin-1 where it is not in it (an old disk's names).
    static QString nameFromNative(QByteArrayView native);

    // The name a file is stored under when a file of that name exists in any
    // letter case, otherwise an empty string.
    QString storedName(const QString &name) const;
    bool exists(const QString &name) const { return !storedName(name).isEmpty(); }

    // Readers give nothing when the file is missing or cannot be read.
    // (text/textfile.h reads them as text.)
    std::optional<QByteArray> readBytes(const QString &name) const;
    // At most the first maxBytes of the file, however large it is.
    std::optional<QByteArray> readStart(const QString &name, qint64 maxBytes) const;
    // A file's state as the file system tells it. Two equal stamps mean the
    // same content as far as the file system can say: every write moves the
    // change time, also when the size stays and the modification time is put
    // back, and a file put in another's place has another inode.
    // A time as the file system keeps it: seconds since the epoch and
    // nanoseconds apart, since nanoseconds alone run out of 64 bits in 2262
    // and a file system may stamp later times.
    struct Time
    {
        qint64 seconds = 0;
        qint32 nanoseconds = 0;
        auto operator<=>(const Time &) const = default;
        qint64 milliseconds() const { return seconds * 1000 + nanoseconds / 1000000; }
    };
    struct FileStamp
    {
        qint64 size = -1;
        Time modified;
        Time changed;
        quint64 device = 0;
        quint64 inode = 0;
        // A symbolic link (passed over by readEach, not read), or a file with
        // further hard links: it can change by a path outside the folder.
        // Not compared.
        bool linked = false;
        bool operator==(const FileStamp &o) const
        {
            return size == o.size && modified == o.modified && changed == o.changed && device == o.device
                && inode == o.inode;
        }
    };
    // The file's stamp, not through a link; nothing when it is missing.
    std::optional<FileStamp> stamp(const QString &name) const;
    // How readEach() goes about each file.
    struct ReadOptions
    {
        // Each file is stamped (one fstat), and use() gets its stamp. Without
        // it use() gets an empty stamp, which spares a stat a file: a file
        // that is no regular one shows itself then as it is read (a folder
        // fails, a device fills the buffer).
        bool stamp = false;
        // held(index), where given, is the stamp of a copy of that file the
        // caller holds already, or null: a file that still has that stamp is
        // not read (one stat instead), and kept(index) is called instead of
        // use(); a file that has gained a further hard link since is read. Files are stamped then whatever `stamp` says.
        std::function<const FileStamp *(qsizetype index)> held;
        std::function<void(qsizetype index)> kept;
        // Where given, called for a listed file that is passed over: one
        // that cannot be opened or read, no regular file, or larger than
        // maxReadEachBytes (not read at all). The stamp where it was taken.
        std::function<void(qsizetype index, const FileStamp &stamp)> passed;
    };
    // A receipt is some hundred bytes; one padded by hand to megabytes is
    // still read, but a larger file under a receipt's name (a sparse file of
    // many gigabytes) is not read by readEach().
    static constexpr qint64 maxReadEachBytes = qint64(16) << 20;
    // Nor by readBytes(), which reads the list and settings files; see also
    // readStart().
    static constexpr qint64 maxReadBytes = qint64(64) << 20;
    // Reads the files storedNames[from, to) one after another, as a search
    // through the whole archive does: names as stored (list() gives them),
    // each file with one open, one read where it fits the buffer and one
    // close, and without waiting on something that is no regular file. use()
    // gets the bytes, valid until it returns, and the stamp of the file they
    // were read from; a file that cannot be read is passed over.
    // Several threads may read at once, each its own part of a list: nothing
    // here is shared but the fault hook, which is then called from them all.
    void readEach(const QStringList &storedNames, qsizetype from, qsizetype to,
                  const std::function<void(qsizetype index, QByteArrayView bytes, const FileStamp &stamp)> &use,
                  const ReadOptions &options) const;
    void readEach(const QStringList &storedNames, qsizetype from, qsizetype to,
                  const std::function<void(qsizetype index, QByteArrayView bytes, const FileStamp &stamp)> &use) const
    {
        readEach(storedNames, from, to, use, ReadOptions());
    }

    // The writers take the bytes of a file; text/textfile.h writes text.
    // Create or truncate, atomically: the old content stays until the new one
    // is complete. A new file is created under the name as given. Under the
    // file's lock (taken here unless this WorkDir holds it); a link is
    // refused, never written through.
    bool write(const QString &name, const QByteArray &bytes, QString *error = nullptr);
    // Append, creating the file when it is missing.
    bool append(const QString &name, const QByteArray &bytes, QString *error = nullptr);
    // Append at the file's end in place, creating it when it is missing: for
    // a file too long to rewrite at every addition (the journal). A crash or
    // a full disk may leave the first part of the bytes at its end; the
    // reader of such a file must know a cut-short end.
    bool appendInPlace(const QString &name, const QByteArray &bytes, QString *error = nullptr);
    // At most the last maxBytes of the file; *size gets its whole size.
    std::optional<QByteArray> readEnd(const QString &name, qint64 maxBytes, qint64 *size = nullptr) const;
    // Create a file that must not replace another one, in any letter case: the
    // bytes go to a temporary file that is then renamed, and the rename
    // refuses an existing target. Copies of the program hold the name's lock
    // meanwhile; and where the file system tells letter case apart and
    // another spelling of the name turns up beside the new file anyway (a
    // program that takes no lock, a share that listed the folder from its
    // cache), the new file is removed again: Exists.
    CreateResult createNew(const QString &name, const QByteArray &bytes, QString *error = nullptr);
    bool remove(const QString &name, QString *error = nullptr);
    // Moves the file to the user's trash; where there is no trash it stays.
    bool moveToTrash(const QString &name, QString *error = nullptr);

    // Names of the regular files whose name ends in the suffix (any case),
    // sorted by name without regard to case, or in no order for a caller
    // that sorts them its own way.
    enum class Order { ByName, None };
    QStringList list(const QString &suffix, Order order = Order::ByName) const;

    // Forget what is known of the directory; the next lookup reads it again.
    void refresh() const;
    // Reads the directory now, so that later lookups of missing names cost
    // nothing. The program does this while the splash window is up.
    // It also clears away what saves cut short by a crash left (see
    // removeLeftovers).
    void prime() const
    {
        removeLeftovers();
        ensureIndex();
    }

    // An exclusive hold on a file among all copies of the program that use
    // the folder, also from other desks: a hidden lock file beside it,
    // ".zettelfix-<name in lower case>.lock", created exclusively (O_EXCL
    // holds on FAT and on network shares where fcntl() locks are not passed
    // on or not kept). It names its holder: computer, process and a token of
    // its own. A lock whose holder has ended on this computer is taken over at
    // once; one of a process still running here is waited for (up to a
    // minute: a program stopped for that long is taken for hung); one of
    // another computer, whose processes cannot be asked, is taken over when
    // it has stayed the same for `staleSeconds`, measured here, so that no
    // desk's clock counts (an empty one, whose maker was killed before it
    // named itself, after a moment). A holder whose lock was taken over from it learns
    // so before it replaces the file (see changeLocked): each write through
    // this WorkDir to a file whose lock it holds looks first whether the
    // lock is still its own.
    class Lock
    {
    public:
        Lock() = default;
        Lock(Lock &&other) noexcept = default;
        Lock &operator=(Lock &&other) noexcept;
        ~Lock() { release(); }
        explicit operator bool() const { return m_state != nullptr; }
        void release();
        // The lock file is still this holder's.
        bool stillHeld() const;
        // A write under this lock was refused because the lock had been taken over.
        bool lost() const;

        struct State;

    private:
        friend class WorkDir;
        std::shared_ptr<State> m_state;
    };
    static constexpr int staleSeconds = 5;
    static constexpr int hungSeconds = 60;
    // Waits up to waitMs for the lock; a lock not had gives a German message.
    Lock lock(const QString &name, QString *error = nullptr, int waitMs = (hungSeconds + 15) * 1000) const;
    // Runs change() with the lock on name held: change() reads what it needs
    // and writes through this WorkDir. Where the lock was taken over
    // meanwhile, its write is refused, and change() runs again from a fresh
    // read with the lock taken anew.
    bool changeLocked(const QString &name, const std::function<bool(QString *error)> &change, QString *error) const;
    // Told while lock() waits for another copy of the program: at once with
    // 0, then about every 20 ms with the milliseconds waited; false stops the
    // wait (the user cancelled). Once more with -1 when the wait is over.
    using WaitHook = std::function<bool(const QString &name, qint64 waitedMs)>;
    void setWaitHook(WaitHook hook) { m_waitHook = std::move(hook); }

    // The file is a symbolic link. The program reads and writes no file
    // through a link: another user of a shared folder could point one at any
    // file of this user's.
    bool isLink(const QString &name) const;
    // The files in the folder that are symbolic links, by name.
    QStringList links() const;
    // 'Die Datei "<name>" ist eine Verknüpfung ...', for a refused read or write.
    static QString linkMessage(const QString &storedName);

    // Removes what saves cut short by a crash or a kill left in the folder:
    // lock files of processes that have ended on this computer, and the
    // temporary files of writes whose file no other copy is writing now.
    // Returns how many files were removed.
    int removeLeftovers() const;

    void setFaultHook(FaultHook hook) { m_faultHook = std::move(hook); }

    // True, with the German message in *error, when the fault hook fails the
    // operation on that name.
    bool faulted(Op op, const QString &name, QString *error) const;
    // 'Die Datei "<name>" konnte nicht <what> werden.', with the reason.
    static QString failureMessage(const QString &name, const QString &what, const QString &reason);
    // The reason for a system error number in German words where it is a
    // common one (full disk, read-only, no permission, exists, not found),
    // else the system's own text.
    static QString reasonText(int err);
    // The same for a reason the system or Qt gave as text.
    static QString reasonText(const QString &systemText);

private:
    Lock acquire(const QString &name, QString *error, int waitMs) const;
    // One attempt, without waiting; a lock whose holder has ended is still taken over.
    Lock tryLock(const QString &name) const;
    // Replaces the file by the bytes through a temporary file of its own.
    bool replace(const QString &name, const QString &stored, const QByteArray &bytes, QString *error) const;
    // ".zettelfix-<name in lower case>.XXXXXX.tmp": the temporary files of
    // rewrites and new files, named after the file they are for.
    static QString temporaryPattern(const QString &name);
    QByteArray lockPath(const QString &name) const;
    bool holdsLock(const QString &name) const;
    // True unless this WorkDir holds the lock on name and another copy has
    // taken it over: then *error says so, and the lock counts as lost.
    bool stillLocked(const QString &name, QString *error) const;
    // The folder itself is gone (a memory stick pulled, a share cut off).
    bool unreachable() const;
    QString unreachableMessage() const;
    // The spellings of a name tried before the index is asked.
    static QStringList spellings(const QString &name);
    CreateResult placeNew(const QString &name, const QByteArray &from, const QByteArray &to, QString *reason) const;
    void ensureIndex() const;
    void indexEntry(const QByteArray &native) const;
    struct Stamp
    {
        Time modified { -1, 0 };
        Time changed { -1, 0 };
        bool operator==(const Stamp &) const = default;
    };
    Stamp directoryStamp() const;
    // Keeps the index in step with a change the program made itself.
    void noteAdded(const QString &storedName, bool indexWasCurrent) const;
    void noteRemoved(const QString &storedName, bool indexWasCurrent) const;
    bool indexCurrent() const;

    // The name as the file system holds it. A name that is not in the
    // system's encoding (Latin-1 from an old disk) is listed decoded as
    // Latin-1 and kept here with its bytes, so that it can still be read.
    QByteArray nativeName(const QString &storedName) const;
    bool storedExists(const QString &storedName) const;
    std::optional<QByteArray> readUpTo(const QString &name, qint64 maxBytes, bool refuseLarger) const;

    QString m_path;
    FaultHook m_faultHook;
    WaitHook m_waitHook;
    // The locks this WorkDir holds, by lock file path: its writes look
    // whether they are still held.
    mutable QHash<QByteArray, std::weak_ptr<Lock::State>> m_held;
    mutable QHash<QString, QByteArray> m_native;
    mutable bool m_indexed = false;
    mutable Stamp m_stamp;
    // lower-case name -> stored names: a folder on a disk that tells letter
    // case apart may hold "5.num" and "5.NUM", and both are listed.
    mutable QMultiHash<QString, QString> m_index;
    mutable QSet<QString> m_links;
    // Tells what changed in the folder since the index was read, where the
    // file system reports every change.
    mutable std::unique_ptr<FolderWatch> m_watch;
};

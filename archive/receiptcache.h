#pragma once

#include "platform/folderwatch.h"
#include "platform/workdir.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

// Bytes of many files kept in a few large blocks: a position names a block
// and an offset in it.
namespace receiptblocks {
inline constexpr int shift = 40;
inline qint64 position(qint64 block, qint64 offset)
{
    return block << shift | offset;
}
inline const char *bytesAt(const std::vector<QByteArray> &blocks, qint64 at)
{
    return blocks[size_t(at >> shift)].constData() + (at & ((qint64(1) << shift) - 1));
}
} // namespace receiptblocks

// What the search and the evaluation read of the receipt files, kept so that
// the next reading of the same files reads only those that changed since. A
// search or evaluation window holds one from its first reading until it
// closes.
//
// How it knows what changed: checking each file's stamp (size, modification
// and change time to the nanosecond, inode) costs one stat a file: measured
// over 100 000 receipts, 0.3 s of processor time, where the search through
// what is held takes 5 to 25 ms.
// So on a local disk the folder is watched (FolderWatch) from before the
// first file is read, and a reading asks only the kernel's list of files
// changed since the last; those are read again. Where the watch cannot vouch
// for a file (a network folder, a file reached through a link, lost
// notices), its stamp is checked before what is held of it is used. Under
// FUSE, whose stamps need not move with a change, every file is read again.
//
// File systems stamp times with a coarse clock, FAT to two seconds, so a file
// changed again within that time after it was read could keep its stamp. A
// file stamped less than `settle` before the reading that read it is read
// again by the next reading as well, unless the watch vouches for it.
class ReceiptCache
{
public:
    explicit ReceiptCache(std::chrono::nanoseconds settle = std::chrono::seconds(3));
    ~ReceiptCache();
    ReceiptCache(ReceiptCache &&) noexcept;
    ReceiptCache &operator=(ReceiptCache &&) noexcept;
    // The bytes held of the files.
    qint64 heldBytes() const { return m_heldBytes; }

    // What is held of the file at an index of the list last followed.
    struct Copy
    {
        WorkDir::FileStamp stamp;
        qint64 at = -1; // a position in blocks(); -1: nothing held
        qint64 length = 0;
    };

    // Before a reading: forgets what changed since the last, takes the held
    // files over to another list of them, and gathers the blocks anew when
    // they are mostly bytes no longer held. Indexes below are into `files`.
    void follow(const WorkDir &dir, const QStringList &files);
    // The copy held of a file that the watch vouches for: usable without
    // looking at the file. Null otherwise.
    const Copy *lookUp(qsizetype index) const;
    // The stamp of a copy held that is good while the file keeps that stamp
    // (WorkDir::ReadOptions::held), or null.
    const WorkDir::FileStamp *heldStamp(qsizetype index) const;
    // The file was found unchanged; its copy is as good as one just read.
    const Copy &confirm(qsizetype index);
    // Keeps the file's bytes, just read and stored at a position of a block
    // that blocks() will hold after addBlocks(); gives the bytes the copy it
    // replaces held.
    qint64 keep(qsizetype index, const WorkDir::FileStamp &stamp, qint64 at, qint64 length);
    void forget(qsizetype index);
    // Several threads may look up, confirm and keep at once, each for its own
    // files. After them, the blocks they filled, from blockCount() on.
    qint64 blockCount() const { return qint64(m_blocks.size()); }
    void addBlocks(std::vector<QByteArray> blocks, qint64 released);
    const std::vector<QByteArray> &blocks() const { return m_blocks; }

private:
    // How far what is held of a file can be trusted without reading it.
    enum class Trust : quint8 {
        Watched, // the watch tells of every change
        Stamped, // unchanged while the file's stamp is
        Unsure,  // read again
    };
    struct Held : Copy
    {
        Trust trust = Trust::Unsure;
    };
    void forget(Held &held);
    void compact();

    static constexpr qsizetype statEveryReadingUpTo = 10000;
    std::chrono::nanoseconds m_settle;
    WorkDir::Time m_settledBefore; // of the reading under way
    QString m_path;
    std::unique_ptr<FolderWatch> m_watch;
    QStringList m_files;
    std::vector<Held> m_held; // one for each of m_files
    QHash<QString, qsizetype> m_index; // into m_files, made when a change is told
    std::vector<QByteArray> m_blocks;
    qint64 m_heldBytes = 0;
    qint64 m_blockBytes = 0;
};

// One reading of a list of receipt files on all cores: the list is cut into
// pieces of neighbouring files, which the threads take one after another as
// they are done with the last, so that a core busy with other work holds up
// no more than one piece. Each piece keeps its bytes in a block of its own.
class ReceiptReader
{
public:
    // With a cache, only what it does not hold as the files are now is read,
    // and whole files are kept there. With `stamp`, each file comes with its
    // stamp (it always does with a cache).
    ReceiptReader(const WorkDir &dir, const QStringList &files, ReceiptCache *cache, bool stamp);

    qsizetype pieces() const { return m_pieces; }
    // Calls visit(piece, index, bytes, stamp, at) for each file that could be
    // read, from several threads, in the order of the files within a piece.
    // `at` is the position of the bytes in blocks() with a cache, else -1.
    using Visit = std::function<void(qsizetype piece, qsizetype index, QByteArrayView bytes,
                                     const WorkDir::FileStamp &stamp, qint64 at)>;
    // unread(piece, index, stamp), where given, for each listed file that
    // was passed over (see WorkDir::ReadOptions::passed).
    using Unread = std::function<void(qsizetype piece, qsizetype index, const WorkDir::FileStamp &stamp)>;
    void run(const Visit &visit, const Unread &unread = {});
    // Keeps bytes in the piece's block (for visit); gives their position.
    qint64 keep(qsizetype piece, QByteArrayView bytes);
    // After run(): the blocks the positions point into, shared with the cache
    // where there is one (run() hands the new ones to it).
    std::vector<QByteArray> blocks() const;

private:
    struct Piece
    {
        qint64 block = -1; // its index among the blocks, taken when it first keeps bytes
        QByteArray bytes;
        qint64 released = 0; // bytes the cache held of files read again
    };
    void read(qsizetype piece, const Visit &visit);
    void finish();

    const WorkDir &m_dir;
    const QStringList &m_files;
    ReceiptCache *m_cache;
    bool m_stamp;
    qsizetype m_perPiece = 1;
    qsizetype m_pieces = 0;
    qint64 m_firstBlock = 0;
    std::vector<Piece> m_done;
    std::vector<QByteArray> m_blocks; // without a cache
    std::atomic<qint64> m_nextBlock { 0 };
    Unread m_unread;
};

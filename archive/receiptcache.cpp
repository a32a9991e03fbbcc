#include "archive/receiptcache.h"

#include "receipt/receiptfile.h"

#include <QHash>

#include <system_error>
#include <thread>

namespace {

qint64 nowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

ReceiptCache::ReceiptCache(std::chrono::nanoseconds settle)
    : m_settle(settle)
{
}

ReceiptCache::~ReceiptCache() = default;
ReceiptCache::ReceiptCache(ReceiptCache &&) noexcept = default;
ReceiptCache &ReceiptCache::operator=(ReceiptCache &&) noexcept = default;

const ReceiptCache::Copy *ReceiptCache::lookUp(qsizetype index) const
{
    const Held &held = m_held[size_t(index)];
    return held.at >= 0 && held.trust == Trust::Watched ? &held : nullptr;
}

const WorkDir::FileStamp *ReceiptCache::heldStamp(qsizetype index) const
{
    const Held &held = m_held[size_t(index)];
    return held.at >= 0 && held.trust == Trust::Stamped ? &held.stamp : nullptr;
}

const ReceiptCache::Copy &ReceiptCache::confirm(qsizetype index)
{
    // Unchanged since it was read; from now on the watch tells of a change.
    Held &held = m_held[size_t(index)];
    if (m_watch->active() && !held.stamp.linked)
        held.trust = Trust::Watched;
    return held;
}

qint64 ReceiptCache::keep(qsizetype index, const WorkDir::FileStamp &stamp, qint64 at, qint64 length)
{
    Held &held = m_held[size_t(index)];
    const qint64 released = held.at >= 0 ? held.length : 0;
    const Trust trust = m_watch->active() && !stamp.linked ? Trust::Watched
        : m_watch->stampsTell() && qMax(stamp.modified, stamp.changed) < m_settledBefore ? Trust::Stamped
                                                                                          : Trust::Unsure;
    held.stamp = stamp;
    held.at = at;
    held.length = length;
    held.trust = trust;
    return released;
}

void ReceiptCache::forget(qsizetype index)
{
    forget(m_held[size_t(index)]);
}

void ReceiptCache::forget(Held &held)
{
    if (held.at < 0)
        return;
    m_heldBytes -= held.length;
    held.at = -1;
}

void ReceiptCache::addBlocks(std::vector<QByteArray> blocks, qint64 released)
{
    for (QByteArray &block : blocks) {
        m_heldBytes += block.size();
        m_blockBytes += block.size();
        m_blocks.push_back(std::move(block));
    }
    m_heldBytes -= released;
}

void ReceiptCache::follow(const WorkDir &dir, const QStringList &files)
{
    if (m_path != dir.path()) {
        *this = ReceiptCache(m_settle);
        m_path = dir.path();
    }
    if (!m_watch) {
        // Before the first file is read, so that no change goes unseen.
        m_watch = std::make_unique<FolderWatch>(dir.path());
    } else if (m_watch->active()) {
        QList<QByteArray> changed;
        if (!m_watch->takeChanges(&changed)) {
            // Whether a file was stamped well before it was read is not
            // known any more, so its stamp cannot vouch for it either.
            for (Held &held : m_held) {
                if (held.trust == Trust::Watched)
                    held.trust = Trust::Unsure;
            }
        }
        if (!changed.isEmpty() && m_index.isEmpty()) {
            m_index.reserve(m_files.size());
            for (qsizetype i = 0; i < m_files.size(); ++i)
                m_index.insert(m_files.at(i), i);
        }
        for (const QByteArray &name : std::as_const(changed)) {
            const auto found = m_index.constFind(WorkDir::nameFromNative(name));
            if (found != m_index.constEnd())
                forget(m_held[size_t(*found)]);
        }
    }

    if (files != m_files) {
        // After a deletion the list is the old one less a file: taken over in
        // step, and through the names only where the two part.
        std::vector<Held> held(size_t(files.size()));
        QHash<QString, qsizetype> where;
        qsizetype next = 0;
        for (qsizetype i = 0; i < files.size(); ++i) {
            qsizetype old = -1;
            if (where.isEmpty() && next < m_files.size() && m_files.at(next) == files.at(i)) {
                old = next++;
            } else if (!m_files.isEmpty()) {
                if (where.isEmpty()) {
                    where.reserve(m_files.size());
                    for (qsizetype k = 0; k < m_files.size(); ++k)
                        where.insert(m_files.at(k), k);
                }
                old = where.value(files.at(i), -1);
            }
            if (old >= 0) {
                held[size_t(i)] = m_held[size_t(old)];
                m_held[size_t(old)].at = -1; // a name listed twice is read twice
            }
        }
        m_held = std::move(held);
        m_files = files;
        m_index.clear();
        m_heldBytes = 0;
        for (const Held &h : m_held)
            m_heldBytes += h.at >= 0 ? h.length : 0;
    }
    // Files read again and files no longer listed leave their old bytes
    // behind in the blocks.
    if (m_blocks.size() > 256 || m_blockBytes > 2 * m_heldBytes + (qint64(8) << 20))
        compact();
    const qint64 settled = nowNanoseconds() - qint64(m_settle.count());
    m_settledBefore = { settled / 1000000000, qint32(settled % 1000000000) };
    // A hard link made to a file after it was read, from outside the folder,
    // is told by no watch of the folder, nor is a write through that link.
    // Where the folder holds few files, every held file is therefore looked
    // at each reading: one stat a file, some microseconds each on a local
    // disk, 20 to 30 ms for the limit here; a new link moves the file's
    // change time, so it is read again and then trusted by its stamp alone.
    // Above the limit the stats would cost more than the search itself
    // (0.3 s of processor time for 100 000 files), and the watch is taken at
    // its word: a file linked later stays unseen there until the window is
    // opened anew. Up to now the watch vouches for these files, so their
    // stamps are good however recent; and a file that has gained a link
    // since is read again whatever its stamp says.
    if (m_files.size() <= statEveryReadingUpTo && m_watch->stampsTell()) {
        for (Held &held : m_held) {
            if (held.at >= 0 && held.trust == Trust::Watched)
                held.trust = Trust::Stamped;
        }
    }
}

void ReceiptCache::compact()
{
    QByteArray bytes;
    bytes.reserve(m_heldBytes);
    for (Held &h : m_held) {
        if (h.at < 0)
            continue;
        const char *const data = receiptblocks::bytesAt(m_blocks, h.at);
        const qint64 at = bytes.size();
        bytes.append(data, h.length);
        h.at = at;
    }
    m_blocks.clear();
    m_blocks.push_back(std::move(bytes));
    m_heldBytes = m_blockBytes = m_blocks.front().size();
}

ReceiptReader::ReceiptReader(const WorkDir &dir, const QStringList &files, ReceiptCache *cache, bool stamp)
    : m_dir(dir), m_files(files), m_cache(cache), m_stamp(stamp)
{
    if (m_cache)
        m_cache->follow(dir, files);
    const qsizetype n = files.size();
    const qsizetype cores = qMax(1u, std::thread::hardware_concurrency());
    // Pieces of at least some dozens of files, so that a small folder is
    // still shared out but a piece costs more than handing it out.
    m_perPiece = qMax<qsizetype>(32, (n + cores * 8 - 1) / (cores * 8));
    m_pieces = (n + m_perPiece - 1) / m_perPiece;
    m_done.resize(size_t(m_pieces));
    m_firstBlock = m_cache ? m_cache->blockCount() : 0;
    m_nextBlock = m_firstBlock;
}

qint64 ReceiptReader::keep(qsizetype p, QByteArrayView bytes)
{
    Piece &piece = m_done[size_t(p)];
    if (piece.block < 0)
        piece.block = m_nextBlock++;
    const qint64 at = receiptblocks::position(piece.block, piece.bytes.size());
    piece.bytes.append(bytes.data(), bytes.size());
    return at;
}

void ReceiptReader::read(qsizetype p, const Visit &visit)
{
    const auto passed = [&](qsizetype f, const WorkDir::FileStamp &stamp) {
        if (m_unread)
            m_unread(p, f, stamp);
    };
    const qsizetype from = p * m_perPiece;
    const qsizetype to = qMin(m_files.size(), from + m_perPiece);
    if (!m_cache) {
        WorkDir::ReadOptions options;
        options.stamp = m_stamp;
        options.passed = passed;
        m_dir.readEach(
            m_files, from, to,
            [&](qsizetype f, QByteArrayView bytes, const WorkDir::FileStamp &stamp) { visit(p, f, bytes, stamp, -1); },
            options);
        return;
    }

    // What is kept of each file is visited, pointing into the held blocks.
    const std::vector<QByteArray> &held = m_cache->blocks();
    auto visitHeld = [&](qsizetype f, const ReceiptCache::Copy &copy) {
        visit(p, f, QByteArrayView(receiptblocks::bytesAt(held, copy.at), copy.length), copy.stamp, copy.at);
    };
    WorkDir::ReadOptions options;
    options.held = [&](qsizetype f) { return m_cache->heldStamp(f); };
    options.kept = [&](qsizetype f) { visitHeld(f, m_cache->confirm(f)); };
    options.passed = passed;
    // Of a receipt only what the search and the evaluation read is kept.
    const auto use = [&](qsizetype f, QByteArrayView bytes, const WorkDir::FileStamp &stamp) {
        const QByteArrayView held = receiptfile::heldBytes(bytes);
        const qint64 at = keep(p, held);
        m_done[size_t(p)].released += m_cache->keep(f, stamp, at, held.size());
        visit(p, f, held, stamp, at);
    };
    for (qsizetype f = from; f < to;) {
        if (const ReceiptCache::Copy *copy = m_cache->lookUp(f)) {
            visitHeld(f++, *copy);
            continue;
        }
        // The files up to the next one the watch vouches for are looked at.
        qsizetype end = f + 1;
        while (end < to && !m_cache->lookUp(end))
            ++end;
        m_dir.readEach(m_files, f, end, use, options);
        f = end;
    }
}

void ReceiptReader::run(const Visit &visit, const Unread &unread)
{
    m_unread = unread;
    std::atomic<qsizetype> nextPiece(0);
    auto work = [&] {
        for (qsizetype p; (p = nextPiece++) < m_pieces;)
            read(p, visit);
    };
    const qsizetype cores = qMax(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    for (qsizetype t = 1; t < qMin(cores, m_pieces); ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error &) {
            break; // the threads there are take all pieces
        }
    }
    work();
    for (std::thread &helper : helpers)
        helper.join();
    finish();
}

void ReceiptReader::finish()
{
    std::vector<QByteArray> blocks(size_t(m_nextBlock.load() - m_firstBlock));
    qint64 released = 0;
    for (Piece &piece : m_done) {
        released += piece.released;
        if (piece.block < 0)
            continue;
        piece.bytes.squeeze();
        blocks[size_t(piece.block - m_firstBlock)] = std::move(piece.bytes);
    }
    if (m_cache)
        m_cache->addBlocks(std::move(blocks), released);
    else
        m_blocks = std::move(blocks);
}

std::vector<QByteArray> ReceiptReader::blocks() const
{
    return m_cache ? m_cache->blocks() : m_blocks;
}

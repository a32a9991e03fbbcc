#include "archive/search.h"

#include "archive/codepage.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <atomic>
#include <system_error>
#include <thread>

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The lines of one file's bytes that hold the term, as offsets [begin, end)
// into them; with no matcher, every non-empty line.
template<typename Add>
void findLines(const char *data, qsizetype n, const codepage::FoldedMatcher *matcher, qsizetype termLength, Add &&add)
{
    if (!matcher) {
        qsizetype start = 0;
        for (qsizetype i = 0; i <= n; ++i) {
            if (i < n && !isLineEnd(data[i]))
                continue;
            if (i > start)
                add(start, i);
            if (i + 1 < n && data[i] == '\r' && data[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        return;
    }
    qsizetype from = 0;
    while (from < n) {
        const qsizetype hit = matcher->indexIn(data, n, from);
        if (hit < 0)
            break;
        // The term holds no line end, so the match lies within one line.
        qsizetype begin = hit;
        while (begin > 0 && !isLineEnd(data[begin - 1]))
            --begin;
        qsizetype end = hit + termLength;
        while (end < n && !isLineEnd(data[end]))
            ++end;
        add(begin, end);
        from = end;
    }
}

qint64 nowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

const QString resultSeparator = QStringLiteral("          <Nr. - ");

// The key that puts receipt files in the order of their numbers: a run of
// digits becomes its length (without leading zeros) and then its digits, so
// that 2 comes before 10; everything else compares without regard to case.
// QCollator's numeric mode would do the same, but far too slowly for a
// hundred thousand names.
QString orderKey(const QString &name)
{
    QString key;
    key.reserve(name.size() + 4);
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n;) {
        if (!isDigit(name.at(i))) {
            key += name.at(i).toCaseFolded();
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < n && isDigit(name.at(end)))
            ++end;
        while (i + 1 < end && name.at(i) == QLatin1Char('0'))
            ++i;
        // '0' keeps a number where a digit would sort among other characters.
        key += QLatin1Char('0');
        key += QChar(char16_t(0xE000 + qMin<qsizetype>(end - i, 0x1000)));
        key += QStringView(name).sliced(i, end - i);
        i = end;
    }
    return key;
}

} // namespace

// One search over a list of files: the list is cut into pieces of
// neighbouring files, which the threads take one after another as they are
// done with the last, so that a core busy with other work holds up no more
// than one piece. Each piece collects its lines apart; they are put together
// in the order of the pieces, which is the order of the list.
class ReceiptSearch
{
public:
    using Entry = SearchResults::Entry;
    // The bytes at a position that names a block and an offset in it.
    static const char *bytesAt(const std::vector<QByteArray> &blocks, qint64 at)
    {
        return blocks[size_t(at >> SearchResults::blockShift)].constData()
            + (at & ((qint64(1) << SearchResults::blockShift) - 1));
    }

    static SearchResults run(const WorkDir &dir, const QStringList &files, const QString &term, ReceiptCache *cache);
};

QString SearchResults::storedLine(qsizetype i, qsizetype limit) const
{
    const Entry &e = m_entries[size_t(i)];
    const qsizetype length = limit >= 0 ? qMin<qsizetype>(e.length, limit) : e.length;
    return codepage::decode(QByteArrayView(ReceiptSearch::bytesAt(m_blocks, e.at), length));
}

QString SearchResults::fileName(qsizetype i) const
{
    return m_files.at(m_entries[size_t(i)].file);
}

QString SearchResults::text(qsizetype i, qsizetype limit) const
{
    const QString &file = fileName(i);
    QString line = file.left(qMax<qsizetype>(0, file.size() - 4));
    line += resultSeparator;
    line += storedLine(i, limit);
    return line;
}

QStringList receiptFileList(const WorkDir &dir)
{
    const QStringList names = dir.list(QStringLiteral(".num"), WorkDir::Order::None);
    // Sorted first on the first eight characters of each key packed into
    // two numbers, which tells most names apart without comparing strings;
    // the whole key, and then the name, only where those are equal.
    struct Keyed
    {
        quint64 high = 0;
        quint64 low = 0;
        QString key;
        qsizetype name;
    };
    std::vector<Keyed> keyed(static_cast<size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        Keyed &k = keyed[size_t(i)];
        k.key = orderKey(names.at(i));
        k.name = i;
        for (qsizetype c = 0; c < 8; ++c) {
            const quint64 unit = c < k.key.size() ? k.key.at(c).unicode() : 0;
            (c < 4 ? k.high : k.low) |= unit << (16 * (3 - c % 4));
        }
    }
    std::sort(keyed.begin(), keyed.end(), [&names](const Keyed &a, const Keyed &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        if (const int byKey = QStringView(a.key).compare(QStringView(b.key)))
            return byKey < 0;
        return names.at(a.name) < names.at(b.name);
    });
    QStringList files;
    files.reserve(names.size());
    for (const Keyed &k : keyed)
        files.append(names.at(k.name));
    return files;
}

SearchResults ReceiptSearch::run(const WorkDir &dir, const QStringList &files, const QString &term,
                                 ReceiptCache *cache)
{
    SearchResults results;
    results.m_files = files;

    // A term outside the code page, or one holding a line end, is in no line.
    const auto encodedTerm = WorkDir::encode(term);
    if (!encodedTerm || encodedTerm->contains('\r') || encodedTerm->contains('\n'))
        return results;
    QByteArray pattern = *encodedTerm;
    for (char &c : pattern)
        c = char(codepage::upper()[uchar(c)]);
    std::optional<codepage::FoldedMatcher> folded;
    if (!pattern.isEmpty())
        folded.emplace(pattern);
    const codepage::FoldedMatcher *const matcher = folded ? &*folded : nullptr;
    const qsizetype termLength = pattern.size();

    qint64 settledBefore = 0;
    bool watched = false;
    bool stampsTell = false;
    if (cache) {
        cache->follow(dir, files);
        settledBefore = nowNanoseconds() - qint64(cache->m_settle.count());
        watched = cache->m_watch->active();
        stampsTell = cache->m_watch->stampsTell();
    }
    using Trust = ReceiptCache::Trust;

    const qsizetype n = files.size();
    const qsizetype cores = qMax(1u, std::thread::hardware_concurrency());
    // Pieces of at least some dozens of files, so that a small folder is
    // still shared out but a piece costs more than handing it out.
    const qsizetype perPiece = qMax<qsizetype>(32, (n + cores * 8 - 1) / (cores * 8));
    const qsizetype pieces = (n + perPiece - 1) / perPiece;

    struct Piece
    {
        qint64 block = -1; // its index among the blocks, taken when it first keeps bytes
        QByteArray bytes;
        std::vector<Entry> entries;
        qint64 released = 0; // bytes the cache held of files read again
    };
    std::vector<Piece> done(static_cast<size_t>(pieces));
    const qint64 firstBlock = cache ? qint64(cache->m_blocks.size()) : 0;
    std::atomic<qint64> nextBlock(firstBlock);
    std::atomic<qsizetype> nextPiece(0);

    auto search = [&](qsizetype p) {
        Piece &piece = done[size_t(p)];
        auto blockStart = [&] {
            if (piece.block < 0)
                piece.block = nextBlock++;
            return piece.block << SearchResults::blockShift;
        };
        const qsizetype from = p * perPiece;
        const qsizetype to = qMin(n, from + perPiece);

        if (!cache) {
            // Only the matching lines are kept.
            dir.readEach(files, from, to, [&](qsizetype f, QByteArrayView bytes, const WorkDir::FileStamp &) {
                findLines(bytes.data(), bytes.size(), matcher, termLength, [&](qsizetype begin, qsizetype end) {
                    piece.entries.push_back({ blockStart() | piece.bytes.size(), int(end - begin), int(f) });
                    piece.bytes.append(bytes.data() + begin, end - begin);
                });
            });
            return;
        }

        // Whole files are kept, and the lines found point into them.
        auto searchHeld = [&](qsizetype f) {
            const ReceiptCache::Held &held = cache->m_held[size_t(f)];
            findLines(bytesAt(cache->m_blocks, held.at), held.length, matcher, termLength,
                      [&](qsizetype begin, qsizetype end) {
                          piece.entries.push_back({ held.at + begin, int(end - begin), int(f) });
                      });
        };
        auto read = [&](qsizetype f, QByteArrayView bytes, const WorkDir::FileStamp &stamp) {
            ReceiptCache::Held &held = cache->m_held[size_t(f)];
            if (held.at >= 0)
                piece.released += held.length;
            const qint64 at = blockStart() | piece.bytes.size();
            piece.bytes.append(bytes.data(), bytes.size());
            const Trust trust = watched && !stamp.linked ? Trust::Watched
                : stampsTell && qMax(stamp.modified, stamp.changed) < settledBefore ? Trust::Stamped
                                                                                     : Trust::Unsure;
            held = { stamp, at, bytes.size(), trust };
            findLines(bytes.data(), bytes.size(), matcher, termLength, [&](qsizetype begin, qsizetype end) {
                piece.entries.push_back({ at + begin, int(end - begin), int(f) });
            });
        };
        auto heldStamp = [&](qsizetype f) -> const WorkDir::FileStamp * {
            const ReceiptCache::Held &held = cache->m_held[size_t(f)];
            return held.at >= 0 && held.trust == Trust::Stamped ? &held.stamp : nullptr;
        };
        auto kept = [&](qsizetype f) {
            // Unchanged since it was read; from now on the watch tells of a change.
            ReceiptCache::Held &held = cache->m_held[size_t(f)];
            if (watched && !held.stamp.linked)
                held.trust = Trust::Watched;
            searchHeld(f);
        };
        for (qsizetype f = from; f < to;) {
            const ReceiptCache::Held &held = cache->m_held[size_t(f)];
            if (held.at >= 0 && held.trust == Trust::Watched) {
                searchHeld(f++);
                continue;
            }
            // The files up to the next one the watch vouches for are looked at.
            qsizetype end = f + 1;
            while (end < to && !(cache->m_held[size_t(end)].at >= 0 && cache->m_held[size_t(end)].trust == Trust::Watched))
                ++end;
            dir.readEach(files, f, end, read, heldStamp, kept);
            f = end;
        }
    };

    auto work = [&] {
        for (qsizetype p; (p = nextPiece++) < pieces;)
            search(p);
    };
    std::vector<std::thread> helpers;
    for (qsizetype t = 1; t < qMin(cores, pieces); ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error &) {
            break; // the threads there are take all pieces
        }
    }
    work();
    for (std::thread &helper : helpers)
        helper.join();

    std::vector<QByteArray> &blocks = cache ? cache->m_blocks : results.m_blocks;
    blocks.resize(size_t(nextBlock.load()));
    size_t lines = 0;
    for (Piece &piece : done) {
        lines += piece.entries.size();
        if (piece.block < 0)
            continue;
        piece.bytes.squeeze();
        if (cache) {
            cache->m_heldBytes += piece.bytes.size() - piece.released;
            cache->m_blockBytes += piece.bytes.size();
        }
        blocks[size_t(piece.block)] = std::move(piece.bytes);
    }
    if (cache)
        results.m_blocks = cache->m_blocks;
    results.m_entries.reserve(lines);
    for (Piece &piece : done) {
        results.m_entries.insert(results.m_entries.end(), piece.entries.begin(), piece.entries.end());
        piece.entries = {};
    }
    return results;
}

ReceiptCache::ReceiptCache(std::chrono::nanoseconds settle)
    : m_settle(settle)
{
}

ReceiptCache::~ReceiptCache() = default;
ReceiptCache::ReceiptCache(ReceiptCache &&) noexcept = default;
ReceiptCache &ReceiptCache::operator=(ReceiptCache &&) noexcept = default;

void ReceiptCache::forget(Held &held)
{
    if (held.at < 0)
        return;
    m_heldBytes -= held.length;
    held.at = -1;
}

void ReceiptCache::follow(const WorkDir &dir, const QStringList &files)
{
    if (m_path != dir.path()) {
        *this = ReceiptCache(m_settle);
        m_path = dir.path();
    }
    if (!m_watch) {
        // Before the first file is read, so that no change goes unseen.
        m_watch = std::make_unique<WorkDir::Watch>(dir);
    } else if (m_watch->active()) {
        QStringList changed;
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
        for (const QString &name : std::as_const(changed)) {
            const auto found = m_index.constFind(name);
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
}

void ReceiptCache::compact()
{
    QByteArray bytes;
    bytes.reserve(m_heldBytes);
    for (Held &h : m_held) {
        if (h.at < 0)
            continue;
        const char *const data = ReceiptSearch::bytesAt(m_blocks, h.at);
        const qint64 at = bytes.size();
        bytes.append(data, h.length);
        h.at = at;
    }
    m_blocks.clear();
    m_blocks.push_back(std::move(bytes));
    m_heldBytes = m_blockBytes = m_blocks.front().size();
}

SearchResults SearchReceipts(const WorkDir &dir, const QStringList &files, const QString &term)
{
    return ReceiptSearch::run(dir, files, term, nullptr);
}

SearchResults SearchReceipts(const WorkDir &dir, const QStringList &files, const QString &term, ReceiptCache &cache)
{
    return ReceiptSearch::run(dir, files, term, &cache);
}

QString upperCased(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const QChar u = c.toUpper();
        if (u != c && WorkDir::encodable(QStringView(&u, 1)))
            c = u;
    }
    return out;
}

bool containsIgnoringCase(const QString &line, const QString &term)
{
    return upperCased(line).contains(upperCased(term));
}

std::optional<ReceiptRecord> LoadReceipt(const WorkDir &dir, const QString &fileName)
{
    // Only the very file the result line came from: a file that differs in
    // letter case is another receipt here.
    if (dir.storedName(fileName) != fileName)
        return std::nullopt;
    const auto lines = dir.readLines(fileName);
    if (!lines)
        return std::nullopt;
    return receiptfile::fromLines(*lines);
}

DeleteResult DeleteReceipt(WorkDir &dir, const QString &fileName, QString *error)
{
    if (dir.storedName(fileName) != fileName)
        return DeleteResult::Missing;
    return dir.moveToTrash(fileName, error) ? DeleteResult::Deleted : DeleteResult::Failed;
}

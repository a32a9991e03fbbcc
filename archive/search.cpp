#include "archive/search.h"

#include "archive/evaluation.h"
#include "archive/journal.h"
#include "receipt/germantext.h"

#include "text/codepage.h"
#include "text/foldedsearch.h"
#include "text/textlines.h"
#include "text/textfile.h"

#include <QHash>

#include <algorithm>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
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

// One search over a list of files, read by a ReceiptReader: each piece of
// the list collects its lines apart; they are put together in the order of
// the pieces, which is the order of the list.
class ReceiptSearch
{
public:
    using Entry = SearchResults::Entry;
    static SearchResults run(const WorkDir &dir, const QStringList &files, const QString &term, ReceiptCache *cache);

private:
    // The lines of one file that hold the term. Without a cache (at < 0) the
    // field lines of a file with a hit are kept; with one, the lines point
    // into the file it keeps.
    static void collect(ReceiptReader &reader, const SearchTerm &term, qsizetype piece, qsizetype file,
                        QByteArrayView bytes, qint64 at, std::vector<Entry> &entries,
                        SearchResults::Fields &fields);
    static void gather(SearchResults &results, std::vector<std::vector<Entry>> &pieces);
};

QString SearchResults::storedLine(qsizetype i, qsizetype limit) const
{
    const Entry &e = m_entries[size_t(i)];
    const QByteArrayView line(receiptblocks::bytesAt(m_blocks, e.at), e.length);
    if (!m_fields[size_t(e.file)].utf8)
        return codepage::decode(limit >= 0 ? line.first(qMin<qsizetype>(e.length, limit)) : line);
    const QString text = QString::fromUtf8(line);
    return limit >= 0 ? text.left(limit) : text;
}

SearchResults::Summary SearchResults::summary(qsizetype i) const
{
    using namespace receiptfile;
    const Fields &f = m_fields[size_t(m_entries[size_t(i)].file)];
    QByteArrayView bytes(receiptblocks::bytesAt(m_blocks, f.at), f.length);
    if (f.utf8)
        bytes = bytes.sliced(codepage::utf8Mark.size());
    std::array<QByteArrayView, lineCount> lines {};
    int count = 0;
    textlines::forEachLine(
        bytes, [&](qsizetype begin, qsizetype end) { lines[size_t(count++)] = bytes.sliced(begin, end - begin); },
        lineCount);
    const auto text = [&](Line line) { return codepage::decodeAs(lines[line], f.utf8).simplified(); };
    const StoredAmount total = StoredAmount::read(lines[TotalUnits], lines[TotalPennies], f.utf8);
    return { text(DateText), text(Payer),
             total.kind == StoredAmount::Kind::Value ? germantext::amount(total.cents, true) : total.text };
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

void ReceiptSearch::collect(ReceiptReader &reader, const SearchTerm &term, qsizetype piece, qsizetype file,
                            QByteArrayView bytes, qint64 at, std::vector<Entry> &entries,
                            SearchResults::Fields &fields)
{
    // Only the receipt's own fields: not the issuer, the wording and the
    // tax lines that every receipt of a folder shares. Without a cache the
    // field lines of a file with a hit are kept, once: the hits point into
    // them, and the list shows the receipt's date, payer and total from them.
    const QByteArrayView own = receiptfile::fieldBytes(bytes);
    qint64 kept = at;
    bool found = false;
    forEachLineHolding(own, term, [&](qsizetype begin, qsizetype end) {
        if (kept < 0)
            kept = reader.keep(piece, own);
        found = true;
        entries.push_back({ kept + begin, int(end - begin), int(file) });
    });
    if (found)
        fields = { kept, int(own.size()), codepage::isUtf8(own) };
}

void ReceiptSearch::gather(SearchResults &results, std::vector<std::vector<Entry>> &pieces)
{
    size_t lines = 0;
    for (const std::vector<Entry> &entries : pieces)
        lines += entries.size();
    results.m_entries.reserve(lines);
    for (std::vector<Entry> &entries : pieces) {
        results.m_entries.insert(results.m_entries.end(), entries.begin(), entries.end());
        entries = {};
    }
}

SearchResults ReceiptSearch::run(const WorkDir &dir, const QStringList &files, const QString &text,
                                 ReceiptCache *cache)
{
    SearchResults results;
    results.m_files = files;
    const SearchTerm term(text);
    if (!term.findable())
        return results;
    ReceiptReader reader(dir, files, cache, false);
    std::vector<std::vector<Entry>> found(size_t(reader.pieces()));
    results.m_fields.resize(size_t(files.size()));
    // Each file is visited once, by one thread: its Fields are its own.
    reader.run([&](qsizetype piece, qsizetype file, QByteArrayView bytes, const WorkDir::FileStamp &, qint64 at) {
        collect(reader, term, piece, file, bytes, at, found[size_t(piece)], results.m_fields[size_t(file)]);
    });
    results.m_blocks = reader.blocks();
    gather(results, found);
    return results;
}

SearchResults SearchReceipts(const WorkDir &dir, const QStringList &files, const QString &term)
{
    return ReceiptSearch::run(dir, files, term, nullptr);
}

SearchResults SearchReceipts(const WorkDir &dir, const QStringList &files, const QString &term, ReceiptCache &cache)
{
    return ReceiptSearch::run(dir, files, term, &cache);
}

std::optional<ReceiptRecord> LoadReceipt(const WorkDir &dir, const QString &fileName)
{
    // Only the very file the result line came from: a file that differs in
    // letter case is another receipt here.
    if (dir.storedName(fileName) != fileName)
        return std::nullopt;
    const auto lines = textfile::readLines(dir, fileName);
    if (!lines)
        return std::nullopt;
    return receiptfile::fromLines(*lines);
}

DeleteResult DeleteReceipt(WorkDir &dir, const QString &fileName, QString *error, const QString &reason)
{
    if (dir.storedName(fileName) != fileName)
        return DeleteResult::Missing;
    // What goes is kept in the journal, as it was.
    const QByteArray former = dir.readBytes(fileName).value_or(QByteArray());
    if (!dir.moveToTrash(fileName, error))
        return DeleteResult::Failed;
    journal::append(dir, { journal::action::remove, fileName.chopped(4), former, {}, reason,
                           journal::formerContent(former), {} }, error);
    return DeleteResult::Deleted;
}

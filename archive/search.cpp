#include "archive/search.h"

#include <QByteArrayMatcher>

#include <algorithm>
#include <array>

namespace {

// The files are single-byte Windows-1252 text, so letter case can be ignored
// byte by byte on the raw bytes through one table, and lines are decoded only
// when they are shown. Both tables come from Qt's own conversions, so the
// search agrees with upperCased() and with how the rest of the program reads
// the files.
struct CodePage
{
    std::array<char, 256> upper;
    std::array<char16_t, 256> unicode;

    CodePage()
    {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString decoded = WorkDir::decode(QByteArrayView(&byte, 1));
            const QChar c = decoded.size() == 1 ? decoded.at(0) : QChar(QChar::ReplacementCharacter);
            unicode[b] = c.unicode();
            upper[b] = byte;
            const QChar u = c.toUpper();
            if (u != c) {
                const auto encoded = WorkDir::encode(QStringView(&u, 1));
                if (encoded && encoded->size() == 1)
                    upper[b] = encoded->at(0);
            }
        }
    }
};

const CodePage &codePage()
{
    static const CodePage table;
    return table;
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

QString decodeLine(QByteArrayView bytes)
{
    const auto &unicode = codePage().unicode;
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(unicode[uchar(bytes[i])]);
    return text;
}

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

QString SearchResults::storedLine(qsizetype i, qsizetype limit) const
{
    const Entry &e = m_entries[size_t(i)];
    const qsizetype length = limit >= 0 ? qMin<qsizetype>(e.length, limit) : e.length;
    return decodeLine(QByteArrayView(m_bytes.constData() + e.offset, length));
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
    const QStringList names = dir.list(QStringLiteral(".num"));
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(size_t(names.size()));
    for (const QString &name : names)
        keyed.emplace_back(orderKey(name), name);
    std::sort(keyed.begin(), keyed.end());
    QStringList files;
    files.reserve(names.size());
    for (auto &entry : keyed)
        files.append(std::move(entry.second));
    return files;
}

SearchResults SearchReceipts(const WorkDir &dir, const QStringList &files, const QString &term)
{
    SearchResults results;
    results.m_files = files;

    // A term outside the code page, or one holding a line end, is in no line.
    const auto encodedTerm = WorkDir::encode(term);
    if (!encodedTerm || encodedTerm->contains('\r') || encodedTerm->contains('\n'))
        return results;

    const auto &upper = codePage().upper;
    QByteArray pattern = *encodedTerm;
    for (char &c : pattern)
        c = upper[uchar(c)];
    const QByteArrayMatcher matcher(pattern);
    QByteArray folded;

    auto add = [&results](int file, const char *begin, const char *end) {
        results.m_entries.push_back({ results.m_bytes.size(), int(end - begin), file });
        results.m_bytes.append(begin, end - begin);
    };

    dir.readEach(files, [&](qsizetype f, QByteArrayView content) {
        const char *const data = content.data();
        const qsizetype n = content.size();

        if (pattern.isEmpty()) {
            qsizetype start = 0;
            for (qsizetype i = 0; i <= n; ++i) {
                if (i < n && !isLineEnd(data[i]))
                    continue;
                if (i > start)
                    add(int(f), data + start, data + i);
                if (i + 1 < n && data[i] == '\r' && data[i + 1] == '\n')
                    ++i;
                start = i + 1;
            }
            return;
        }

        folded.resize(n);
        char *const low = folded.data();
        for (qsizetype i = 0; i < n; ++i)
            low[i] = upper[uchar(data[i])];
        qsizetype from = 0;
        while (from < n) {
            const qsizetype hit = matcher.indexIn(low, n, from);
            if (hit < 0)
                break;
            // The term holds no line end, so the match lies within one line.
            qsizetype begin = hit;
            while (begin > 0 && !isLineEnd(data[begin - 1]))
                --begin;
            qsizetype end = hit + pattern.size();
            while (end < n && !isLineEnd(data[end]))
                ++end;
            add(int(f), data + begin, data + end);
            from = end;
        }
    });
    return results;
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

#include "archive/journal.h"

#include "settings/settings.h"
#include "text/codepage.h"

#include <QCryptographicHash>

namespace journal {

namespace {

constexpr int fieldCount = 13;
const QString noPrevious = QString(64, QLatin1Char('0'));

QString escaped(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (const QChar c : field) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

QString unescaped(QStringView field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != QLatin1Char('\\') || i + 1 == field.size()) {
            out += c;
            continue;
        }
        const QChar next = field[++i];
        out += next == QLatin1Char('t') ? QChar(u'\t')
            : next == QLatin1Char('n')  ? QChar(u'\n')
            : next == QLatin1Char('r')  ? QChar(u'\r')
                                        : next;
    }
    return out;
}

bool isHex64(QStringView s)
{
    if (s.size() != 64)
        return false;
    for (const QChar c : s) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

// Everything of the line before the sum, as the sum is taken over it.
QByteArray body(const Entry &e)
{
    const QString fields[] = { QString::number(e.sequence), e.time, e.host, e.user, e.action, e.number,
                               e.fileHash, e.cancels, e.reason, e.oldText, e.newText, e.previous };
    QStringList parts;
    for (const QString &f : fields)
        parts.append(escaped(f));
    return parts.join(QLatin1Char('\t')).toUtf8();
}

// One complete line, or nothing where it was cut short.
std::optional<Entry> parse(QByteArrayView lineBytes, QByteArray *bodyBytes)
{
    const QString text = QString::fromUtf8(lineBytes);
    const QList<QStringView> f = QStringView(text).split(QLatin1Char('\t'));
    if (f.size() != fieldCount || !isHex64(f.last()))
        return std::nullopt;
    Entry e;
    bool ok = false;
    e.sequence = f[0].toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    QString *const targets[] = { &e.time,    &e.host,   &e.user,    &e.action,  &e.number,   &e.fileHash,
                                 &e.cancels, &e.reason, &e.oldText, &e.newText, &e.previous, &e.sum };
    for (int i = 0; i < fieldCount - 1; ++i)
        *targets[i] = unescaped(f[i + 1]);
    *bodyBytes = lineBytes.first(lineBytes.size() - 65).toByteArray();
    return e;
}

QString entryFinding(qint64 n, const QString &what)
{
    return QStringLiteral("Protokoll-Eintrag %1: %2").arg(n).arg(what);
}

} // namespace

QString sha256Hex(QByteArrayView bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray line(const Entry &entry)
{
    return body(entry) + '\t' + entry.sum.toLatin1();
}

Contents read(QByteArrayView bytes)
{
    Contents c;
    QString previousSum = noPrevious;
    qint64 expected = 1;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0) { // the last line, without its end: a write cut short
            ++c.torn;
            break;
        }
        QByteArrayView lineBytes = bytes.sliced(at, end - at);
        at = end + 1;
        if (lineBytes.endsWith('\r'))
            lineBytes.chop(1);
        if (lineBytes.isEmpty())
            continue;
        QByteArray bodyBytes;
        const auto e = parse(lineBytes, &bodyBytes);
        if (!e) {
            ++c.torn;
            continue;
        }
        if (sha256Hex(bodyBytes) != e->sum)
            c.findings.append(entryFinding(e->sequence, QStringLiteral("nachträglich geändert")));
        if (e->previous != previousSum || e->sequence != expected)
            c.findings.append(entryFinding(e->sequence,
                                           QStringLiteral("Kette unterbrochen: ein Eintrag davor wurde geändert "
                                                          "oder entfernt")));
        previousSum = e->sum;
        expected = e->sequence + 1;
        c.entries.append(*e);
    }
    return c;
}

Contents read(const WorkDir &dir)
{
    return read(dir.readBytes(fileName).value_or(QByteArray()));
}

namespace {

// The last complete entry of the journal's end, or of the whole journal
// where its end holds none; nothing where it has none at all.
std::optional<Entry> lastEntry(QByteArrayView bytes, bool fromStart)
{
    qsizetype end = bytes.endsWith('\n') ? bytes.size() : bytes.lastIndexOf('\n');
    // The first line of an end read from the middle of the file is cut.
    const qsizetype first = fromStart ? 0 : bytes.indexOf('\n') + 1;
    while (end > first) {
        const qsizetype start = qMax(first, bytes.lastIndexOf('\n', end - 1) + 1);
        QByteArrayView lineBytes = bytes.sliced(start, end - start);
        if (lineBytes.endsWith('\r'))
            lineBytes.chop(1);
        QByteArray bodyBytes;
        if (const auto e = parse(lineBytes, &bodyBytes))
            return e;
        end = start - 1;
    }
    return std::nullopt;
}

// append() with the journal's lock held.
bool appendLocked(WorkDir &dir, const QList<Note> &notes, const Origin &origin, QString *error)
{
    // Only the end is read: the journal grows with every receipt.
    constexpr qint64 endBytes = 1 << 20;
    qint64 size = 0;
    QByteArray tail;
    if (dir.exists(fileName)) {
        const auto bytes = dir.readEnd(fileName, endBytes, &size);
        if (!bytes) {
            if (error)
                *error = WorkDir::failureMessage(fileName, QStringLiteral("gelesen"), QString());
            return false;
        }
        tail = *bytes;
    }
    // The chain goes on from the last complete entry, past a line that a
    // crash cut short.
    std::optional<Entry> found = lastEntry(tail, size == tail.size());
    if (!found && size > tail.size())
        found = lastEntry(dir.readBytes(fileName).value_or(QByteArray()), true);
    Entry last;
    last.sum = noPrevious;
    if (found)
        last = *found;
    QByteArray added;
    if (!tail.isEmpty() && !tail.endsWith('\n'))
        added += "\r\n";
    const QString time = origin.time.toString(Qt::ISODate);
    for (const Note &n : notes) {
        Entry e;
        e.sequence = last.sequence + 1;
        e.time = time;
        e.host = origin.host;
        e.user = origin.user;
        e.action = n.action;
        e.number = n.number;
        e.fileHash = n.fileBytes.isEmpty() ? QString() : sha256Hex(n.fileBytes);
        e.cancels = n.cancels;
        e.reason = n.reason;
        e.oldText = n.oldText;
        e.newText = n.newText;
        e.previous = last.sum;
        e.sum = sha256Hex(body(e));
        added += line(e) + "\r\n";
        last = e;
    }
    return dir.appendInPlace(fileName, added, error);
}

} // namespace

bool append(WorkDir &dir, const QList<Note> &notes, const Origin &origin, QString *error)
{
    if (notes.isEmpty())
        return true;
    return dir.changeLocked(fileName, [&](QString *why) { return appendLocked(dir, notes, origin, why); }, error);
}

bool recordExisting(WorkDir &dir, QString *error)
{
    if (dir.exists(fileName))
        return true;
    const QStringList files = dir.list(QStringLiteral(".num"));
    if (files.isEmpty())
        return true;
    QList<Note> notes;
    notes.reserve(files.size());
    dir.readEach(files, 0, files.size(), [&](qsizetype index, QByteArrayView bytes, const WorkDir::FileStamp &) {
        notes.append({ action::found, files[index].chopped(4), bytes.toByteArray(), {}, {}, {}, {} });
    });
    // Another desk may have started the journal meanwhile.
    return dir.changeLocked(fileName, [&](QString *why) {
        dir.refresh();
        return dir.exists(fileName) || appendLocked(dir, notes, currentOrigin(), why);
    }, error);
}

bool start(WorkDir &dir, QString *error)
{
    setPrintedSettingListener([](WorkDir &d, const QString &name, const QString &oldText, const QString &newText) {
        // The setting is written already; a journal that cannot be
        // written does not undo it.
        append(d, { action::setting, name, {}, {}, {}, oldText, newText });
    });
    return recordExisting(dir, error);
}

QString formerContent(QByteArrayView fileBytes)
{
    return codepage::decode(fileBytes);
}

} // namespace journal

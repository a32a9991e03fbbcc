#include "archive/archivecheck.h"

#include "receipt/receiptfile.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QList>

#include <algorithm>
#include <limits>

namespace archivecheck {

namespace {

QString key(const QString &number)
{
    return number.trimmed().toLower();
}

QString when(const journal::Entry &e)
{
    const QDateTime t = QDateTime::fromString(e.time, Qt::ISODate);
    return t.isValid() ? t.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : e.time;
}

QString who(const journal::Entry &e)
{
    return QStringLiteral("%1 auf %2").arg(e.user.isEmpty() ? QStringLiteral("?") : e.user, e.host);
}

bool recordsFile(const journal::Entry &e)
{
    return e.action == journal::action::save || e.action == journal::action::cancel
        || e.action == journal::action::found;
}

// Numbers in their numeric order, other texts after them.
struct Order
{
    qint64 value;
    QString text;
    bool operator<(const Order &o) const { return value != o.value ? value < o.value : text < o.text; }
};
Order orderOf(const QString &number)
{
    bool ok = false;
    const qint64 v = number.toLongLong(&ok);
    return { ok ? v : std::numeric_limits<qint64>::max(), number };
}

} // namespace

QStringList findings(const journal::Contents &journal, const QList<std::pair<QString, QByteArray>> &files)
{
    // The journal's last word on each number.
    QHash<QString, journal::Entry> lastFile, lastDeletion;
    QHash<QString, QString> spelled; // key -> the number as written
    for (const journal::Entry &e : journal.entries) {
        if (e.number.isEmpty() || e.action == journal::action::setting)
            continue;
        spelled.insert(key(e.number), e.number.trimmed());
        if (recordsFile(e)) {
            lastFile.insert(key(e.number), e);
            lastDeletion.remove(key(e.number));
        } else if (e.action == journal::action::remove) {
            lastDeletion.insert(key(e.number), e);
        }
    }

    QList<std::pair<Order, QString>> out;
    QHash<QString, bool> present;
    QMap<QString, QString> cancelledBy; // cancelled key -> cancellation's number
    for (const auto &[name, bytes] : files) {
        const QString number = name.chopped(4);
        present.insert(key(number), true);
        spelled.insert(key(number), number);
        const ReceiptRecord r = receiptfile::fromLines(textlines::splitLines(codepage::decode(bytes)));
        if (!r.cancels.trimmed().isEmpty())
            cancelledBy.insert(key(r.cancels), number);
        const auto it = lastFile.constFind(key(number));
        if (it == lastFile.cend())
            out.append({ orderOf(number), QStringLiteral("Nr. %1: nicht im Protokoll").arg(number) });
        else if (it->fileHash != journal::sha256Hex(bytes))
            out.append({ orderOf(number), QStringLiteral("Nr. %1: nach dem Speichern geändert (gespeichert am %2)")
                                              .arg(number, when(*it)) });
    }
    for (const journal::Entry &e : journal.entries) {
        if (e.action == journal::action::cancel && !e.cancels.isEmpty())
            cancelledBy.insert(key(e.cancels), e.number);
    }
    for (auto it = cancelledBy.cbegin(); it != cancelledBy.cend(); ++it) {
        const QString number = spelled.value(it.key(), it.key());
        out.append({ orderOf(number), QStringLiteral("Nr. %1: storniert durch Nr. %2").arg(number, it.value()) });
    }

    // Numbers the series misses, and any number the journal knows that is gone.
    QHash<QString, bool> missing;
    qint64 low = std::numeric_limits<qint64>::max(), high = std::numeric_limits<qint64>::min();
    for (auto it = spelled.cbegin(); it != spelled.cend(); ++it) {
        bool ok = false;
        const qint64 v = it.key().toLongLong(&ok);
        if (ok && v > 0 && QString::number(v) == it.key()) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
        if (!present.contains(it.key()))
            missing.insert(it.key(), true);
    }
    // A number typed far ahead leaves no gap worth a million lines.
    if (low <= high && high - low < 1000000) {
        for (qint64 v = low; v <= high; ++v) {
            if (!present.contains(QString::number(v)))
                missing.insert(QString::number(v), true);
        }
    }
    for (auto it = missing.cbegin(); it != missing.cend(); ++it) {
        const QString number = spelled.value(it.key(), it.key());
        QString text;
        if (const auto d = lastDeletion.constFind(it.key()); d != lastDeletion.cend())
            text = QStringLiteral("Nr. %1: fehlt, gelöscht am %2 von %3, Grund: %4")
                       .arg(number, when(*d), who(*d), d->reason);
        else if (const auto s = lastFile.constFind(it.key()); s != lastFile.cend())
            text = QStringLiteral("Nr. %1: fehlt, gespeichert am %2, die Löschung steht nicht im Protokoll")
                       .arg(number, when(*s));
        else
            text = QStringLiteral("Nr. %1: fehlt, nie gespeichert").arg(number);
        out.append({ orderOf(number), text });
    }

    std::stable_sort(out.begin(), out.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList lines;
    for (const auto &[order, text] : out)
        lines.append(text);
    lines += journal.findings;
    return lines;
}

QStringList findings(const WorkDir &dir)
{
    const QStringList names = dir.list(QStringLiteral(".num"));
    QList<std::pair<QString, QByteArray>> files;
    files.reserve(names.size());
    dir.readEach(names, 0, names.size(), [&](qsizetype index, QByteArrayView bytes, const WorkDir::FileStamp &) {
        files.append({ names[index], bytes.toByteArray() });
    });
    return findings(journal::read(dir), files);
}

QByteArray csv(const QStringList &findings)
{
    QByteArray out = "Befund\r\n";
    for (QString f : findings) {
        // A finding quotes a receipt's or the journal's text, which may hold
        // bytes that show as nothing.
        f = codepage::withVisibleControls(std::move(f));
        out += '"' + f.replace(QLatin1Char('"'), QLatin1String("\"\"")).toUtf8() + "\"\r\n";
    }
    return out;
}

} // namespace archivecheck

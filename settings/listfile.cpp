#include "settings/listfile.h"

#include "text/codepage.h"
#include "text/textlines.h"
#include "text/textfile.h"

#include <QHash>

namespace listfile {

QStringList entries(const QStringList &lines, Skip skip)
{
    QStringList kept;
    for (const QString &line : lines) {
        const bool isBlank = skip == Skip::BlankLines ? line.trimmed().isEmpty() : line.isEmpty();
        if (!isBlank)
            kept.append(line);
    }
    return kept;
}

QString fromEditorText(const QString &editorText)
{
    QString text;
    text.reserve(editorText.size() + editorText.count(QLatin1Char('\n')) + 2);
    for (const QChar c : editorText) {
        if (c == QLatin1Char('\n'))
            text += textlines::lineEnd;
        else
            text += c;
    }
    return text + textlines::lineEnd;
}

QStringList addedSince(const QStringList &read, const QStringList &now, const QStringList &edited)
{
    QHash<QString, int> before;
    for (const QString &line : read)
        ++before[line];
    QStringList added;
    for (const QString &line : now) {
        if (int &left = before[line]; left > 0) {
            --left;
            continue;
        }
        if (!line.isEmpty() && !edited.contains(line) && !added.contains(line))
            added.append(line);
    }
    return added;
}

bool knows(const QStringList &lines, const QString &entry)
{
    // Letter case as the search ignores it: "ß" stays "ß" (QString::toUpper
    // would make it "SS", and "Grossmann" would count as known from
    // "Großmann").
    const QString key = codepage::upperCased(entry.trimmed());
    for (const QString &line : lines) {
        if (codepage::upperCased(line).contains(key))
            return true;
    }
    return false;
}

} // namespace listfile

bool RememberListEntry(WorkDir &dir, const QString &entry, const QString &listFile, QString *error)
{
    // Another desk may add to the same list at the same moment: read and
    // rewrite it under the lock, or one of the two entries is lost.
    return dir.changeLocked(listFile, [&](QString *why) {
        const bool exists = dir.exists(listFile);
        QByteArray old;
        if (exists) {
            const auto bytes = dir.readBytes(listFile);
            if (!bytes) {
                if (why)
                    *why = dir.isLink(listFile)
                        ? WorkDir::linkMessage(dir.storedName(listFile))
                        : QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden.").arg(dir.storedName(listFile));
                return false;
            }
            old = *bytes;
            if (listfile::knows(textlines::splitLines(codepage::fileText(old)), entry))
                return true;
        }
        const QString trimmed = entry.trimmed();
        if (trimmed.isEmpty())
            return exists || textfile::append(dir, listFile, QString(), why);
        // A list whose last line has no line end (edited by hand) would
        // otherwise run into the new entry.
        QString text = trimmed + textlines::lineEnd;
        if (!old.isEmpty() && !old.endsWith('\r') && !old.endsWith('\n'))
            text.prepend(textlines::lineEnd);
        return textfile::append(dir, listFile, text, why);
    }, error);
}

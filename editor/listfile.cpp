#include "editor/listfile.h"

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
            text += WorkDir::lineEnd;
        else
            text += c;
    }
    return text + WorkDir::lineEnd;
}

bool knows(const QStringList &lines, const QString &entry)
{
    const QString key = entry.trimmed().toUpper();
    for (const QString &line : lines) {
        if (line.toUpper().contains(key))
            return true;
    }
    return false;
}

} // namespace listfile

bool RememberListEntry(WorkDir &dir, const QString &entry, const QString &listFile, QString *error)
{
    const bool exists = dir.exists(listFile);
    QByteArray old;
    if (exists) {
        const auto bytes = dir.readBytes(listFile);
        if (!bytes) {
            if (error)
                *error = QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden.").arg(dir.storedName(listFile));
            return false;
        }
        old = *bytes;
        if (listfile::knows(WorkDir::splitLines(WorkDir::decode(old)), entry))
            return true;
    }
    const QString trimmed = entry.trimmed();
    if (trimmed.isEmpty())
        return exists || dir.append(listFile, QString(), error);
    // A list whose last line has no line end (edited by hand) would otherwise
    // run into the new entry.
    QString text = trimmed + WorkDir::lineEnd;
    if (!old.isEmpty() && !old.endsWith('\r') && !old.endsWith('\n'))
        text.prepend(WorkDir::lineEnd);
    return dir.append(listFile, text, error);
}

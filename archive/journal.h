#pragma once

#include "platform/origin.h"
#include "platform/workdir.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The journal of the data folder, "journal.txt": one entry a line, UTF-8,
// CR LF. It records every save, deletion and cancellation of a receipt and
// every change of what the page prints, and is only ever appended to.
//
// A line holds thirteen fields separated by tabs; a tab, a line break or a
// backslash inside a field is written "\t", "\n", "\r", "\\":
//   Nr, Zeit (ISO 8601 with the offset from UTC), Rechner, Benutzer, Aktion,
//   Quittung (the receipt number, or the settings file of a setting),
//   SHA-256 (of the receipt file as written), Bezug (the receipt a
//   cancellation cancels), Grund, Alt, Neu, Vorgänger (the SHA-256 of the
//   entry before, 64 zeros for the first), SHA-256 of this line up to the
//   tab before this field.
// Changing an entry breaks its own sum; removing or rewriting one breaks
// the next entry's "Vorgänger". A line cut short by a crash (no line end,
// or not thirteen fields ending in a sum) is passed over, and the next
// entry starts on a line of its own.
namespace journal {

inline const QString fileName = QStringLiteral("journal.txt");

namespace action {
inline const QString save = QStringLiteral("Speichern");
inline const QString remove = QStringLiteral("Löschen");
inline const QString cancel = QStringLiteral("Storno");
inline const QString setting = QStringLiteral("Einstellung");
inline const QString found = QStringLiteral("Bestand");
} // namespace action

struct Entry
{
    qint64 sequence = 0;
    QString time;
    QString host;
    QString user;
    QString action;
    QString number;
    QString fileHash;
    QString cancels;
    QString reason;
    QString oldText;
    QString newText;
    QString previous;
    QString sum;
};

// What a caller says; the rest (number in the journal, time, computer,
// user, the chain) append() fills in.
struct Note
{
    QString action;
    QString number;
    QByteArray fileBytes; // hashed; empty: no hash
    QString cancels;
    QString reason;
    QString oldText;
    QString newText;
};

QString sha256Hex(QByteArrayView bytes);

// Appends the notes as consecutive entries, under the journal's lock.
bool append(WorkDir &dir, const QList<Note> &notes, const Origin &origin, QString *error = nullptr);
inline bool append(WorkDir &dir, const Note &note, QString *error = nullptr)
{
    return append(dir, QList<Note> { note }, currentOrigin(), error);
}

struct Contents
{
    QList<Entry> entries; // the complete entries, in the file's order
    int torn = 0;         // lines passed over as cut short
    // Where the chain does not hold: "Protokoll-Eintrag n: …".
    QStringList findings;
};
Contents read(QByteArrayView bytes);
Contents read(const WorkDir &dir);

// The line of an entry without its line end, sums included as given.
QByteArray line(const Entry &entry);

// On the first start of a version that keeps a journal in a folder that
// has receipts: each of them is recorded once as found ("Bestand"), with
// its sum, so that a later change shows. Nothing happens where the journal
// exists or there are no receipts.
bool recordExisting(WorkDir &dir, QString *error = nullptr);

// What the program does once at its start: each change of a setting the
// page prints is journalled from now on ("Einstellung", with the old and
// the new text), and recordExisting() runs. The main window calls it.
bool start(WorkDir &dir, QString *error = nullptr);

// The receipt file's text of a deletion's former content, as the journal
// holds it: the file decoded from the code page.
QString formerContent(QByteArrayView fileBytes);

} // namespace journal

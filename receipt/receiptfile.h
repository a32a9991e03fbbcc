#pragma once

#include "receipt/receiptrecord.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

// A saved receipt, "<number>.num", text with CR LF (Windows-1252, or UTF-8
// after its mark where a character needs it: text/textfile.h chooses):
// - twelve lines, each a field's text, in the order of receiptfile::Line.
//   Files of older installations have the first ten or all twelve only, and
//   readers of ten lines read the newer files as before;
// - then "Name=Wert" lines with what the page showed besides the fields
//   (receiptfile::key): the rate, the taxation and its note, the tax
//   numbers, the issuer's address and every rewordable text; and, for a
//   cancellation, the number of the receipt it cancels.
// Search looks at the twelve field lines only.
namespace receiptfile {

// The lines of a receipt file, by their place in it.
enum Line : int {
    Number,
    NetUnits,
    NetPennies,
    VatUnits,
    VatPennies,
    TotalUnits,
    TotalPennies,
    Words,
    Payer,
    Purpose,
    // The date and the place as the receipt shows them.
    DateText,
    PlaceText,
};
// The lines of older files.
inline constexpr int tenLines = Purpose + 1;
// The field lines.
inline constexpr int lineCount = PlaceText + 1;

// The names of the lines after the fields.
namespace key {
inline const QString rate = QStringLiteral("Satz");
inline const QString taxMode = QStringLiteral("Besteuerung");
inline const QString taxNote = QStringLiteral("Hinweis");
inline const QString taxNumber = QStringLiteral("Steuernummer");
inline const QString vatId = QStringLiteral("USt-IdNr");
inline const QString issuer = QStringLiteral("Anschrift"); // "Anschrift1" to "Anschrift6"
inline const QString cancels = QStringLiteral("Storno");
} // namespace key

// The record's field that a field line holds.
QString ReceiptRecord::*field(Line line);

// The file name of a receipt number: the number without leading and
// trailing blanks, then ".num".
QString fileName(const QString &number);
// The whole file's text.
QString text(const ReceiptRecord &record);
// The record of a file's lines; missing lines give empty fields (a file of
// ten lines has no date and no place), a file without named lines has no
// page and no rate. Named lines of unknown names are passed over.
ReceiptRecord fromLines(const QStringList &lines);

// The bytes of the field lines: what a search looks through.
QByteArrayView fieldBytes(QByteArrayView bytes);
// The bytes the search and the evaluation read: the field lines and the
// rate, taxation and cancelled number right after them; not the rest of the
// page, which every receipt of a folder repeats.
QByteArrayView heldBytes(QByteArrayView bytes);
// Each "Name=Wert" line after the field lines, as bytes of the file.
void forEachNamedLine(QByteArrayView bytes, const std::function<void(QByteArrayView name, QByteArrayView value)> &f);

} // namespace receiptfile

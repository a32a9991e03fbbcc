#pragma once

#include <QString>
#include <QStringList>

// One receipt as the main window shows it: every field a text, exactly as
// displayed. Numbers are derived from the texts when they are needed.
struct ReceiptRecord
{
    QString number;
    QString totalUnits;
    QString totalPennies;
    QString netUnits;
    QString netPennies;
    QString vatUnits;
    QString vatPennies;
    QString vatRate;
    QString amountInWords;
    QString payer;
    QString purpose;
    QString place;
    QString date;

    bool operator==(const ReceiptRecord &) const = default;
};

// A saved receipt, "<number>.num": twelve lines, each the field's text
// followed by CR LF, in the order of receiptfile::Line. Files of older
// installations have the first ten only, and readers of ten lines read the
// newer files as before.
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
// The lines written and read.
inline constexpr int lineCount = PlaceText + 1;
inline constexpr int maxLineCount = lineCount;

// The record's field that a line holds, for the lines written.
QString ReceiptRecord::*field(Line line);

// The file name of a receipt number: the number without leading and
// trailing blanks, then ".num".
QString fileName(const QString &number);
// The whole file's text.
QString text(const ReceiptRecord &record);
// The stored fields of a file's lines; missing lines give empty fields
// (a file of ten lines has no date and no place), further lines are
// ignored. The rate stays empty.
ReceiptRecord fromLines(const QStringList &lines);

} // namespace receiptfile

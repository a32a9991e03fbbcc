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

// A saved receipt, "<number>.num": ten lines, each the field's text followed
// by CR LF, in the order of receiptfile::Line.
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
    // Two further lines may follow the ten: the date and the place as the
    // receipt shows them. They are neither written nor read yet.
    DateText,
    PlaceText,
};
// The lines written and read.
inline constexpr int lineCount = Purpose + 1;
// The lines a receipt file can have.
inline constexpr int maxLineCount = PlaceText + 1;

// The record's field that a line holds, for the lines written.
QString ReceiptRecord::*field(Line line);

// The file name of a receipt number: the number without leading and
// trailing blanks, then ".num".
QString fileName(const QString &number);
// The whole file's text.
QString text(const ReceiptRecord &record);
// The ten stored fields of a file's lines; missing lines give empty fields,
// lines after the tenth are ignored. Rate, place and date stay empty.
ReceiptRecord fromLines(const QStringList &lines);

} // namespace receiptfile

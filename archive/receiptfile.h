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
// by CR LF: number, net units, net pennies, VAT units, VAT pennies, total
// units, total pennies, words, payer, purpose.
namespace receiptfile {

inline constexpr int lineCount = 10;

// The file name of a receipt number: the number without leading and
// trailing blanks, then ".num".
QString fileName(const QString &number);
// The whole file's text.
QString text(const ReceiptRecord &record);
// The ten stored fields of a file's lines; missing lines give empty fields,
// lines after the tenth are ignored. Rate, place and date stay empty.
ReceiptRecord fromLines(const QStringList &lines);

} // namespace receiptfile

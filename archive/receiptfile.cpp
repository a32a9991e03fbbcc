#include "archive/receiptfile.h"

#include "text/textlines.h"

namespace receiptfile {

QString ReceiptRecord::*field(Line line)
{
    static QString ReceiptRecord::*const fields[lineCount] = {
        &ReceiptRecord::number,     &ReceiptRecord::netUnits,     &ReceiptRecord::netPennies,
        &ReceiptRecord::vatUnits,   &ReceiptRecord::vatPennies,   &ReceiptRecord::totalUnits,
        &ReceiptRecord::totalPennies, &ReceiptRecord::amountInWords, &ReceiptRecord::payer,
        &ReceiptRecord::purpose,    &ReceiptRecord::date,         &ReceiptRecord::place,
    };
    return line >= 0 && line < lineCount ? fields[line] : nullptr;
}

QString fileName(const QString &number)
{
    return number.trimmed() + QStringLiteral(".num");
}

QString text(const ReceiptRecord &r)
{
    QString out;
    for (int line = 0; line < lineCount; ++line)
        out += r.*field(Line(line)) + textlines::lineEnd;
    return out;
}

ReceiptRecord fromLines(const QStringList &lines)
{
    ReceiptRecord r;
    for (int line = 0; line < lineCount && line < lines.size(); ++line)
        r.*field(Line(line)) = lines.at(line);
    return r;
}

} // namespace receiptfile

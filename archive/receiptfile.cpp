#include "archive/receiptfile.h"

#include "platform/workdir.h"

namespace receiptfile {

QString fileName(const QString &number)
{
    return number.trimmed() + QStringLiteral(".num");
}

QString text(const ReceiptRecord &r)
{
    const QString lines[lineCount] = { r.number,     r.netUnits,     r.netPennies,    r.vatUnits, r.vatPennies,
                                       r.totalUnits, r.totalPennies, r.amountInWords, r.payer,    r.purpose };
    QString out;
    for (const QString &line : lines)
        out += line + WorkDir::lineEnd;
    return out;
}

ReceiptRecord fromLines(const QStringList &lines)
{
    auto at = [&lines](int i) { return i < lines.size() ? lines.at(i) : QString(); };
    ReceiptRecord r;
    r.number = at(0);
    r.netUnits = at(1);
    r.netPennies = at(2);
    r.vatUnits = at(3);
    r.vatPennies = at(4);
    r.totalUnits = at(5);
    r.totalPennies = at(6);
    r.amountInWords = at(7);
    r.payer = at(8);
    r.purpose = at(9);
    return r;
}

} // namespace receiptfile

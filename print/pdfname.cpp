#include "print/pdfname.h"

QString defaultPdfFileName(const QString &receiptNumber)
{
    QString number = receiptNumber.trimmed();
    for (QChar &c : number) {
        if (c.category() == QChar::Other_Control || QStringView(u"/\\:*?\"<>|").contains(c))
            c = QLatin1Char('-');
    }
    if (number.isEmpty())
        return QStringLiteral("Quittung.pdf");
    return QStringLiteral("Quittung ") + number + QStringLiteral(".pdf");
}

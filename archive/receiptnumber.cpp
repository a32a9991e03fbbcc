#include "archive/receiptnumber.h"

#include "amounts/decimal.h"
#include "receipt/receiptfile.h"
#include "settings/settings.h"

QString nextNumberAfter(const QString &lastNumberLine)
{
    return Decimal::parseLeading(lastNumberLine).plusOne().toPlainString();
}

QString NextReceiptNumber(const WorkDir &dir)
{
    QString last;
    {
        // Read under its lock: where a rewrite is not atomic (FAT), the file
        // is then seen before or after it, never gone. Where the lock cannot
        // be had (the user stopped waiting) it is read as it is.
        QString ignored;
        const WorkDir::Lock lock = dir.lock(settingsfile::nummer, &ignored);
        last = settingValue(dir, settingsfile::nummer).value_or(QString());
    }
    // Never a number that is taken: a save that could not record its number
    // (a full disk), a receipt saved by hand under a higher number or a
    // moment in which nummer.dat could not be read leave the next number
    // taken; the first free one after it is proposed.
    Decimal next = Decimal::parseLeading(last).plusOne();
    for (int tries = 0; tries < 1000000 && dir.exists(receiptfile::fileName(next.toPlainString())); ++tries)
        next = next.plusOne();
    return next.toPlainString();
}

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
    const auto numbered = [](const std::optional<QString> &line) {
        return line && !line->trimmed().isEmpty() && line->trimmed().at(0).isDigit();
    };
    std::optional<QString> line = settingValue(dir, settingsfile::nummer);
    if (!numbered(line)) {
        // Read again under its lock: where a rewrite is not atomic (FAT),
        // the file may be gone for a moment, and under the lock it is seen
        // before or after the rewrite. Where the lock cannot be had (the
        // user stopped waiting) it is read as it is.
        QString ignored;
        const WorkDir::Lock lock = dir.lock(settingsfile::nummer, &ignored);
        line = settingValue(dir, settingsfile::nummer);
    }
    const QString last = line.value_or(QString());
    // Never a number that is taken: a save that could not record its number
    // (a full disk), a receipt saved by hand under a higher number or a
    // moment in which nummer.dat could not be read leave the next number
    // taken; the first free one after it is proposed.
    Decimal next = Decimal::parseLeading(last).plusOne();
    for (int tries = 0; tries < 1000000 && dir.exists(receiptfile::fileName(next.toPlainString())); ++tries)
        next = next.plusOne();
    return next.toPlainString();
}

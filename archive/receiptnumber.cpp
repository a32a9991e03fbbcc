#include "archive/receiptnumber.h"

#include "amounts/decimal.h"
#include "settings/settings.h"

QString nextNumberAfter(const QString &lastNumberLine)
{
    return Decimal::parseLeading(lastNumberLine).plusOne().toPlainString();
}

QString NextReceiptNumber(const WorkDir &dir)
{
    return nextNumberAfter(settingValue(dir, settingsfile::nummer).value_or(QString()));
}

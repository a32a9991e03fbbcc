#pragma once

#include <QString>

// The fields of receipt number n in the crash test.
struct SoakReceipt
{
    QString totalUnits, totalPennies, payer, purpose, date;
};

inline SoakReceipt soakReceipt(qlonglong n)
{
    return { QString::number(n * 7919 % 100000), QStringLiteral("%1").arg(n % 100, 2, 10, QLatin1Char('0')),
             QStringLiteral("Zahler Nr. %1, Käthe Müller").arg(n % 13), QStringLiteral("Zweck %1").arg(n % 5),
             QStringLiteral("%1.12.2026").arg(n % 28 + 1) };
}

#pragma once

#include <QString>

// The fields of receipt number n in the crash test; with `distinct`, each
// receipt has a payer and a purpose of its own, which no other one contains.
struct SoakReceipt
{
    QString totalUnits, totalPennies, payer, purpose;
};

inline SoakReceipt soakReceipt(qlonglong n, bool distinct = false)
{
    return { QString::number(n * 7919 % 100000), QStringLiteral("%1").arg(n % 100, 2, 10, QLatin1Char('0')),
             QStringLiteral("Zahler Nr. %1, Käthe Müller").arg(distinct ? n : n % 13),
             distinct ? QStringLiteral("Zweck Nr. %1 (neu)").arg(n) : QStringLiteral("Zweck %1").arg(n % 5) };
}

#pragma once

#include "amounts/netvat.h"
#include "amounts/words.h"

#include <QString>

// The fields of receipt number n in the crash test; with `distinct`, each
// receipt has a payer and a purpose of its own, which no other one contains.
struct SoakReceipt
{
    QString totalUnits, totalPennies, payer, purpose, date;
    QString rate = QStringLiteral("16");
};

inline SoakReceipt soakReceipt(qlonglong n, bool distinct = false)
{
    return { QString::number(n * 7919 % 100000), QStringLiteral("%1").arg(n % 100, 2, 10, QLatin1Char('0')),
             QStringLiteral("Zahler Nr. %1, Käthe Müller").arg(distinct ? n : n % 13),
             distinct ? QStringLiteral("Zweck Nr. %1 (neu)").arg(n) : QStringLiteral("Zweck %1").arg(n % 5),
             QStringLiteral("%1.12.2026").arg(n % 28 + 1) };
}

// The text of receipt file n as saving writes it: net, VAT and words derived
// from the total at the rate.
inline QString soakFileText(qlonglong n, bool distinct = false)
{
    const SoakReceipt r = soakReceipt(n, distinct);
    const Breakdown b = NetVatBreakdown({ r.totalUnits, r.totalPennies, r.rate });
    QString text;
    for (const QString &line : { QString::number(n), b.netUnits.value(), b.netPennies.value(), b.vatUnits.value(),
                                 b.vatPennies.value(), r.totalUnits, r.totalPennies,
                                 AmountInWords(r.totalUnits).value(), r.payer, r.purpose, r.date, QString() })
        text += line + QStringLiteral("\r\n");
    return text;
}

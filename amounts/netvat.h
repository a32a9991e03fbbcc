#pragma once

#include <QString>

#include <optional>

// The texts of the amount block that the breakdown starts from, as the
// controls hold them.
struct AmountTexts
{
    QString totalUnits;   // whole units of the total (gross) amount
    QString totalPennies; // its pennies
    QString rate;         // VAT rate in percent
};

// What the breakdown writes into each amount field. A field without a value
// is not written and keeps what it shows.
struct Breakdown
{
    QString totalUnits; // trimmed, "0" for an empty text; always written
    std::optional<QString> totalPennies;
    std::optional<QString> netUnits, netPennies;
    std::optional<QString> vatUnits, vatPennies;
};

// Net amount and the VAT contained in the total: net = total / (1 + rate/100)
// and VAT = total - net, both to the penny, rounded on the exact decimal
// value, half a penny away from zero. Numbers are read with "." as the
// decimal point whatever the system's settings; the pennies text is the
// decimals of the total ("5" is 50 pennies). A rate of "0" or "00" leaves the
// net figures alone and empties the VAT's whole units.
Breakdown NetVatBreakdown(const AmountTexts &texts);

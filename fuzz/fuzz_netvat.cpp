// The net and VAT breakdown over whatever the total's fields and the rate
// field hold.
#include "fuzzinput.h"

#include "amounts/netvat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto p = fuzz::parts(fuzz::bytes(data, size), 3);
    const AmountTexts texts { fuzz::text(p[0]), fuzz::text(p[1]), fuzz::text(p[2]) };
    const Breakdown b = NetVatBreakdown(texts);
    // The pennies of a breakdown are two digits, or nothing where there is
    // no net amount (a rate of -100 % or below).
    for (const auto *pennies : { &b.netPennies, &b.vatPennies }) {
        if (!*pennies || pennies->value().isEmpty())
            continue;
        const QString &p = pennies->value();
        if (p.size() != 2 || !p.at(0).isDigit() || !p.at(1).isDigit())
            fuzz::fail("pennies not two digits", p);
    }
    if (b.totalUnits != texts.totalUnits.trimmed() && b.totalUnits != QLatin1String("0"))
        fuzz::fail("total units not as typed", b.totalUnits);
    return 0;
}

// The last receipt number as "nummer.dat" holds it, and every number the
// program reads from a text: the longest leading number, plus one.
#include "fuzzinput.h"

#include "amounts/decimal.h"
#include "archive/receiptnumber.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = fuzz::text(fuzz::bytes(data, size));

    const Decimal d = Decimal::parseLeading(line);
    if (d.digits.isEmpty() || d.scale < 0 || d.scale > d.digits.size() + line.size())
        fuzz::fail("parseLeading gave a malformed number", line);
    for (char c : d.digits) {
        if (c < '0' || c > '9')
            fuzz::fail("parseLeading gave a non-digit", line);
    }

    // The plain text of a number reads back as the same number.
    const QString plain = d.toPlainString();
    if (Decimal::parseLeading(plain).toPlainString() != plain)
        fuzz::fail("plain text does not read back", plain);

    const QString next = nextNumberAfter(line);
    if (next.isEmpty())
        fuzz::fail("no next number", line);
    // One more than a whole number that is not negative never ends in the
    // same digit.
    if (!d.negative && d.scale == 0 && next.back() == plain.back())
        fuzz::fail("plus one changed nothing", plain + QLatin1String(" -> ") + next);
    return 0;
}

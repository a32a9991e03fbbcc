// The amount in words over any text of the total's units field.
#include "fuzzinput.h"

#include "amounts/words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString units = fuzz::text(fuzz::bytes(data, size));
    const auto words = AmountInWords(units.trimmed());
    if (words && units.trimmed().size() > 5)
        fuzz::fail("words for more than five characters", units);
    if (words && units.contains(QLatin1Char('-')))
        fuzz::fail("words for a negative amount", units);
    return 0;
}

// Reading a receipt file: its bytes split into lines, the lines into the
// stored fields and the page; a receipt made of those reads back unchanged.
#include "fuzzinput.h"

#include "receipt/receiptfile.h"
#include "text/codepage.h"
#include "text/textlines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString content = codepage::fileText(fuzz::bytes(data, size));
    const QStringList lines = textlines::splitLines(content);
    const ReceiptRecord r = receiptfile::fromLines(lines);

    const QString written = receiptfile::text(r);
    const QStringList back = textlines::splitLines(written);
    // Twelve field lines, then its page where it has one.
    if (back.size() < receiptfile::lineCount || (!r.page && r.cancels.isEmpty() && back.size() != receiptfile::lineCount))
        fuzz::fail("a written receipt has not its twelve lines", written);
    if (receiptfile::fromLines(back) != r)
        fuzz::fail("a written receipt does not read back", written);
    // What was read came from the file, in its order.
    for (int i = 0; i < receiptfile::lineCount && i < lines.size(); ++i) {
        if (back.at(i) != lines.at(i))
            fuzz::fail("field differs from its line", lines.at(i));
    }
    // The bytes of a written receipt, in either encoding, decode to the
    // same text; a text of the code page stays in it.
    const auto encoded = codepage::fileBytes(written);
    if (codepage::storable(written) && (!encoded || codepage::fileText(*encoded) != written))
        fuzz::fail("decoded text does not encode back", written);
    if (encoded && codepage::isUtf8(*encoded) == codepage::encodable(written))
        fuzz::fail("encoding not chosen by the text", written);
    return 0;
}

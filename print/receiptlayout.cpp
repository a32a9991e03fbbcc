#include "print/receiptlayout.h"

namespace {

// One blank before an amount whose whole units are not as long as the
// total's, so that the figures come out roughly right-aligned in the field.
QString prefix(const QString &units, const QString &totalUnits)
{
    return units.size() == totalUnits.size() ? QString() : QStringLiteral(" ");
}

} // namespace

QList<PrintOperation> ReceiptLayout(const PrintSnapshot &s, const std::optional<QString> &fontName,
                                    const std::optional<QStringList> &userData, float d)
{
    QList<PrintOperation> ops;
    ops.reserve(81 + 33);

    // Hatched fields behind the whole units, then behind the hundredths.
    const struct
    {
        float left, right, top;
    } bands[] = {
        { 6400, 7800, 600 }, { 6400, 7800, 1000 }, { 6400, 7800, 1400 },
        { 8300, 9100, 600 }, { 8300, 9100, 1000 }, { 8300, 9100, 1400 },
    };
    for (const auto &band : bands) {
        for (int step = 0; step <= 10; ++step) {
            const float y = band.top + 30 * step + d;
            ops.append(PrintOperation::makeLine(band.left, y, band.right, y));
        }
    }

    // Boxes for the words, the payer and the purpose: top, bottom, left, right.
    for (const float top : { 2200.0f, 2900.0f, 3600.0f }) {
        const float bottom = top + 400;
        ops.append(PrintOperation::makeLine(1000, top + d, 9100, top + d));
        ops.append(PrintOperation::makeLine(1000, bottom + d, 9100, bottom + d));
        ops.append(PrintOperation::makeLine(1000, top + d, 1000, bottom + d));
        ops.append(PrintOperation::makeLine(9100, top + d, 9100, bottom + d));
    }

    ops.append(PrintOperation::makeLine(1000, 4900 + d, 9100, 4900 + d));
    ops.append(PrintOperation::makeLine(4200, 1350 + d, 9100, 1350 + d)); // above the total
    ops.append(PrintOperation::makeLine(5800, 6000 + d, 9100, 6000 + d)); // signature

    const auto text = [&](float x, float y, int size, bool bold, const QString &content) {
        ops.append(PrintOperation::makeText(x, y + d, content, fontName, size, bold));
    };
    const bool normal = false;
    const bool bold = true;

    text(4200, 1500, 10, normal, s.totalWording);
    text(4200, 700, 10, normal, s.netWording);
    text(1000, 1400, 10, normal, QStringLiteral("Nr. ") + s.number);
    text(4200, 1100, 10, normal, s.vatSign + s.vatRate + s.vatWording);
    text(5800, 700, 10, normal, s.currencyNames[0]);
    text(5800, 1100, 10, normal, s.currencyNames[1]);
    text(5800, 1500, 10, normal, s.currencyNames[2]);
    text(8000, 700, 10, normal, s.subunitNames[0]);
    text(8000, 1100, 10, normal, s.subunitNames[1]);
    text(8000, 1500, 10, normal, s.subunitNames[2]);
    text(6600, 650, 11, normal, prefix(s.netUnits, s.totalUnits) + s.netUnits);
    text(6600, 1050, 11, normal, prefix(s.vatUnits, s.totalUnits) + s.vatUnits);
    text(6600, 1450, 11, normal, s.totalUnits);
    text(8400, 650, 11, normal, s.netPennies);
    text(8400, 1050, 11, normal, s.vatPennies);
    text(8400, 1450, 11, normal, s.totalPennies);
    text(1000, 950, 16, bold, s.titleWord);
    text(1100, 2300, 12, normal, s.amountInWords);
    text(1100, 3000, 11, normal, s.payer);
    text(1100, 3700, 11, normal, s.purpose);
    text(5800, 2650, 8, normal, s.penniesNote);
    text(1100, 2050, 8, normal, s.wordsHeading);
    text(1100, 2750, 8, normal, s.payerHeading);
    text(1100, 3450, 8, normal, s.purposeHeading);
    text(1000, 4500, 12, normal, s.place + QStringLiteral(", den ") + s.date);
    text(1100, 4100, 8, normal, s.thanks);
    if (userData) {
        for (int line = 0; line < 6; ++line)
            text(1000, 5000 + 200 * line, 10, bold, userData->value(line));
    } else {
        text(1000, 6000, 10, bold, receiptlayout::missingUserDataHint);
    }
    text(5800, 6100, 7, normal, QStringLiteral("Stempel/Unterschrift"));
    return ops;
}

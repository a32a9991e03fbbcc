#include "print/receiptlayout.h"

#include <algorithm>
#include <cmath>

using receiptlayout::clearance;

namespace {

// One blank before an amount whose whole units are not as long as the
// total's, so that the figures come out roughly right-aligned in the field.
QString prefix(const QString &units, const QString &totalUnits)
{
    return units.size() == totalUnits.size() ? QString() : QStringLiteral(" ");
}

const QString ellipsis = QStringLiteral("…");

// Places texts of one height band side by side between two x limits.
class Fitter
{
public:
    explicit Fitter(const TextMeasure &measure)
        : m_measure(measure)
    {
    }

    TextExtent extent(const PrintOperation &op) const
    {
        return m_measure(op.text, op.fontName, op.fontSize, op.bold);
    }
    float width(const PrintOperation &op) const { return extent(op).width; }
    float right(const PrintOperation &op) const { return op.x + width(op); }
    float bottom(const PrintOperation &op) const { return op.y + extent(op).height; }

    // The texts, left to right, keep their places where they fit between lo
    // and hi with the clearance between them; otherwise each moves left as
    // far as the next one needs, and right as far as the one before it
    // needs. When they cannot fit at all, the widest is set smaller, step by
    // step, and at the smallest size cut short.
    void fitRow(std::initializer_list<PrintOperation *> row, float lo, float hi) const
    {
        const float room = hi - lo - clearance * float(row.size() - 1);
        const auto needed = [&] {
            float sum = 0;
            for (const PrintOperation *op : row)
                sum += width(*op);
            return sum;
        };
        // The widest text gives way first, so that a short name beside a
        // long one keeps its size.
        const auto widest = [&](bool shrinkable) {
            PrintOperation *found = nullptr;
            for (PrintOperation *op : row)
                if ((!shrinkable || op->fontSize > receiptlayout::smallestSize)
                    && (!found || width(*op) > width(*found)))
                    found = op;
            return found;
        };
        float total = needed();
        while (total > room) {
            PrintOperation *op = widest(true);
            if (!op)
                break;
            --op->fontSize;
            total = needed();
        }
        while (total > room) {
            PrintOperation *op = widest(false);
            if (!cut(*op, width(*op) - (total - room)))
                break;
            total = needed();
        }

        float limit = hi;
        for (auto it = std::rbegin(row); it != std::rend(row); ++it) {
            (*it)->x = std::min((*it)->x, limit - width(**it));
            limit = (*it)->x - clearance;
        }
        float start = lo;
        for (PrintOperation *op : row) {
            op->x = std::max(op->x, start);
            start = right(*op) + clearance;
        }
    }

private:
    // The longest beginning of the text that fits the width with "…"
    // after it; nothing when not even that fits. False when it is empty
    // already.
    bool cut(PrintOperation &op, float fits) const
    {
        if (op.text.isEmpty())
            return false;
        const QString whole = op.text;
        qsizetype low = 0;
        qsizetype high = whole.size() - 1;
        while (low < high) {
            const qsizetype mid = (low + high + 1) / 2;
            op.text = whole.left(mid) + ellipsis;
            if (width(op) <= fits)
                low = mid;
            else
                high = mid - 1;
        }
        op.text = whole.left(low) + ellipsis;
        if (low == 0 && width(op) > fits)
            op.text.clear();
        return true;
    }

    const TextMeasure &m_measure;
};

} // namespace

TextExtent receiptlayout::estimatedExtent(const QString &text, const std::optional<QString> &, int points, bool)
{
    // In twips: 0.55 and 1.2 of the size, 20 twips to the point.
    return { 11.0f * float(points) * float(text.size()), 24.0f * float(points) };
}

QList<PrintOperation> ReceiptLayout(const PrintSnapshot &s, const std::optional<QString> &fontName,
                                    const std::optional<QStringList> &userData, float d)
{
    return ReceiptLayout(s, fontName, userData, d, receiptlayout::estimatedExtent);
}

QList<PrintOperation> ReceiptLayout(const PrintSnapshot &s, const std::optional<QString> &fontName,
                                    const std::optional<QStringList> &userData, float d,
                                    const TextMeasure &measure)
{
    QList<PrintOperation> ops;
    ops.reserve(81 + 35);

    // Hatched fields behind the whole units, then behind the hundredths.
    const struct
    {
        float left, right, top;
        bool vatRow;
    } bands[] = {
        { 6400, 7800, 600, true }, { 6400, 7800, 1000, true }, { 6400, 7800, 1400, false },
        { 8300, 9100, 600, true }, { 8300, 9100, 1000, true }, { 8300, 9100, 1400, false },
    };
    for (const auto &band : bands) {
        if (band.vatRow && !s.vatRows)
            continue;
        for (int step = 0; step <= 10; ++step) {
            const float y = band.top + 30 * step + d;
            ops.append(PrintOperation::makeLine(band.left, y, band.right, y));
        }
    }

    // Boxes for the words, the payer and the purpose: top, bottom, left, right.
    const float boxTops[] = { 2200, 2900, 3600 };
    for (const float top : boxTops) {
        const float bottom = top + 400;
        ops.append(PrintOperation::makeLine(1000, top + d, 9100, top + d));
        ops.append(PrintOperation::makeLine(1000, bottom + d, 9100, bottom + d));
        ops.append(PrintOperation::makeLine(1000, top + d, 1000, bottom + d));
        ops.append(PrintOperation::makeLine(9100, top + d, 9100, bottom + d));
    }

    const float signatureLeft = 5800;
    const float signatureRule = 6000;
    ops.append(PrintOperation::makeLine(1000, 4900 + d, 9100, 4900 + d));
    ops.append(PrintOperation::makeLine(4200, 1350 + d, 9100, 1350 + d)); // above the total
    ops.append(PrintOperation::makeLine(signatureLeft, signatureRule + d, 9100, signatureRule + d));

    // The texts are placed at offset 0 and moved down together at the end.
    const auto text = [&](float x, float y, int size, bool bold, const QString &content) {
        return PrintOperation::makeText(x, y, content, fontName, size, bold);
    };
    const bool normal = false;
    const bool bold = true;
    const Fitter fit(measure);
    // Texts may reach the right end of the boxes and no further.
    const float pageRight = 9100;

    struct AmountRow
    {
        PrintOperation wording, currency, subunit, units, pennies;
    };
    const auto amountRow = [&](float y, const QString &wording, int index, const QString &units,
                               const QString &pennies) {
        AmountRow row { text(4200, y, 10, normal, wording), text(5800, y, 10, normal, s.currencyNames[index]),
                        text(8000, y, 10, normal, s.subunitNames[index]), text(6600, y - 50, 11, normal, units),
                        text(8400, y - 50, 11, normal, pennies) };
        // The names end before their hatched fields.
        fit.fitRow({ &row.wording, &row.currency }, 4200, 6400 - clearance);
        fit.fitRow({ &row.subunit }, std::max(7800.0f, fit.right(row.units)) + clearance, 8300 - clearance);
        return row;
    };
    const AmountRow total = amountRow(1500, s.totalWording, 2, s.totalUnits, s.totalPennies);
    const AmountRow net = amountRow(700, s.netWording, 0, prefix(s.netUnits, s.totalUnits) + s.netUnits, s.netPennies);
    const AmountRow vat = amountRow(1100, s.vatSign + s.vatRate + s.vatWording, 1,
                                    prefix(s.vatUnits, s.totalUnits) + s.vatUnits, s.vatPennies);

    // The title and the number end before the amount rows' wordings.
    PrintOperation number = text(1000, 1400, 10, normal, QStringLiteral("Nr. ") + s.number);
    fit.fitRow({ &number }, 1000, 4200 - clearance);
    PrintOperation title = text(1000, 950, 16, bold, s.titleWord);
    fit.fitRow({ &title }, 1000, 4200 - clearance);

    PrintOperation words = text(1100, 2300, 12, normal, s.amountInWords);
    PrintOperation payer = text(1100, 3000, 11, normal, s.payer);
    PrintOperation purpose = text(1100, 3700, 11, normal, s.purpose);
    for (PrintOperation *inBox : { &words, &payer, &purpose })
        fit.fitRow({ inBox }, 1100, pageRight - clearance);

    // Each heading stands above its box's top line, the pennies note
    // between the words box and the payer box.
    PrintOperation wordsHeading = text(1100, 2050, 8, normal, s.wordsHeading);
    PrintOperation payerHeading = text(1100, 2750, 8, normal, s.payerHeading);
    PrintOperation purposeHeading = text(1100, 3450, 8, normal, s.purposeHeading);
    PrintOperation penniesNote = text(5800, 2650, 8, normal, s.penniesNote);
    for (int box = 0; box < 3; ++box) {
        PrintOperation &heading = box == 0 ? wordsHeading : box == 1 ? payerHeading : purposeHeading;
        heading.y = std::min(heading.y, boxTops[box] - clearance - fit.extent(heading).height);
    }
    penniesNote.y = std::min(penniesNote.y, boxTops[1] - clearance - fit.extent(penniesNote).height);
    fit.fitRow({ &wordsHeading }, 1100, pageRight);
    fit.fitRow({ &payerHeading, &penniesNote }, 1100, pageRight);
    fit.fitRow({ &purposeHeading }, 1100, pageRight);

    // The note shares the thanks line's height, from where the pennies note
    // starts.
    PrintOperation thanks = text(1100, 4100, 8, normal, s.thanks);
    PrintOperation note = text(5800, 4100, 8, normal, s.taxNote);
    if (s.taxNote.isEmpty())
        fit.fitRow({ &thanks }, 1100, pageRight);
    else
        fit.fitRow({ &thanks, &note }, 1100, pageRight);

    PrintOperation placeAndDate = text(1000, 4500, 12, normal, s.place + QStringLiteral(", den ") + s.date);
    fit.fitRow({ &placeAndDate }, 1000, pageRight);

    PrintOperation signature = text(signatureLeft, 6100, 7, normal, QStringLiteral("Stempel/Unterschrift"));
    fit.fitRow({ &signature }, signatureLeft, pageRight);

    // The address lines follow each other as closely as their height allows,
    // at least as far apart as the printed form has them. A line that comes
    // down to the signature rule or its caption ends before them.
    const float lineHeight = std::ceil(fit.extent(text(0, 0, 10, bold, QStringLiteral("Ag"))).height);
    const float pitch = std::max(200.0f, lineHeight);
    const auto addressLine = [&](float y, bool isBold, const QString &content) {
        PrintOperation line = text(1000, y, 10, isBold, content);
        const bool besideSignature =
            fit.bottom(line) > signatureRule - clearance && line.y < fit.bottom(signature) + clearance;
        fit.fitRow({ &line }, 1000, besideSignature ? signatureLeft - clearance : pageRight);
        return line;
    };
    QList<PrintOperation> address;
    if (userData) {
        for (int line = 0; line < 6; ++line)
            address.append(addressLine(5000 + pitch * line, bold, userData->value(line)));
    } else {
        address.append(addressLine(6000, bold, receiptlayout::missingUserDataHint));
    }
    const float taxLineY = address.constLast().y + pitch;

    QList<PrintOperation> texts = { total.wording, net.wording, number, vat.wording };
    if (!s.vatRows)
        texts = { total.wording, number };
    const auto ofRows = [&](auto member) {
        if (s.vatRows)
            texts += { net.*member, vat.*member };
        texts.append(total.*member);
    };
    ofRows(&AmountRow::currency);
    ofRows(&AmountRow::subunit);
    ofRows(&AmountRow::units);
    ofRows(&AmountRow::pennies);
    texts += { title,        words,          payer,          purpose,     penniesNote,
               wordsHeading, payerHeading,   purposeHeading, placeAndDate, thanks };
    texts += address;
    texts.append(signature);
    if (!s.taxNote.isEmpty())
        texts.append(note);
    if (!s.taxLine.isEmpty())
        texts.append(addressLine(taxLineY, normal, s.taxLine));
    for (PrintOperation &op : texts)
        op.y += d;
    return ops + texts;
}

PrintSnapshot printSnapshotOf(const ReceiptRecord &r)
{
    ReceiptPage page;
    if (r.page) {
        page = *r.page;
    } else {
        for (const WordingRow &row : wordingTable())
            page.text(row.part) = row.startupDefault;
    }
    PrintSnapshot s;
    s.titleWord = page.text(Wording::Title);
    s.number = r.number;
    s.netWording = page.text(Wording::Net);
    s.vatSign = QStringLiteral("+");
    s.vatRate = r.vatRate;
    s.vatWording = page.text(Wording::VatName);
    s.totalWording = page.text(Wording::Total);
    s.currencyNames.fill(page.text(Wording::Currency));
    s.subunitNames.fill(page.text(Wording::Subunit));
    s.netUnits = r.netUnits;
    s.netPennies = r.netPennies;
    s.vatUnits = r.vatUnits;
    s.vatPennies = r.vatPennies;
    s.totalUnits = r.totalUnits;
    s.totalPennies = r.totalPennies;
    s.amountInWords = r.amountInWords;
    s.wordsHeading = page.text(Wording::WordsHeading);
    s.penniesNote = page.text(Wording::PenniesNote);
    s.payerHeading = page.text(Wording::PayerHeading);
    s.payer = r.payer;
    s.purposeHeading = page.text(Wording::PurposeHeading);
    s.purpose = r.purpose;
    s.thanks = page.text(Wording::Thanks);
    s.place = r.place;
    s.date = r.date;
    s.taxLine = taxmode::printedTaxLine(page.taxNumber, page.vatId);
    s.taxNote = page.taxNote;
    s.vatRows = taxmode::chargesVat(page.taxMode);
    s.issuer = page.issuer;
    return s;
}

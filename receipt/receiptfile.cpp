#include "receipt/receiptfile.h"

#include "text/textlines.h"

namespace receiptfile {

namespace {

QString issuerKey(int line)
{
    return key::issuer + QString::number(line + 1);
}

constexpr int issuerLines = 6;

} // namespace

QString ReceiptRecord::*field(Line line)
{
    static QString ReceiptRecord::*const fields[lineCount] = {
        &ReceiptRecord::number,     &ReceiptRecord::netUnits,     &ReceiptRecord::netPennies,
        &ReceiptRecord::vatUnits,   &ReceiptRecord::vatPennies,   &ReceiptRecord::totalUnits,
        &ReceiptRecord::totalPennies, &ReceiptRecord::amountInWords, &ReceiptRecord::payer,
        &ReceiptRecord::purpose,    &ReceiptRecord::date,         &ReceiptRecord::place,
    };
    return line >= 0 && line < lineCount ? fields[line] : nullptr;
}

QString fileName(const QString &number)
{
    return number.trimmed() + QStringLiteral(".num");
}

QString text(const ReceiptRecord &r)
{
    QString out;
    for (int line = 0; line < lineCount; ++line)
        out += r.*field(Line(line)) + textlines::lineEnd;
    const auto named = [&out](const QString &name, const QString &value) {
        out += name + QLatin1Char('=') + value + textlines::lineEnd;
    };
    // What the evaluation reads comes first: rate, taxation, what it cancels.
    if (r.page) {
        named(key::rate, r.vatRate);
        named(key::taxMode, taxmode::code(r.page->taxMode));
    }
    if (!r.cancels.isEmpty())
        named(key::cancels, r.cancels);
    if (r.page) {
        const ReceiptPage &p = *r.page;
        named(key::taxNote, p.taxNote);
        named(key::taxNumber, p.taxNumber);
        named(key::vatId, p.vatId);
        if (p.issuer) {
            for (int line = 0; line < issuerLines; ++line)
                named(issuerKey(line), p.issuer->value(line));
        }
        for (const WordingRow &row : wordingTable()) {
            if (row.part != Wording::Rate)
                named(row.receiptKey, p.text(row.part));
        }
    }
    return out;
}

ReceiptRecord fromLines(const QStringList &lines)
{
    ReceiptRecord r;
    for (int line = 0; line < lineCount && line < lines.size(); ++line)
        r.*field(Line(line)) = lines.at(line);
    ReceiptPage page;
    bool paged = false;
    QStringList issuer(issuerLines);
    bool hasIssuer = false;
    for (qsizetype i = lineCount; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString name = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (name == key::cancels) {
            r.cancels = value;
            continue;
        }
        paged = true;
        if (name == key::rate) {
            r.vatRate = value;
        } else if (name == key::taxMode) {
            page.taxMode = taxmode::fromCode(value).value_or(TaxMode::Regular);
        } else if (name == key::taxNote) {
            page.taxNote = value;
        } else if (name == key::taxNumber) {
            page.taxNumber = value;
        } else if (name == key::vatId) {
            page.vatId = value;
        } else if (name.startsWith(key::issuer)) {
            bool ok = false;
            const int n = name.mid(key::issuer.size()).toInt(&ok);
            if (ok && n >= 1 && n <= issuerLines) {
                issuer[n - 1] = value;
                hasIssuer = true;
            }
        } else {
            for (const WordingRow &row : wordingTable()) {
                if (row.receiptKey == name && row.part != Wording::Rate)
                    page.text(row.part) = value;
            }
        }
    }
    if (hasIssuer)
        page.issuer = issuer;
    if (paged)
        r.page = page;
    return r;
}

QByteArrayView fieldBytes(QByteArrayView bytes)
{
    qsizetype end = 0;
    int count = 0;
    textlines::forEachLine(
        bytes, [&](qsizetype, qsizetype lineEnd) {
            ++count;
            end = lineEnd;
        },
        lineCount);
    return count < lineCount ? bytes : bytes.first(end);
}

QByteArrayView heldBytes(QByteArrayView bytes)
{
    qsizetype end = 0;
    int count = 0;
    bool more = true;
    textlines::forEachLine(bytes, [&](qsizetype begin, qsizetype lineEnd) {
        if (!more)
            return;
        if (count++ >= lineCount) {
            const QByteArrayView line = bytes.sliced(begin, lineEnd - begin);
            const qsizetype eq = line.indexOf('=');
            const QByteArrayView name = eq > 0 ? line.first(eq) : QByteArrayView();
            if (name != QByteArrayView("Satz") && name != QByteArrayView("Besteuerung")
                && name != QByteArrayView("Storno")) {
                more = false;
                return;
            }
        }
        end = lineEnd;
    });
    return more ? bytes : bytes.first(end);
}

void forEachNamedLine(QByteArrayView bytes, const std::function<void(QByteArrayView, QByteArrayView)> &f)
{
    int count = 0;
    textlines::forEachLine(bytes, [&](qsizetype begin, qsizetype end) {
        if (count++ < lineCount)
            return;
        const QByteArrayView line = bytes.sliced(begin, end - begin);
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            f(line.first(eq), line.sliced(eq + 1));
    });
}

} // namespace receiptfile

#include "amounts/netvat.h"

#include <QRegularExpression>

#include "amounts/decimal.h"

namespace {

// A whole number of pennies with its sign. The amounts are texts of any
// length, so the arithmetic works on digit strings rather than on a machine
// number that could overflow or round.
struct Pennies
{
    bool negative = false;
    QByteArray digits = "0";

    bool isZero() const { return digitstring::normalized(digits) == "0"; }
};

QByteArray zeros(int count)
{
    return QByteArray(count, '0');
}

// value / divisor in pennies, rounded half a penny away from zero.
Pennies dividedToPennies(const Decimal &value, const Decimal &divisor)
{
    const QByteArray numerator = value.digits + zeros(2 + divisor.scale);
    const QByteArray denominator = divisor.digits + zeros(value.scale);
    QByteArray remainder;
    QByteArray quotient = digitstring::divide(numerator, denominator, &remainder);
    if (digitstring::compare(digitstring::add(remainder, remainder), denominator) >= 0)
        quotient = digitstring::add(quotient, "1");
    Pennies p;
    p.digits = quotient;
    p.negative = value.negative != divisor.negative && !p.isZero();
    return p;
}

Pennies minus(const Pennies &a, const Pennies &b)
{
    Pennies r;
    if (a.negative != b.negative) {
        r.digits = digitstring::add(a.digits, b.digits);
        r.negative = a.negative;
    } else if (digitstring::compare(a.digits, b.digits) >= 0) {
        r.digits = digitstring::subtract(a.digits, b.digits);
        r.negative = a.negative;
    } else {
        r.digits = digitstring::subtract(b.digits, a.digits);
        r.negative = !a.negative;
    }
    if (r.isZero())
        r.negative = false;
    return r;
}

// 1 + rate/100 for the number the rate text starts with ("16" gives 1.16,
// "7%" 1.07, "5.5" 1.055, "100" 2).
Decimal divisorFor(const QString &rate)
{
    // A German rate has a decimal comma ("5,5").
    const Decimal r = Decimal::parseLeading(QString(rate).replace(QLatin1Char(','), QLatin1Char('.')));
    const QByteArray hundred = QByteArray("100") + zeros(r.scale);
    Decimal d;
    d.scale = r.scale + 2;
    if (!r.negative) {
        d.digits = digitstring::add(hundred, r.digits);
    } else if (digitstring::compare(hundred, r.digits) >= 0) {
        d.digits = digitstring::subtract(hundred, r.digits);
    } else {
        d.digits = digitstring::subtract(r.digits, hundred);
        d.negative = true;
    }
    return d;
}

// Whole units as a plain number, keeping the sign even when they are zero.
QString unitsText(const Pennies &p)
{
    const QByteArray digits = digitstring::normalized(p.digits);
    const QByteArray whole = digits.size() > 2 ? digits.left(digits.size() - 2) : QByteArray("0");
    return QString::fromLatin1((p.negative ? "-" : "") + whole);
}

QString penniesText(const Pennies &p)
{
    const QByteArray digits = zeros(2) + p.digits;
    return QString::fromLatin1(digits.right(2));
}

} // namespace

Breakdown NetVatBreakdown(const AmountTexts &texts)
{
    Breakdown out;
    const QString units = texts.totalUnits.trimmed();
    out.totalUnits = units;
    QString pennies = texts.totalPennies.trimmed();
    if (pennies.isEmpty()) {
        pennies = QStringLiteral("00");
        out.totalPennies = pennies;
    }
    if (units.isEmpty()) {
        // An empty total counts as nothing, whatever the pennies say.
        out.totalUnits = QStringLiteral("0");
        out.totalPennies = QStringLiteral("00");
        pennies = QStringLiteral("00");
        out.netUnits = QStringLiteral("0");
        out.netPennies = QStringLiteral("00");
        out.vatUnits = QStringLiteral("0");
        out.vatPennies = QStringLiteral("00");
    }

    const QString rate = texts.rate.trimmed();
    static const QRegularExpression zero(QStringLiteral("^0+([.,]0*)?$"));
    if (zero.match(rate).hasMatch()) {
        out.vatUnits = QString();
        return out;
    }

    const Decimal divisor = divisorFor(rate);
    if (divisor.negative || divisor.isZero()) {
        // A rate of -100 % or below has no net amount.
        out.netUnits = out.netPennies = out.vatUnits = out.vatPennies = QString();
        return out;
    }

    Decimal one;
    one.digits = "1";
    const Decimal gross = Decimal::parseLeading(QString(units + QLatin1Char('.') + pennies));
    const Pennies grossRounded = dividedToPennies(gross, one);
    const Pennies net = dividedToPennies(gross, divisor);
    const Pennies vat = minus(grossRounded, net);
    out.vatPennies = penniesText(vat);
    out.vatUnits = unitsText(vat);
    out.netPennies = penniesText(net);
    out.netUnits = unitsText(net);
    return out;
}

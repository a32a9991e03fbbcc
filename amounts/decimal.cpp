#include "amounts/decimal.h"

#include <algorithm>

namespace digitstring {

QByteArray normalized(QByteArray digits)
{
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits.at(first) == '0')
        ++first;
    digits.remove(0, first);
    return digits.isEmpty() ? QByteArray("0") : digits;
}

int compare(const QByteArray &a, const QByteArray &b)
{
    const QByteArray x = normalized(a);
    const QByteArray y = normalized(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    const int c = x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QByteArray add(const QByteArray &a, const QByteArray &b)
{
    QByteArray result;
    int carry = 0;
    for (qsizetype i = a.size() - 1, j = b.size() - 1; i >= 0 || j >= 0 || carry; --i, --j) {
        int sum = carry;
        if (i >= 0)
            sum += a.at(i) - '0';
        if (j >= 0)
            sum += b.at(j) - '0';
        result.append(char('0' + sum % 10));
        carry = sum / 10;
    }
    std::reverse(result.begin(), result.end());
    return normalized(result);
}

QByteArray subtract(const QByteArray &a, const QByteArray &b)
{
    QByteArray result;
    int borrow = 0;
    for (qsizetype i = a.size() - 1, j = b.size() - 1; i >= 0; --i, --j) {
        int d = (a.at(i) - '0') - borrow - (j >= 0 ? b.at(j) - '0' : 0);
        borrow = d < 0;
        if (d < 0)
            d += 10;
        result.append(char('0' + d));
    }
    std::reverse(result.begin(), result.end());
    return normalized(result);
}

QByteArray divide(const QByteArray &a, const QByteArray &b, QByteArray *remainder)
{
    const QByteArray divisor = normalized(b);
    Q_ASSERT(divisor != "0");
    QByteArray quotient;
    quotient.reserve(a.size());
    if (divisor.size() <= 17) {
        // Short division: the divisor and each partial remainder fit a
        // machine word, only the dividend may be of any length.
        const quint64 d = divisor.toULongLong();
        quint64 rest = 0;
        for (const char digit : a) {
            rest = rest * 10 + quint64(digit - '0');
            quotient.append(char('0' + rest / d));
            rest %= d;
        }
        if (remainder)
            *remainder = QByteArray::number(rest);
        return normalized(quotient);
    }
    // Long division, one digit of the quotient at a time; each digit is found
    // by at most nine subtractions.
    QByteArray rest = "0";
    for (const char digit : a) {
        rest = normalized(rest + digit);
        char q = '0';
        while (compare(rest, divisor) >= 0) {
            rest = subtract(rest, divisor);
            ++q;
        }
        quotient.append(q);
    }
    if (remainder)
        *remainder = rest;
    return normalized(quotient);
}

} // namespace digitstring

Decimal Decimal::parseLeading(QStringView text)
{
    Decimal d;
    QByteArray digits;
    bool signSeen = false;
    bool pointSeen = false;
    bool digitSeen = false;
    int scale = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && !signSeen && !digitSeen && !pointSeen) {
            signSeen = true;
            d.negative = c == QLatin1Char('-');
            continue;
        }
        if (c == QLatin1Char('.') && !pointSeen) {
            pointSeen = true;
            continue;
        }
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digitSeen = true;
            digits.append(char(c.unicode()));
            if (pointSeen)
                ++scale;
            continue;
        }
        break;
    }
    if (digits.isEmpty())
        return Decimal();
    d.digits = digits;
    d.scale = scale;
    if (d.isZero())
        d.negative = false;
    return d;
}

bool Decimal::isZero() const
{
    return std::all_of(digits.cbegin(), digits.cend(), [](char c) { return c == '0'; });
}

Decimal Decimal::plusOne() const
{
    const QByteArray one = QByteArray("1") + QByteArray(scale, '0');
    Decimal r;
    r.scale = scale;
    if (!negative) {
        r.digits = digitstring::add(digits, one);
    } else if (digitstring::compare(digits, one) >= 0) {
        r.digits = digitstring::subtract(digits, one);
        r.negative = !r.isZero();
    } else {
        r.digits = digitstring::subtract(one, digits);
    }
    return r;
}

QString Decimal::toPlainString() const
{
    QByteArray all = digits;
    if (all.size() <= scale)
        all.prepend(QByteArray(scale - all.size() + 1, '0'));
    QByteArray whole = digitstring::normalized(all.left(all.size() - scale));
    QByteArray fraction = all.right(scale);
    while (!fraction.isEmpty() && fraction.endsWith('0'))
        fraction.chop(1);
    QByteArray out = whole;
    if (!fraction.isEmpty())
        out += '.' + fraction;
    if (negative && !isZero())
        out.prepend('-');
    return QString::fromLatin1(out);
}

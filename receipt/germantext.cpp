#include "receipt/germantext.h"

namespace germantext {

QDate parseDate(QByteArrayView text)
{
    // By hand rather than by a regular expression: the evaluation reads a
    // date from every receipt, a hundred thousand of them.
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto blank = [&](qsizetype at) { return at < n && (text[at] == ' ' || text[at] == '\t'); };
    const auto number = [&](int minDigits, int maxDigits, int *value) {
        int digits = 0;
        *value = 0;
        while (i < n && digits < maxDigits && text[i] >= '0' && text[i] <= '9') {
            *value = *value * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        return digits >= minDigits && !(i < n && text[i] >= '0' && text[i] <= '9');
    };
    while (blank(i))
        ++i;
    int day = 0, month = 0, year = 0;
    if (!number(1, 2, &day) || i >= n || text[i++] != '.' || !number(1, 2, &month) || i >= n || text[i++] != '.')
        return QDate();
    const qsizetype yearStart = i;
    if (!number(2, 4, &year) || i - yearStart == 3)
        return QDate();
    if (i - yearStart == 2)
        year += 2000;
    while (blank(i))
        ++i;
    return i == n ? QDate(year, month, day) : QDate();
}

QDate parseDate(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            return QDate();
    }
    return parseDate(QByteArrayView(text.toLatin1()));
}

QString amount(const QByteArray &centsDigits, bool grouped)
{
    const QByteArray digits = centsDigits.rightJustified(3, '0');
    const QByteArray units = digits.chopped(2);
    QString out;
    out.reserve(units.size() + units.size() / 3 + 3);
    for (qsizetype i = 0; i < units.size(); ++i) {
        if (grouped && i > 0 && (units.size() - i) % 3 == 0)
            out += QLatin1Char('.');
        out += QLatin1Char(units.at(i));
    }
    out += QLatin1Char(',');
    out += QLatin1String(digits.right(2));
    return out;
}

QString date(QDate date)
{
    // QDate::toString would do, at several times the cost for a whole table.
    if (!date.isValid())
        return QString();
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    const char text[] = { char('0' + day / 10),          char('0' + day % 10),          '.',
                          char('0' + month / 10),        char('0' + month % 10),        '.',
                          char('0' + year / 1000 % 10), char('0' + year / 100 % 10), char('0' + year / 10 % 10),
                          char('0' + year % 10) };
    return QString::fromLatin1(text, sizeof text);
}

QString amount(qint64 cents, bool grouped)
{
    if (cents < 0)
        return QLatin1Char('-') + amount(QByteArray::number(cents).mid(1), grouped);
    return amount(QByteArray::number(cents), grouped);
}

bool acceptableDate(QStringView text)
{
    return text.trimmed().isEmpty() || parseDate(text).isValid();
}

} // namespace germantext

#include "receipt/vatrate.h"

namespace vatrate {

std::optional<int> parse(QStringView text)
{
    const QStringView t = text.trimmed();
    int whole = 0, wholeDigits = 0, decimals = 0, decimalDigits = 0;
    qsizetype i = 0;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80; ++i) {
        whole = whole * 10 + (t[i].unicode() - '0');
        if (++wholeDigits > 2)
            return std::nullopt;
    }
    if (wholeDigits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == QLatin1Char(',') || t[i] == QLatin1Char('.'))) {
        ++i;
        for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80; ++i) {
            decimals = decimals * 10 + (t[i].unicode() - '0');
            if (++decimalDigits > 2)
                return std::nullopt;
        }
        if (decimalDigits == 0)
            return std::nullopt;
        if (decimalDigits == 1)
            decimals *= 10;
    }
    if (i != t.size())
        return std::nullopt;
    return whole * hundredths + decimals;
}

QString text(int rate)
{
    QString out = QString::number(rate / hundredths);
    const int decimals = rate % hundredths;
    if (decimals == 0)
        return out;
    out += QLatin1Char(',') + QString::number(decimals / 10);
    if (decimals % 10)
        out += QString::number(decimals % 10);
    return out;
}

QString invalidMessage(const QString &typed)
{
    return QStringLiteral("Der Mehrwertsteuer-Satz „%1“ ist keine Zahl von 0 bis 99 mit höchstens zwei "
                          "Nachkommastellen (z.B.: 19, 7 oder 5,5).")
        .arg(typed);
}

qint64 netCents(qint64 totalCents, int rate)
{
    const qint64 divisor = 100 * hundredths + rate;
    return (2 * totalCents * 100 * hundredths + divisor) / (2 * divisor);
}

std::optional<int> derived(qint64 total, std::optional<qint64> net, std::optional<qint64> vat)
{
    // The breakdown at a rate of 0 only empties the VAT; at any other rate it
    // writes a VAT, so an empty VAT is a rate of 0 and nothing else.
    if (!vat)
        return 0;
    if (!net || *net + *vat != total)
        return std::nullopt;
    // A receipt without VAT keeps the whole total as its net.
    if (*vat == 0)
        return 0;
    std::optional<int> found;
    for (int whole = 1; whole <= 99; ++whole) {
        if (netCents(total, whole * hundredths) != *net)
            continue;
        if (found)
            return std::nullopt;
        found = whole * hundredths;
    }
    return found;
}

} // namespace vatrate

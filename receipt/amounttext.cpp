#include "receipt/amounttext.h"

#include <QRegularExpression>

namespace amounttext {

std::optional<Amount> read(QStringView text)
{
    // Grouped thousands, or plain digits; then a point or a comma before one
    // or two digits. A comma before three digits is refused rather than
    // taken for a thousands separator the German way does not write.
    static const QRegularExpression amount(
        QStringLiteral("^\\s*([0-9]{1,3}(?:\\.[0-9]{3})+|[0-9]*)(?:[.,]([0-9]{1,2}))?\\s*$"));
    const QRegularExpressionMatch m = amount.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    Amount a;
    a.units = m.captured(1).remove(QLatin1Char('.'));
    if (m.hasCaptured(2))
        a.pennies = m.captured(2).leftJustified(2, QLatin1Char('0'));
    // "," or ".50" alone is no amount; blanks alone are an empty one.
    if (a.units.isEmpty() && a.pennies)
        return std::nullopt;
    return a;
}

QString howToType(const QString &text, const QString &unitsField, const QString &currency, const QString &subunit)
{
    return QStringLiteral("Im Feld „%1“ steht „%2“: Das ist kein Betrag. Bitte schreiben Sie den Betrag nur mit "
                          "Ziffern, zum Beispiel 45 oder 1.250 für volle %3, oder 45,50, 45.50 oder 1.250,50 mit %4.")
        .arg(unitsField, text.trimmed(), currency, subunit);
}

} // namespace amounttext

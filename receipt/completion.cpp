#include "receipt/completion.h"

#include "amounts/netvat.h"
#include "amounts/words.h"
#include "receipt/amounttext.h"
#include "receipt/germantext.h"
#include "receipt/vatrate.h"

#include <QRegularExpression>

namespace completion {

namespace {

Result refuse(Field field, const QString &message)
{
    Result r;
    r.field = field;
    r.message = message;
    return r;
}

QString withoutColon(QString caption)
{
    caption = caption.trimmed();
    if (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    return caption.trimmed();
}

} // namespace

QString invalidDateMessage(const QString &caption, const QString &text)
{
    return QStringLiteral("Im Feld „%1“ steht „%2“: Das ist kein gültiges Datum. Bitte geben Sie einen Tag ein, "
                          "den es im Kalender gibt (z.B. 8.12.2026 oder 08.12.26), oder lassen Sie das Feld leer.")
        .arg(withoutColon(caption), text);
}

std::optional<int> rateOf(const ReceiptRecord &r)
{
    if (r.page)
        return vatrate::parse(r.vatRate);
    static const QRegularExpression units(QStringLiteral("^\\s*[0-9]{1,14}\\s*$"));
    static const QRegularExpression pennies(QStringLiteral("^\\s*[0-9]{0,2}\\s*$"));
    const auto cents = [](const QString &u, const QString &p) -> std::optional<qint64> {
        if (u.trimmed().isEmpty() && p.trimmed().isEmpty())
            return std::nullopt;
        if (!units.match(u).hasMatch() || !pennies.match(p).hasMatch())
            return std::nullopt;
        return u.trimmed().toLongLong() * 100 + p.trimmed().leftJustified(2, QLatin1Char('0')).toLongLong();
    };
    const std::optional<qint64> total = cents(r.totalUnits, r.totalPennies);
    if (!total)
        return std::nullopt;
    // The breakdown at a rate of 0 empties the VAT's whole units.
    if (r.vatUnits.trimmed().isEmpty())
        return 0;
    const std::optional<qint64> vat = cents(r.vatUnits, r.vatPennies);
    if (!vat)
        return std::nullopt;
    return vatrate::derived(*total, cents(r.netUnits, r.netPennies), vat);
}

Result complete(const Input &in)
{
    ReceiptRecord r = in.typed;
    const QString unitsField = in.totalCaption + QLatin1Char(' ') + in.currency;
    const QString penniesField = in.totalCaption + QLatin1Char(' ') + in.subunit;

    static const QRegularExpression pennyDigits(QStringLiteral("^[0-9]{0,2}$"));
    // A loaded cancellation keeps its negated amounts and goes out as it was
    // written.
    const QString unitsText = r.totalUnits.trimmed();
    const bool negated = in.storedAmounts && unitsText.startsWith(QLatin1Char('-'));
    const std::optional<amounttext::Amount> amount = amounttext::read(negated ? unitsText.mid(1) : r.totalUnits);
    if (!amount)
        return refuse(Field::TotalUnits, amounttext::howToType(r.totalUnits, unitsField, in.currency, in.subunit));
    QString units = amount->units;
    // Pennies typed after a point in the whole units are the pennies, as
    // when the field is left.
    QString pennies = amount->pennies.value_or(r.totalPennies.trimmed());
    if (units.isEmpty() && pennies.isEmpty())
        return refuse(Field::TotalUnits,
                      QStringLiteral("Die Quittung hat noch keinen Betrag. Bitte geben Sie ihn im Feld „%1“ ein.")
                          .arg(unitsField));
    if (units.isEmpty())
        return refuse(Field::TotalUnits,
                      QStringLiteral("Im Feld „%1“ fehlen die vollen %2. Bitte schreiben Sie 0, wenn es keine sind.")
                          .arg(unitsField, in.currency));
    if (!pennyDigits.match(pennies).hasMatch())
        return refuse(Field::TotalPennies,
                      QStringLiteral("Im Feld „%1“ dürfen nur bis zu zwei Ziffern stehen.").arg(penniesField));
    const std::optional<int> rate = vatrate::parse(r.vatRate);
    if (!rate)
        return refuse(Field::Rate, vatrate::invalidMessage(r.vatRate.trimmed()));
    if (!germantext::acceptableDate(r.date))
        return refuse(Field::Date, invalidDateMessage(in.dateCaption, r.date));
    r.vatRate = vatrate::text(*rate);
    if (in.storedAmounts)
        return { r, Field::None, QString() };

    // Leading zeros would only confuse the words ("007", "00"); one pennies
    // digit is tenths, as the breakdown reads it.
    units.remove(QRegularExpression(QStringLiteral("^0+(?=[0-9])")));
    pennies = pennies.leftJustified(2, QLatin1Char('0'));
    const std::optional<QString> words = AmountInWords(units);
    if (!words && !in.wordsByHand)
        return refuse(Field::Words, QStringLiteral("Beträge über 99 999 schreibt das Programm nicht in Worten aus. "
                                                   "Bitte geben Sie den Betrag in Worten selbst ein."));
    r.totalUnits = units;
    r.totalPennies = pennies;
    if (*rate == 0) {
        // Without VAT the net is the total.
        r.netUnits = units;
        r.netPennies = pennies;
        r.vatUnits = QStringLiteral("0");
        r.vatPennies = QStringLiteral("00");
    } else {
        const Breakdown b = NetVatBreakdown({ units, pennies, r.vatRate });
        r.netUnits = b.netUnits.value_or(QString());
        r.netPennies = b.netPennies.value_or(QString());
        r.vatUnits = b.vatUnits.value_or(QString());
        r.vatPennies = b.vatPennies.value_or(QString());
    }
    if (!in.wordsByHand)
        r.amountInWords = *words;
    return { r, Field::None, QString() };
}

} // namespace completion

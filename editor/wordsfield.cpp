#include "editor/quitt.h"
#include "editor/help.h"

#include "amounts/decimal.h"
#include "amounts/netvat.h"
#include "amounts/words.h"

#include <QRegularExpression>

namespace {

// Writes a field only when its text changes, so that the change handler of
// the total and the field's cursor are left alone otherwise.
void putText(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

void putText(QLineEdit *field, const std::optional<QString> &text)
{
    if (text)
        putText(field, *text);
}

} // namespace

void quitt::NetVatBreakdown()
{
    const Breakdown b = ::NetVatBreakdown({ Text6->text(), Text7->text(), Combo2->currentText() });
    putText(Text6, b.totalUnits);
    putText(Text7, b.totalPennies);
    putText(Text5, b.vatPennies);
    putText(Text4, b.vatUnits);
    putText(Text3, b.netPennies);
    putText(Text2, b.netUnits);
}

void quitt::Text9_GotFocus()
{
    setBackground(Text9, colours::focusYellow);
    NetVatBreakdown();
    const QString units = Text6->text().trimmed();
    putText(Text6, units);
    if (const auto words = AmountInWords(units))
        Text9->setText(*words);
}

void quitt::Text9_KeyPress(int &keyAscii)
{
    if (keyAscii == 13) {
        sendTab();
        keyAscii = 0;
    }
}

void quitt::Text9_LostFocus()
{
    setBackground(Text9, colours::white);
}

void quitt::Text9_MouseMove()
{
    setHelp(help::textFor(u"Text9"));
}

void quitt::Text9_Edited()
{
    m_wordsByHand = true;
}

bool quitt::amountsReady()
{
    const auto refuse = [this](QWidget *field, const QString &text) {
        m_platform.messageBox(this, text);
        field->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            edit->selectAll();
        return false;
    };
    // The fields as the window names them, with the current wording.
    const QString unitsField = Label3->text() + QLatin1Char(' ') + Label8->text();
    const QString penniesField = Label3->text() + QLatin1Char(' ') + Label11->text();

    static const QRegularExpression wholeUnits(QStringLiteral("^[0-9]+$"));
    static const QRegularExpression pennyDigits(QStringLiteral("^[0-9]{0,2}$"));
    static const QRegularExpression rateText(QStringLiteral("^[0-9]{1,2}(\\.[0-9]+)?$"));
    QString units = Text6->text().trimmed();
    QString pennies = Text7->text().trimmed();
    const QString rate = Combo2->currentText().trimmed();
    if (!wholeUnits.match(units).hasMatch())
        return refuse(Text6, QStringLiteral("Im Feld „%1“ muss der Betrag in vollen %2 stehen, nur mit "
                                            "Ziffern. Die %3 gehören in das Feld „%4“.")
                                 .arg(unitsField, Label8->text(), Label11->text(), penniesField));
    if (!pennyDigits.match(pennies).hasMatch())
        return refuse(Text7, QStringLiteral("Im Feld „%1“ dürfen nur bis zu zwei Ziffern stehen.").arg(penniesField));
    if (!rateText.match(rate).hasMatch())
        return refuse(Combo2, QStringLiteral("Der Mehrwertsteuer-Satz „%1“ ist keine Zahl von 0 bis 99.").arg(rate));
    // A loaded receipt keeps the figures and words of its file: the rate it
    // was written at is not stored, and the words may be the user's own.
    if (m_storedAmounts)
        return true;

    // Leading zeros would only confuse the words ("007", "00"); one pennies
    // digit is tenths, as the breakdown reads it.
    units.remove(QRegularExpression(QStringLiteral("^0+(?=[0-9])")));
    pennies = pennies.leftJustified(2, QLatin1Char('0'));
    const std::optional<QString> words = AmountInWords(units);
    if (!words && !m_wordsByHand)
        return refuse(Text9, QStringLiteral("Beträge über 99 999 schreibt das Programm nicht in Worten aus. "
                                            "Bitte geben Sie den Betrag in Worten selbst ein."));

    m_deriving = true;
    putText(Text6, units);
    putText(Text7, pennies);
    const Breakdown b = ::NetVatBreakdown({ units, pennies, rate });
    if (Decimal::parseLeading(rate).isZero()) {
        // Without VAT the net is the total.
        putText(Text2, units);
        putText(Text3, pennies);
        putText(Text4, QStringLiteral("0"));
        putText(Text5, QStringLiteral("00"));
    } else {
        putText(Text2, b.netUnits);
        putText(Text3, b.netPennies);
        putText(Text4, b.vatUnits);
        putText(Text5, b.vatPennies);
    }
    if (!m_wordsByHand)
        putText(Text9, *words);
    m_deriving = false;
    return true;
}

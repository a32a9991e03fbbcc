#include "editor/quitt.h"

#include "receipt/amounttext.h"

#include <QLineEdit>
#include <QRegularExpression>

// Every entry field of the receipt is yellow while it has the focus and white
// after it lost it, and Enter moves on to the next field as Tab does.
namespace {

void highlight(QWidget *field)
{
    setBackground(field, colours::focusYellow);
}

void unhighlight(QWidget *field)
{
    setBackground(field, colours::white);
}

void enterMovesOn(int &keyAscii)
{
    if (keyAscii == 13) {
        sendTab();
        keyAscii = 0;
    }
}

} // namespace

void quitt::Text8_GotFocus() { highlight(Text8); }
void quitt::Text8_LostFocus() { unhighlight(Text8); }
void quitt::Text8_KeyPress(int &keyAscii) { enterMovesOn(keyAscii); }

void quitt::Text6_GotFocus() { highlight(Text6); }

// Leaving the whole units reads them as a pasted amount is read: "1.250"
// becomes 1250, "45.50" becomes 45 and 50. What is no amount is refused at
// once, and stays for correcting.
void quitt::Text6_LostFocus()
{
    unhighlight(Text6);
    if (const std::optional<amounttext::Amount> amount = amounttext::read(Text6->text())) {
        takeAmount(*amount);
        return;
    }
    m_platform.beep();
    m_platform.messageBox(this, amounttext::howToType(Text6->text(), Label3->text() + QLatin1Char(' ') + Label8->text(),
                                                      Label8->text(), Label11->text()));
    Text6->setFocus();
}

// A comma typed in the whole units moves on to the pennies, so that "119,00"
// typed in one go becomes 119 and 00. A point stays: it is read when the
// field is left.
void quitt::Text6_KeyPress(int &keyAscii)
{
    if (keyAscii == ',') {
        keyAscii = 0;
        sendTab();
        return;
    }
    enterMovesOn(keyAscii);
}

void quitt::takeAmount(const amounttext::Amount &amount)
{
    if (Text6->text() != amount.units)
        Text6->setText(amount.units);
    if (amount.pennies)
        Text7->setText(*amount.pennies);
}

void quitt::Text6_Change()
{
    m_unitsBefore = Text6->text();
}

// An edit by the user. A keystroke stays as typed (Text6_KeyPress has taken
// the comma); what was pasted or dropped is read as an amount at once, and
// refused with a beep when it is none. Qt reports the edit before the
// change, so m_unitsBefore still holds the text before it.
void quitt::Text6_Edited()
{
    const QString before = m_unitsBefore;
    const QString now = Text6->text();
    qsizetype head = 0;
    while (head < before.size() && head < now.size() && before[head] == now[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < now.size() - head
           && before[before.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    const QString inserted = now.mid(head, now.size() - head - tail);
    if (inserted.size() <= 1 && inserted != QLatin1String(","))
        return;
    for (const QString &candidate : { now, inserted }) {
        if (const std::optional<amounttext::Amount> amount = amounttext::read(candidate)) {
            takeAmount(*amount);
            return;
        }
    }
    Text6->setText(before);
    Text6->setCursorPosition(int(head));
    if (inserted == QLatin1String(","))
        sendTab();
    else
        m_platform.beep();
}

void quitt::Text7_GotFocus() { highlight(Text7); }

// One digit of pennies is tenths: "5" is 50.
void quitt::Text7_LostFocus()
{
    unhighlight(Text7);
    static const QRegularExpression oneDigit(QStringLiteral("^\\s*[0-9]\\s*$"));
    if (oneDigit.match(Text7->text()).hasMatch())
        Text7->setText(Text7->text().trimmed() + QLatin1Char('0'));
}

// Pennies have two digits: a third is refused as it is typed.
void quitt::Text7_KeyPress(int &keyAscii)
{
    if (QChar(keyAscii).isPrint() && Text7->text().size() - Text7->selectedText().size() >= 2) {
        keyAscii = 0;
        m_platform.beep();
        return;
    }
    enterMovesOn(keyAscii);
}

void quitt::Combo3_GotFocus() { highlight(Combo3); }
void quitt::Combo3_LostFocus() { unhighlight(Combo3); }
void quitt::Combo3_KeyPress(int &keyAscii) { enterMovesOn(keyAscii); }

void quitt::Combo4_GotFocus() { highlight(Combo4); }
void quitt::Combo4_LostFocus() { unhighlight(Combo4); }
void quitt::Combo4_KeyPress(int &keyAscii) { enterMovesOn(keyAscii); }

void quitt::Text10_GotFocus() { highlight(Text10); }
void quitt::Text10_LostFocus() { unhighlight(Text10); }
void quitt::Text10_KeyPress(int &keyAscii) { enterMovesOn(keyAscii); }

void quitt::Text11_GotFocus() { highlight(Text11); }
void quitt::Text11_LostFocus() { unhighlight(Text11); }
void quitt::Text11_KeyPress(int &keyAscii) { enterMovesOn(keyAscii); }

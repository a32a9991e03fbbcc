#include "editor/quitt.h"

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
void quitt::Text6_LostFocus() { unhighlight(Text6); }
// Pennies belong in their own field. A comma typed in the whole units moves on
// to the pennies, so that "119,00" typed in one go becomes 119 and 00; a point
// is not taken either, lest "12.50" silently become 1250.
void quitt::Text6_KeyPress(int &keyAscii)
{
    if (keyAscii == ',') {
        keyAscii = 0;
        sendTab();
        return;
    }
    if (keyAscii == '.') {
        keyAscii = 0;
        pointInUnits();
        return;
    }
    enterMovesOn(keyAscii);
}

// The point is pointed out, and the whole text selected so that the next
// keystroke replaces it.
void quitt::pointInUnits()
{
    m_platform.beep();
    m_platform.messageBox(this, QStringLiteral("Volle Summe, keine Nachkomma-Stellen"));
    Text6->setFocus();
    Text6->setSelection(0, 99);
}

// A change made by the program: a point or a comma that came with it (a
// receipt file written before such input was refused) is pointed out, once
// for each, as a typed point is.
void quitt::Text6_Change()
{
    m_unitsBefore = Text6->text();
    for (const QChar separator : { QLatin1Char('.'), QLatin1Char(',') }) {
        if (Text6->text().contains(separator))
            pointInUnits();
    }
}

// An edit by the user. Typed separators never get here (Text6_KeyPress takes
// them); what was pasted or dropped is checked: digits are taken, a German
// amount ("1.250,50") is taken apart into units and pennies, anything else is
// refused with a beep. Qt reports the edit before the change, so
// m_unitsBefore still holds the text before it.
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
    const bool separator = inserted == QLatin1String(",") || inserted == QLatin1String(".");

    static const QRegularExpression digits(QStringLiteral("^[0-9]*$"));
    // One character is a keystroke, or as good as one: letters stay as typed,
    // as everywhere on the receipt; the check before saving names them.
    if (digits.match(now).hasMatch() || (inserted.size() <= 1 && !separator))
        return;

    static const QRegularExpression germanAmount(
        QStringLiteral("^\\s*([0-9]{1,3}(?:\\.[0-9]{3})+|[0-9]+)(?:,([0-9]{1,2}))?\\s*$"));
    for (const QString &candidate : { now, inserted }) {
        const QRegularExpressionMatch amount = germanAmount.match(candidate);
        if (separator || !amount.hasMatch())
            continue;
        Text6->setText(amount.captured(1).remove(QLatin1Char('.')));
        if (amount.hasCaptured(2))
            Text7->setText(amount.captured(2).leftJustified(2, QLatin1Char('0')));
        return;
    }

    Text6->setText(before);
    Text6->setCursorPosition(int(head));
    if (inserted == QLatin1String(","))
        sendTab();
    else if (inserted == QLatin1String("."))
        pointInUnits();
    else
        m_platform.beep();
}

void quitt::Text7_GotFocus() { highlight(Text7); }
void quitt::Text7_LostFocus() { unhighlight(Text7); }
void quitt::Text7_KeyPress(int &keyAscii) { enterMovesOn(keyAscii); }

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

#include "editor/quitt.h"

#include <QLineEdit>

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
void quitt::Text6_KeyPress(int &keyAscii) { enterMovesOn(keyAscii); }

// Pennies belong in their own field: a point or a comma in the whole units is
// pointed out, once for each, and the whole text is selected so that the next
// keystroke replaces it. The text itself stays as it is.
void quitt::Text6_Change()
{
    for (const QChar separator : { QLatin1Char('.'), QLatin1Char(',') }) {
        if (!Text6->text().contains(separator))
            continue;
        m_platform.beep();
        m_platform.messageBox(this, QStringLiteral("Volle Summe, keine Nachkomma-Stellen"));
        Text6->setFocus();
        Text6->setSelection(0, 99);
    }
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

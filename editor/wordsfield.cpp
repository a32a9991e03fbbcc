#include "editor/quitt.h"
#include "editor/help.h"

#include "amounts/netvat.h"
#include "amounts/words.h"

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

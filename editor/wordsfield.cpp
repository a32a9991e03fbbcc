#include "editor/quitt.h"
#include "editor/help.h"

#include "receipt/completion.h"
#include "receipt/vatrate.h"
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
    // Without VAT the net is the total, as saving completes the receipt:
    // the fields show the same before and after.
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (vatrate::parse(Combo2->currentText()) == 0 && digits.match(Text6->text()).hasMatch()) {
        putText(Text2, Text6->text());
        putText(Text3, Text7->text());
        putText(Text4, QStringLiteral("0"));
        putText(Text5, QStringLiteral("00"));
    }
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
    completion::Input in;
    in.typed = currentRecord();
    in.wordsByHand = m_wordsByHand;
    in.storedAmounts = m_storedAmounts;
    in.totalCaption = Label3->text();
    in.currency = Label8->text();
    in.subunit = Label11->text();
    in.dateCaption = Frame11->title();
    const completion::Result done = completion::complete(in);
    if (!done.record) {
        QWidget *const fields[] = { nullptr, Text6, Text7, Combo2, Text9, Text11 };
        QWidget *field = fields[int(done.field)];
        m_platform.messageBox(this, done.message);
        if (field) {
            field->setFocus();
            if (auto *edit = qobject_cast<QLineEdit *>(field))
                edit->selectAll();
        }
        return false;
    }
    const ReceiptRecord &r = *done.record;
    m_deriving = true;
    putText(Text6, r.totalUnits);
    putText(Text7, r.totalPennies);
    putText(Text2, r.netUnits);
    putText(Text3, r.netPennies);
    putText(Text4, r.vatUnits);
    putText(Text5, r.vatPennies);
    putText(Text9, r.amountInWords);
    if (Combo2->currentText() != r.vatRate)
        Combo2->setEditText(r.vatRate);
    m_deriving = false;
    return true;
}

#include "editor/quitt.h"

#include "print/receiptlayout.h"
#include "settings/settings.h"
#include "settings/userdatafile.h"

namespace {

PrintSnapshot snapshotOf(const quitt &w)
{
    PrintSnapshot s;
    s.titleWord = w.Combo1->currentText();
    s.number = w.Text8->text();
    s.netWording = w.Label2->text();
    s.vatSign = w.Label4->text();
    s.vatRate = w.Combo2->currentText();
    s.vatWording = w.Label5->text();
    s.totalWording = w.Label3->text();
    s.currencyNames = { w.Label6->text(), w.Label7->text(), w.Label8->text() };
    s.subunitNames = { w.Label9->text(), w.Label10->text(), w.Label11->text() };
    s.netUnits = w.Text2->text();
    s.netPennies = w.Text3->text();
    s.vatUnits = w.Text4->text();
    s.vatPennies = w.Text5->text();
    s.totalUnits = w.Text6->text();
    s.totalPennies = w.Text7->text();
    s.amountInWords = w.Text9->text();
    s.wordsHeading = w.Frame6->title();
    s.penniesNote = w.Label12->text();
    s.payerHeading = w.Frame7->title();
    s.payer = w.Combo3->currentText();
    s.purposeHeading = w.Frame8->title();
    s.purpose = w.Combo4->currentText();
    s.thanks = w.Label13->text();
    s.place = w.Text10->text();
    s.date = w.Text11->text();
    return s;
}

// The font name of the print, by way of the hidden font label. An empty font
// file names no font: the printer's own stays, as without the file.
std::optional<QString> printFont(quitt &w)
{
    const auto name = settingValue(w.files(), settingsfile::schrift);
    if (!name || name->isEmpty())
        return std::nullopt;
    w.Label14->setText(*name);
    return w.Label14->text();
}

bool printerReady(quitt &w)
{
    w.platform().beep();
    return w.platform().messageBox(&w, QStringLiteral("Drucker bereit?"), QStringLiteral("Quittungsdruck"),
                                   Platform::Buttons::OkCancel, Platform::Icon::Question)
        == Platform::Answer::Ok;
}

// Lays out the copies one below the other on one page and prints it. Every
// copy reads the font file, the window and the user data anew.
void printCopies(quitt &w, std::initializer_list<float> offsets)
{
    QString error;
    std::unique_ptr<PrintSurface> surface;
    for (const float offset : offsets) {
        const std::optional<QString> font = printFont(w);
        const PrintSnapshot snapshot = snapshotOf(w);
        const std::optional<QStringList> userData = ReadUserData(w.files());
        const QList<PrintOperation> ops = ReceiptLayout(snapshot, font, userData, offset);
        if (!surface) {
            surface = w.platform().beginPrint(&w, &error);
            if (!surface) {
                // Nothing and no error: the user declined to print into a file.
                if (!error.isEmpty())
                    w.platform().messageBox(&w, error);
                return;
            }
        }
        for (const PrintOperation &op : ops)
            surface->execute(op);
    }
    if (surface && !surface->endDocument(&error))
        w.platform().messageBox(&w, error);
}

} // namespace

void quitt::Command5_Click()
{
    if (!printerReady(*this))
        return;
    printCopies(*this, { 0 });
}

void quitt::Command7_Click()
{
    if (!printerReady(*this))
        return;
    printCopies(*this, { 0, receiptlayout::secondCopyOffset });
}

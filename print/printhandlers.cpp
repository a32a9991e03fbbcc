#include "editor/quitt.h"

#include "print/pdfname.h"
#include "print/printerchoice.h"
#include "print/receiptlayout.h"
#include "settings/settings.h"
#include "settings/userdatafile.h"

#include <QDir>

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

// The operations of a page with copies one below the other. Every copy reads
// the font file, the window and the user data anew.
QList<PrintOperation> layoutPage(quitt &w, std::initializer_list<float> offsets)
{
    QList<PrintOperation> page;
    for (const float offset : offsets) {
        const std::optional<QString> font = printFont(w);
        const PrintSnapshot snapshot = snapshotOf(w);
        const std::optional<QStringList> userData = ReadUserData(w.files());
        page += ReceiptLayout(snapshot, font, userData, offset);
    }
    return page;
}

QString suggestedPdfPath(quitt &w)
{
    return QDir(w.files().path()).filePath(defaultPdfFileName(w.Text8->text()));
}

const QString pdfFilter = QStringLiteral("PDF-Dateien (*.pdf)");

// Sends the page to the chosen printer, or, when no printer is installed at
// all, into a PDF file the user names. True when the page went out.
bool printPage(quitt &w, QWidget *parent, const QList<PrintOperation> &page, const QString &pdfPath)
{
    Platform &platform = w.platform();
    const QString printer = chosenPrinter(w.files());
    std::unique_ptr<PrintSurface> surface;
    QString error;
    if (!printer.isEmpty() && !platform.printerNames().contains(printer)) {
        platform.messageBox(parent, QStringLiteral("Den Drucker „%1“ gibt es nicht mehr. Die Quittung wurde nicht "
                                                   "gedruckt.\n\nBitte wählen Sie im Menü „Druck-Einstellungen“ "
                                                   "unter „Drucker wählen...“ einen anderen Drucker.")
                                        .arg(printer));
        return false;
    }
    if (printer.isEmpty() && platform.printerNames().isEmpty()) {
        const QString file = platform.saveFileName(
            parent, QStringLiteral("Kein Drucker eingerichtet – Quittung als PDF-Datei speichern"), pdfPath, pdfFilter);
        if (file.isEmpty())
            return false;
        surface = platform.beginPdf(file);
    } else {
        surface = platform.beginPrint(printer, &error);
    }
    if (!surface) {
        platform.messageBox(parent, error);
        return false;
    }
    for (const PrintOperation &op : page)
        surface->execute(op);
    if (!surface->endDocument(&error)) {
        platform.messageBox(parent, error);
        return false;
    }
    return true;
}

// Asks for the file, then lays out the page and writes it. True when it was
// written; a cancelled dialog reads nothing.
bool savePdf(quitt &w, QWidget *parent, const std::function<QList<PrintOperation>()> &layout,
             const QString &pdfPath)
{
    Platform &platform = w.platform();
    const QString file =
        platform.saveFileName(parent, QStringLiteral("Quittung als PDF-Datei speichern"), pdfPath, pdfFilter);
    if (file.isEmpty())
        return false;
    const QList<PrintOperation> page = layout();
    const std::unique_ptr<PrintSurface> surface = platform.beginPdf(file);
    for (const PrintOperation &op : page)
        surface->execute(op);
    QString error;
    if (!surface->endDocument(&error)) {
        platform.messageBox(parent, error);
        return false;
    }
    return true;
}

} // namespace

void quitt::Command5_Click()
{
    if (!printerReady(*this))
        return;
    printPage(*this, this, layoutPage(*this, { 0 }), suggestedPdfPath(*this));
}

void quitt::Command7_Click()
{
    if (!printerReady(*this))
        return;
    printPage(*this, this, layoutPage(*this, { 0, receiptlayout::secondCopyOffset }), suggestedPdfPath(*this));
}

void quitt::pdfspeichern_Click()
{
    savePdf(*this, this, [this] { return layoutPage(*this, { 0 }); }, suggestedPdfPath(*this));
}

void quitt::druckvorschau_Click()
{
    PrintPreview preview;
    preview.oneCopy = layoutPage(*this, { 0 });
    preview.twoCopies = layoutPage(*this, { 0, receiptlayout::secondCopyOffset });
    const QString printer = chosenPrinter(files());
    preview.printerCaption = printer.isEmpty() ? PrinterChoiceWindow::systemDefaultEntry() : printer;
    const QString path = suggestedPdfPath(*this);
    preview.print = [this, path](QWidget *window, const QList<PrintOperation> &page) {
        return printPage(*this, window, page, path);
    };
    preview.savePdf = [this, path](QWidget *window, const QList<PrintOperation> &page) {
        return savePdf(*this, window, [&page] { return page; }, path);
    };
    m_platform.showPrintPreview(this, preview);
}

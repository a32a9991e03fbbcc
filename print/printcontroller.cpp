#include "print/printcontroller.h"

#include "platform/platform.h"
#include "platform/secondarywindows.h"
#include "platform/textmetrics.h"
#include "print/form9.h"
#include "print/pdfname.h"
#include "print/printerchoice.h"
#include "settings/settings.h"
#include "settings/userdatafile.h"

#include <QDir>
#include <QWidget>

namespace {

const QString pdfFilter = QStringLiteral("PDF-Dateien (*.pdf)");

} // namespace

PrintController::PrintController(Platform &platform, PrintHost &host, SecondaryWindows &windows)
    : m_platform(platform), m_host(host), m_windows(windows)
{
}

// The font name of the print, by way of the main window's font holder. An
// empty font file names no font: the printer's own stays, as without the file.
std::optional<QString> PrintController::printFont()
{
    const auto name = settingValue(m_platform.files(), settingsfile::schrift);
    if (!name || name->isEmpty())
        return std::nullopt;
    return m_host.holdPrintFont(*name);
}

bool PrintController::printerReady()
{
    // Without any printer the page goes into a PDF file: nothing to ready.
    if (chosenPrinter(m_platform.files()).isEmpty() && m_platform.printerNames().isEmpty())
        return true;
    m_platform.beep();
    return m_platform.messageBox(m_host.hostWindow(), QStringLiteral("Drucker bereit?"),
                                 QStringLiteral("Quittungsdruck"), Platform::Buttons::OkCancel,
                                 Platform::Icon::Question)
        == Platform::Answer::Ok;
}

// The operations of a page with copies one below the other. Every copy reads
// the font file, the window and the user data anew.
QList<PrintOperation> PrintController::layoutPage(std::initializer_list<float> offsets)
{
    QList<PrintOperation> page;
    for (const float offset : offsets) {
        const std::optional<QString> font = printFont();
        const PrintSnapshot snapshot = m_host.printSnapshot();
        page += ReceiptLayout(snapshot, font, snapshot.issuer, offset, printTextMeasure());
    }
    return page;
}

QString PrintController::suggestedPdfPath() const
{
    return QDir(m_platform.files().path()).filePath(defaultPdfFileName(m_host.printSnapshot().number));
}

// Sends the page to the chosen printer, or, when no printer is installed at
// all, into a PDF file the user names. True when the page went out.
bool PrintController::printPage(QWidget *parent, const QList<PrintOperation> &page, const QString &pdfPath)
{
    const QString printer = chosenPrinter(m_platform.files());
    std::unique_ptr<PrintSurface> surface;
    QString error;
    if (!printer.isEmpty() && !m_platform.printerNames().contains(printer)) {
        m_platform.messageBox(parent, QStringLiteral("Den Drucker „%1“ gibt es nicht mehr. Die Quittung wurde nicht "
                                                     "gedruckt.\n\nBitte wählen Sie im Menü „Druck-Einstellungen“ "
                                                     "unter „Drucker wählen...“ einen anderen Drucker.")
                                          .arg(printer));
        return false;
    }
    if (printer.isEmpty() && m_platform.printerNames().isEmpty()) {
        const QString file = m_platform.saveFileName(
            parent, QStringLiteral("Kein Drucker eingerichtet – Quittung als PDF-Datei speichern"), pdfPath, pdfFilter);
        if (file.isEmpty())
            return false;
        surface = m_platform.beginPdf(file);
    } else {
        surface = m_platform.beginPrint(printer, &error);
    }
    if (!surface) {
        m_platform.messageBox(parent, error);
        return false;
    }
    for (const PrintOperation &op : page)
        surface->execute(op);
    if (!surface->endDocument(&error)) {
        m_platform.messageBox(parent, error);
        return false;
    }
    return true;
}

// Asks for the file, then lays out the page and writes it. True when it was
// written; a cancelled dialog reads nothing.
bool PrintController::savePdf(QWidget *parent, const std::function<QList<PrintOperation>()> &layout,
                              const QString &pdfPath)
{
    const QString file =
        m_platform.saveFileName(parent, QStringLiteral("Quittung als PDF-Datei speichern"), pdfPath, pdfFilter);
    if (file.isEmpty())
        return false;
    const QList<PrintOperation> page = layout();
    const std::unique_ptr<PrintSurface> surface = m_platform.beginPdf(file);
    for (const PrintOperation &op : page)
        surface->execute(op);
    QString error;
    if (!surface->endDocument(&error)) {
        m_platform.messageBox(parent, error);
        return false;
    }
    return true;
}

void PrintController::printOneCopy()
{
    if (!m_host.prepareForPrint() || !printerReady())
        return;
    printPage(m_host.hostWindow(), layoutPage({ 0 }), suggestedPdfPath());
}

void PrintController::printTwoCopies()
{
    if (!m_host.prepareForPrint() || !printerReady())
        return;
    printPage(m_host.hostWindow(), layoutPage({ 0, receiptlayout::secondCopyOffset }), suggestedPdfPath());
}

void PrintController::pdfspeichern_Click()
{
    if (!m_host.prepareForPrint())
        return;
    savePdf(m_host.hostWindow(), [this] { return layoutPage({ 0 }); }, suggestedPdfPath());
}

void PrintController::druckvorschau_Click()
{
    if (!m_host.prepareForPrint())
        return;
    PrintPreview preview;
    preview.oneCopy = layoutPage({ 0 });
    preview.twoCopies = layoutPage({ 0, receiptlayout::secondCopyOffset });
    const QString printer = chosenPrinter(m_platform.files());
    preview.printerCaption = printer.isEmpty() ? PrinterChoiceWindow::systemDefaultEntry(m_platform.printerNames())
                                               : printer;
    const QString path = suggestedPdfPath();
    preview.print = [this, path](QWidget *window, const QList<PrintOperation> &page) {
        return printPage(window, page, path);
    };
    preview.savePdf = [this, path](QWidget *window, const QList<PrintOperation> &page) {
        return savePdf(window, [&page] { return page; }, path);
    };
    m_windows.adopt(m_platform.showPrintPreview(m_host.hostWindow(), preview));
}

void PrintController::schrifti_Click()
{
    m_windows.open<Form9>([this] {
        // The main window stays out of sight while the font is chosen.
        QWidget *main = m_host.hostWindow();
        main->hide();
        return new Form9(m_platform, main);
    });
}

Form9 *PrintController::fontWindow() const
{
    return m_windows.find<Form9>();
}

void PrintController::druckerwahl_Click()
{
    m_windows.open<PrinterChoiceWindow>([this] { return new PrinterChoiceWindow(m_platform, m_host.hostWindow()); });
}

PrinterChoiceWindow *PrintController::printerWindow() const
{
    return m_windows.find<PrinterChoiceWindow>();
}

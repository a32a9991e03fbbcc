#include "einvoice/einvoicecontroller.h"

#include "einvoice/buyerstore.h"
#include "einvoice/buyerwindow.h"
#include "einvoice/pdfa3.h"
#include "platform/platform.h"
#include "platform/secondarywindows.h"
#include "settings/taxdata.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

EInvoiceController::EInvoiceController(Platform &platform, EInvoiceHost &host, SecondaryWindows &windows)
    : m_platform(platform), m_host(host), m_windows(windows)
{
}

void EInvoiceController::erechnung_Click()
{
    saveAs(EInvoiceFormat::FacturX);
}

void EInvoiceController::xrechnung_Click()
{
    saveAs(EInvoiceFormat::XRechnung);
}

// The receipt first, then the seller, then the buyer: a seller who lacks an
// item is told so before being asked about the buyer.
void EInvoiceController::saveAs(EInvoiceFormat format)
{
    const std::optional<EInvoiceReceipt> receipt = m_host.einvoiceReceipt();
    if (!receipt)
        return;
    const EInvoiceInput withoutBuyer = einvoice::input(*receipt, ReadSellerData(m_platform.files()), EInvoiceBuyer());
    const QStringList missing = einvoice::receiptAndSellerItems(withoutBuyer);
    if (!missing.isEmpty()) {
        m_platform.messageBox(m_host.hostWindow(), missing.join(QStringLiteral("\n\n")), QString(), Platform::Buttons::Ok,
                              Platform::Icon::Critical);
        return;
    }
    if (const auto buyer = buyerstore::find(m_platform.files(), receipt->payer)) {
        write(format, *receipt, *buyer);
        return;
    }
    EInvoiceBuyer prefilled;
    prefilled.party = einvoice::partyFromPayerLine(receipt->payer);
    const EInvoiceReceipt copy = *receipt;
    m_windows.open<BuyerWindow>([&] {
        return new BuyerWindow(m_platform, m_host.hostWindow(), receipt->payer, prefilled,
                               [this, format, copy](const EInvoiceBuyer &buyer) { write(format, copy, buyer); });
    });
}

void EInvoiceController::empfaenger_Click()
{
    const std::optional<EInvoiceReceipt> receipt = m_host.einvoiceReceipt();
    if (!receipt)
        return;
    EInvoiceBuyer shown;
    if (const auto kept = buyerstore::find(m_platform.files(), receipt->payer))
        shown = *kept;
    else
        shown.party = einvoice::partyFromPayerLine(receipt->payer);
    m_windows.open<BuyerWindow>(
        [&] { return new BuyerWindow(m_platform, m_host.hostWindow(), receipt->payer, shown); });
}

BuyerWindow *EInvoiceController::buyerWindow() const
{
    return m_windows.find<BuyerWindow>();
}

// The page as the program's PDF export writes it, read back from a
// temporary file.
std::optional<QByteArray> EInvoiceController::pagePdf(QString *error)
{
    QTemporaryDir temporary;
    const QString path = temporary.filePath(QStringLiteral("page.pdf"));
    const std::unique_ptr<PrintSurface> surface = m_platform.beginPdf(path);
    for (const PrintOperation &op : m_host.einvoicePage())
        surface->execute(op);
    if (!surface->endDocument(error))
        return std::nullopt;
    QFile file(path);
    if (!temporary.isValid() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Die Seite der Quittung konnte nicht als PDF-Datei angelegt werden (%1).")
                         .arg(file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

bool EInvoiceController::write(EInvoiceFormat format, const EInvoiceReceipt &receipt, const EInvoiceBuyer &buyer)
{
    QWidget *window = m_host.hostWindow();
    const EInvoiceInput in = einvoice::input(receipt, ReadSellerData(m_platform.files()), buyer);
    const QStringList missing = einvoice::missingItems(in, format);
    if (!missing.isEmpty()) {
        m_platform.messageBox(window, missing.join(QStringLiteral("\n\n")), QString(), Platform::Buttons::Ok,
                              Platform::Icon::Critical);
        return false;
    }
    const bool pdf = format == EInvoiceFormat::FacturX;
    const QString suggested = QDir(m_platform.files().path())
                                  .filePath(QStringLiteral("%1-%2.%3")
                                                .arg(pdf ? QStringLiteral("E-Rechnung") : QStringLiteral("XRechnung"),
                                                     in.number, pdf ? QStringLiteral("pdf") : QStringLiteral("xml")));
    const QString path = m_platform.saveFileName(
        window, pdf ? QStringLiteral("Quittung als E-Rechnung speichern") : QStringLiteral("Quittung als XRechnung speichern"),
        suggested, pdf ? QStringLiteral("PDF-Dateien (*.pdf)") : QStringLiteral("XML-Dateien (*.xml)"));
    if (path.isEmpty())
        return false;

    QString error;
    QByteArray bytes = einvoice::xml(in, format);
    if (pdf) {
        const std::optional<QByteArray> page = pagePdf(&error);
        const std::optional<QByteArray> whole =
            page ? pdfa3::attachInvoice(*page, bytes, QDateTime(m_platform.today(), QTime(0, 0), Qt::UTC), &error)
                 : std::nullopt;
        if (!whole) {
            m_platform.messageBox(window, error);
            return false;
        }
        bytes = *whole;
    }
    if (!pdfa3::writeWhole(path, bytes, &error)) {
        m_platform.messageBox(window, error);
        return false;
    }
    return true;
}

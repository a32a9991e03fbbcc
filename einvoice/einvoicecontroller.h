#pragma once

#include "einvoice/ciixml.h"
#include "einvoice/einvoicehost.h"

class BuyerWindow;
class Platform;
class SecondaryWindows;

// The receipt shown as an e-invoice: "Als E-Rechnung speichern..." writes
// the receipt's page as a PDF with the invoice XML inside, "Als XRechnung
// (XML) speichern..." the XML alone; "Rechnungsempfänger ändern..." edits
// the buyer kept for the receipt's payer. The main window connects its menu
// entries to the handlers here.
class EInvoiceController
{
public:
    EInvoiceController(Platform &platform, EInvoiceHost &host, SecondaryWindows &windows);

    void erechnung_Click();
    void xrechnung_Click();
    void empfaenger_Click();

    BuyerWindow *buyerWindow() const;

private:
    void saveAs(EInvoiceFormat format);
    bool write(EInvoiceFormat format, const EInvoiceReceipt &receipt, const EInvoiceBuyer &buyer);
    std::optional<QByteArray> pagePdf(QString *error);

    Platform &m_platform;
    EInvoiceHost &m_host;
    SecondaryWindows &m_windows;
};

#pragma once

#include "einvoice/einvoicedata.h"
#include "settings/taxdata.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The receipt as an e-invoice in the cross-industry invoice XML: one line,
// paid in cash, nothing left to pay. The same XML goes into the PDF as
// "factur-x.xml" and is written alone for public customers, there marked as
// an XRechnung.
enum class EInvoiceFormat {
    FacturX,   // the XML inside the PDF
    XRechnung, // the XML alone, for public customers
};

namespace einvoice {

inline const QString attachmentName = QStringLiteral("factur-x.xml");
// What the document context names as the rules the invoice follows.
QString guideline(EInvoiceFormat format);

// "12345 Musterstadt" (also "D-12345 …") as postcode and city; nothing
// parsed leaves both empty.
struct PostcodeCity
{
    QString postcode;
    QString city;
};
PostcodeCity splitPostcodeCity(const QString &line);

// The buyer as far as the payer line tells: "Name, Straße, PLZ Ort" gives all
// three, "Name, PLZ Ort" no street, anything else is taken as the name.
EInvoiceParty partyFromPayerLine(const QString &payer);

// The currency code for the currency name a receipt prints ("EUR", "Euro",
// "€" are EUR); other names upper-cased as they are.
QString currencyCode(const QString &currencyName);

// Everything together: the receipt, the seller from the issuer's lines and
// the seller settings (contact name and telephone fall back to the issuer's
// name and telephone line), and the buyer. Without VAT the whole total is
// the net amount.
EInvoiceInput input(const EInvoiceReceipt &receipt, const SellerData &seller, const EInvoiceBuyer &buyer);

// What keeps the invoice from being written, each as a German sentence that
// says where to enter it; empty when it can be written. The receipt's and
// the seller's items are the same for both formats and known before the
// buyer is asked for.
QStringList receiptAndSellerItems(const EInvoiceInput &input);
QStringList buyerItems(const EInvoiceInput &input, EInvoiceFormat format);
QStringList missingItems(const EInvoiceInput &input, EInvoiceFormat format);

// The XML, UTF-8. Only for an input without missing items.
QByteArray xml(const EInvoiceInput &input, EInvoiceFormat format);

// "119.00" for 11900 cents; "19.00" for a rate of 1900.
QString decimalText(qint64 hundredths);

} // namespace einvoice

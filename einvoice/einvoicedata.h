#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// A receipt as an invoice that was paid in cash on the spot: plain values,
// amounts in cents. The main window fills the receipt's part from the
// receipt it shows; the seller comes from the user and tax settings, the
// buyer from the "Rechnungsempfänger" answers kept for the payer.

enum class EInvoiceTaxMode {
    Standard,      // VAT charged at the receipt's rate
    SmallBusiness, // no VAT, by the small-business rule
    TaxFree,       // exempt, with the note printed on the receipt
};

struct EInvoiceParty
{
    QString name;
    QString street;
    QString postcode;
    QString city;
    QString country = QStringLiteral("DE"); // two letters
    QString vatId;
    // The seller's only.
    QString taxNumber;
    QString sellerId; // e.g. "HRB 1234, Amtsgericht Musterstadt"
    QString contactName;
    QString telephone;
    // The buyer's: the e-mail address invoices go to; the seller's: the
    // contact's and the electronic address.
    QString email;

    bool operator==(const EInvoiceParty &) const = default;
};

// What the main window hands over for the receipt it shows, field by field
// as the saved receipt holds it.
struct EInvoiceReceipt
{
    QString number;
    QDate date;
    QString payer; // the one free line; the buyer's answers are kept by it
    QString purpose;
    qint64 netCents = 0;
    qint64 vatCents = 0;
    qint64 totalCents = 0;
    int rateHundredths = 0; // 1900 = 19 %
    EInvoiceTaxMode mode = EInvoiceTaxMode::Standard;
    QString exemptionNote; // printed when no VAT is charged
    QString currency;      // the currency name the receipt prints, e.g. "EUR"
    QStringList issuerLines; // the six lines of the issuer's name and address
    QString taxNumber;
    QString vatId;

    bool operator==(const EInvoiceReceipt &) const = default;
};

// The buyer as the "Rechnungsempfänger" window asks for it.
struct EInvoiceBuyer
{
    EInvoiceParty party;
    QString reference; // Käuferreferenz or Leitweg-ID

    bool operator==(const EInvoiceBuyer &) const = default;
};

struct EInvoiceInput
{
    QString number;
    QDate issueDate;
    QString purpose;
    qint64 netCents = 0;
    qint64 vatCents = 0;
    qint64 totalCents = 0;
    int rateHundredths = 0;
    EInvoiceTaxMode mode = EInvoiceTaxMode::Standard;
    QString exemptionNote;
    QString currencyCode = QStringLiteral("EUR");
    EInvoiceParty seller;
    EInvoiceParty buyer;
    QString buyerReference;

    bool operator==(const EInvoiceInput &) const = default;
};

#pragma once

#include "platform/workdir.h"
#include "receipt/taxmode.h"

#include <QString>

// What the tax office needs to see on a receipt: the issuer's tax number
// and VAT identification number, and whether VAT is charged at all. Each
// value lives in a settings file of its own.
struct TaxData
{
    using Mode = TaxMode;

    QString taxNumber;
    QString vatId;
    Mode mode = Mode::Regular;
    QString exemptionNote = defaultExemptionNote();

    static QString defaultExemptionNote() { return taxmode::defaultExemptionNote(); }
    static QString smallBusinessNote() { return taxmode::smallBusinessNote(); }

    bool operator==(const TaxData &) const = default;
};

// What an e-invoice needs of the seller beyond the printed receipt: the
// country (two letters), a contact, and an identifier other than the tax
// number by which a buyer's software knows the seller, such as the
// commercial register number with its court. Kept beside the tax data, one
// value a file, and edited in the same window.
struct SellerData
{
    QString country = QStringLiteral("DE");
    QString contactName;
    QString telephone;
    QString email;
    QString sellerId;

    bool operator==(const SellerData &) const = default;
};

namespace settingsfile {
inline const QString steuernr = QStringLiteral("steuernr.dat");
inline const QString ustid = QStringLiteral("ustid.dat");
// "1" small business, "2" tax-free; anything else is the regular taxation.
inline const QString ustart = QStringLiteral("ustart.dat");
inline const QString ustfrei = QStringLiteral("ustfrei.dat");
inline const QString land = QStringLiteral("land.dat");
inline const QString ansprech = QStringLiteral("ansprech.dat");
inline const QString telefon = QStringLiteral("telefon.dat");
inline const QString email = QStringLiteral("email.dat");
inline const QString kennung = QStringLiteral("kennung.dat");
} // namespace settingsfile

// The stored values; a missing file gives the default of its value.
TaxData ReadTaxData(const WorkDir &dir);
// Writes the four files. A value with a line break or a character outside
// the code page is refused, with a German message, before any file is
// touched.
bool WriteTaxData(WorkDir &dir, const TaxData &data, QString *error = nullptr);
// The same for the seller's data too: the nine files, all checked first.
SellerData ReadSellerData(const WorkDir &dir);
bool WriteTaxData(WorkDir &dir, const TaxData &data, const SellerData &seller, QString *error = nullptr);

// The line printed below the issuer's address: "Steuernummer: …",
// "USt-IdNr.: …" or both, only what is set; empty when neither is.
QString printedTaxLine(const TaxData &data);
// The note printed below the purpose when no VAT is charged; empty with the
// regular taxation.
QString printedTaxNote(const TaxData &data);
// Whether net and VAT are computed and printed.
bool chargesVat(const TaxData &data);

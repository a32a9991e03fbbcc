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

namespace settingsfile {
inline const QString steuernr = QStringLiteral("steuernr.dat");
inline const QString ustid = QStringLiteral("ustid.dat");
// "1" small business, "2" tax-free; anything else is the regular taxation.
inline const QString ustart = QStringLiteral("ustart.dat");
inline const QString ustfrei = QStringLiteral("ustfrei.dat");
} // namespace settingsfile

// The stored values; a missing file gives the default of its value.
TaxData ReadTaxData(const WorkDir &dir);
// Writes the four files. A value with a line break or a character outside
// the code page is refused, with a German message, before any file is
// touched.
bool WriteTaxData(WorkDir &dir, const TaxData &data, QString *error = nullptr);

// The line printed below the issuer's address: "Steuernummer: …",
// "USt-IdNr.: …" or both, only what is set; empty when neither is.
QString printedTaxLine(const TaxData &data);
// The note printed below the purpose when no VAT is charged; empty with the
// regular taxation.
QString printedTaxNote(const TaxData &data);
// Whether net and VAT are computed and printed.
bool chargesVat(const TaxData &data);

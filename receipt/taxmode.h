#pragma once

#include <QString>

#include <optional>

// Whether a receipt charges VAT, and why not where it does not.
enum class TaxMode {
    Regular,       // VAT at the receipt's rate
    SmallBusiness, // no VAT charged, by the small-business rule
    TaxFree,       // exempt from VAT, with the user's note
};

namespace taxmode {
QString smallBusinessNote();
QString defaultExemptionNote();
// Net and VAT are computed and printed only with the regular taxation.
inline bool chargesVat(TaxMode mode) { return mode == TaxMode::Regular; }
// "Regelbesteuerung", "Kleinunternehmer nach § 19 UStG", "umsatzsteuerfrei".
QString name(TaxMode mode);
// The note printed below the purpose: none with the regular taxation, the
// fixed one for a small business, the user's own for a tax-free turnover.
QString printedNote(TaxMode mode, const QString &exemptionNote);
// The line below the issuer's address: "Steuernummer: …", "USt-IdNr.: …"
// or both, only what is set; empty when neither is.
QString printedTaxLine(const QString &taxNumber, const QString &vatId);
// The digit a settings file and a receipt file keep: "0", "1", "2".
QString code(TaxMode mode);
std::optional<TaxMode> fromCode(QStringView code);
} // namespace taxmode

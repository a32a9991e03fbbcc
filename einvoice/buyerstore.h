#pragma once

#include "einvoice/einvoicedata.h"
#include "platform/workdir.h"

#include <QString>

#include <optional>

// The "Rechnungsempfänger" answers, kept by payer in "empfaeng.dat": a block
// of nine lines per payer (the payer line as the receipt holds it, name,
// street, postcode, city, country, VAT id, buyer reference, e-mail), in the
// order the payers were first answered.
namespace buyerstore {

inline const QString fileName = QStringLiteral("empfaeng.dat");
inline constexpr int blockLines = 9;

// The answers kept for that payer (letter case and blanks around it do not
// count), or nothing.
std::optional<EInvoiceBuyer> find(const WorkDir &dir, const QString &payer);

// Keeps the answers for that payer, replacing those kept before, under the
// file's lock. False, with a German message, when a value holds a line break
// or a character the file cannot hold, or the file could not be read or
// written; nothing is changed then.
bool store(WorkDir &dir, const QString &payer, const EInvoiceBuyer &buyer, QString *error = nullptr);

} // namespace buyerstore

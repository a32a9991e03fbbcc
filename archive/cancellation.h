#pragma once

#include "archive/journal.h"
#include "archive/saving.h"
#include "receipt/receiptrecord.h"

#include <QDate>
#include <QString>

#include <optional>

// A cancellation: a receipt of its own, under the next number, that takes
// back a saved one. The original stays as it is; the journal links both.
namespace cancellation {

inline const QString title = QStringLiteral("Storno-Quittung");

// Why the receipt cannot be cancelled (it is a cancellation, or one exists
// already), or nothing.
std::optional<QString> refusal(const ReceiptRecord &original, const journal::Contents &journal);

// The cancellation of the original under the number, dated today: same
// payer, amounts negated, purpose "Storno zu Quittung Nr. N vom <Datum>:
// <Zweck>", the page's title "Storno-Quittung".
ReceiptRecord of(const ReceiptRecord &original, const QString &number, const QDate &today);

// An amount's units negated: "45" gives "-45", "-45" gives "45", blank stays.
QString negatedUnits(const QString &units);

struct Outcome
{
    SaveOutcome save;
    QString number; // of the cancellation, where it was saved
};
// Reads the receipt file, refuses as above, and saves its cancellation
// under the next number.
Outcome cancel(WorkDir &dir, const QString &fileName, const QDate &today);

} // namespace cancellation

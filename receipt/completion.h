#pragma once

#include "receipt/receiptrecord.h"

#include <QString>

#include <optional>

// From the texts of a receipt's fields to the receipt that is saved and
// printed: the amounts checked, net, VAT and words derived once, the rate
// and the date checked; or a refusal naming the field at fault.
namespace completion {

enum class Field { None, TotalUnits, TotalPennies, Rate, Words, Date };

struct Input
{
    ReceiptRecord typed; // the fields' texts as the window shows them
    // The words were typed by hand after the total last changed: they stay.
    bool wordsByHand = false;
    // Net, VAT and words are those of a loaded receipt file, untouched since:
    // they stay as the file has them.
    bool storedAmounts = false;
    // The captions the messages name the fields by.
    QString totalCaption = QStringLiteral("gesamt");
    QString currency = QStringLiteral("EUR");
    QString subunit = QStringLiteral("Cent");
    QString dateCaption = QStringLiteral("Datum:");
};

struct Result
{
    std::optional<ReceiptRecord> record; // the completed receipt
    Field field = Field::None;           // otherwise: the field at fault
    QString message;                     // and why
};

Result complete(const Input &input);

// The rate of a saved receipt: the stored one, or for a file of an older
// installation the one its figures fit (vatrate::derived); none where no rate
// or several fit.
std::optional<int> rateOf(const ReceiptRecord &record);

// The message for a date the calendar does not have.
QString invalidDateMessage(const QString &caption, const QString &text);

} // namespace completion

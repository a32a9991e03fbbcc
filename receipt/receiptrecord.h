#pragma once

#include "receipt/taxmode.h"
#include "receipt/wording.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What a receipt's page showed besides its own fields: kept with the
// receipt, so that a reprint years later is the same page whatever the
// settings say by then.
struct ReceiptPage
{
    TaxMode taxMode = TaxMode::Regular;
    QString taxNote; // printed below the purpose; empty with the regular taxation
    QString taxNumber;
    QString vatId;
    // The issuer's six address lines; none where the page asked for them.
    std::optional<QStringList> issuer;
    // Every rewordable text as the page showed it, by Wording; the rate's
    // entry stays empty (the record's rate is the rate).
    std::array<QString, wordingCount> wording;

    QString &text(Wording part) { return wording[size_t(part)]; }
    const QString &text(Wording part) const { return wording[size_t(part)]; }

    bool operator==(const ReceiptPage &) const = default;
};

// One receipt as the main window shows it: every field a text, exactly as
// displayed. Numbers are derived from the texts when they are needed.
struct ReceiptRecord
{
    QString number;
    QString totalUnits;
    QString totalPennies;
    QString netUnits;
    QString netPennies;
    QString vatUnits;
    QString vatPennies;
    QString vatRate;
    QString amountInWords;
    QString payer;
    QString purpose;
    QString place;
    QString date;
    // None for a file of an older installation, which kept only the fields.
    std::optional<ReceiptPage> page;
    // The number of the receipt this one cancels; empty for any other.
    QString cancels;

    bool operator==(const ReceiptRecord &) const = default;
};

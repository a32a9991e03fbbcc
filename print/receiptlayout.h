#pragma once

#include "platform/printoperation.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The texts of the main window that a printed receipt shows, each exactly as
// its control holds it.
struct PrintSnapshot
{
    QString titleWord;
    QString number;
    QString netWording;
    QString vatSign;
    QString vatRate;
    QString vatWording;
    QString totalWording;
    // One copy of the currency and subunit names per amount row: net, VAT, total.
    std::array<QString, 3> currencyNames;
    std::array<QString, 3> subunitNames;
    QString netUnits, netPennies;
    QString vatUnits, vatPennies;
    QString totalUnits, totalPennies;
    QString amountInWords;
    QString wordsHeading;
    QString penniesNote;
    QString payerHeading;
    QString payer;
    QString purposeHeading;
    QString purpose;
    QString thanks;
    QString place;
    QString date;
};

namespace receiptlayout {
// Where the second copy of a two-receipt page starts.
inline constexpr float secondCopyOffset = 7900;
// Printed in place of the address when there is no user data.
inline const QString missingUserDataHint = QStringLiteral("Bitte tragen Sie im Menü Ihre Daten ein!");
} // namespace receiptlayout

// The operations of one printed copy, in print order, every y moved down by
// the offset: the hatched amount fields, the three boxes, the rules, then the
// texts. Without the end of the document. A font name of none keeps the
// printer's default font; user data of none prints the hint instead of the
// address, and lines the user data lacks print empty.
QList<PrintOperation> ReceiptLayout(const PrintSnapshot &snapshot, const std::optional<QString> &fontName,
                                    const std::optional<QStringList> &userData, float offset);

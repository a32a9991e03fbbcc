#pragma once

#include "platform/printoperation.h"
#include "platform/textmetrics.h"
#include "receipt/receiptrecord.h"

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
    // The tax number and VAT identification line, printed below the address,
    // and the note why no VAT is charged, printed below the purpose. Nothing
    // is printed for an empty one.
    QString taxLine;
    QString taxNote;
    // False when no VAT is charged: the net and VAT rows are left out, the
    // total row stays.
    bool vatRows = true;
    // The issuer's address lines; none prints the hint to enter them.
    std::optional<QStringList> issuer;
};

// The page of a receipt as it prints: its fields and the page it keeps (a
// record without a page prints its fields only, with the built-in wording).
PrintSnapshot printSnapshotOf(const ReceiptRecord &record);

namespace receiptlayout {
// Where the second copy of a two-receipt page starts.
inline constexpr float secondCopyOffset = 7900;
// Printed in place of the address when there is no user data.
inline const QString missingUserDataHint = QStringLiteral("Bitte tragen Sie im Menü Ihre Daten ein!");
// Room kept between a text and a neighbouring text or line.
inline constexpr float clearance = 20;
// A text that does not fit its place is set smaller, down to this size, and
// only then cut short with "…".
inline constexpr int smallestSize = 4;
// A measure for where no fonts are at hand: every character 0.55 of the
// size wide, the line 1.2 of the size high; about what common fonts take.
TextExtent estimatedExtent(const QString &text, const std::optional<QString> &fontName, int points, bool bold);
} // namespace receiptlayout

// The operations of one printed copy, in print order, every y moved down by
// the offset: the hatched amount fields, the three boxes, the rules, then the
// texts. Without the end of the document. A font name of none keeps the
// printer's default font; user data of none prints the hint instead of the
// address, and lines the user data lacks print empty.
// The measure keeps texts apart: no two texts overlap and no line crosses a
// text, but the hatching behind the amounts. Texts keep their places where
// they fit; the currency names move left to end before their hatched field,
// box headings move up above their box, the address lines are as far apart
// as they are high, and a text too long for its place is set smaller.
QList<PrintOperation> ReceiptLayout(const PrintSnapshot &snapshot, const std::optional<QString> &fontName,
                                    const std::optional<QStringList> &userData, float offset,
                                    const TextMeasure &measure);
// As above, with the estimated measure.
QList<PrintOperation> ReceiptLayout(const PrintSnapshot &snapshot, const std::optional<QString> &fontName,
                                    const std::optional<QStringList> &userData, float offset);

#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The VAT rate of a receipt. A rate is a number from 0 to 99 with at most two
// decimals, typed with a comma or a point ("19", "7", "5,5", "7.8"): the same
// rule for the rate box, the rate setting, the evaluation and the DATEV
// export. Rates are counted in hundredths of a percent (1900 is 19 %).
namespace vatrate {

inline constexpr int hundredths = 100;
inline constexpr int highest = 99 * hundredths + 99;

// The rate of a text, blanks around it allowed; none for anything else.
std::optional<int> parse(QStringView text);
// German: "19", "5,5", "7,8", "10,75".
QString text(int rate);
// Why a typed rate is refused, naming the text.
QString invalidMessage(const QString &typed);

// For a file that stores no rate: the whole percent 0 to 99 for which the
// breakdown of the total gives exactly the stored net and VAT. A VAT of none
// (its line empty) or 0 is the rate 0. None when no rate or several fit
// (small totals fit many). Amounts in cents.
std::optional<int> derived(qint64 total, std::optional<qint64> net, std::optional<qint64> vat);
// The breakdown's net of a total, in cents, rounded half a cent up; the
// breakdown works on digit strings of any length, this on 64 bits for the
// evaluation of many receipts. The tests hold the two to the same results.
qint64 netCents(qint64 totalCents, int rate);

} // namespace vatrate

#pragma once

#include "platform/workdir.h"

class ReceiptCache;

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// The evaluation of saved receipts: one row per receipt with its amounts and
// the VAT rate they were made with, the sums per rate, and the rows as CSV
// text for a spreadsheet or the tax advisor.
//
// A receipt file holds neither a date nor a rate. The date a receipt stands
// for is the day its file was last written; the rate is found again from the
// stored amounts: it is the whole percent for which the net and VAT breakdown
// of the stored total gives exactly the stored net and VAT.
//
// Amounts are whole pennies in 64-bit integers, and sums are exact: no binary
// floating point anywhere.

// An amount as a receipt file stores it, in two lines: whole units and
// pennies.
struct StoredAmount
{
    enum class Kind { Empty, Value, Unreadable };
    Kind kind = Kind::Empty;
    qint64 cents = 0; // a Value
    QString text;     // Unreadable: the lines as stored, units "," pennies

    // Whole units of up to this many digits are read; a receipt amount of
    // 10^14 units is no amount, and the limit keeps every product of the
    // rate search within 64 bits.
    static constexpr int maxUnitDigits = 14;

    // Both lines blank is Empty. Otherwise the units are digits and the
    // pennies none, one or two digits, with blanks around them; pennies are
    // read as decimals ("5" is 50 pennies), as the breakdown reads them.
    // Anything else (letters, signs, blanks inside, a third penny digit) is
    // Unreadable.
    static StoredAmount read(QByteArrayView units, QByteArrayView pennies);
    static StoredAmount value(qint64 cents);
};

// The rate 0 to 99 for which NetVatBreakdown of the total gives exactly the
// net and the VAT, compared by value; a rate of 0 fits where the VAT is
// empty, whatever the net says. Nothing when no rate or several fit.
std::optional<int> derivedRate(const StoredAmount &total, const StoredAmount &net, const StoredAmount &vat);

struct EvaluationRow
{
    QString fileName;      // as stored; the receipt number is the name without ".num"
    qint64 modifiedMs = 0; // the file's modification time, ms since 1970 UTC
    QString payer;
    QString purpose;
    // As the evaluation counts them: for a rate of 0 the net is the total
    // and the VAT is zero, whatever the file holds in those lines. A VAT
    // whose whole units are blank is empty: the breakdown at a rate of 0
    // empties them and leaves a pennies line of an earlier rate.
    StoredAmount net, vat, total;
    std::optional<int> rate;
    // The total is a number and no amount line that counts is unreadable:
    // the row counts in the sums. Otherwise it is listed, marked, and
    // counted apart.
    bool readable = false;

    // The receipt's own date where its file holds a valid one, otherwise
    // the local day of modifiedMs (files of older installations).
    QDate date;
    bool datedByFile = false;

    QString number() const;
};

// A date typed the German way: "31.12.2026", "1.2.2026" or "1.2.26" (the
// years 2000 to 2099), blanks around it allowed; anything else gives an
// invalid date.
QDate parseGermanDate(QStringView text);
QDate parseGermanDate(QByteArrayView text);

// One receipt file: its bytes are the Windows-1252 lines of a receipt file.
// Missing lines are empty, lines after the twelfth are not read.
EvaluationRow evaluationRow(const QString &fileName, qint64 modifiedMs, QByteArrayView bytes);

struct EvaluationFilter
{
    // Letter case ignored, in any line, exactly as typed; empty: every receipt.
    QString term;
    // Dated on or after from and on or before to; a null date leaves that end open.
    QDate from, to;
};

// The receipts among the files that pass the filter, in the order of the
// files. A file that cannot be read is passed over. The files are read on
// all cores.
std::vector<EvaluationRow> EvaluateReceipts(const WorkDir &dir, const QStringList &files,
                                            const EvaluationFilter &filter);
// The same, reading only what the cache does not hold as the files are now,
// and keeping what it read there.
std::vector<EvaluationRow> EvaluateReceipts(const WorkDir &dir, const QStringList &files,
                                            const EvaluationFilter &filter, ReceiptCache &cache);

// An exact sum of pennies, of any number of receipts.
class CentSum
{
public:
    void add(qint64 cents); // cents >= 0
    // Plain digits of the pennies, without leading zeros.
    QByteArray digits() const;

private:
    static constexpr qint64 base = 1000000000000000000; // 10^18
    qint64 m_high = 0, m_low = 0;
};

struct RateSum
{
    qint64 count = 0;
    CentSum net, vat, total;
};

struct EvaluationSums
{
    static constexpr int unknownRate = 100;
    RateSum all;                        // every readable row
    std::array<RateSum, 101> perRate;   // rates 0..99, then "?"
    qint64 unreadable = 0;              // rows left out of the sums
};
EvaluationSums sumsOf(const std::vector<EvaluationRow> &rows);

// The columns of the table and the CSV file, in their order.
namespace evaluationcolumn {
enum Column { Number, Date, Payer, Purpose, Net, Rate, Vat, Total, Count };
QString title(int column);
} // namespace evaluationcolumn

// German amounts: "1.234,56" with grouping, "1234,56" without.
QString germanAmount(const QByteArray &centsDigits, bool grouped = true);
QString germanAmount(qint64 cents, bool grouped = true);
// "dd.mm.yyyy"; empty for an invalid date.
QString germanDate(QDate date);

// A cell's text as the table shows it; for the CSV file amounts go without
// grouping, so that every spreadsheet reads them as numbers.
enum class CellUse { Table, Csv };
QString cellText(const EvaluationRow &row, int column, CellUse use = CellUse::Table);

// The CSV file of the rows in the given order: UTF-8 with a byte order mark,
// ";" between fields, CR LF after every row, a header row first and nothing
// but rows after it. A field holding ";", ",", a tab, a quote or a line end
// is quoted with its quotes doubled; a text starting with "=", "+", "-",
// "@", a tab or a carriage return gets a leading apostrophe, so that no
// spreadsheet runs it as a formula.
QByteArray evaluationCsv(const std::vector<EvaluationRow> &rows, const std::vector<int> &order);

// Writes the bytes to a file anywhere the user chose, completely or not at
// all. A failure comes back as a German message.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error);

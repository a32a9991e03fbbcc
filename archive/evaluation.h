#pragma once

#include "platform/workdir.h"
#include "receipt/germantext.h"
#include "receipt/taxmode.h"

class ReceiptCache;

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <optional>
#include <vector>

// The evaluation of saved receipts: one row per receipt with its amounts and
// the VAT rate they were made with, the sums per rate, and the rows as CSV
// text for a spreadsheet or the tax advisor.
//
// A receipt file holds its date and, since its page is kept with it, its rate
// and taxation. For files of older installations the date is the day the
// file was last written, and the rate is found again from the stored
// amounts (vatrate::derived).
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
    // Unreadable, its text decoded as UTF-8 or Windows-1252.
    static StoredAmount read(QByteArrayView units, QByteArrayView pennies, bool utf8 = false);
    static StoredAmount value(qint64 cents);
};

// The whole rate (in hundredths of a percent) for which NetVatBreakdown of
// the total gives exactly the net and the VAT, compared by value; a rate of 0
// fits where the VAT is empty, whatever the net says. Nothing when no rate or
// several fit.
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
    // In hundredths of a percent: the stored rate, or for older files the
    // derived one.
    std::optional<int> rate;
    TaxMode taxMode = TaxMode::Regular;
    // The total is a number and no amount line that counts is unreadable:
    // the row counts in the sums. Otherwise it is listed, marked, and
    // counted apart.
    bool readable = false;

    // The receipt's own date where its file holds a valid one, otherwise
    // the local day of modifiedMs (files of older installations).
    QDate date;
    bool datedByFile = false;
    // The number of the receipt this one cancels; empty for any other.
    QString cancels;
    // The file holds a date text that is no date of the calendar.
    bool dateInvalid = false;

    QString number() const;
};

// One receipt file: its bytes are the lines of a receipt file, Windows-1252
// or UTF-8 after its mark.
// Missing lines are empty; of the named lines after the twelfth the rate and
// the taxation are read.
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
    void add(qint64 cents); // a cancellation's below zero
    // Plain digits of the pennies, without leading zeros, "-" before a sum
    // below zero.
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
    // The keys of perRate besides the rates in hundredths of a percent.
    static constexpr int unknownRate = 10000;
    static constexpr int smallBusiness = 10001;
    static constexpr int taxFree = 10002;
    static int keyOf(const EvaluationRow &row);
    // "19 %", "5,5 %", "Kleinunternehmer", "umsatzsteuerfrei", "?".
    static QString nameOf(int key);
    // The sum of a key; empty where no row has it.
    RateSum of(int key) const
    {
        const auto at = perRate.find(key);
        return at == perRate.end() ? RateSum() : at->second;
    }
    RateSum all;                  // every readable row
    std::map<int, RateSum> perRate; // by key, in this order
    qint64 unreadable = 0;        // rows left out of the sums
};
EvaluationSums sumsOf(const std::vector<EvaluationRow> &rows);

// The columns of the table and the CSV file, in their order.
namespace evaluationcolumn {
enum Column { Number, Date, Payer, Purpose, Net, Rate, Vat, Total, Count };
QString title(int column);
} // namespace evaluationcolumn

using germantext::amount;

// A cell's text as the table shows it; for the CSV file amounts go without
// grouping, so that every spreadsheet reads them as numbers.
enum class CellUse { Table, Csv };
QString cellText(const EvaluationRow &row, int column, CellUse use = CellUse::Table);

// The CSV file of the rows in the given order: UTF-8 with a byte order mark,
// ";" between fields, CR LF after every row, a header row first and nothing
// but rows after it. A control character in a field (NUL, a tab, a line
// end, one of the code page's undefined bytes) is written as U+FFFD, so that
// it is seen and the row stays one line. A field holding ";", ",", a tab, a
// quote or a line end is quoted with its quotes doubled; a text starting
// with "=", "+", "-", "@", a tab or a carriage return gets a leading
// apostrophe, so that no spreadsheet runs it as a formula.
QByteArray evaluationCsv(const std::vector<EvaluationRow> &rows, const std::vector<int> &order);

// Writes the bytes to a file anywhere the user chose, completely or not at
// all. A failure comes back as a German message.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error);

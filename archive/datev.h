#pragma once

#include "archive/evaluation.h"
#include "settings/datevsettings.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

// The rows of the evaluation as booking batches for the tax advisor: files
// "EXTF_*.csv" in the DATEV format, header version 700, data category 21
// (Buchungsstapel), format version 13. Every receipt is cash received: its
// total is booked on the debit side of the cash account against the revenue
// account of its rate, which works out the VAT itself.
//
// A batch lies within one fiscal year (the advisor's program takes the year
// of a booking's TTMM date from it), so rows of several fiscal years make
// one file each.
namespace datev {

// The day a receipt is booked on.
QDate bookingDate(const EvaluationRow &row);

// The first day of the fiscal year the day lies in.
QDate fiscalYearStart(const DatevSettings &settings, QDate day);

// "EXTF_Buchungsstapel_<from>_<to>.csv", the days as yyyymmdd.
QString fileName(QDate from, QDate to);

// The name of a year's file beside the one the user chose for all of them:
// the period of all in the chosen name replaced by the year's own, or the
// year's period put before the extension; "EXTF_" in front when the chosen
// name lacks it, as the advisor's program takes no other file.
QString yearFileName(const QString &chosenName, QDate allFrom, QDate allTo, QDate from, QDate to);

// The currency name of the receipts (the first line of dm.dat) is the euro.
bool isEuro(const QString &currencyName);

struct File
{
    QString name; // as fileName() gives it
    QByteArray bytes;
    QDate from, to;
    qint64 bookings = 0;
};

// Why a row was not booked.
enum class Skip { Unreadable, UnknownRate, NoAccount, Zero, TooLarge, NoDate };
struct Skipped
{
    QString number;
    Skip why;
    int rate = 0; // NoAccount
};

struct Batches
{
    std::vector<File> files; // by fiscal year
    std::vector<Skipped> skipped; // in the order of the rows
    QDate from, to;              // of all files
    // The booked receipts whose text had letters the format cannot hold
    // and were written with the nearest Latin ones (latinText).
    QStringList transliterated;
};

// The rows in the given order, booked; createdAt is the moment written into
// every file's header. A file's period (header and name) is the period the
// rows were chosen for, within the file's fiscal year; an end left open
// there is the first or last receipt's day.
Batches bookingBatches(const DatevSettings &settings, const std::vector<EvaluationRow> &rows,
                       const std::vector<int> &order, const QDateTime &createdAt, QDate periodFrom = {},
                       QDate periodTo = {});

// What the user is told of the rows not booked; empty when all were.
QString skippedMessage(const std::vector<Skipped> &skipped);
// What the user is told of the receipts written with other letters; empty
// when there are none.
QString transliteratedMessage(const QStringList &numbers);

// The format's files are Windows-1252: a letter outside it becomes the
// nearest Latin letter ("Łukasz" "Lukasz", "Ayşe" "Ayse", "Dvořák" "Dvorak",
// "Ștefan" "Stefan"), anything else without one "?".
QString latinText(const QString &text);

// The format's pieces, for those who read a file back.
inline constexpr int columnCount = 125;
inline constexpr int headerFieldCount = 31;
QStringList columnTitles();
// Belegfeld 1: the receipt number in the characters the format allows there.
QString documentField(const QString &number);
// Buchungstext: purpose, then payer, one line, cut at a word to the format's
// 60 characters.
QString postingText(const QString &payer, const QString &purpose);

} // namespace datev

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>

// Amounts and dates written and read the German way, by every part of the
// program that shows or stores them.
namespace germantext {

// "1.234,56" with grouping, "1234,56" without; "-" before a negative amount.
QString amount(const QByteArray &centsDigits, bool grouped = true);
QString amount(qint64 cents, bool grouped = true);

// "dd.mm.yyyy"; empty for an invalid date.
QString date(QDate date);
// A date typed the German way: "31.12.2026", "1.2.2026" or "1.2.26" (the
// years 2000 to 2099), blanks around it allowed; anything else, and a day
// the calendar does not have, gives an invalid date.
QDate parseDate(QStringView text);
QDate parseDate(QByteArrayView text);
// What the date field may hold: nothing, or a real calendar date.
bool acceptableDate(QStringView text);

} // namespace germantext

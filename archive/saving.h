#pragma once

#include "receipt/receiptfile.h"
#include "platform/workdir.h"

#include <QString>

// Saving the receipt the main window shows: its file "<number>.num", the last
// number in "nummer.dat" and new payers and purposes in their lists.
namespace saving {

// The message for an empty or unusable receipt number.
QString noNumberMessage();
// The message for a number whose receipt file exists; the number as typed.
QString existsMessage(const QString &number);
inline const QString savedMessage = QStringLiteral("Quittung wurde gespeichert!");

// A receipt number, without its leading and trailing blanks, that can name a
// file in the working directory and nowhere else: not empty, not "." or "..",
// no path separator, no wildcard, no character that file systems refuse in a
// name, no control character, and nothing Windows-1252 cannot hold.
bool isSafeNumber(const QString &trimmedNumber);

// True when the receipt of number `later` was put in place after the one of
// `earlier`, by the file system's own times of their files (the folder's
// clock, not a desk's); in one tick of that clock, the higher number.
bool savedAfter(const WorkDir &dir, const QString &later, const QString &earlier);

} // namespace saving

struct SaveOutcome
{
    enum class Result {
        Saved,     // everything written
        Refused,   // nothing written: no usable number, already saved, text that cannot be stored
        Failed,    // the receipt file could not be written; nothing else was touched
        Incomplete // the receipt file is in place, but the number or a list could not be written
    };
    Result result;
    QString message; // to be shown once, in a message box
};

// Writes the receipt file (complete or not at all, never over an existing
// receipt in any letter case), and only when it is in place the number to
// "nummer.dat" and payer and purpose to "von.dat" and "fuer.dat".
SaveOutcome SaveReceipt(WorkDir &dir, const ReceiptRecord &record);

#pragma once

#include "archive/receiptcache.h"
#include "receipt/receiptfile.h"
#include "platform/workdir.h"
#include "text/codepage.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Finding saved receipts by a piece of their text, and loading or deleting
// the receipt a result line came from.
//
// A result line shows the receipt number (the file name without ".num"), ten
// blanks, "<Nr. - " and the matching line of the file as stored. Every line
// also remembers the file it was found in, so that loading and deleting act
// on exactly that receipt, whatever its number looks like.

// One entry of the result list.
struct ResultLine
{
    QString text;     // as displayed
    QString fileName; // the receipt file, as stored in the working directory
};

// The result list. An archive can give close to a million lines for a short
// term, so the lines are kept as their stored bytes and the displayed text is
// made when it is asked for. The bytes are those of the files as a search read
// them, in blocks shared with the ReceiptCache (receiptcache.h) where there was one, otherwise
// the field lines of the files with a hit.
class SearchResults
{
public:
    qsizetype size() const { return qsizetype(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }

    // The displayed text of line i; with a limit, no more than that many
    // characters of the stored line.
    QString text(qsizetype i, qsizetype limit = -1) const;
    // The file line i was found in.
    QString fileName(qsizetype i) const;
    ResultLine at(qsizetype i) const { return { text(i), fileName(i) }; }
    // The matching line of the file alone, decoded.
    QString storedLine(qsizetype i, qsizetype limit = -1) const;
    // What tells the receipt of line i from others without loading it: its
    // date and payer as stored, its total as an amount ("1.234,50").
    struct Summary
    {
        QString date, payer, total;
    };
    Summary summary(qsizetype i) const;

private:
    friend class ReceiptSearch;
    struct Entry
    {
        qint64 at; // block << blockShift | offset in the block
        int length;
        int file; // into m_files
    };
    // The field lines of a file a line was found in, as read.
    struct Fields
    {
        qint64 at = -1;
        int length = 0;
        bool utf8 = false;
    };
    QStringList m_files;
    std::vector<QByteArray> m_blocks;
    std::vector<Entry> m_entries;
    std::vector<Fields> m_fields; // one for each of m_files
};

// The receipt files of the working directory, in the order the search goes
// through them: by number, so that 2 comes before 10.
QStringList receiptFileList(const WorkDir &dir);

// Every line of the given receipt files, in their order, that contains the
// term without regard to letter case; the term is taken exactly as typed,
// blanks included. An empty term gives every non-empty line. A file that
// cannot be read is passed over. The files are read on all cores.
SearchResults SearchReceipts(const WorkDir &dir, const QStringList &files, const QString &term);
// The same, reading only what the cache does not hold as the files are now,
// and keeping what it read there.
SearchResults SearchReceipts(const WorkDir &dir, const QStringList &files, const QString &term, ReceiptCache &cache);

// The stored fields of a receipt file: nothing when the file is gone or
// cannot be read; missing lines give empty fields.
std::optional<ReceiptRecord> LoadReceipt(const WorkDir &dir, const QString &fileName);

enum class DeleteResult { Deleted, Missing, Failed };
// Moves the receipt file to the desktop's trash, or removes it where there
// is none. A failure comes back with a German message in *error. The
// journal keeps the reason and the file's former content.
DeleteResult DeleteReceipt(WorkDir &dir, const QString &fileName, QString *error = nullptr,
                           const QString &reason = QString());

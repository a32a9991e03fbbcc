#pragma once

#include "archive/receiptfile.h"
#include "platform/workdir.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
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
// them, in blocks shared with the ReceiptCache where there was one, otherwise
// the matching lines alone.
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

private:
    friend class ReceiptSearch;
    struct Entry
    {
        qint64 at; // block << blockShift | offset in the block
        int length;
        int file; // into m_files
    };
    static constexpr int blockShift = 40;
    QStringList m_files;
    std::vector<QByteArray> m_blocks;
    std::vector<Entry> m_entries;
};

// What searches read of the receipt files, kept so that the next search over
// the same files reads only those that changed since. A search window holds
// one from its first search until it closes.
//
// How it knows what changed: checking each file's stamp (size, modification
// and change time to the nanosecond, inode) costs one stat a file: measured
// over 100 000 receipts, 0.3 s of processor time, where the search through
// what is held takes 5 to 25 ms.
// So on a local disk the folder is watched (WorkDir::Watch) from before the
// first file is read, and a search asks only the kernel's list of files
// changed since the last; those are read again. Where the watch cannot vouch
// for a file (a network folder, a file reached through a link, lost
// notices), its stamp is checked before what is held of it is used. Under
// FUSE, whose stamps need not move with a change, every file is read again.
//
// File systems stamp times with a coarse clock, FAT to two seconds, so a file
// changed again within that time after it was read could keep its stamp. A
// file stamped less than `settle` before the search that read it is read
// again by the next search as well, unless the watch vouches for it.
class ReceiptCache
{
public:
    explicit ReceiptCache(std::chrono::nanoseconds settle = std::chrono::seconds(3));
    ~ReceiptCache();
    ReceiptCache(ReceiptCache &&) noexcept;
    ReceiptCache &operator=(ReceiptCache &&) noexcept;
    // The bytes held of the files.
    qint64 heldBytes() const { return m_heldBytes; }

private:
    friend class ReceiptSearch;
    // How far what is held of a file can be trusted without reading it.
    enum class Trust : quint8 {
        Watched, // the watch tells of every change
        Stamped, // unchanged while the file's stamp is
        Unsure,  // read again
    };
    struct Held
    {
        WorkDir::FileStamp stamp;
        qint64 at = -1; // as SearchResults::Entry::at; -1: nothing held
        qint64 length = 0;
        Trust trust = Trust::Unsure;
    };
    // Forgets what changed since the last search, takes the held files over
    // to another list of them, and gathers the blocks anew when they are
    // mostly bytes no longer held.
    void follow(const WorkDir &dir, const QStringList &files);
    void forget(Held &held);
    void compact();

    std::chrono::nanoseconds m_settle;
    QString m_path;
    std::unique_ptr<WorkDir::Watch> m_watch;
    QStringList m_files;
    std::vector<Held> m_held; // one for each of m_files
    QHash<QString, qsizetype> m_index; // into m_files, made when a change is told
    std::vector<QByteArray> m_blocks;
    qint64 m_heldBytes = 0;
    qint64 m_blockBytes = 0;
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

// Letter case, as the search ignores it: each character is compared in its
// upper-case form where the code page of the files has one (ä and Ä, é and
// É, ÿ and Ÿ are one letter). "ß" has no upper-case letter in that code page
// and stays itself, so it matches only "ß", never "SS".
QString upperCased(const QString &text);
bool containsIgnoringCase(const QString &line, const QString &term);

// The stored fields of a receipt file: nothing when the file is gone or
// cannot be read; missing lines give empty fields.
std::optional<ReceiptRecord> LoadReceipt(const WorkDir &dir, const QString &fileName);

enum class DeleteResult { Deleted, Missing, Failed };
// Moves the receipt file to the desktop's trash, or removes it where there
// is none. A failure comes back with a German message in *error.
DeleteResult DeleteReceipt(WorkDir &dir, const QString &fileName, QString *error = nullptr);

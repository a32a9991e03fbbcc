#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// The receipt files are single-byte Windows-1252 text, so letter case can be
// ignored byte by byte on the raw bytes through one table, and text is decoded
// only where it is shown. Both tables come from Qt's own conversions, so the
// search and the evaluation agree with upperCased() and with how the rest of
// the program reads the files.
namespace codepage {

// Each byte's upper-case byte, where the code page has one ("ß" has none).
const std::array<uchar, 256> &upper();
// The bytes as text, as WorkDir::decode() gives them, through the table.
QString decode(QByteArrayView bytes);

// The term in upper case, found in a text without regard to case. A
// Horspool search that folds each byte it looks at through the code page's
// table: QByteArrayMatcher would need every byte read copied in upper case
// first, and std::boyer_moore_horspool_searcher, given a folding comparison,
// keeps its table in a hash map that costs more than the folding saves.
class FoldedMatcher
{
public:
    // The term's bytes, already in upper case; not empty.
    explicit FoldedMatcher(const QByteArray &folded);
    // Where the term first starts at or after `from`, or -1.
    qsizetype indexIn(const char *data, qsizetype n, qsizetype from) const;

private:
    QByteArray m_pattern;
    std::array<qsizetype, 256> m_skip;
};

} // namespace codepage

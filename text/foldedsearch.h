#pragma once

#include "text/codepage.h"
#include "text/textlines.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

// Finding a term in the bytes of the program's files without regard to letter
// case, as codepage::upperCased() ignores it.

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

// A term as the search and the evaluation take it: exactly as typed, blanks
// included. A term holding a line end is in no line; an empty one is in
// every line. The files in Windows-1252 are searched on their bytes; a file
// in UTF-8 (codepage::isUtf8) is decoded and searched as text, in the same
// letter case (codepage::upperCased). A term that needs a letter outside the
// code page ("Łukasz") can be only in a UTF-8 file.
class SearchTerm
{
public:
    explicit SearchTerm(const QString &term);

    // False: the term can be in no line of a file.
    bool findable() const { return m_findable; }
    // The empty term: every line.
    bool isEmpty() const { return m_folded.isEmpty(); }
    // For the bytes of a Windows-1252 file: the matcher of a term that is
    // not empty and can be in such a file, else null.
    const FoldedMatcher *matcher() const { return m_matcher ? &*m_matcher : nullptr; }
    // Its length in the bytes of a Windows-1252 file.
    qsizetype length() const { return m_length; }
    // Whether a decoded line holds the term.
    bool foundInText(const QString &line) const;
    // Whether the bytes (from the start of a file, mark included) hold the
    // term anywhere; the empty term is in any.
    bool foundIn(const char *data, qsizetype n) const;

private:
    bool m_findable = false;
    qsizetype m_length = 0;
    QString m_folded;
    std::optional<FoldedMatcher> m_matcher;
};

// Calls add(begin, end) for each line of a file's bytes (mark included) that
// holds the term, with offsets into them; for the empty term, every line
// that is not empty.
template<typename Add>
void forEachLineHolding(QByteArrayView bytes, const SearchTerm &term, Add &&add)
{
    if (!term.findable())
        return;
    if (codepage::isUtf8(bytes)) {
        const qsizetype mark = codepage::utf8Mark.size();
        const QByteArrayView text = bytes.sliced(mark);
        textlines::forEachLine(text, [&](qsizetype begin, qsizetype end) {
            if (end > begin && (term.isEmpty() || term.foundInText(QString::fromUtf8(text.sliced(begin, end - begin)))))
                add(mark + begin, mark + end);
        });
        return;
    }
    if (term.isEmpty()) {
        textlines::forEachLine(bytes, [&](qsizetype begin, qsizetype end) {
            if (end > begin)
                add(begin, end);
        });
        return;
    }
    const FoldedMatcher *const matcher = term.matcher();
    if (!matcher)
        return;
    const char *const data = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype from = 0;
    while (from < n) {
        const qsizetype hit = matcher->indexIn(data, n, from);
        if (hit < 0)
            break;
        // The term holds no line end, so the match lies within one line.
        qsizetype begin = hit;
        while (begin > 0 && !textlines::isLineEnd(data[begin - 1]))
            --begin;
        qsizetype end = hit + term.length();
        while (end < n && !textlines::isLineEnd(data[end]))
            ++end;
        add(begin, end);
        from = end;
    }
}


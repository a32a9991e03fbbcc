#pragma once

#include <QByteArray>
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
// included. A term outside the code page, or one holding a line end, is in
// no line; an empty one is in every line.
class SearchTerm
{
public:
    explicit SearchTerm(const QString &term);

    // False: the term can be in no line of a file.
    bool findable() const { return m_findable; }
    // The empty term: every line.
    bool isEmpty() const { return !m_matcher.has_value(); }
    // The matcher of a findable term that is not empty, else null.
    const FoldedMatcher *matcher() const { return m_matcher ? &*m_matcher : nullptr; }
    // Its length in bytes.
    qsizetype length() const { return m_length; }
    // Whether the bytes hold the term anywhere; the empty term is in any.
    bool foundIn(const char *data, qsizetype n) const
    {
        return m_findable && (!m_matcher || m_matcher->indexIn(data, n, 0) >= 0);
    }

private:
    bool m_findable = false;
    qsizetype m_length = 0;
    std::optional<FoldedMatcher> m_matcher;
};

#include "text/foldedsearch.h"

#include "text/codepage.h"

FoldedMatcher::FoldedMatcher(const QByteArray &folded)
    : m_pattern(folded)
{
    const qsizetype m = m_pattern.size();
    std::array<qsizetype, 256> lastAt;
    lastAt.fill(-1);
    for (qsizetype j = 0; j + 1 < m; ++j)
        lastAt[uchar(m_pattern[j])] = j;
    const auto &fold = codepage::upper();
    for (int b = 0; b < 256; ++b) {
        const qsizetype j = lastAt[fold[b]];
        m_skip[b] = j < 0 ? m : m - 1 - j;
    }
}

qsizetype FoldedMatcher::indexIn(const char *data, qsizetype n, qsizetype from) const
{
    const auto &fold = codepage::upper();
    const qsizetype m = m_pattern.size();
    const uchar *const p = reinterpret_cast<const uchar *>(m_pattern.constData());
    const uchar *const text = reinterpret_cast<const uchar *>(data);
    const uchar last = p[m - 1];
    for (qsizetype i = from; i + m <= n;) {
        const uchar c = text[i + m - 1];
        if (fold[c] == last) {
            qsizetype j = m - 2;
            while (j >= 0 && fold[text[i + j]] == p[j])
                --j;
            if (j < 0)
                return i;
        }
        i += m_skip[c];
    }
    return -1;
}

SearchTerm::SearchTerm(const QString &term)
{
    if (textlines::holdsLineBreak(term) || !codepage::storable(term))
        return;
    m_findable = true;
    m_folded = codepage::upperCased(term);
    // The bytes of the folded term, as the code page's table folds a file's
    // bytes; where the folded term has no bytes there, no such file holds it.
    const auto pattern = codepage::encode(m_folded);
    if (!pattern)
        return;
    m_length = pattern->size();
    if (!pattern->isEmpty())
        m_matcher.emplace(*pattern);
}

bool SearchTerm::foundInText(const QString &line) const
{
    return codepage::upperCased(line).contains(m_folded);
}

bool SearchTerm::foundIn(const char *data, qsizetype n) const
{
    if (!m_findable)
        return false;
    if (isEmpty())
        return true;
    const QByteArrayView bytes(data, n);
    if (codepage::isUtf8(bytes))
        return foundInText(QString::fromUtf8(bytes.sliced(codepage::utf8Mark.size())));
    return m_matcher && m_matcher->indexIn(data, n, 0) >= 0;
}

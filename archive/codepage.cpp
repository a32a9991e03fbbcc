#include "archive/codepage.h"

#include "platform/workdir.h"

namespace codepage {

namespace {

struct CodePage
{
    std::array<uchar, 256> upper;
    std::array<char16_t, 256> unicode;

    CodePage()
    {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString decoded = WorkDir::decode(QByteArrayView(&byte, 1));
            const QChar c = decoded.size() == 1 ? decoded.at(0) : QChar(QChar::ReplacementCharacter);
            unicode[b] = c.unicode();
            upper[b] = uchar(b);
            const QChar u = c.toUpper();
            if (u != c) {
                const auto encoded = WorkDir::encode(QStringView(&u, 1));
                if (encoded && encoded->size() == 1)
                    upper[b] = uchar(encoded->at(0));
            }
        }
    }
};

const CodePage &codePage()
{
    static const CodePage table;
    return table;
}

} // namespace

const std::array<uchar, 256> &upper()
{
    return codePage().upper;
}

QString decode(QByteArrayView bytes)
{
    const auto &unicode = codePage().unicode;
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(unicode[uchar(bytes[i])]);
    return text;
}

FoldedMatcher::FoldedMatcher(const QByteArray &folded)
    : m_pattern(folded)
{
    const qsizetype m = m_pattern.size();
    std::array<qsizetype, 256> lastAt;
    lastAt.fill(-1);
    for (qsizetype j = 0; j + 1 < m; ++j)
        lastAt[uchar(m_pattern[j])] = j;
    const auto &fold = codePage().upper;
    for (int b = 0; b < 256; ++b) {
        const qsizetype j = lastAt[fold[b]];
        m_skip[b] = j < 0 ? m : m - 1 - j;
    }
}

qsizetype FoldedMatcher::indexIn(const char *data, qsizetype n, qsizetype from) const
{
    const auto &fold = codePage().upper;
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

} // namespace codepage

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// Lines of the program's files: a line end is CR LF, CR or LF; the program
// writes CR LF.
namespace textlines {

inline const QString lineEnd = QStringLiteral("\r\n");

// A byte that ends a line of a file.
inline bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// True when the text holds a line break of any kind: a value of one line
// must not, or it becomes two lines of its file.
bool holdsLineBreak(QStringView text);

// Lines without their ends. A final line end does not start another line.
QStringList splitLines(const QString &text);

// The same on bytes: calls line(begin, end) for each line, as offsets into
// the bytes, up to `most` lines; gives the number of lines.
template<typename Line>
int forEachLine(QByteArrayView bytes, Line &&line, int most = -1)
{
    int count = 0;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n && count != most; ++i) {
        if (!isLineEnd(bytes[i]))
            continue;
        line(start, i);
        ++count;
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (count != most && start < n) {
        line(start, n);
        ++count;
    }
    return count;
}

} // namespace textlines

#pragma once

#include "platform/workdir.h"
#include "text/codepage.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Helpers shared by the fuzz targets.
namespace fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input as the program meets it: bytes of a file are Windows-1252, text
// typed into a field may be any Unicode. The first byte picks the reading.
inline QString text(const QByteArray &input)
{
    if (input.isEmpty())
        return {};
    const QByteArray rest = input.mid(1);
    return (uchar(input.at(0)) & 1) ? QString::fromUtf8(rest) : codepage::decode(rest);
}

// The input cut into parts at each NUL byte, as many as wanted; missing parts
// are empty.
inline QList<QByteArray> parts(const QByteArray &input, int count)
{
    QList<QByteArray> out = input.split('\0');
    while (out.size() < count)
        out.append(QByteArray());
    while (out.size() > count) {
        out[count - 1] += '\0' + out.takeLast();
    }
    return out;
}

// A working directory of its own for the whole run, in memory where there is
// such a folder: rewriting a file on a journalling disk waits for the disk,
// which would slow the run down a hundredfold.
inline QString scratchDir()
{
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/zettelfix-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/zettelfix-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        std::abort();
    }
    return dir.path();
}

// An invariant that failed: reported and ended like a crash, so that the
// fuzzer keeps the input.
[[noreturn]] inline void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "invariant broken: %s %s\n", what, qPrintable(detail));
    std::abort();
}

} // namespace fuzz

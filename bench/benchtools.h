#pragma once

// What the benchmarks share: the median of several runs and the figures the
// kernel keeps of this process's memory.

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>

namespace benchtools {

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// A field of /proc/self/status in kB ("VmHWM:" is the peak memory, "VmRSS:"
// the memory now), or -1.
inline qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace benchtools

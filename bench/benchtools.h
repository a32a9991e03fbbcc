#pragma once

// What the benchmarks share: the median of several runs and the figures the
// kernel keeps of this process's memory.

#include <QByteArray>
#include <QFile>
#include <QElapsedTimer>
#include <QList>
#include <QProcess>

#include <algorithm>

namespace benchtools {

// grep over the same folder as a whole process, its output into a file as a
// program reading it would, timed by the wall clock from its start to its
// end; the C locale is grep's fastest, byte by byte. Returns milliseconds.
inline double runGrep(const QString &dir, const QString &term, const QString &out)
{
    QProcess grep;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    grep.setProcessEnvironment(env);
    grep.setStandardOutputFile(out);
    QElapsedTimer t;
    t.start();
    grep.start(QStringLiteral("grep"), { QStringLiteral("-r"), QStringLiteral("-i"), QStringLiteral("-F"),
                                         QStringLiteral("--"), term, dir });
    grep.waitForFinished(-1);
    return t.nsecsElapsed() / 1e6;
}

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

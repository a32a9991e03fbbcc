// Start-up of the main window in an empty working directory and in one that
// holds 100 000 receipt files beside the settings files. Prints the median of
// several runs of each and their ratio.

#include "editor/quitt.h"
#include "platform/scriptedplatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

void put(const QString &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir + QLatin1Char('/') + name);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QList<double> primeMs;

double medianStartMs(const QString &dir, int runs)
{
    primeMs.clear();
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        ScriptedPlatform platform(dir);
        QElapsedTimer p;
        p.start();
        platform.files().prime(); // as behind the splash window
        primeMs.append(p.nsecsElapsed() / 1e6);
        t.start();
        quitt w(platform);
        times.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int receipts = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int runs = 15;

    QTemporaryDir plain, archive;
    for (const QString &dir : { plain.path(), archive.path() }) {
        put(dir, "erst.dat", "");
        put(dir, "nummer.dat", "100000\r\n");
        put(dir, "Quitname.dat", "Quittung\r\n");
        put(dir, "DM.dat", "EUR\r\n");
        put(dir, "mwst.dat", "19\r\n");
    }
    for (int i = 1; i <= receipts; ++i)
        put(archive.path(), QString::number(i) + ".num",
            QByteArray::number(i) + "\r\n86\r\n21\r\n13\r\n79\r\n100\r\n00\r\nEinhundert -----\r\nMeier, Hans\r\nMiete\r\n");

    medianStartMs(plain.path(), 3); // warm up fonts and styles
    const double without = medianStartMs(plain.path(), runs);
    const double with = medianStartMs(archive.path(), runs);
    std::sort(primeMs.begin(), primeMs.end());
    std::printf("main window start-up, median of %d: %.2f ms without receipts, %.2f ms beside %d receipt files, "
                "ratio %.2f\n",
                runs, without, with, receipts, with / without);
    std::printf("reading the folder behind the splash window: %.1f ms (median)\n", primeMs.at(primeMs.size() / 2));
    // Without the folder read behind the splash, in a folder with the
    // settings in their usual spellings: the lookups need no folder read.
    {
        QElapsedTimer t;
        t.start();
        ScriptedPlatform platform(archive.path());
        quitt w(platform);
        std::printf("main window start-up without reading the folder first: %.2f ms\n", t.nsecsElapsed() / 1e6);
    }
    return 0;
}

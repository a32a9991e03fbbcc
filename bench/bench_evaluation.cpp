// The evaluation window over the archive of many years: makes 100 000
// receipt files in a temporary folder and prints, as the median of several
// runs, the first and the repeated evaluation beside grep as a whole process
// on the same folder, the evaluation of every receipt with the table and the
// sums filled, one with a search term, the sort by each column's heading,
// the CSV text, and the program's peak memory at the end.
//
//   bench_evaluation [receipts] [runs] [folder]
//
// A folder given is used, and kept, for the archive; it is made there only
// when it holds no receipts yet.

#include "archivegen.h"
#include "benchtools.h"

#include "archive/evaluationwindow.h"
#include "archive/receiptcache.h"
#include "archive/search.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

using benchtools::median;
using benchtools::runGrep;
using benchtools::statusKb;

// Processor time (user and system) of this process in ms: on a machine
// shared with other work the wall clock wanders, the work itself does not.
double cpuMs()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Timing
{
    double wall, cpu;
};

Timing timed(int runs, const std::function<void()> &run)
{
    QList<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const double c = cpuMs();
        QElapsedTimer t;
        t.start();
        run();
        wall.append(t.nsecsElapsed() / 1e6);
        cpu.append(cpuMs() - c);
    }
    return { median(wall), median(cpu) };
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int receipts = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 5;

    QTemporaryDir temporary;
    const QString folder = argc > 3 ? QString::fromLocal8Bit(argv[3]) : temporary.path();
    QFile erst(folder + QStringLiteral("/erst.dat"));
    if (!erst.open(QIODevice::WriteOnly))
        return 1;
    erst.close();
    if (!QFile::exists(folder + QStringLiteral("/1.num"))) {
        QElapsedTimer made;
        made.start();
        archivegen::writeArchive(folder, receipts);
        std::printf("archive: %d receipts, made in %.1f s\n", receipts, made.elapsed() / 1000.0);
    }
    std::printf("peak memory before the evaluation: %lld kB\n", statusKb("VmHWM:"));

    ScriptedPlatform platform(folder);
    {
        // The evaluation itself, first with a cache of its own (as a window
        // opened anew) and then repeated, beside grep on the same folder.
        const QString term = QStringLiteral("miete");
        const QStringList files = receiptFileList(platform.files());
        QTemporaryDir grepOut;
        const QString out = grepOut.filePath(QStringLiteral("grep.txt"));
        QList<double> grepMs;
        for (int i = 0; i < runs; ++i)
            grepMs.append(runGrep(folder, term, out));
        std::size_t rows = 0;
        const Timing first = timed(runs, [&] {
            ReceiptCache cache;
            rows = EvaluateReceipts(platform.files(), files, { term, {}, {} }, cache).size();
        });
        ReceiptCache cache;
        (void)EvaluateReceipts(platform.files(), files, { term, {}, {} }, cache);
        const Timing again = timed(runs, [&] { (void)EvaluateReceipts(platform.files(), files, { term, {}, {} }, cache); });
        const double grepWall = median(grepMs);
        std::printf("grep -r -i -F \"%s\" as a whole process: %.0f ms wall\n", qPrintable(term), grepWall);
        std::printf("first evaluation with \"%s\" (%zu rows): %.0f ms wall, %.0f ms cpu = %.2f x grep (goal <= 0.6)\n",
                    qPrintable(term), rows, first.wall, first.cpu, first.wall / grepWall);
        std::printf("repeated evaluation: %.0f ms wall, %.0f ms cpu (goal <= 150 ms)\n", again.wall, again.cpu);
    }
    quitt main(platform);
    main.show();
    {
        // As the user does it: the window opened anew, the term typed, the
        // button pressed, until the table and the sums are shown; the folder
        // is listed and every file read with it. Beside grep again, as the
        // machine's load may have moved since.
        QTemporaryDir grepOut;
        const QString out = grepOut.filePath(QStringLiteral("grep.txt"));
        QList<double> grepMs, wall;
        for (int i = 0; i < runs; ++i) {
            grepMs.append(runGrep(folder, QStringLiteral("miete"), out));
            QElapsedTimer t;
            t.start();
            main.auswertung->trigger();
            ReceiptEvaluationWindow *w = main.archive().evaluationWindow();
            QCoreApplication::processEvents();
            w->searchTermBox->setText(QStringLiteral("miete"));
            w->evaluateButton->click();
            w->repaint();
            QCoreApplication::processEvents();
            wall.append(t.nsecsElapsed() / 1e6);
            w->closeButton->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        std::printf("first evaluation in a window opened anew, as the user does it: %.0f ms wall; grep just before "
                    "%.0f ms = %.2f x grep (goal <= 0.6)\n",
                    median(wall), median(grepMs), median(wall) / median(grepMs));
    }
    main.auswertung->trigger();
    ReceiptEvaluationWindow *w = main.archive().evaluationWindow();
    QCoreApplication::processEvents();

    auto evaluate = [&](const QString &term) {
        return timed(runs, [&] {
            w->searchTermBox->setText(term);
            w->evaluateButton->click();
            w->repaint();
            QCoreApplication::processEvents();
        });
    };
    std::printf("median of %d runs, wall clock and processor time (user + system), page cache warm\n", runs);
    const Timing some = evaluate(QStringLiteral("miete"));
    std::printf("evaluate with the term \"miete\" (%d rows), fill table and sums: %.0f ms wall, %.0f ms cpu\n",
                w->model().rowCount(), some.wall, some.cpu);
    const Timing all = evaluate(QString());
    std::printf("evaluate all (%d rows), fill table and sums: %.0f ms wall, %.0f ms cpu (goal <= 2000 ms)\n",
                w->model().rowCount(), all.wall, all.cpu);

    double slowest = 0;
    for (int column = 0; column < evaluationcolumn::Count; ++column) {
        QList<Timing> times;
        for (const Qt::SortOrder order : { Qt::AscendingOrder, Qt::DescendingOrder }) {
            times.append(timed(runs, [&] {
                w->receiptTable->sortByColumn(column, order);
                w->receiptTable->viewport()->repaint();
                QCoreApplication::processEvents();
            }));
        }
        slowest = std::max({ slowest, times[0].wall, times[1].wall });
        std::printf("sort by \"%s\": up %.0f ms wall, %.0f ms cpu; down %.0f ms wall, %.0f ms cpu\n",
                    qPrintable(evaluationcolumn::title(column)), times[0].wall, times[0].cpu, times[1].wall,
                    times[1].cpu);
    }
    std::printf("slowest sort: %.0f ms (goal <= 500 ms)\n", slowest);

    qsizetype csvBytes = 0;
    const Timing csv = timed(runs, [&] { csvBytes = evaluationCsv(w->model().rows(), w->model().order()).size(); });
    std::printf("CSV text of all rows (%.1f MB): %.0f ms\n", csvBytes / 1e6, csv.wall);

    std::printf("peak memory (VmHWM): %lld kB (goal < 250 MB)\n", statusKb("VmHWM:"));

    {
        // Where the time of the evaluation of all goes.
        QStringList files;
        std::vector<EvaluationRow> rows;
        const Timing list = timed(runs, [&] { files = receiptFileList(platform.files()); });
        const Timing read = timed(runs, [&] { rows = EvaluateReceipts(platform.files(), files, {}); });
        const Timing readOnly = timed(runs, [&] {
            WorkDir::ReadOptions stamped;
            stamped.stamp = true;
            platform.files().readEach(
                files, 0, files.size(), [](qsizetype, QByteArrayView, const WorkDir::FileStamp &) {}, stamped);
        });
        const Timing sums = timed(runs, [&] { (void)sumsOf(rows); });
        std::printf("  of which: file list %.0f ms cpu, reading and reading out the files %.0f ms cpu (the reading "
                    "alone %.0f ms), sums %.0f ms cpu\n",
                    list.cpu, read.cpu, readOnly.cpu, sums.cpu);
    }

    return 0;
}

// The receipt archive at the size of many years of a small business: makes
// 100 000 receipt files in a temporary folder and prints, as the median of
// several runs, the search window's first search and its repeated search
// beside grep as a whole process on the same folder, the opening of the
// search window, scrolling the list, the start-up of the main window with
// and without the archive, one save, and the program's peak memory after the
// largest search.
//
//   bench_archive [receipts] [runs]

#include "archivegen.h"
#include "benchtools.h"

#include "archive/form7.h"
#include "archive/search.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using benchtools::median;
using benchtools::runGrep;
using benchtools::statusKb;

double medianMs(int runs, const std::function<void()> &run)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        times.append(t.nsecsElapsed() / 1e6);
    }
    return median(times);
}

void put(const QString &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir.isEmpty() ? name : dir + QLatin1Char('/') + name);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// In pieces: grep's output for the empty term is some hundred megabytes,
// which would otherwise count towards the program's peak memory.
qint64 lineCount(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!f.atEnd())
        lines += f.read(1 << 20).count('\n');
    return lines;
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

    QTemporaryDir plain, archive, scratch;
    for (const QString &dir : { plain.path(), archive.path() }) {
        put(dir, "erst.dat", "");
        put(dir, "nummer.dat", QByteArray::number(receipts) + "\r\n");
    }
    QElapsedTimer made;
    made.start();
    const qint64 lines = archivegen::writeArchive(archive.path(), receipts);
    std::printf("archive: %d receipts, %lld non-empty lines, made in %.1f s\n", receipts, lines,
                made.elapsed() / 1000.0);

    // Start-up first, before the big searches have touched the heap.
    {
        // The program reads the folder while its splash window is up; the
        // main window comes after. Timed both ways.
        auto start = [](const QString &dir, bool primed) {
            ScriptedPlatform platform(dir);
            if (primed)
                platform.files().prime();
            QElapsedTimer t;
            t.start();
            quitt w(platform);
            w.show();
            QCoreApplication::processEvents();
            return t.nsecsElapsed() / 1e6;
        };
        start(plain.path(), true); // fonts and styles
        for (const bool primed : { true, false }) {
            QList<double> without, with;
            for (int i = 0; i < runs * 3; ++i) {
                without.append(start(plain.path(), primed));
                with.append(start(archive.path(), primed));
            }
            std::printf("start-up of the main window%s: %.1f ms without, %.1f ms with the archive, ratio %.2f "
                        "(goal <= 1.2)\n",
                        primed ? " after the splash window" : ", folder not yet read", median(without),
                        median(with), median(with) / median(without));
        }
    }

    ScriptedPlatform platform(archive.path());
    quitt w(platform);
    w.show();

    // Opening the search window takes the file list.
    const double open = medianMs(runs, [&] {
        if (w.archive().searchWindow())
            delete w.archive().searchWindow();
        w.suchequitt->trigger();
        QCoreApplication::processEvents();
    });
    Form7 *window = w.archive().searchWindow();
    std::printf("opening the search window (list of %lld files): %.1f ms\n", qlonglong(window->File1.size()), open);

    const QString grepOut = scratch.filePath(QStringLiteral("grep.out"));
    runGrep(archive.path(), QString(), grepOut); // the page cache, for both
    struct Term
    {
        const char *what;
        QString text;
    };
    const Term terms[] = { { "rare", QStringLiteral("zwiebelmeier") },
                           { "common", QStringLiteral("MIETE") },
                           { "empty", QString() } };
    auto search = [&](Form7 *in, const QString &term) {
        QElapsedTimer t;
        t.start();
        in->Text1->setText(term);
        in->Command2_Click();
        in->List1->viewport()->repaint();
        QCoreApplication::processEvents();
        return t.nsecsElapsed() / 1e6;
    };
    auto freshWindow = [&] {
        delete w.archive().searchWindow();
        w.suchequitt->trigger();
        QCoreApplication::processEvents();
        return w.archive().searchWindow();
    };
    bool allWithin = true;
    std::printf("median of %d runs, ours and grep taking turns, wall clock; grep as a whole process "
                "(grep -r -i -F TERM DIR > file)\n",
                runs);
    for (const Term &term : terms) {
        QList<double> first, again, grepWall, whole;
        qlonglong hits = 0;
        for (int i = 0; i < runs; ++i) {
            // The first search of a window reads every file.
            window = freshWindow();
            first.append(search(window, term.text));
            grepWall.append(runGrep(archive.path(), term.text, grepOut));
            // A second search in the same window reads only what changed.
            again.append(search(window, term.text));
            hits = window->results().size();
            delete window;
            // The list and the search in one go, from a folder not yet read.
            QElapsedTimer t;
            t.start();
            const WorkDir fresh(archive.path());
            hits = qMax(hits, qlonglong(SearchReceipts(fresh, receiptFileList(fresh), term.text).size()));
            whole.append(t.nsecsElapsed() / 1e6);
        }
        const double ratio = median(first) / median(grepWall);
        const double goalAgain = term.text.isEmpty() ? 400 : 50;
        // The common term has no goal of its own for the search again.
        const bool againWithin = QByteArray(term.what) == "common" || median(again) <= goalAgain;
        allWithin = allWithin && ratio <= 0.6 && againWithin;
        std::printf("search %-6s %-14s %7lld lines: first %6.0f ms | grep %7lld lines %6.0f ms | ratio %.2f (goal <= 0.6)"
                    " | again %5.1f ms | list and search from scratch %6.0f ms, ratio %.2f\n",
                    term.what, qPrintable(QLatin1Char('"') + term.text + QLatin1Char('"')), hits, median(first),
                    lineCount(grepOut), median(grepWall), ratio, median(again), median(whole),
                    median(whole) / median(grepWall));
    }
    std::printf("  (goals for the search again: rare term <= 50 ms, empty term with the list filled <= 400 ms; "
                "grep prints empty lines too for the empty term)\n");
    std::printf("every search within its goals: %s\n", allWithin ? "yes" : "NO");

    // The list now holds every non-empty line.
    window = freshWindow();
    search(window, QString());
    const double pageMs = medianMs(runs * 4, [&] {
        QScrollBar *bar = window->List1->verticalScrollBar();
        bar->setValue(bar->value() + bar->pageStep() * 1000);
        window->List1->viewport()->repaint();
    });
    const double endMs = medianMs(runs, [&] {
        window->List1->scrollToBottom();
        window->List1->viewport()->repaint();
        window->List1->scrollToTop();
        window->List1->viewport()->repaint();
    });
    std::printf("scrolling the list of %lld lines: %.2f ms a jump of 1000 pages, %.2f ms to the end and back\n",
                qlonglong(window->results().size()), pageMs, endMs);
    std::printf("peak memory of the whole program with the full list shown: %.1f MB (VmHWM; goal < 250 MB), now %.1f MB\n",
                statusKb("VmHWM:") / 1024.0, statusKb("VmRSS:") / 1024.0);

    // One save beside the archive, through the save button.
    int next = receipts;
    bool saved = true;
    const double save = medianMs(runs * 3, [&] {
        const QString number = QString::number(++next);
        w.Text8->setText(number);
        w.Text6->setText(QStringLiteral("119"));
        w.Text7->setText(QStringLiteral("00"));
        w.Combo3->setEditText(QStringLiteral("Hans Müller, Hauptstraße 1, 80331 München"));
        w.Combo4->setEditText(QStringLiteral("Miete Dezember"));
        w.Command1->setEnabled(true);
        w.Command1_Click();
        saved = saved && QFile::exists(archive.filePath(number + QStringLiteral(".num")));
    });
    std::printf("one save (the save button) beside %d receipts: %.2f ms%s (goal < 50 ms)\n", receipts, save,
                saved ? "" : " -- the receipt file was NOT written");
    return 0;
}

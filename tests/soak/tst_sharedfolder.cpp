// Copies of the program saving into one shared folder while one of them is
// stopped for seconds, runs with its clock ahead, or is killed: no payer or
// purpose lost, every number saved once and whole, "nummer.dat" at the last
// number, and no number proposed that exists already.
#include "soakreceipt.h"

#include "archive/journal.h"
#include "archive/receiptnumber.h"
#include "archive/search.h"
#include "platform/workdir.h"
#include "settings/settings.h"
#include "tests/testsupport.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <random>
#include <thread>
#include <vector>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#ifndef ZETTELFIX_SHARED_ROUNDS
#define ZETTELFIX_SHARED_ROUNDS 4
#endif
// A save, from the start of the saver's process to its end.
#ifndef ZETTELFIX_QUICK_SAVE_MS
#define ZETTELFIX_QUICK_SAVE_MS 1000
#endif

namespace {

using testsupport::get;

// soak_saver over the folder; its wall clock clockShift seconds off.
void startSaver(QProcess &p, const QString &path, const QStringList &arguments, int clockShift = 0)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (clockShift) {
        env.insert("LD_PRELOAD", CLOCK_SHIFT_LIBRARY);
        env.insert("ZETTELFIX_CLOCK_SHIFT", QString::number(clockShift));
        env.insert("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
    }
    p.setProcessEnvironment(env);
    p.start(SOAK_SAVER, QStringList { path } + arguments);
}

// Receipt n as the saver writes it, to the end of its page.
bool isWhole(const QByteArray &bytes, qlonglong n, bool distinct = false)
{
    return bytes.startsWith(codepage::encode(soakFileText(n, distinct)).value()) && bytes.contains("\r\nSatz=")
        && bytes.endsWith("\r\n");
}

QSet<QString> receiptsIn(const QString &path)
{
    const QStringList names = QDir(path).entryList({ "*.num" }, QDir::Files | QDir::Hidden | QDir::System);
    return QSet<QString>(names.begin(), names.end());
}

} // namespace

class tst_SharedFolder : public QObject
{
    Q_OBJECT

private slots:
    void saversKeepEveryEntry_data()
    {
        QTest::addColumn<int>("savers");
        QTest::addColumn<int>("clockShift"); // seconds, of the last saver's wall clock
        QTest::addColumn<int>("stalls");     // each round the last saver is stopped that often for 7 s
        QTest::addColumn<int>("perRound");   // receipts a round

        QTest::newRow("one clock 10 s ahead") << 2 << 10 << 0 << 100;
        QTest::newRow("one stopped for 7 s") << 2 << 0 << 2 << 60;
        QTest::newRow("three at once") << 3 << 0 << 0 << 100;
    }

    void saversKeepEveryEntry()
    {
        QFETCH(int, savers);
        QFETCH(int, clockShift);
        QFETCH(int, stalls);
        QFETCH(int, perRound);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString path = tmp.path();
        testsupport::put(path, "erst.dat", QByteArray());
        std::mt19937 random(20260712);
        const int rounds = stalls ? std::min(2, ZETTELFIX_SHARED_ROUNDS) : ZETTELFIX_SHARED_ROUNDS;

        // Meanwhile a desk asks for the next number again and again: never one
        // that existed before it asked (one saved right after may take it), and
        // once nummer.dat was there, it is there at every reading.
        QStringList faults;
        int asked = 0;
        std::jthread sampler([&](std::stop_token stop) {
            for (bool numberSeen = false; !stop.stop_requested(); ++asked) {
                const QSet<QString> before = receiptsIn(path);
                const WorkDir dir(path);
                const QString proposal = NextReceiptNumber(dir);
                if (before.contains(proposal + ".num"))
                    faults << QString("%1 proposed, but it existed (%2 receipts)").arg(proposal).arg(before.size());
                const bool numberThere = settingValue(dir, settingsfile::nummer).has_value();
                if (numberSeen && !numberThere)
                    faults << "nummer.dat missing while it was rewritten";
                numberSeen = numberSeen || numberThere;
            }
        });

        // Each round the savers go on where the last one ended, up to its last number.
        for (int last = perRound; last <= rounds * perRound; last += perRound) {
            std::vector<std::unique_ptr<QProcess>> processes;
            for (int i = 0; i < savers; ++i) {
                processes.push_back(std::make_unique<QProcess>());
                startSaver(*processes.back(), path, { QString::number(last), "distinct" },
                           i == savers - 1 ? clockShift : 0);
            }
            // Stopped at a random moment of its saving, a lock held or not.
            QProcess &odd = *processes.back();
            QVERIFY(odd.waitForReadyRead(20000));
            for (int s = 0; s < stalls; ++s) {
                const pid_t pid = pid_t(odd.processId());
                if (pid <= 0 || odd.waitForFinished(std::uniform_int_distribution<int>(20, 400)(random)))
                    break;
                ::kill(pid, SIGSTOP);
                QTest::qSleep(7000);
                ::kill(pid, SIGCONT);
            }
            for (const auto &p : processes) {
                QVERIFY(p->state() == QProcess::NotRunning || p->waitForFinished(120000));
                QCOMPARE(p->exitStatus(), QProcess::NormalExit);
                QCOMPARE(p->exitCode(), 0);
                // The saver tells of every message but "saved" and "exists".
                for (const QByteArray &line : p->readAllStandardError().split('\n'))
                    QVERIFY2(line.isEmpty() || line.startsWith("QStandardPaths"), line.constData());
            }

            WorkDir dir(path);
            QStringList numbers;
            for (int n = 1; n <= last; ++n)
                numbers << QString("%1.num").arg(n);
            QCOMPARE(receiptFileList(dir), numbers);
            const QStringList payers = textlines::splitLines(codepage::decode(get(path, "von.dat")));
            const QStringList purposes = textlines::splitLines(codepage::decode(get(path, "fuer.dat")));
            int lostPayers = 0, lostPurposes = 0;
            for (int n = 1; n <= last; ++n) {
                QVERIFY2(isWhole(get(path, numbers.at(n - 1)), n, true), qPrintable(numbers.at(n - 1)));
                lostPayers += payers.contains(soakReceipt(n, true).payer) ? 0 : 1;
                lostPurposes += purposes.contains(soakReceipt(n, true).purpose) ? 0 : 1;
            }
            QCOMPARE(lostPayers, 0);
            QCOMPARE(lostPurposes, 0);
            QCOMPARE(settingValue(dir, settingsfile::nummer).value_or("<none>"), QString::number(last));
        }
        sampler.request_stop();
        sampler.join();
        QVERIFY(asked > 0);
        QVERIFY2(faults.isEmpty(),
                 qPrintable(QString("%1 of %2 proposals, first: %3").arg(faults.size()).arg(asked).arg(faults.value(0))));

        // The shifted clock was in effect: that saver's journal entries are
        // timed ahead of the files they name, which the file system timed.
        if (clockShift) {
            int ahead = 0;
            for (const journal::Entry &e : journal::read(WorkDir(path)).entries) {
                const QDateTime noted = QDateTime::fromString(e.time, Qt::ISODate);
                const QDateTime saved = QFileInfo(path + '/' + e.number + ".num").lastModified();
                ahead += e.action == journal::action::save && saved.secsTo(noted) >= clockShift - 2 ? 1 : 0;
            }
            QVERIFY2(ahead > 0, "no saver's clock ran ahead");
        }
    }

    void killsLeaveWholeReceipts_data()
    {
        QTest::addColumn<bool>("fat");
        QTest::newRow("local disk") << false;
        QTest::newRow("FAT through fusefat") << true;
    }

    void killsLeaveWholeReceipts()
    {
        QFETCH(bool, fat);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        testsupport::FatFolder stick;
        QString path = tmp.path();
        if (fat) {
            if (const QString whyNot = stick.mount(); !whyNot.isEmpty())
                QSKIP(qPrintable("FAT folder not mounted: " + whyNot));
            path = stick.root();
        }
        testsupport::put(path, "erst.dat", QByteArray());
        std::mt19937 random(30072026);
        for (int k = 0; k < 30; ++k) {
            QProcess saver;
            startSaver(saver, path, {});
            QVERIFY(saver.waitForReadyRead(20000));
            QTest::qSleep(std::uniform_int_distribution<int>(5, 120)(random));
            saver.kill();
            QVERIFY(saver.waitForFinished(10000));
        }
        const QSet<QString> receipts = receiptsIn(path);
        QVERIFY(!receipts.isEmpty());
        for (const QString &name : receipts) {
            const QByteArray bytes = get(path, name);
            QVERIFY2(isWhole(bytes, name.chopped(4).toLongLong()),
                     qPrintable(name + QString(": %1 bytes").arg(bytes.size())));
        }

        // The next save, right after the kills and again after a holder of all
        // the locks it needs ended without giving them back, waits for none.
        for (const bool planted : { false, true }) {
            qlonglong highest = 0;
            for (const QString &name : receiptsIn(path))
                highest = std::max(highest, name.chopped(4).toLongLong());
            const QString next = QString::number(highest + 1);
            if (planted) {
                const pid_t child = ::fork();
                if (child == 0) {
                    WorkDir held(path);
                    QString error;
                    WorkDir::Lock locks[4];
                    const QString names[] = { "von.dat", "fuer.dat", "nummer.dat", next + ".num" };
                    for (int i = 0; i < 4 && error.isEmpty(); ++i)
                        locks[i] = held.lock(names[i], &error, 10000);
                    std::fputs(qPrintable(error), stderr);
                    ::_exit(error.isEmpty() ? 0 : 1);
                }
                int status = -1;
                QCOMPARE(::waitpid(child, &status, 0), child);
                QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                QVERIFY(QFileInfo::exists(path + "/.zettelfix-von.dat.lock"));
            }
            QProcess saver;
            QElapsedTimer took;
            took.start();
            startSaver(saver, path, { next });
            QVERIFY(saver.waitForFinished(30000));
            QCOMPARE(saver.exitCode(), 0);
            QVERIFY2(took.elapsed() < ZETTELFIX_QUICK_SAVE_MS, qPrintable(QString("saving %1 %2 took %3 ms")
                                                               .arg(next, planted ? "after a holder ended" : "after the kills")
                                                               .arg(took.elapsed())));
            QVERIFY(isWhole(get(path, next + ".num"), next.toLongLong()));
        }

        // The next start clears away what the killed saves left.
        WorkDir(path).prime();
        static const QRegularExpression leftover(R"(^\.zettelfix-.*\.(lock|tmp)$|\.dat\.\w{6}$)");
        const QStringList left = QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(leftover);
        QCOMPARE(left, QStringList());
    }
};

QTEST_GUILESS_MAIN(tst_SharedFolder)
#include "tst_sharedfolder.moc"

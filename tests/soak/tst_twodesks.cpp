// Two desks saving into one folder at once, as a folder on a USB stick or a
// network share is used: two copies of the program save the same numbers
// with new payers and purposes, and two savers race for one number in two
// letter cases. Nothing may be lost, and no number saved twice.
#include "archive/journal.h"
#include "soakreceipt.h"

#include "archive/search.h"
#include "platform/workdir.h"
#include "tests/testsupport.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <barrier>
#include <thread>

#ifndef ZETTELFIX_DESK_ROUNDS
#define ZETTELFIX_DESK_ROUNDS 100
#endif

class tst_TwoDesks : public QObject
{
    Q_OBJECT

private slots:
    void twoProgramsKeepEveryEntry();
    void letterCaseRace();
};

void tst_TwoDesks::twoProgramsKeepEveryEntry()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.path();
    testsupport::put(path, "erst.dat", QByteArray());
    const int last = ZETTELFIX_DESK_ROUNDS;
    QProcess first, second;
    for (QProcess *p : { &first, &second }) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p->setProcessEnvironment(env);
        p->start(SOAK_SAVER, { path, QString::number(last), "distinct" });
    }
    for (QProcess *p : { &first, &second }) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
        // The saver tells of any message but "saved" and "exists".
        const QList<QByteArray> told = p->readAllStandardError().split('\n');
        for (const QByteArray &line : told)
            QVERIFY2(line.isEmpty() || line.startsWith("QStandardPaths"), line.constData());
    }
    QCOMPARE(receiptFileList(WorkDir(path)).size(), last);
    const QStringList payers = textlines::splitLines(codepage::decode(testsupport::get(path, "von.dat")));
    const QStringList purposes = textlines::splitLines(codepage::decode(testsupport::get(path, "fuer.dat")));
    int lostPayers = 0, lostPurposes = 0;
    for (int n = 1; n <= last; ++n) {
        const SoakReceipt r = soakReceipt(n, true);
        QVERIFY(!testsupport::get(path, QString("%1.num").arg(n)).isEmpty());
        lostPayers += payers.contains(r.payer) ? 0 : 1;
        lostPurposes += purposes.contains(r.purpose) ? 0 : 1;
    }
    QCOMPARE(lostPayers, 0);
    QCOMPARE(lostPurposes, 0);
    QCOMPARE(payers.size(), last);

    // Both programs appended to one journal: one save entry a receipt, each
    // with the sum of its file, the chain whole.
    const journal::Contents c = journal::read(WorkDir(path));
    QCOMPARE(c.findings, QStringList());
    QCOMPARE(c.torn, 0);
    QSet<QString> saved;
    for (const journal::Entry &e : c.entries) {
        if (e.action != journal::action::save)
            continue;
        QVERIFY2(!saved.contains(e.number), qPrintable(e.number));
        saved.insert(e.number);
        QCOMPARE(e.fileHash, journal::sha256Hex(testsupport::get(path, e.number + ".num")));
    }
    QCOMPARE(saved.size(), last);
}

void tst_TwoDesks::letterCaseRace()
{
    // Each round both desks create the same number at the same moment, one
    // as "K<n>", the other as "k<n>": exactly one of them has it saved.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const int rounds = ZETTELFIX_DESK_ROUNDS;
    std::barrier start(2);
    WorkDir::CreateResult results[2][ZETTELFIX_DESK_ROUNDS];
    auto desk = [&](int which) {
        WorkDir files(dir.path());
        for (int n = 0; n < rounds; ++n) {
            start.arrive_and_wait();
            const QString name = QString(which ? "k%1.num" : "K%1.num").arg(n);
            results[which][n] = files.createNew(name, QByteArray::number(which));
        }
    };
    std::thread other(desk, 1);
    desk(0);
    other.join();
    for (int n = 0; n < rounds; ++n) {
        const int created = int(results[0][n] == WorkDir::CreateResult::Created)
            + int(results[1][n] == WorkDir::CreateResult::Created);
        QCOMPARE(created, 1);
        QVERIFY(results[0][n] != WorkDir::CreateResult::Failed && results[1][n] != WorkDir::CreateResult::Failed);
    }
    const QStringList listed = receiptFileList(WorkDir(dir.path()));
    QCOMPARE(listed.size(), rounds);
    QCOMPARE(QSet<QString>(listed.begin(), listed.end()).size(), rounds);

    // A copy made by hand in another letter case is listed beside the
    // original, not hidden behind it.
    testsupport::put(dir.path(), "K0.NUM", "kopie");
    QCOMPARE(receiptFileList(WorkDir(dir.path())).size(), rounds + 1);
}

QTEST_MAIN(tst_TwoDesks)
#include "tst_twodesks.moc"

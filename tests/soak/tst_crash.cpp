// The program killed (SIGKILL) at random moments while it saves receipts:
// afterwards every receipt file is whole, "nummer.dat" names the last
// receipt or the one before it, and what an interrupted save leaves behind
// never counts as a receipt.
#include "soakfiles.h"
#include "soakreceipt.h"

#include "archive/receiptnumber.h"
#include "archive/search.h"
#include "platform/workdir.h"
#include "settings/settings.h"
#include "text/codepage.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

#ifndef ZETTELFIX_CRASH_KILLS
#define ZETTELFIX_CRASH_KILLS 60
#endif

class tst_Crash : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileSaving();
};

namespace {

// A receipt file as the saver writes it, complete.
bool isWhole(const QByteArray &bytes, qlonglong number)
{
    // The twelve fields, then the page, to its last line end.
    return bytes.startsWith(codepage::encode(soakFileText(number)).value_or(QByteArray("?")))
        && bytes.contains("\r\nSatz=") && bytes.endsWith("\r\n");
}

} // namespace

void tst_Crash::killedWhileSaving()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString workPath = root.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(workPath));
    QVERIFY(writeFileBytes(workPath + QStringLiteral("/erst.dat"), ""));

    bool ok = false;
    const int fromEnv = qEnvironmentVariableIntValue("ZETTELFIX_CRASH_KILLS", &ok);
    const int kills = ok && fromEnv > 0 ? fromEnv : ZETTELFIX_CRASH_KILLS;
    std::mt19937 random(7122026);
    QSet<QString> leftoverNames;
    qlonglong highest = 0;
    int lastLagging = 0;

    for (int k = 0; k < kills; ++k) {
        QProcess saver;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        saver.setProcessEnvironment(env);
        saver.start(QStringLiteral(SOAK_SAVER), { workPath });
        QVERIFY2(saver.waitForStarted(), qPrintable(saver.errorString()));
        // Started and in its loop of saves: then a random moment.
        QVERIFY(saver.waitForReadyRead(20000));
        QCOMPARE(saver.readLine().trimmed(), QByteArray("ready"));
        QTest::qSleep(std::uniform_int_distribution<int>(5, 120)(random));
        saver.kill(); // SIGKILL
        QVERIFY(saver.waitForFinished(10000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        WorkDir dir(workPath);
        const QStringList receipts = receiptFileList(dir);
        // Consecutive numbers from 1, each file whole.
        qlonglong n = 0;
        for (const QString &name : receipts) {
            ++n;
            QCOMPARE(name, QString::number(n) + QStringLiteral(".num"));
            QVERIFY2(isWhole(fileBytes(dir.filePath(name)), n), qPrintable(name));
        }
        QVERIFY2(n >= highest, "a receipt was lost");
        highest = n;
        // The number of a receipt that exists: the last one saved, or one
        // before it when kills came between receipts and their number (the
        // next start then finds the proposed number taken and goes on).
        const auto last = settingValue(dir, settingsfile::nummer);
        if (last) {
            QVERIFY2(QFileInfo::exists(dir.filePath(*last + QStringLiteral(".num"))), qPrintable(*last));
            QVERIFY(last->toLongLong() <= n);
        } else {
            QVERIFY2(n <= 1, "receipts saved, but no last number");
        }
        if (last.value_or(QStringLiteral("0")).toLongLong() < n)
            ++lastLagging;

        // Anything else in the folder is a settings file, or the hidden
        // temporary file or lock of a save that was cut short: it is no receipt, no
        // search finds it, and the next save does not trip over it.
        for (const QString &name : QDir(workPath).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                            | QDir::NoDotAndDotDot)) {
            if (name.endsWith(QStringLiteral(".num")) || name.endsWith(QStringLiteral(".dat"))
                || name == QStringLiteral("journal.txt"))
                continue;
            static const QRegularExpression temporary(
                QStringLiteral("^(\\.zettelfix-[\\w.]+\\.tmp|\\.zettelfix-[\\w.]+\\.lock|(nummer|von|fuer)\\.dat\\.\\w{6})$"));
            QVERIFY2(temporary.match(name).hasMatch(), qPrintable(QStringLiteral("left behind: ") + name));
            leftoverNames.insert(name);
        }
        const SearchResults all = SearchReceipts(dir, receipts, QString());
        for (qsizetype i = 0; i < all.size(); ++i)
            QVERIFY(all.fileName(i).endsWith(QStringLiteral(".num")));
        QCOMPARE(all.size(), 11 * n); // every line of a receipt holds something, but the place
    }
    const int leftovers = int(leftoverNames.size());

    // The next start clears away the hidden leftovers of the killed saves
    // (their locks name processes that have ended) and an older version's
    // temporary file of long ago, and leaves a fresh one of that version,
    // which another copy may still be writing.
    const QString stale = workPath + QStringLiteral("/.zettelfix-Old123.tmp");
    const QString fresh = workPath + QStringLiteral("/.zettelfix-New123.tmp");
    QVERIFY(writeFileBytes(stale, "1\r\nhalb"));
    QVERIFY(writeFileBytes(fresh, "2\r\nhalb"));
    {
        QFile old(stale);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    const FolderSnapshot receiptsBefore = FolderSnapshot::of(workPath);
    WorkDir(workPath).prime();
    QVERIFY(!QFileInfo::exists(stale));
    QVERIFY(QFileInfo::exists(fresh));
    FolderSnapshot expectedAfter = receiptsBefore;
    expectedAfter.entries.removeIf([](const auto &entry) {
        return entry.key().startsWith(QStringLiteral(".zettelfix-")) && entry.key() != QStringLiteral(".zettelfix-New123.tmp");
    });
    QVERIFY(FolderSnapshot::of(workPath) == expectedAfter);

    qInfo("crash: %d kills with SIGKILL, %lld receipts saved and verified whole, none lost; nummer.dat behind "
          "the last receipt after %d kills; %d temporary files of cut-short saves left, none counted",
          kills, highest, lastLagging, leftovers);
    QVERIFY(highest > 0);
}

QTEST_GUILESS_MAIN(tst_Crash)
#include "tst_crash.moc"

// The locks of a shared folder: who may take one over and when, what a
// holder does when its lock was taken, links, and what a crash leaves.
#include "platform/workdir.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <utime.h>

using testsupport::get;
using testsupport::put;

namespace {

// The content of a lock this process holds, with its process number
// replaced: a holder that has ended when `pid` belongs to one.
QByteArray lockOf(const QString &folder, const QByteArray &computer = {}, qint64 pid = 0)
{
    QByteArray content;
    {
        WorkDir other(folder);
        const WorkDir::Lock held = other.lock(QStringLiteral("probe"));
        content = get(folder, ".zettelfix-probe.lock");
    }
    QList<QByteArray> f = content.trimmed().split(' ');
    if (!computer.isEmpty())
        f[2] = computer;
    if (pid)
        f[3] = QByteArray::number(pid);
    return f.join(' ') + '\n';
}

qint64 endedProcess()
{
    QProcess p;
    p.start(QStringLiteral("true"), {});
    p.waitForStarted();
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

void age(const QString &path, int seconds)
{
    const time_t then = time(nullptr) + seconds;
    const utimbuf times { then, then };
    QVERIFY(::utime(QFile::encodeName(path).constData(), &times) == 0);
}

} // namespace

class TestLocks : public QObject
{
    Q_OBJECT

private slots:
    void takenOverOnlyFromAHolderThatIsGone_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<int>("fileAge"); // seconds, by the lock file's time
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<int>("takenAfterMs"); // -1: not taken within waitMs
        QTest::newRow("ended here, at once") << "ended" << 0 << 3000 << 0;
        QTest::newRow("ended here, time in the future") << "ended" << 3600 << 3000 << 0;
        QTest::newRow("running here, an hour old by its time") << "running" << -3600 << 1500 << -1;
        QTest::newRow("other computer, after five unchanged seconds") << "other" << -3600 << 9000 << 5000;
        QTest::newRow("empty, killed before it named itself") << "empty" << 0 << 3000 << 200;
    }
    void takenOverOnlyFromAHolderThatIsGone()
    {
        QFETCH(QString, holder);
        QFETCH(int, fileAge);
        QFETCH(int, waitMs);
        QFETCH(int, takenAfterMs);
        QTemporaryDir tmp;
        const QString lockFile = tmp.path() + "/.zettelfix-von.dat.lock";
        const QByteArray content = holder == "ended" ? lockOf(tmp.path(), {}, endedProcess())
            : holder == "running"                    ? lockOf(tmp.path())
            : holder == "other"                      ? lockOf(tmp.path(), "another-boot/pid:[1]")
                                                     : QByteArray();
        put(tmp.path(), ".zettelfix-von.dat.lock", content);
        age(lockFile, fileAge);
        WorkDir dir(tmp.path());
        QElapsedTimer took;
        took.start();
        QString error;
        const WorkDir::Lock lock = dir.lock("von.dat", &error, waitMs);
        if (takenAfterMs < 0) {
            QVERIFY(!lock);
            QVERIFY(error.contains("von.dat"));
            QCOMPARE(get(tmp.path(), ".zettelfix-von.dat.lock"), content);
            return;
        }
        QVERIFY2(lock, qPrintable(error));
        QVERIFY2(took.elapsed() >= takenAfterMs && took.elapsed() < takenAfterMs + 1000,
                 qPrintable(QString::number(took.elapsed())));
        QVERIFY(lock.stillHeld());
    }

    // A holder whose lock was taken over writes nothing and starts again
    // from a fresh read, so that the other's entry and its own both stay.
    void aLostLockMeansAFreshRead()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "von.dat", "Anna\r\n");
        WorkDir dir(tmp.path());
        int rounds = 0;
        QString error;
        const bool done = dir.changeLocked("von.dat", [&](QString *why) {
            const QByteArray read = get(tmp.path(), "von.dat");
            if (++rounds == 1) {
                // Meanwhile another desk finds this one stalled, takes the
                // lock over, adds its entry and is done.
                QFile::remove(tmp.path() + "/.zettelfix-von.dat.lock");
                WorkDir other(tmp.path());
                const WorkDir::Lock taken = other.lock("von.dat");
                [&] { QVERIFY(other.write("von.dat", read + "Bernd\r\n")); }();
            }
            return dir.write("von.dat", get(tmp.path(), "von.dat") == read ? read + "Clara\r\n" : QByteArray(), why);
        }, &error);
        QVERIFY2(done, qPrintable(error));
        QCOMPARE(rounds, 2);
        QCOMPARE(get(tmp.path(), "von.dat"), QByteArray("Anna\r\nBernd\r\nClara\r\n"));
        QCOMPARE(testsupport::filesIn(tmp.path()), QStringList { "von.dat" });
    }

    void noReadOrWriteThroughALink_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("rewrite") << "write";
        QTest::newRow("append") << "append";
        QTest::newRow("append in place") << "appendInPlace";
        QTest::newRow("read") << "read";
        QTest::newRow("read each") << "readEach";
    }
    void noReadOrWriteThroughALink()
    {
        QFETCH(QString, operation);
        QTemporaryDir tmp, outside;
        put(outside.path(), "secret.txt", "GEHEIM\r\n");
        QVERIFY(QFile::link(outside.path() + "/secret.txt", tmp.path() + "/von.dat"));
        WorkDir dir(tmp.path());
        QString error;
        bool ok = true;
        if (operation == "write")
            ok = dir.write("von.dat", "Anna\r\n", &error);
        else if (operation == "append")
            ok = dir.append("von.dat", "Anna\r\n", &error);
        else if (operation == "appendInPlace")
            ok = dir.appendInPlace("von.dat", "Anna\r\n", &error);
        else if (operation == "read")
            ok = dir.readBytes("von.dat").has_value();
        else
            dir.readEach({ "von.dat" }, 0, 1, [&](qsizetype, QByteArrayView, const WorkDir::FileStamp &) { ok = true; },
                         { .stamp = false, .held = {}, .kept = {},
                           .passed = [&](qsizetype, const WorkDir::FileStamp &s) { ok = !s.linked; } });
        QVERIFY(!ok);
        if (operation.startsWith("write") || operation.startsWith("append"))
            QCOMPARE(error, WorkDir::linkMessage("von.dat"));
        QCOMPARE(get(outside.path(), "secret.txt"), QByteArray("GEHEIM\r\n"));
        QVERIFY(QFileInfo(tmp.path() + "/von.dat").isSymLink());
        QCOMPARE(dir.links(), QStringList { "von.dat" });
    }

    // A folder that has gone (a stick pulled out) is named as such, not as
    // a file that could not be locked.
    void aFolderThatIsGoneIsSaidToBe()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + "/Belege";
        QVERIFY(QDir().mkdir(folder));
        WorkDir dir(folder);
        QVERIFY(QDir(folder).removeRecursively());
        QString lockError, writeError;
        QVERIFY(!dir.lock("von.dat", &lockError));
        QVERIFY(!dir.write("ort.dat", "Bonn\r\n", &writeError));
        for (const QString &error : { lockError, writeError })
            QVERIFY2(error.startsWith(QString("Der Ordner \"%1\" ist nicht erreichbar.").arg(folder)), qPrintable(error));
    }

    // What a killed save leaves goes at the next start; what belongs to a
    // save still running stays.
    void leftoversOfEndedSavesGo()
    {
        QTemporaryDir tmp;
        const QString f = tmp.path();
        put(f, ".zettelfix-von.dat.lock", lockOf(f, {}, endedProcess()));
        put(f, ".zettelfix-fuer.dat.lock", lockOf(f));
        put(f, ".zettelfix-von.dat.Ab12Cd.tmp", "half");
        put(f, ".zettelfix-fuer.dat.Ab12Cd.tmp", "being written");
        put(f, ".zettelfix-7.num.Xy98Zw.tmp", "half");
        put(f, "nummer.dat.Qw12Er", "1");
        age(f + "/nummer.dat.Qw12Er", -60);
        put(f, "ort.dat.Qw12Er", "just now");
        put(f, ".zettelfix-nummer.dat.lock.4711.stale", "");
        put(f, "7.num.Xy98Zw", "not a temporary file of ours");
        put(f, ".zettelfix-8.num.lock", "");
        age(f + "/.zettelfix-8.num.lock", -60);
        put(f, ".zettelfix-9.num.lock", "");
        WorkDir dir(f);
        QCOMPARE(dir.removeLeftovers(), 6);
        QCOMPARE(testsupport::filesIn(f), (QStringList { ".zettelfix-9.num.lock", ".zettelfix-fuer.dat.Ab12Cd.tmp",
                                                        ".zettelfix-fuer.dat.lock", "7.num.Xy98Zw", "ort.dat.Qw12Er" }));
    }
};

QTEST_GUILESS_MAIN(TestLocks)
#include "tst_locks.moc"

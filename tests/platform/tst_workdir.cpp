#include "platform/workdir.h"
#include "tests/testsupport.h"
#include "text/textfile.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <barrier>
#include <fcntl.h>
#include <unistd.h>
#include <thread>

using testsupport::put;
using testsupport::get;

class TestWorkDir : public QObject
{
    Q_OBJECT

private slots:
    void lookupIgnoresCase_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("asked");
        QTest::newRow("upper stem, lower asked") << "DM.dat" << "dm.dat";
        QTest::newRow("all capitals") << "NETTO.DAT" << "netto.dat";
        QTest::newRow("capital initial") << "Quitname.dat" << "quitname.dat";
        QTest::newRow("asked in capitals, stored lower") << "betragv.dat" << "betragv.DAT";
        QTest::newRow("receipt in capitals") << "12.NUM" << "12.num";
        QTest::newRow("umlaut in other case") << "Müller.num" << "MÜLLER.num";
        QTest::newRow("odd mixture, found through the index") << "NeTtO.dAt" << "netto.dat";
    }
    void lookupIgnoresCase()
    {
        QFETCH(QString, stored);
        QFETCH(QString, asked);
        QTemporaryDir tmp;
        put(tmp.path(), stored, "x\r\n");
        WorkDir dir(tmp.path());
        QCOMPARE(dir.storedName(asked), stored);
        QCOMPARE(textfile::readText(dir, asked), std::optional<QString>(QStringLiteral("x\r\n")));
    }

    void writeKeepsStoredNameAndCreatesGivenName()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "DM.dat", "DM\r\n");
        WorkDir dir(tmp.path());
        QVERIFY(dir.write("dm.dat", "EUR\r\n"));
        QCOMPARE(get(tmp.path(), "DM.dat"), QByteArray("EUR\r\n"));
        QVERIFY(!QFile::exists(tmp.path() + "/dm.dat"));
        QVERIFY(dir.write("neu.dat", "1\r\n"));
        QCOMPARE(get(tmp.path(), "neu.dat"), QByteArray("1\r\n"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files).size(), 2);
    }

    void createNewRefusesAnExistingFileInAnyCase()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "12.NUM", "alt");
        WorkDir dir(tmp.path());
        QCOMPARE(dir.createNew("12.num", "neu"), WorkDir::CreateResult::Exists);
        QCOMPARE(get(tmp.path(), "12.NUM"), QByteArray("alt"));
        QVERIFY(!QFile::exists(tmp.path() + "/12.num"));
        QCOMPARE(dir.createNew("13.num", "neu"), WorkDir::CreateResult::Created);
        QCOMPARE(get(tmp.path(), "13.num"), QByteArray("neu"));
        // A receipt gets the same permissions as the files written otherwise.
        QVERIFY(dir.write("14.dat", "x"));
        QCOMPARE(QFile::permissions(tmp.path() + "/13.num"), QFile::permissions(tmp.path() + "/14.dat"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
        QFile::remove(tmp.path() + "/14.dat");
        // No temporary file stays behind.
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // The ways a new file is put in place, as far as the file system offers
    // them: a hard link; where links are refused (FAT, some shares), renaming
    // without replacing; where that is refused too, creating the name
    // exclusively and writing it.
    static WorkDir::FaultHook refusing(int ways)
    {
        return [ways](WorkDir::Op op, const QString &) {
            return (ways >= 1 && op == WorkDir::Op::HardLink) || (ways >= 2 && op == WorkDir::Op::RenameNoReplace);
        };
    }

    void twoCopiesCreatingTheSameNameAtOnce_data()
    {
        QTest::addColumn<int>("refusedWays");
        QTest::newRow("hard link") << 0;
        QTest::newRow("no hard links: rename without replacing") << 1;
        QTest::newRow("neither: exclusive create") << 2;
    }

    void twoCopiesCreatingTheSameNameAtOnce()
    {
        // Two copies of the program save the same numbers at the same moment:
        // each name is created once, and the file is the winner's, whole.
        QFETCH(int, refusedWays);
        QTemporaryDir tmp;
        constexpr int rounds = 200;
        std::barrier sync(2);
        WorkDir::CreateResult results[2][rounds];
        auto run = [&](int who) {
            WorkDir dir(tmp.path());
            dir.setFaultHook(refusing(refusedWays));
            for (int i = 0; i < rounds; ++i) {
                sync.arrive_and_wait();
                results[who][i] = dir.createNew(QString::number(i) + ".num",
                                                QByteArray(500, who ? 'b' : 'a'));
            }
        };
        std::thread first(run, 0), second(run, 1);
        first.join();
        second.join();
        for (int i = 0; i < rounds; ++i) {
            const bool a = results[0][i] == WorkDir::CreateResult::Created;
            const bool b = results[1][i] == WorkDir::CreateResult::Created;
            QVERIFY2(a != b, qPrintable(QString::number(i)));
            QCOMPARE(results[a ? 1 : 0][i], WorkDir::CreateResult::Exists);
            QCOMPARE(get(tmp.path(), QString::number(i) + ".num"), QByteArray(500, a ? 'a' : 'b'));
        }
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), rounds);
    }

    void lastWayFailingLeavesNothing()
    {
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        dir.setFaultHook([](WorkDir::Op op, const QString &) {
            return op == WorkDir::Op::HardLink || op == WorkDir::Op::RenameNoReplace || op == WorkDir::Op::WriteNew;
        });
        QString error;
        QCOMPARE(dir.createNew("5.num", "5\r\n", &error), WorkDir::CreateResult::Failed);
        QVERIFY2(error.contains("5.num"), qPrintable(error));
        QVERIFY(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // Another program adds and removes files while the index is held: under
    // a spelling no direct lookup tries, under a Latin-1 name, put in place
    // by a rename, and after more changes than the kernel queues.
    void indexFollowsChangesMadeByOthers_data()
    {
        QTest::addColumn<QByteArray>("native");
        QTest::addColumn<QString>("lookup");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("renamedIn");
        QTest::addColumn<int>("floodFirst");
        QTest::newRow("odd spelling") << QByteArray("nEtTo.dAt") << "netto.dat" << "nEtTo.dAt" << false << 0;
        QTest::newRow("upper case") << QByteArray("NETTO.DAT") << "netto.dat" << "NETTO.DAT" << false << 0;
        QTest::newRow("Latin-1 name") << QByteArray("R\xe9-1.nUm") << QString::fromLatin1("r\xe9-1.num")
                                      << QString::fromLatin1("R\xe9-1.nUm") << false << 0;
        QTest::newRow("renamed in") << QByteArray("7.nUm") << "7.num" << "7.nUm" << true << 0;
        QFile queued(QStringLiteral("/proc/sys/fs/inotify/max_queued_events"));
        const int limit = queued.open(QIODevice::ReadOnly) ? queued.readAll().trimmed().toInt() : 16384;
        QTest::newRow("after a flood") << QByteArray("8.nUm") << "8.num" << "8.nUm" << false << limit / 2 + 100;
    }

    void indexFollowsChangesMadeByOthers()
    {
        QFETCH(QByteArray, native);
        QFETCH(QString, lookup);
        QFETCH(QString, stored);
        QFETCH(bool, renamedIn);
        QFETCH(int, floodFirst);
        QTemporaryDir tmp;
        const QByteArray folder = QFile::encodeName(tmp.path()) + '/';
        const auto make = [&](const QByteArray &name) {
            const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, "1\r\n", 3), 3);
            ::close(fd);
        };
        WorkDir dir(tmp.path());
        QVERIFY(!dir.exists(lookup)); // reads the folder
        QVERIFY(dir.list(QStringLiteral(".num")).isEmpty());
        for (int i = 0; i < floodFirst; ++i)
            make("flood" + QByteArray::number(i) + ".tmp");
        if (renamedIn) {
            make(".other.tmp");
            QCOMPARE(::rename((folder + ".other.tmp").constData(), (folder + native).constData()), 0);
        } else {
            make(native);
        }
        QCOMPARE(dir.storedName(lookup), stored);
        QCOMPARE(dir.list(lookup.mid(lookup.lastIndexOf(u'.'))), QStringList { stored });
        QCOMPARE(dir.readBytes(lookup).value_or("<unread>"), QByteArray("1\r\n"));

        QCOMPARE(::unlink((folder + native).constData()), 0);
        QVERIFY(!dir.exists(lookup));
        QVERIFY(dir.list(lookup.mid(lookup.lastIndexOf(u'.'))).isEmpty());
    }

    void faultHookFailsTheChosenOperation()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "von.dat", "Adler\r\n");
        WorkDir dir(tmp.path());
        dir.setFaultHook([](WorkDir::Op op, const QString &name) {
            return op == WorkDir::Op::Append && name == "von.dat";
        });
        QString error;
        QVERIFY(!dir.append("von.dat", "Meier\r\n", &error));
        QVERIFY(error.contains("von.dat"));
        QCOMPARE(get(tmp.path(), "von.dat"), QByteArray("Adler\r\n"));
        QVERIFY(dir.write("fuer.dat", "x\r\n"));
    }

    void appendCreatesAndExtends()
    {
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        QVERIFY(dir.append("fuer.dat", "Miete\r\n"));
        QVERIFY(dir.append("fuer.dat", "Strom\r\n"));
        QCOMPARE(get(tmp.path(), "fuer.dat"), QByteArray("Miete\r\nStrom\r\n"));
    }

    void listGivesReceiptFilesSortedWithoutFolders()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "b.num", "");
        put(tmp.path(), "A.NUM", "");
        put(tmp.path(), "c.dat", "");
        put(tmp.path(), "10.num", "");
        QVERIFY(QDir(tmp.path()).mkdir("ordner.num"));
        WorkDir dir(tmp.path());
        QCOMPARE(dir.list(".num"), (QStringList { "10.num", "A.NUM", "b.num" }));
    }

    void namesThatAreNotBareAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("slash") << "../x.dat";
        QTest::newRow("backslash") << "a\\b.num";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("empty") << "";
    }
    void namesThatAreNotBareAreRefused()
    {
        QFETCH(QString, name);
        QTemporaryDir tmp;
        QDir(tmp.path()).mkdir("sub");
        WorkDir dir(tmp.path() + "/sub");
        QVERIFY(!dir.write(name, "x"));
        QCOMPARE(dir.createNew(name, "x"), WorkDir::CreateResult::Failed);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files).size(), 0);
        QCOMPARE(QDir(tmp.path() + "/sub").entryList(QDir::Files | QDir::Hidden).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWorkDir)
#include "tst_workdir.moc"

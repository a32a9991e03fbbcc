#include "archive/receiptnumber.h"
#include "tests/testsupport.h"
#include "settings/settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestReceiptNumber : public QObject
{
    Q_OBJECT

private slots:
    void nextNumber_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("next");
        QTest::newRow("plain") << "41" << "42";
        QTest::newRow("trailing blank") << "41 " << "42";
        QTest::newRow("letters after") << "41abc" << "42";
        QTest::newRow("inner blank joins digits") << "1 2" << "13";
        QTest::newRow("tab and blanks anywhere") << " \t1\t2 3" << "124";
        QTest::newRow("letters only") << "abc" << "1";
        QTest::newRow("empty line") << "" << "1";
        QTest::newRow("carry through nines") << "999" << "1000";
        QTest::newRow("leading zeros") << "007" << "8";
        QTest::newRow("thirty digits") << "123456789012345678901234567890" << "123456789012345678901234567891";
        QTest::newRow("thirty nines") << QString(30, QLatin1Char('9')) << "1" + QString(30, QLatin1Char('0'));
        QTest::newRow("decimal") << "12.5" << "13.5";
        QTest::newRow("second point ends") << "1.2.3" << "2.2";
        QTest::newRow("negative") << "-5" << "-4";
        QTest::newRow("negative fraction crosses zero") << "-0.5" << "0.5";
        QTest::newRow("minus one") << "-1" << "0";
        QTest::newRow("comma is not a decimal point") << "12,5" << "13";
    }
    void nextNumber()
    {
        QFETCH(QString, line);
        QFETCH(QString, next);
        QCOMPARE(nextNumberAfter(line), next);
    }

    void fromTheFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QStringList>("taken");
        QTest::newRow("no file") << QByteArray() << false << "1" << QStringList();
        // A save that could not record its number, or a moment in which the
        // file could not be read: never a number that exists.
        QTest::newRow("next ones taken") << QByteArray("5\r\n") << true << "8" << QStringList { "6.num", "7.NUM" };
        QTest::newRow("no file, first ones taken") << QByteArray() << false << "3" << QStringList { "1.num", "2.num" };
        QTest::newRow("zero bytes") << QByteArray() << true << "1" << QStringList();
        QTest::newRow("first line only") << QByteArray("7\r\n99\r\n") << true << "8" << QStringList();
        QTest::newRow("no line end") << QByteArray("41") << true << "42" << QStringList { "40.num" };
    }
    void fromTheFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, present);
        QFETCH(QString, next);
        QFETCH(QStringList, taken);
        QTemporaryDir tmp;
        for (const QString &name : taken)
            testsupport::put(tmp.path(), name, "x");
        if (present) {
            QFile f(tmp.path() + "/nummer.dat");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        WorkDir dir(tmp.path());
        QCOMPARE(NextReceiptNumber(dir), next);
    }
};

QTEST_GUILESS_MAIN(TestReceiptNumber)
#include "tst_receiptnumber.moc"

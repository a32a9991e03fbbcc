#include "settings/userdatafile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_UserData : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void readMissing();
    void write_data();
    void write();
    void writeKeepsStoredName();
    void writeFailure();
};

void tst_UserData::read_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("six lines") << "anwender.dat" << QByteArray("A\r\nB\r\nC\r\nD\r\nE\r\nF\r\n")
                               << QStringList { "A", "B", "C", "D", "E", "F" };
    QTest::newRow("name as the old program wrote it")
        << "Anwender.dat" << QByteArray("A\r\nB\r\nC\r\nD\r\nE\r\nF\r\n") << QStringList { "A", "B", "C", "D", "E", "F" };
    QTest::newRow("only the first six of more") << "anwender.dat" << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n")
                                                << QStringList { "1", "2", "3", "4", "5", "6" };
    QTest::newRow("short file: the rest empty")
        << "anwender.dat" << QByteArray("Firma\r\n\r\nTel") << QStringList { "Firma", "", "Tel", "", "", "" };
    QTest::newRow("empty file") << "anwender.dat" << QByteArray() << QStringList { "", "", "", "", "", "" };
    QTest::newRow("blanks and code page kept")
        << "anwender.dat" << QByteArray("  M\xfcller & S\xf6hne  \r\n\r\n\r\n\r\nGro\xdf" "e Str. 1\r\n12345 K\xf6ln\r\n")
        << QStringList { "  Müller & Söhne  ", "", "", "", "Große Str. 1", "12345 Köln" };
    QTest::newRow("bare line feeds") << "anwender.dat" << QByteArray("A\nB\nC\nD\nE\nF\n")
                                     << QStringList { "A", "B", "C", "D", "E", "F" };
}

void tst_UserData::read()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);

    QTemporaryDir dir;
    QFile file(dir.filePath(fileName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    const auto data = ReadUserData(WorkDir(dir.path()));
    QVERIFY(data);
    QCOMPARE(*data, lines);
}

void tst_UserData::readMissing()
{
    QTemporaryDir dir;
    WorkDir files(dir.path());
    QVERIFY(!ReadUserData(files));
    files.setFaultHook([](WorkDir::Op op, const QString &) { return op == WorkDir::Op::Read; });
    QVERIFY(files.write(QStringLiteral("anwender.dat"), QByteArray("A\r\n")));
    QVERIFY(!ReadUserData(files));
}

void tst_UserData::write_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("six lines, CR LF each") << QStringList { "Firma", "Zusatz", "Tel", "Fax", "Straße 1", "12345 Köln" }
                                           << QByteArray("Firma\r\nZusatz\r\nTel\r\nFax\r\nStra\xdf" "e 1\r\n12345 K\xf6ln\r\n");
    QTest::newRow("all empty: six empty lines") << QStringList { "", "", "", "", "", "" }
                                                << QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n");
    QTest::newRow("blanks kept") << QStringList { " a ", "", "", "", "", "b " }
                                 << QByteArray(" a \r\n\r\n\r\n\r\n\r\nb \r\n");
}

void tst_UserData::write()
{
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    WorkDir files(dir.path());
    QVERIFY(WriteUserData(files, lines));
    QFile file(dir.filePath(QStringLiteral("anwender.dat")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(*ReadUserData(files), lines);
}

void tst_UserData::writeKeepsStoredName()
{
    QTemporaryDir dir;
    {
        QFile old(dir.filePath(QStringLiteral("Anwender.dat")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("alt\r\n");
    }
    WorkDir files(dir.path());
    QVERIFY(WriteUserData(files, { "1", "2", "3", "4", "5", "6" }));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { "Anwender.dat" });
}

void tst_UserData::writeFailure()
{
    QTemporaryDir dir;
    WorkDir files(dir.path());
    QVERIFY(WriteUserData(files, { "alt", "", "", "", "", "" }));
    files.setFaultHook([](WorkDir::Op op, const QString &) { return op == WorkDir::Op::Write; });
    QString error;
    QVERIFY(!WriteUserData(files, { "neu", "", "", "", "", "" }, &error));
    QVERIFY(!error.isEmpty());
    files.setFaultHook({});
    QCOMPARE(ReadUserData(files)->constFirst(), QStringLiteral("alt"));
    // A character the code page lacks is kept: the file becomes UTF-8.
    QVERIFY(WriteUserData(files, { QStringLiteral("Łódź"), "", "", "", "", "" }, &error));
    QCOMPARE(ReadUserData(files)->constFirst(), QStringLiteral("Łódź"));
}

QTEST_GUILESS_MAIN(tst_UserData)
#include "tst_userdata.moc"

#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("hasValue");
        QTest::addColumn<QString>("value");
        QTest::newRow("first line of several") << QByteArray("Rechnung\r\nQuittung\r\n") << true << "Rechnung";
        QTest::newRow("blanks kept") << QByteArray("  netto  \r\n") << true << "  netto  ";
        QTest::newRow("empty first line") << QByteArray("\r\nx\r\n") << true << "";
        QTest::newRow("no line end") << QByteArray("DM") << true << "DM";
        QTest::newRow("zero bytes count as missing") << QByteArray() << false << "";
        QTest::newRow("umlaut and euro") << QByteArray("f\xfcr \x80\r\n") << true << QStringLiteral("für €");
    }
    void reading()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, hasValue);
        QFETCH(QString, value);
        QTemporaryDir tmp;
        QFile f(tmp.path() + "/netto.dat");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        WorkDir dir(tmp.path());
        QVERIFY(SettingsExists(dir, "NETTO.dat"));
        QCOMPARE(settingValue(dir, "netto.dat").has_value(), hasValue);
        QCOMPARE(ReadSetting(dir, "netto.dat"), value);
    }

    void writingCreatesTheLowerCaseNameWithOneLineEnd()
    {
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        QVERIFY(WriteSetting(dir, "Quitname.dat", QStringLiteral("Rechnung für")));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList { "quitname.dat" });
        QFile f(tmp.path() + "/quitname.dat");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("Rechnung f\xfcr\r\n"));
    }

    void aFolderOfTheSameNameIsNoValue()
    {
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkdir("mwst.dat"));
        WorkDir dir(tmp.path());
        QVERIFY(!settingValue(dir, "mwst.dat").has_value());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

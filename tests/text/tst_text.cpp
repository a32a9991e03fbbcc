#include "tests/testsupport.h"
#include "text/codepage.h"
#include "text/textfile.h"
#include "text/textlines.h"

#include <QTemporaryDir>
#include <QTest>

using testsupport::get;
using testsupport::put;

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void everyByteButLineEndsRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b) {
            if (b != '\r' && b != '\n')
                all.append(char(b));
        }
        QTemporaryDir tmp;
        put(tmp.path(), "a.dat", all + "\r\n");
        WorkDir dir(tmp.path());
        const auto text = textfile::readText(dir, "a.dat");
        QVERIFY(text);
        QCOMPARE(text->size(), all.size() + 2);
        QCOMPARE(text->at(0x80 - 2), QChar(0x20AC)); // the euro sign, after the two skipped bytes
        QVERIFY(textfile::write(dir, "b.dat", *text));
        QCOMPARE(get(tmp.path(), "b.dat"), all + "\r\n");
    }

    void brokenTextIsRefused()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "a.dat", "alt\r\n");
        WorkDir dir(tmp.path());
        QString error;
        QVERIFY(!textfile::write(dir, "a.dat", QStringLiteral("Zloty ") + QChar(0xDC00) + QStringLiteral("\r\n"), &error));
        QVERIFY(error.contains("a.dat"));
        QCOMPARE(get(tmp.path(), "a.dat"), QByteArray("alt\r\n"));
        QVERIFY(codepage::encodable(QStringLiteral("Grüße, 5 € – „gut“")));
        QVERIFY(!codepage::encodable(QStringLiteral("\u20BD")));
    }

    // Bytes of a receipt line, decoded as the program reads them, made fit
    // for a one-line field that a person reads.
    void withVisibleControls_data()
    {
        const QChar fffd(QChar::ReplacementCharacter);
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QChar>("replacement");
        QTest::addColumn<QString>("shown");
        QTest::newRow("NUL") << QByteArray("a\0b", 3) << fffd << QString("a") + fffd + "b";
        QTest::newRow("tab") << QByteArray("a\tb") << fffd << QString("a") + fffd + "b";
        QTest::newRow("line ends") << QByteArray("a\r\nb\x1F") << fffd << QString("a") + fffd + fffd + "b" + fffd;
        QTest::newRow("DEL") << QByteArray("x\x7F") << fffd << QString("x") + fffd;
        QTest::newRow("the code page's undefined bytes") << QByteArray("\x81\x8D\x8F\x90\x9D") << fffd
                                                         << QString(5, fffd);
        QTest::newRow("the code page's own, a question mark")
            << QByteArray("\x81x\0", 3) << QChar('?') << QStringLiteral("?x?");
        QTest::newRow("its letters and signs in 0x80 to 0x9F stay")
            << QByteArray("\x80 \x84\x93\x9F") << fffd << QStringLiteral("€ „“Ÿ");
        QTest::newRow("a normal line unchanged") << QByteArray("M\xFCller & S\xF6hne") << fffd
                                                 << QStringLiteral("Müller & Söhne");
    }
    void withVisibleControls()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QChar, replacement);
        QFETCH(QString, shown);
        QCOMPARE(codepage::withVisibleControls(codepage::decode(bytes), replacement), shown);
    }

    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << "a\r\nb\r\n" << QStringList { "a", "b" };
        QTest::newRow("no final line end") << "a\r\nb" << QStringList { "a", "b" };
        QTest::newRow("LF only") << "a\nb\n" << QStringList { "a", "b" };
        QTest::newRow("CR only") << "a\rb\r" << QStringList { "a", "b" };
        QTest::newRow("empty lines kept") << "\r\n\r\nx\r\n" << QStringList { "", "", "x" };
        QTest::newRow("blanks kept") << "  a  \r\n" << QStringList { "  a  " };
        QTest::newRow("empty text") << "" << QStringList {};
        QTest::newRow("one line end") << "\r\n" << QStringList { "" };
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(textlines::splitLines(text), lines);
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"

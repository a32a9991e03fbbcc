#include "archive/evaluation.h"
#include "archive/search.h"
#include "platform/workdir.h"
#include "tests/testsupport.h"
#include "text/codepage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

#include <sys/stat.h>

namespace {

using testsupport::put;

QByteArray cp1252(const QString &text)
{
    return codepage::encode(text).value();
}

QStringList texts(const SearchResults &r)
{
    QStringList out;
    for (qsizetype i = 0; i < r.size(); ++i)
        out.append(r.text(i));
    return out;
}

QStringList fileNames(const SearchResults &r)
{
    QStringList out;
    for (qsizetype i = 0; i < r.size(); ++i)
        out.append(r.fileName(i));
    return out;
}

QString line(const QString &number, const QString &stored)
{
    return number + QStringLiteral("          <Nr. - ") + stored;
}

using Files = QList<QPair<QString, QByteArray>>;

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void finds_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("term");
        QTest::addColumn<QStringList>("expected");

        const QByteArray meier = cp1252(QString::fromUtf8("7\r\n86\r\n21\r\n13\r\n79\r\n100\r\n00\r\n---Einhundert---\r\n"
                                                          "Hans Meier, Bonn\r\nMiete Bonn\r\n"));
        QTest::newRow("other letter case finds the payer")
            << Files { { "7.num", meier } } << "hans MEIER" << QStringList { line("7", "Hans Meier, Bonn") };
        QTest::newRow("payer and purpose both match: two lines of one receipt")
            << Files { { "7.num", meier } } << "bonn"
            << QStringList { line("7", "Hans Meier, Bonn"), line("7", "Miete Bonn") };
        QTest::newRow("a digit lists number, amounts and words lines")
            << Files { { "7.num", meier } } << "1"
            << QStringList { line("7", "21"), line("7", "13"), line("7", "100") };
        QTest::newRow("the term is taken with its blanks")
            << Files { { "7.num", meier } } << "Meier, " << QStringList { line("7", "Hans Meier, Bonn") };
        QTest::newRow("a trailing blank the line lacks finds nothing")
            << Files { { "7.num", meier } } << "Bonn " << QStringList();
        QTest::newRow("no match leaves the list empty") << Files { { "7.num", meier } } << "Schulze" << QStringList();
        QTest::newRow("no receipt files") << Files {} << "" << QStringList();

        QTest::newRow("empty term: every non-empty line, an empty one matches nothing")
            << Files { { "3.num", cp1252(QString::fromUtf8("3\r\n\r\n\r\n\r\n\r\n5\r\n00\r\n---Fünf---\r\nAnna\r\n\r\n")) },
                       { "4.num", "4\r\n" } }
            << ""
            << QStringList { line("3", "3"), line("3", "5"), line("3", "00"), line("3", QString::fromUtf8("---Fünf---")),
                             line("3", "Anna"), line("4", "4") };
        QTest::newRow("umlauts compare without case")
            << Files { { "1.num", cp1252(QString::fromUtf8("1\r\nJÜRGEN MÖLLER\r\nÄpfel für Öl\r\n")) } }
            << QString::fromUtf8("jürgen möller")
            << QStringList { line("1", QString::fromUtf8("JÜRGEN MÖLLER")) };
        QTest::newRow("accents and ÿ compare without case")
            << Files { { "1.num", cp1252(QString::fromUtf8("1\r\nCafé Ÿvonne\r\n")) } } << QString::fromUtf8("CAFÉ ÿVONNE")
            << QStringList { line("1", QString::fromUtf8("Café Ÿvonne")) };
        QTest::newRow("ß has no capital: STRASSE is not Straße")
            << Files { { "1.num", cp1252(QString::fromUtf8("1\r\nHauptstraße 1\r\nGARTENSTRASSE 2\r\n")) } }
            << QString::fromUtf8("STRAßE") << QStringList { line("1", QString::fromUtf8("Hauptstraße 1")) };
        QTest::newRow("a term outside the code page is in no line")
            << Files { { "1.num", "1\r\nLodz\r\n" } } << QString::fromUtf8("Łódź") << QStringList();
        QTest::newRow("lines end in CR LF, CR or LF; the last may have no end")
            << Files { { "1.num", "1\rMeier A\nMeier B\r\nMeier C" } } << "meier"
            << QStringList { line("1", "Meier A"), line("1", "Meier B"), line("1", "Meier C") };
        QTest::newRow("a line with the term twice is listed once")
            << Files { { "1.num", "1\r\nMeier und Meier\r\n" } } << "meier"
            << QStringList { line("1", "Meier und Meier") };
        QTest::newRow("numbers are in number order, upper-case suffix cut off")
            << Files { { "10.num", "10\r\nMiete\r\n" }, { "2.NUM", "2\r\nMiete\r\n" }, { "a7.num", "a7\r\nMiete\r\n" } }
            << "miete" << QStringList { line("2", "Miete"), line("10", "Miete"), line("a7", "Miete") };
        QTest::newRow("a receipt of fewer than ten lines")
            << Files { { "5.num", "5\r\n12" } } << "" << QStringList { line("5", "5"), line("5", "12") };
        QTest::newRow("a UTF-8 file is searched as text, its mark in no line")
            << Files { { "1.num", "\xEF\xBB\xBF" "1\r\nNowak, \xC5\x81ukasz\r\n" } } << QString::fromUtf8("ŁUKASZ")
            << QStringList { line("1", QString::fromUtf8("Nowak, Łukasz")) };
        QTest::newRow("a term outside Windows-1252 is in UTF-8 files only")
            << Files { { "1.num", "1\r\nLukasz\r\n" }, { "2.num", "\xEF\xBB\xBF" "2\r\n\xC5\x81ukasz\r\n" } }
            << QString::fromUtf8("łukasz") << QStringList { line("2", QString::fromUtf8("Łukasz")) };
        QTest::newRow("a Windows-1252 term finds both kinds of file")
            << Files { { "1.num", "1\r\nM\xfcller\r\n" }, { "2.num", "\xEF\xBB\xBF" "2\r\nM\xc3\xbcller-\xC5\x81o\xC5\x9B\r\n" } }
            << QString::fromUtf8("MÜ") << QStringList { line("1", QString::fromUtf8("Müller")), line("2", QString::fromUtf8("Müller-Łoś")) };
        QTest::newRow("a long number and one with an inner blank keep their whole number")
            << Files { { "123456789.num", "123456789\r\nMeier\r\n" }, { "12 3.num", "12 3\r\nMeier\r\n" } } << "meier"
            << QStringList { line("12 3", "Meier"), line("123456789", "Meier") };
    }

    void finds()
    {
        QFETCH(Files, files);
        QFETCH(QString, term);
        QFETCH(QStringList, expected);
        QTemporaryDir tmp;
        for (const auto &[name, bytes] : files)
            put(tmp.path(), name, bytes);
        put(tmp.path(), "nummer.dat", "7\r\n");
        const WorkDir dir(tmp.path());
        const SearchResults results = SearchReceipts(dir, receiptFileList(dir), term);
        QCOMPARE(texts(results), expected);
    }

    void eachLineKnowsItsFile()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "12345678.num", "12345678\r\nMeier\r\n");
        put(tmp.path(), "123456789.num", "123456789\r\nMeier\r\n");
        put(tmp.path(), " 7.num", " 7\r\nMeier\r\n");
        const WorkDir dir(tmp.path());
        const SearchResults r = SearchReceipts(dir, receiptFileList(dir), "meier");
        QCOMPARE(fileNames(r), (QStringList { " 7.num", "12345678.num", "123456789.num" }));
        QCOMPARE(r.at(2).text, line("123456789", "Meier"));
        QCOMPARE(r.at(2).fileName, QStringLiteral("123456789.num"));
        QCOMPARE(r.storedLine(1), QStringLiteral("Meier"));
    }

    // The search folds letter case on the raw bytes; it must agree, byte for
    // byte, with the rule as said on texts.
    void byteFoldingAgreesWithTheTextRule()
    {
        QTemporaryDir tmp;
        QList<int> bytes;
        for (int b = 32; b < 256; ++b) {
            const QString decoded = codepage::decode(QByteArray(1, char(b)));
            if (b == 127 || decoded.size() != 1 || !codepage::encodable(decoded))
                continue;
            bytes.append(b);
            put(tmp.path(), QString::number(b) + ".num", QByteArray("x") + char(b) + "y\r\n");
            // The same text in UTF-8, searched as text: found alike.
            put(tmp.path(), "u" + QString::number(b) + ".num", "\xEF\xBB\xBF" + ("x" + decoded + "y\r\n").toUtf8());
        }
        const WorkDir dir(tmp.path());
        const QStringList files = receiptFileList(dir).filter(QRegularExpression("^\\d"));
        const QStringList utf8Files = receiptFileList(dir).filter(QRegularExpression("^u"));
        QCOMPARE(files.size(), bytes.size());
        for (int t : bytes) {
            const QString term = codepage::decode(QByteArray("x") + char(t) + "y");
            QStringList expected;
            for (int b : bytes) {
                if (codepage::containsIgnoringCase(codepage::decode(QByteArray("x") + char(b) + "y"), term))
                    expected.append(QString::number(b) + ".num");
            }
            QVERIFY2(expected.contains(QString::number(t) + ".num"), qPrintable(term));
            QCOMPARE(fileNames(SearchReceipts(dir, files, term)), expected);
            QCOMPARE(fileNames(SearchReceipts(dir, utf8Files, term)).replaceInStrings(QRegularExpression("^u"), QString()), expected);
        }
        QVERIFY(codepage::containsIgnoringCase(QString::fromUtf8("ÄÖÜ"), QString::fromUtf8("äöü")));
        QVERIFY(!codepage::containsIgnoringCase(QStringLiteral("SS"), QString::fromUtf8("ß")));
    }

    // Beside each line, what tells its receipt from others.
    void summary_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected"); // date, payer, total
        QTest::newRow("twelve lines") << testsupport::receiptFile({ "1", "840", "34", "159", "66", "1000", "00", "-", " Anna  Schulz ", "Miete", "02.12.2026", "Bonn" })
                                      << QStringList { "02.12.2026", "Anna Schulz", "1.000,00" };
        QTest::newRow("an older file: no date") << testsupport::receiptBytes("1", "Anna", "Miete")
                                                << QStringList { "", "Anna", "100,00" };
        QTest::newRow("a total that is no amount, as stored") << testsupport::receiptFile({ "1", "", "", "", "", "zehn", "5", "-", "Anna", "Miete" })
                                                              << QStringList { "", "Anna", "zehn,5" };
    }
    void summary()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QTemporaryDir tmp;
        put(tmp.path(), "1.num", bytes);
        const WorkDir dir(tmp.path());
        // Without a cache and with one: both keep what the summary reads.
        ReceiptCache cache;
        for (const SearchResults &r : { SearchReceipts(dir, { "1.num" }, "miete"), SearchReceipts(dir, { "1.num" }, "miete", cache) }) {
            QCOMPARE(r.size(), 1);
            const SearchResults::Summary s = r.summary(0);
            QCOMPARE((QStringList { s.date, s.payer, s.total }), expected);
        }
    }

    void passesOverWhatIsNoReceipt()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "1.num", "1\r\nMeier\r\n");
        QVERIFY(QDir(tmp.path()).mkdir("2.num"));
        QVERIFY(QFile::link(tmp.filePath("nowhere"), tmp.filePath("3.num")));
        QCOMPARE(::mkfifo(QFile::encodeName(tmp.filePath("4.num")).constData(), 0600), 0);
        put(tmp.path(), "5.num", "5\r\nMeier\r\n");
        WorkDir dir(tmp.path());
        QStringList files = receiptFileList(dir);
        QVERIFY(!files.contains("2.num"));
        // Whatever the list holds, also a file gone since it was taken.
        files << "2.num" << "3.num" << "4.num" << "6.num";
        QCOMPARE(fileNames(SearchReceipts(dir, files, "meier")), (QStringList { "1.num", "5.num" }));
        QCOMPARE(SearchReceipts(dir, files, "").size(), 4);
        // A file that fails as it is read.
        dir.setFaultHook([](WorkDir::Op op, const QString &name) { return op == WorkDir::Op::Read && name == "1.num"; });
        QCOMPARE(fileNames(SearchReceipts(dir, files, "meier")), QStringList { "5.num" });
    }

    void copesWithAHugeFile()
    {
        QTemporaryDir tmp;
        QByteArray big(10 * 1024 * 1024, 'a');
        big.replace(5 * 1024 * 1024, 5, "Meier");
        big.append("\r\nzweite Zeile\r\n");
        put(tmp.path(), "9.num", big);
        put(tmp.path(), "10.num", "10\r\nMeier\r\n");
        const WorkDir dir(tmp.path());
        const SearchResults r = SearchReceipts(dir, receiptFileList(dir), "MEIER");
        QCOMPARE(fileNames(r), (QStringList { "9.num", "10.num" }));
        QCOMPARE(r.storedLine(0).size(), 10 * 1024 * 1024);
        QCOMPARE(r.text(0, 20), line("9", QString(20, QLatin1Char('a'))));
        QCOMPARE(r.text(1), line("10", "Meier"));
    }

    void listsOnlyReceiptFiles()
    {
        QTemporaryDir tmp;
        for (const char *name : { "100.num", "9.num", "09a.num", "Beleg.NUM", "b.num", "10.num", "nummer.dat", "x.numm" })
            put(tmp.path(), name, "x\r\n");
        QVERIFY(QDir(tmp.path()).mkdir("11.num"));
        QCOMPARE(receiptFileList(WorkDir(tmp.path())),
                 (QStringList { "9.num", "09a.num", "10.num", "100.num", "b.num", "Beleg.NUM" }));
    }

    // A receipt file linked to another file of the user's: not searched,
    // loaded or exported; the evaluation lists it as unreadable.
    void linkedReceiptIsNotRead()
    {
        QTemporaryDir tmp, outside;
        put(outside.path(), "privat.txt", "21\r\n1\r\n00\r\n\r\n\r\n1\r\n00\r\nEins\r\nGEHEIMNIS\r\nGEHEIMNIS\r\n");
        QVERIFY(QFile::link(outside.filePath("privat.txt"), tmp.filePath("21.num")));
        put(tmp.path(), "20.num", testsupport::receiptBytes("20", "Meier", "Miete"));
        const WorkDir dir(tmp.path());
        const QStringList files = receiptFileList(dir);
        QCOMPARE(SearchReceipts(dir, files, "geheimnis").size(), 0);
        QVERIFY(!texts(SearchReceipts(dir, files, "")).join('\n').contains("GEHEIMNIS"));
        QVERIFY(!LoadReceipt(dir, "21.num"));
        const std::vector<EvaluationRow> rows = EvaluateReceipts(dir, files, EvaluationFilter());
        const auto linked = std::find_if(rows.begin(), rows.end(), [](const EvaluationRow &r) { return r.number() == "21"; });
        QVERIFY2(linked != rows.end(), "the linked receipt is not listed");
        QVERIFY(!linked->readable);
        std::vector<int> order(rows.size());
        std::iota(order.begin(), order.end(), 0);
        QVERIFY(!evaluationCsv(rows, order).contains("GEHEIMNIS"));
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"

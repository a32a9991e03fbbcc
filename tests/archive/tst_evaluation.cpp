#include "amounts/decimal.h"
#include "amounts/netvat.h"
#include "archive/datev.h"
#include "archive/evaluation.h"
#include "settings/datevsettings.h"
#include "archive/search.h"
#include "tests/testsupport.h"
#include "text/codepage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

using testsupport::put;
using testsupport::receiptWithAmounts;

void setModified(const QString &path, const QDateTime &when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

QStringList numbers(const std::vector<EvaluationRow> &rows)
{
    QStringList out;
    for (const EvaluationRow &r : rows)
        out.append(r.number());
    return out;
}

QString rateOf(const EvaluationRow &row)
{
    return cellText(row, evaluationcolumn::Rate);
}

} // namespace

class TestEvaluation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Nothing here may follow the system's number or date settings.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    // The rate found for amounts the breakdown wrote is the rate it wrote
    // them with, unless another rate gives the very same figures.
    void rateAgreesWithTheBreakdown()
    {
        std::mt19937 rng(17);
        QList<qint64> totals { 1, 50, 99, 100, 116, 1000, 1005, 9999999, 1234567890123 };
        for (int i = 0; i < 300; ++i)
            totals.append(qint64(rng() % 2000000));
        for (const qint64 cents : totals) {
            const QString units = QString::number(cents / 100);
            const QString pennies = QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
            QHash<QString, QList<int>> ratesOf; // the figures written -> the rates writing them
            QHash<int, Breakdown> written;
            for (int rate = 1; rate <= 99; ++rate) {
                const Breakdown b = NetVatBreakdown({ units, pennies, QString::number(rate) });
                written.insert(rate, b);
                ratesOf[*b.netUnits + ',' + *b.netPennies + ';' + *b.vatUnits + ',' + *b.vatPennies].append(rate);
            }
            const StoredAmount total = StoredAmount::read(units.toLatin1(), pennies.toLatin1());
            for (int rate = 1; rate <= 99; ++rate) {
                const Breakdown &b = written[rate];
                const QList<int> same = ratesOf[*b.netUnits + ',' + *b.netPennies + ';' + *b.vatUnits + ',' + *b.vatPennies];
                const auto found = derivedRate(total, StoredAmount::read(b.netUnits->toLatin1(), b.netPennies->toLatin1()),
                                               StoredAmount::read(b.vatUnits->toLatin1(), b.vatPennies->toLatin1()));
                // A VAT of 0,00 is no VAT: such a receipt counts at 0 %.
                const bool noVat = *b.vatUnits == QLatin1String("0") && *b.vatPennies == QLatin1String("00");
                const std::optional<int> expected = noVat ? std::optional<int>(0)
                    : same.size() == 1                   ? std::optional<int>(rate * 100)
                                                         : std::nullopt;
                if (found != expected)
                    QFAIL(qPrintable(QStringLiteral("total %1,%2 at %3 %: found %4")
                                         .arg(units, pennies)
                                         .arg(rate)
                                         .arg(found ? QString::number(*found) : QStringLiteral("?"))));
            }
        }
    }

    void rowOfAFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("net");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("vat");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("payer");

        QTest::newRow("19 %") << receiptWithAmounts("1", "1008,40", "191,60", "1200,00", "Anna") << true << "1.008,40" << "19"
                              << "191,60" << "1.200,00" << "Anna";
        QTest::newRow("no VAT: the net is the total") << receiptWithAmounts("2", "86,21", ",", "100,00", "Bernd") << true
                                                      << "100,00" << "0" << "0,00" << "100,00" << "Bernd";
        QTest::newRow("no VAT after another rate: its pennies stay") << receiptWithAmounts("2", "86,21", ",79", "100,00", "B")
                                                                     << true << "100,00" << "0" << "0,00" << "100,00"
                                                                     << "B";
        QTest::newRow("one penny digit is tens, blanks around")
            << receiptWithAmounts("3", " 9 ,35", "0,65 ", "10, 0", "") << true << "9,35" << "7" << "0,65" << "10,00" << "";
        QTest::newRow("net and VAT not adding up") << receiptWithAmounts("4", "86,21", "13,78", "100,00", "X") << true << "86,21"
                                                   << "?" << "13,78" << "100,00" << "X";
        QTest::newRow("a penny without VAT is 0 %") << receiptWithAmounts("5", "0,01", "0,00", "0,01", "X") << true << "0,01"
                                                    << "0" << "0,00" << "0,01" << "X";
        QTest::newRow("net is the total, VAT 0,00: 0 %") << receiptWithAmounts("5", "100,00", "0,00", "100,00", "X") << true
                                                         << "100,00" << "0" << "0,00" << "100,00" << "X";
        QTest::newRow("a penny's VAT fits every rate") << receiptWithAmounts("5", "0,00", "0,01", "0,01", "X") << true << "0,00"
                                                       << "?" << "0,01" << "0,01" << "X";
        QTest::newRow("net missing") << receiptWithAmounts("6", ",", "13,79", "100,00", "X") << true << "" << "?" << "13,79"
                                     << "100,00" << "X";
        QTest::newRow("letters in the total") << receiptWithAmounts("7", "86,21", "13,79", "1OO,00", "X") << false << "86,21"
                                              << "?" << "13,79" << "1OO,00" << "X";
        QTest::newRow("a cancellation's sign") << receiptWithAmounts("8", ",", ",", "-5,00", "X") << true << "-5,00" << "0"
                                               << "0,00" << "-5,00" << "X";
        QTest::newRow("a sign in the pennies") << receiptWithAmounts("8", ",", ",", "5,-0", "X") << false << "" << "?" << ""
                                               << "5,-0" << "X";
        QTest::newRow("three penny digits") << receiptWithAmounts("9", ",", ",", "5,001", "X") << false << "" << "?" << ""
                                            << "5,001" << "X";
        QTest::newRow("fifteen digits") << receiptWithAmounts("10", ",", ",", "123456789012345,00", "X") << false << "" << "?"
                                        << "" << "123456789012345,00" << "X";
        QTest::newRow("no total") << receiptWithAmounts("11", ",", ",", ",", "X") << false << "" << "?" << "" << "" << "X";
        QTest::newRow("three lines, LF only") << QByteArray("12\n86\n21") << false << "86,21" << "?" << "" << ""
                                              << "";
        QTest::newRow("empty file") << QByteArray() << false << "" << "?" << "" << "" << "";
        QTest::newRow("stored rate 7,8 %") << receiptWithAmounts("14", "92,76", "7,24", "100,00", "S") + "\r\n\r\nSatz=7,8\r\nBesteuerung=0\r\n"
                                           << true << "92,76" << "7,8" << "7,24" << "100,00" << "S";
        QTest::newRow("small business") << receiptWithAmounts("15", "45,00", "0,00", "45,00", "K") + "\r\n\r\nSatz=0\r\nBesteuerung=1\r\n"
                                        << true << "45,00" << "Kleinunternehmer" << "0,00" << "45,00" << "K";
        QTest::newRow("tax-free rent") << receiptWithAmounts("16", "800,00", "0,00", "800,00", "M") + "\r\n\r\nSatz=0\r\nBesteuerung=2\r\n"
                                       << true << "800,00" << "umsatzsteuerfrei" << "0,00" << "800,00" << "M";
        QTest::newRow("CR only, an eleventh line") << QByteArray("13\r\r\r\r\r100\r00\rW\rP\xe4\rZ\rmore")
                                                   << true << "100,00" << "0" << "0,00" << "100,00"
                                                   << QString::fromUtf8("Pä");
    }
    void rowOfAFile()
    {
        QFETCH(QByteArray, bytes);
        const EvaluationRow row = evaluationRow("1.num", 0, bytes);
        QTEST(row.readable, "readable");
        QTEST(cellText(row, evaluationcolumn::Net), "net");
        QTEST(rateOf(row), "rate");
        QTEST(cellText(row, evaluationcolumn::Vat), "vat");
        QTEST(cellText(row, evaluationcolumn::Total), "total");
        QTEST(row.payer, "payer");
    }

    // A rate the DATEV settings have no account for is named, never "?".
    void rateWithoutAccountIsNamed()
    {
        const std::vector<EvaluationRow> rows { evaluationRow(
            "14.num", 0, receiptWithAmounts("14", "92,76", "7,24", "100,00", "S") + "\r\n\r\nSatz=7,8\r\n") };
        const datev::Batches b = datev::bookingBatches(DatevSettings::defaults(DatevSettings::Chart::Skr03), rows, { 0 },
                                         QDateTime::currentDateTime());
        QCOMPARE(b.skipped.size(), size_t(1));
        const QString message = datev::skippedMessage(b.skipped);
        QVERIFY2(message.contains(QStringLiteral("7,8 %")) && !message.contains(QLatin1Char('?')), qPrintable(message));
    }

    // A date the calendar does not have is shown as such, dated by the file.
    void invalidStoredDate()
    {
        const QByteArray bytes = receiptWithAmounts("17", "100,00", "0,00", "100,00", "D") + "31.11.2026\r\n\r\n";
        const EvaluationRow row = evaluationRow("17.num", QDateTime(QDate(2026, 12, 1), QTime(12, 0)).toMSecsSinceEpoch(), bytes);
        QVERIFY(row.dateInvalid);
        QCOMPARE(row.date, QDate(2026, 12, 1));
        QVERIFY(cellText(row, evaluationcolumn::Date).startsWith(QStringLiteral("Datum im Beleg ungültig – Dateidatum")));
        QCOMPARE(cellText(row, evaluationcolumn::Date, CellUse::Csv), QStringLiteral("01.12.2026"));
    }

    // A file that cannot be read (the dangling link) may hold the term and
    // the day: it is listed, marked, never left out silently.
    void choosesByTermAndPeriod_data()
    {
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("everything, the empty file too") << "" << "" << "" << QStringList { "1", "2", "10", "11", "broken", "x" };
        QTest::newRow("letter case and umlauts") << QString::fromUtf8("MÜLLER") << "" << ""
                                                 << QStringList { "2", "10", "broken" };
        QTest::newRow("any line: the words") << "worte" << "" << "" << QStringList { "1", "2", "10", "11", "broken" };
        QTest::newRow("a blank as typed") << "ta m" << "" << "" << QStringList { "2", "broken" };
        QTest::newRow("two blanks as typed") << "ta  m" << "" << "" << QStringList { "broken" };
        QTest::newRow("from, inclusive") << "" << "2026-03-01" << "" << QStringList { "10", "11", "broken", "x" };
        QTest::newRow("to, inclusive") << "" << "" << "2026-03-01" << QStringList { "1", "2", "10", "broken" };
        QTest::newRow("one day and a term") << QString::fromUtf8("müller") << "2026-03-01" << "2026-03-01"
                                            << QStringList { "10", "broken" };
    }
    void choosesByTermAndPeriod()
    {
        QFETCH(QString, term);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QTemporaryDir tmp;
        const QString d = tmp.path();
        put(d, "1.num", receiptWithAmounts("1", "86,21", "13,79", "100,00", "Meier"));
        put(d, "2.num", receiptWithAmounts("2", "86,21", "13,79", "100,00", QString::fromUtf8("Rita Müller")));
        put(d, "10.num", receiptWithAmounts("10", "86,21", "13,79", "100,00", QString::fromUtf8("MÜLLER GmbH")));
        put(d, "11.num", receiptWithAmounts("11", ",", ",", "5,00", "Otto"));
        put(d, "x.num", "");
        put(d, "notes.txt", "Müller");
        QVERIFY(QDir(d).mkdir("folder.num"));
        QVERIFY(QFile::link(tmp.filePath("nowhere"), tmp.filePath("broken.num")));
        const QDateTime feb28(QDate(2026, 2, 28), QTime(23, 59, 59));
        const QDateTime mar1(QDate(2026, 3, 1), QTime(0, 0, 0));
        setModified(tmp.filePath("1.num"), feb28);
        setModified(tmp.filePath("2.num"), feb28);
        setModified(tmp.filePath("10.num"), mar1.addSecs(86399));
        setModified(tmp.filePath("11.num"), mar1.addDays(1));
        setModified(tmp.filePath("x.num"), mar1.addDays(400));

        const WorkDir dir(d);
        EvaluationFilter filter { term, QDate::fromString(from, Qt::ISODate), QDate::fromString(to, Qt::ISODate) };
        const auto rows = EvaluateReceipts(dir, receiptFileList(dir), filter);
        QTEST(numbers(rows), "expected");
        for (const EvaluationRow &row : rows) {
            if (row.number() == "10")
                QCOMPARE(cellText(row, evaluationcolumn::Date), QStringLiteral("01.03.2026"));
        }
    }

    void oneHugeLineIsListed()
    {
        QTemporaryDir tmp;
        QByteArray bytes = receiptWithAmounts("1", "86,21", "13,79", "100,00", "P", "Z");
        bytes.replace("--Worte--", QByteArray(10 * 1024 * 1024, 'w'));
        put(tmp.path(), "1.num", bytes);
        put(tmp.path(), "2.num", receiptWithAmounts("2", "86,21", "13,79", "100,00", QString(3 * 1024 * 1024, QLatin1Char('7'))));
        const WorkDir dir(tmp.path());
        const auto rows = EvaluateReceipts(dir, receiptFileList(dir), { "P", {}, {} });
        QCOMPARE(numbers(rows), QStringList { "1" });
        QCOMPARE(rateOf(rows.front()), QStringLiteral("16"));
        QCOMPARE(rows.front().purpose, QStringLiteral("Z"));
    }

    void sumsAreExact()
    {
        std::vector<EvaluationRow> rows;
        auto add = [&rows](const char *net, const char *vat, const char *total) {
            rows.push_back(evaluationRow("n.num", 0, receiptWithAmounts("n", net, vat, total, "P")));
        };
        add("1008,40", "191,60", "1200,00");       // 19
        add("0,84", "0,16", "1,00");               // 19
        add("9,35", "0,65", "10,00");              // 7
        add(",", ",", "99999,99");                 // 0
        add("86,21", "13,78", "100,00");           // ?
        add("86,21", "13,79", "ein Hunderter,00"); // unreadable
        const EvaluationSums sums = sumsOf(rows);
        auto text = [](const RateSum &s) {
            return QStringList { QString::number(s.count), germantext::amount(s.net.digits()), germantext::amount(s.vat.digits()),
                                 germantext::amount(s.total.digits()) };
        };
        QCOMPARE(text(sums.of(1900)), (QStringList { "2", "1.009,24", "191,76", "1.201,00" }));
        QCOMPARE(text(sums.of(700)), (QStringList { "1", "9,35", "0,65", "10,00" }));
        QCOMPARE(text(sums.of(0)), (QStringList { "1", "99.999,99", "0,00", "99.999,99" }));
        QCOMPARE(text(sums.of(EvaluationSums::unknownRate)), (QStringList { "1", "86,21", "13,78", "100,00" }));
        QCOMPARE(text(sums.all), (QStringList { "5", "101.104,79", "206,19", "101.310,99" }));
        QCOMPARE(sums.unreadable, 1);
        QCOMPARE(sums.of(1600).count, 0);

        // Beyond what 64 bits hold, checked against the digit arithmetic of
        // the amounts.
        CentSum big;
        QByteArray expected = "0";
        const qint64 largest = 99999999999999 * 100 + 99;
        for (int i = 0; i < 100003; ++i) {
            big.add(largest);
            expected = digitstring::add(expected, QByteArray::number(largest));
        }
        QCOMPARE(big.digits(), expected);
    }

    // What a spreadsheet gets, read back by a real CSV reader.
    void csvReadsBack()
    {
        std::vector<EvaluationRow> rows;
        rows.push_back(evaluationRow("7.num", QDateTime(QDate(2026, 3, 1), QTime(12, 0)).toMSecsSinceEpoch(),
                                     receiptWithAmounts("7", "1008,40", "191,60", "1200,00", "=HYPERLINK(\"x\")",
                                             QString::fromUtf8("Miete; März \"alt\""))));
        rows.push_back(evaluationRow("-8.num", QDateTime(QDate(2025, 12, 31), QTime(8, 0)).toMSecsSinceEpoch(),
                                     receiptWithAmounts("-8", ",", ",", "12a,5", "+49 711", "@Summe")));
        rows.push_back(evaluationRow("9.num", QDateTime(QDate(2026, 1, 2), QTime(8, 0)).toMSecsSinceEpoch(),
                                     receiptWithAmounts("9", "0,01", "0,00", "0,01", " -1", "\tTab")));
        // A file with NUL, DEL, tab and the bytes Windows-1252 leaves undefined.
        QTemporaryDir tmp;
        put(tmp.path(), "10.num",
            receiptWithAmounts("10", "", "", "5", "PAYER", "PURPOSE")
                .replace("PAYER", QByteArray("Nul\0und\x81", 8))
                .replace("PURPOSE", "\x8D\x8F\x90\x9D\x7F\tEnde"));
        setModified(tmp.filePath("10.num"), QDateTime(QDate(2026, 2, 3), QTime(12, 0)));
        const std::vector<EvaluationRow> read10 = EvaluateReceipts(WorkDir(tmp.path()), { "10.num" }, {});
        QCOMPARE(read10.size(), size_t(1));
        rows.push_back(read10.front());

        const QByteArray csv = evaluationCsv(rows, { 2, 0, 1, 3 });
        QVERIFY(csv.startsWith("\xEF\xBB\xBFNr.;Datum;Erhalten von;F\xC3\xBCr;Netto;MWSt-Satz;MWSt;Gesamt\r\n"));
        QVERIFY(csv.endsWith("\r\n"));
        QCOMPARE(csv.count("\r\n"), 5);
        QCOMPARE(csv.count('\n'), 5);
        // Quoted where LibreOffice would split it: a decimal comma, a comma.
        // A tab leads no more: like every control character it is U+FFFD.
        QVERIFY(csv.contains("\r\n9;02.01.2026; -1;\xEF\xBF\xBDTab;\"0,01\";0;\"0,00\";\"0,01\"\r\n"));
        QVERIFY(!csv.contains('\0'));

        const QString python = QStandardPaths::findExecutable("python3");
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        put(tmp.path(), "a.csv", csv);
        QProcess reader;
        reader.start(python, { "-c", "import csv, json, sys\n"
                                     "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                                     "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n",
                               tmp.filePath("a.csv") });
        QVERIFY(reader.waitForFinished());
        QCOMPARE(reader.exitCode(), 0);
        QList<QStringList> read;
        for (const QJsonValue &row : QJsonDocument::fromJson(reader.readAllStandardOutput()).array())
            read.append(row.toVariant().toStringList());
        const QList<QStringList> expected {
            { "Nr.", "Datum", "Erhalten von", QString::fromUtf8("Für"), "Netto", "MWSt-Satz", "MWSt", "Gesamt" },
            { "9", "02.01.2026", " -1", QString::fromUtf8("\uFFFDTab"), "0,01", "0", "0,00", "0,01" },
            { "7", "01.03.2026", "'=HYPERLINK(\"x\")", QString::fromUtf8("Miete; März \"alt\""), "1008,40", "19", "191,60",
              "1200,00" },
            { "'-8", "31.12.2025", "'+49 711", "'@Summe", "", "?", "", "12a,5" },
            { "10", "03.02.2026", QString::fromUtf8("Nul\uFFFDund\uFFFD"), QString(6, QChar::ReplacementCharacter) + "Ende",
              "5,00", "0", "0,00", "5,00" },
        };
        QCOMPARE(read, expected);
    }
};

QTEST_GUILESS_MAIN(TestEvaluation)
#include "tst_evaluation.moc"

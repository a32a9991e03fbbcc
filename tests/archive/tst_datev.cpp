#include "archive/datev.h"
#include "tests/testsupport.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <numeric>

using testsupport::datevLines;
using testsupport::unquoted;

namespace {

// A receipt saved at noon of the day; amounts as "units,pennies".
EvaluationRow row(const QString &number, QDate day, const QString &net, const QString &vat, const QString &total,
                  const QString &payer = QStringLiteral("Anna Schulz"), const QString &purpose = QStringLiteral("Miete"))
{
    return evaluationRow(number + ".num", QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch(),
                         testsupport::receiptWithAmounts(number, net, vat, total, payer, purpose));
}

// A cancellation of receipt 12 as the program saves it: negative units.
EvaluationRow cancellationRow()
{
    return evaluationRow("20.num", 0,
                         testsupport::receiptWithAmounts("20", "-840,34", "-159,66", "-1000,00", "Anna Schulz", "Storno")
                             + testsupport::receiptFile({ "01.05.2026", "Köln", "Satz=19", "Storno=12" }));
}

std::vector<int> inOrder(const std::vector<EvaluationRow> &rows)
{
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    return order;
}

DatevSettings settings(DatevSettings::Chart chart = DatevSettings::Chart::Skr03, int fiscalMonth = 1)
{
    DatevSettings s = DatevSettings::defaults(chart);
    s.consultant = 29098;
    s.client = 55003;
    s.fiscalMonth = fiscalMonth;
    return s;
}

const QDateTime created(QDate(2026, 12, 7), QTime(14, 4, 40, 439));

} // namespace

Q_DECLARE_METATYPE(EvaluationRow)

class TestDatev : public QObject
{
    Q_OBJECT

private slots:
    // The header line field by field, for both charts and a fiscal year
    // that does not begin in January.
    void header_data()
    {
        QTest::addColumn<int>("chart");
        QTest::addColumn<int>("fiscalMonth");
        QTest::addColumn<QStringList>("expected"); // fields 11 to 16 and 27
        QTest::newRow("SKR03, calendar year") << 3 << 1
                                              << QStringList { "29098", "55003", "20260101", "4", "20260105",
                                                               "20261130", "\"03\"" };
        QTest::newRow("SKR04, from July") << 4 << 7
                                          << QStringList { "29098", "55003", "20250701", "4", "20260105",
                                                           "20260630", "\"04\"" };
    }
    void header()
    {
        QFETCH(int, chart);
        QFETCH(int, fiscalMonth);
        QFETCH(QStringList, expected);
        const std::vector<EvaluationRow> rows = { row("7", QDate(2026, 3, 2), "84,03", "15,97", "100,00"),
                                                  row("8", QDate(2026, 1, 5), "93,46", "6,54", "100,00"),
                                                  row("9", QDate(2026, fiscalMonth == 1 ? 11 : 6, 30), "", "",
                                                      "50,00") };
        const auto batches = datev::bookingBatches(
            settings(chart == 4 ? DatevSettings::Chart::Skr04 : DatevSettings::Chart::Skr03, fiscalMonth), rows,
            inOrder(rows), created);
        QCOMPARE(batches.files.size(), size_t(1));
        const QList<QStringList> lines = datevLines(batches.files.front().bytes);
        QCOMPARE(lines.size(), 2 + 3);
        const QStringList &h = lines.at(0);
        QCOMPARE(h.size(), datev::headerFieldCount);
        QCOMPARE(h.mid(0, 6), (QStringList { "\"EXTF\"", "700", "21", "\"Buchungsstapel\"", "13",
                                             "20261207140440439" }));
        QCOMPARE(h.mid(10, 6) << h.at(26), expected);
        QCOMPARE(h.at(21), QStringLiteral("\"EUR\""));
        QVERIFY(QRegularExpression("^\"[A-Z]{2}\"$").match(h.at(7)).hasMatch());
        QVERIFY(QRegularExpression("^\".{1,30}\"$").match(h.at(16)).hasMatch());
        QCOMPARE(h.at(18), QStringLiteral("1"));
        QCOMPARE(h.at(20), QStringLiteral("0"));
        QCOMPARE(batches.files.front().name, "EXTF_Buchungsstapel_" + expected.at(4) + "_" + expected.at(5) + ".csv");

        const QStringList &titles = lines.at(1);
        QCOMPARE(titles.size(), datev::columnCount);
        QCOMPARE(QSet<QString>(titles.begin(), titles.end()).size(), datev::columnCount);
        QCOMPARE(titles.at(0), QStringLiteral("Umsatz (ohne Soll/Haben-Kz)"));
        QCOMPARE(titles.at(124), QStringLiteral("Abw. Skontokonto"));
    }

    // Each booking against the format's rules for the fields it fills; the
    // other 117 fields stay empty.
    void booking_data()
    {
        QTest::addColumn<EvaluationRow>("receipt");
        QTest::addColumn<QStringList>("expected"); // Umsatz, S/H, Konto, Gegenkonto, BU, Belegdatum, Beleg 1, Text
        QTest::addColumn<bool>("smallBusiness");
        QTest::newRow("19 %") << row("12", QDate(2026, 5, 1), "840,34", "159,66", "1000,00")
                              << QStringList { "1000,00", "\"S\"", "1000", "8400", "", "0105", "\"12\"",
                                               "\"Miete, Anna Schulz\"" } << false;
        QTest::newRow("7 %, pennies") << row("13", QDate(2026, 12, 31), "100,00", "7,00", "107,00")
                                      << QStringList { "107,00", "\"S\"", "1000", "8300", "", "3112", "\"13\"",
                                                       "\"Miete, Anna Schulz\"" } << false;
        QTest::newRow("no VAT, quotes and semicolons in the text")
            << row("14", QDate(2026, 2, 9), "", "", "9,5", QString::fromUtf8("\"Jörg\"; Müller"), "")
            << QStringList { "9,50", "\"S\"", "1000", "8200", "", "0902", "\"14\"",
                             QString::fromUtf8("\"\"\"Jörg\"\"; Müller\"") }
            << false;
        QTest::newRow("text cut to 60 before the word that does not fit")
            << row("15", QDate(2026, 2, 9), "", "", "1", QString(50, 'a'), QString(50, 'b'))
            << QStringList { "1,00", "\"S\"", "1000", "8200", "", "0902", "\"15\"",
                             "\"" + QString(50, 'b') + "\"" }
            << false;
        QTest::newRow("a tab a blank, NUL and the undefined bytes of the code page a question mark")
            << row("19", QDate(2026, 2, 9), "", "", "1", QStringLiteral("Anna\tSchulz"),
                   QString("Mi") + QChar(0) + "ete" + QChar(0x81) + QChar(0x9D))
            << QStringList { "1,00", "\"S\"", "1000", "8200", "", "0902", "\"19\"", "\"Mi?ete??, Anna Schulz\"" }
            << false;
        QTest::newRow("ten digits") << row("16", QDate(2026, 2, 9), "", "", "9999999999,99")
                                    << QStringList { "9999999999,99", "\"S\"", "1000", "8200", "", "0902", "\"16\"",
                                                     "\"Miete, Anna Schulz\"" } << false;
        QTest::newRow("small business: its own account") << row("17", QDate(2026, 2, 9), "", "", "50")
                                                         << QStringList { "50,00", "\"S\"", "1000", "8195", "", "0902",
                                                                          "\"17\"", "\"Miete, Anna Schulz\"" }
                                                         << true;
        QTest::newRow("small business, an older receipt with VAT")
            << row("18", QDate(2026, 5, 1), "840,34", "159,66", "1000,00")
            << QStringList { "1000,00", "\"S\"", "1000", "8400", "", "0105", "\"18\"", "\"Miete, Anna Schulz\"" }
            << true;
        QTest::newRow("a cancellation: the other side, the cancelled receipt in the text")
            << cancellationRow()
            << QStringList { "1000,00", "\"H\"", "1000", "8400", "", "0105", "\"20\"", "\"Storno zu Nr. 12, Anna Schulz\"" }
            << false;
    }
    void booking()
    {
        QFETCH(EvaluationRow, receipt);
        QFETCH(QStringList, expected);
        QFETCH(bool, smallBusiness);
        DatevSettings chosen = settings();
        chosen.smallBusiness = smallBusiness;
        const auto batches = datev::bookingBatches(chosen, { receipt }, { 0 }, created);
        QCOMPARE(batches.files.size(), size_t(1));
        QVERIFY(batches.skipped.empty());
        const QList<QStringList> lines = datevLines(batches.files.front().bytes);
        QCOMPARE(lines.size(), 3);
        const QStringList &b = lines.at(2);
        QCOMPARE(b.size(), datev::columnCount);
        QCOMPARE((QStringList { b[0], b[1], b[6], b[7], b[8], b[9], b[10], b[13] }), expected);
        QVERIFY(QRegularExpression("^(?!0{1,10},00)\\d{1,10},\\d{2}$").match(b[0]).hasMatch());
        QVERIFY(QRegularExpression("^\"[\\w$%\\-/]{0,36}\"$").match(b[10]).hasMatch());
        QVERIFY(unquoted(b[13]).size() <= 60);
        int filled = 0;
        for (const QString &field : b)
            filled += !field.isEmpty();
        QCOMPARE(filled, 8); // the seven above that are not empty, and Festschreibung
        QCOMPARE(b[113], QStringLiteral("0"));
    }

    void documentField_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("field");
        QTest::newRow("digits") << "2026" << "2026";
        QTest::newRow("allowed signs") << "Rg-7/2026$%" << "Rg-7/2026$%";
        QTest::newRow("blank, umlaut, dot, comma, semicolon") << QString::fromUtf8("Ä 1.2,3;4:5") << "12345";
        QTest::newRow("cut to 36") << QString(40, '9') << QString(36, '9');
    }
    void documentField()
    {
        QFETCH(QString, number);
        QFETCH(QString, field);
        QCOMPARE(datev::documentField(number), field);
    }

    // Every readable receipt booked once; the bookings per revenue account
    // add up to the evaluation's sums of the rates booked there.
    void sumsPerAccountAreTheEvaluations()
    {
        std::vector<EvaluationRow> rows;
        const char *const amounts[][3] = { { "840,34", "159,66", "1000,00" }, { "93,46", "6,54", "100,00" },
                                           { "", "", "12,34" },               { "86,21", "13,79", "100,00" },
                                           { "0,84", "0,16", "1,00" },         { "", "", "zehn" },
                                           { "50,00", "50,00", "100,00" } };
        for (int i = 0; i < 70; ++i) {
            const auto &a = amounts[i % 7];
            rows.push_back(row(QString::number(i + 1), QDate(2026, 1 + i % 12, 1 + i % 28), a[0], a[1], a[2]));
        }
        const auto batches = datev::bookingBatches(settings(), rows, inOrder(rows), created);
        QCOMPARE(batches.files.size(), size_t(1));
        std::map<int, qint64> perAccount;
        QStringList booked;
        for (const QStringList &b : datevLines(batches.files.front().bytes).mid(2)) {
            QString amount = b[0];
            perAccount[b[7].toInt()] += amount.remove(QLatin1Char(',')).toLongLong();
            booked.append(unquoted(b[10]));
        }
        // 19 % and 16 % share the automatic account of 19 %.
        const EvaluationSums sums = sumsOf(rows);
        const auto total = [&](int rate) { return sums.of(rate * 100).total.digits().toLongLong(); };
        QCOMPARE(perAccount, (std::map<int, qint64> { { 8200, total(0) }, { 8300, total(7) },
                                                      { 8400, total(19) + total(16) } }));
        QVERIFY(total(0) > 0 && total(7) > 0 && total(16) > 0 && total(19) > 0);
        QCOMPARE(booked.size() + qsizetype(batches.skipped.size()), qsizetype(rows.size()));
        QCOMPARE(QSet<QString>(booked.begin(), booked.end()).size(), booked.size());
        QCOMPARE(qint64(batches.skipped.size()), sums.unreadable + sums.of(EvaluationSums::unknownRate).count);
    }

    // Rows of three fiscal years (July to June) make three files, each
    // within its year, together holding every row once, in the given order.
    void severalFiscalYears()
    {
        const std::vector<EvaluationRow> rows = {
            row("1", QDate(2026, 7, 1), "", "", "1"),  row("2", QDate(2025, 6, 30), "", "", "2"),
            row("3", QDate(2025, 7, 1), "", "", "3"),  row("4", QDate(2026, 6, 30), "", "", "4"),
            row("5", QDate(2025, 12, 24), "", "", "5"),
        };
        const std::vector<int> order = { 4, 3, 2, 1, 0 };
        const auto batches = datev::bookingBatches(settings(DatevSettings::Chart::Skr03, 7), rows, order, created);
        QCOMPARE(batches.from, QDate(2025, 6, 30));
        QCOMPARE(batches.to, QDate(2026, 7, 1));
        QStringList seen;
        for (const datev::File &f : batches.files) {
            const QList<QStringList> lines = datevLines(f.bytes);
            QStringList numbers;
            for (const QStringList &b : lines.mid(2))
                numbers.append(unquoted(b[10]));
            seen.append(f.name + ": " + lines.at(0).at(12) + " " + numbers.join(QLatin1Char(' ')));
        }
        QCOMPARE(seen, (QStringList { "EXTF_Buchungsstapel_20250630_20250630.csv: 20240701 2",
                                      "EXTF_Buchungsstapel_20250701_20260630.csv: 20250701 5 4 3",
                                      "EXTF_Buchungsstapel_20260701_20260701.csv: 20260701 1" }));
    }

    void yearFileName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("name");
        QTest::newRow("suggested name") << "EXTF_Buchungsstapel_20250630_20260701.csv"
                                        << "EXTF_Buchungsstapel_20250701_20260630.csv";
        QTest::newRow("own name") << "EXTF_Kasse.CSV" << "EXTF_Kasse_20250701_20260630.CSV";
        QTest::newRow("without the prefix") << "kasse" << "EXTF_kasse_20250701_20260630";
    }
    void yearFileName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, name);
        QCOMPARE(datev::yearFileName(chosen, QDate(2025, 6, 30), QDate(2026, 7, 1), QDate(2025, 7, 1),
                                     QDate(2026, 6, 30)),
                 name);
    }

    void notBooked_data()
    {
        QTest::addColumn<EvaluationRow>("receipt");
        QTest::addColumn<QString>("message");
        QTest::newRow("unreadable") << row("4", QDate(2026, 1, 1), "", "", "zehn")
                                    << QString::fromUtf8("1 Quittung wurde nicht gebucht:\nBeträge nicht lesbar: Nr. 4");
        QTest::newRow("rate ?") << row("5", QDate(2026, 1, 1), "50,00", "50,00", "100,00")
                                << "1 Quittung wurde nicht gebucht:\nMWSt-Satz \"?\" (kein Satz passt genau): Nr. 5";
        QTest::newRow("rate without account")
            << row("6", QDate(2026, 1, 1), "86,96", "13,04", "100,00")
            << QString::fromUtf8("1 Quittung wurde nicht gebucht:\nkein Erlöskonto für 15 %: Nr. 6");
        QTest::newRow("nothing received") << row("7", QDate(2026, 1, 1), "", "", "0,00")
                                          << "1 Quittung wurde nicht gebucht:\nGesamtbetrag 0,00: Nr. 7";
        QTest::newRow("eleven digits")
            << row("8", QDate(2026, 1, 1), "", "", "10000000000")
            << QString::fromUtf8("1 Quittung wurde nicht gebucht:\nGesamtbetrag über 9.999.999.999,99: Nr. 8");
    }
    void notBooked()
    {
        QFETCH(EvaluationRow, receipt);
        QFETCH(QString, message);
        const std::vector<EvaluationRow> rows = { row("1", QDate(2026, 1, 1), "", "", "1"), receipt };
        const auto batches = datev::bookingBatches(settings(), rows, { 1, 0 }, created);
        QCOMPARE(batches.files.size(), size_t(1));
        QCOMPARE(batches.files.front().bookings, qint64(1));
        QCOMPARE(datev::skippedMessage(batches.skipped), message);
    }

    void manySkippedAreCounted()
    {
        std::vector<EvaluationRow> rows;
        for (int i = 1; i <= 32; ++i)
            rows.push_back(row(QString::number(i), QDate(2026, 1, 1), "", "", "x"));
        const auto batches = datev::bookingBatches(settings(), rows, inOrder(rows), created);
        QVERIFY(batches.files.empty());
        QVERIFY(datev::skippedMessage(batches.skipped)
                    .startsWith(QString::fromUtf8("32 Quittungen wurden nicht gebucht:\nBeträge nicht lesbar: Nr. 1, 2, ")));
        QVERIFY(datev::skippedMessage(batches.skipped).endsWith("29, 30 und 2 weitere"));
    }

    void settingsLimits_data()
    {
        QTest::addColumn<int>("consultant");
        QTest::addColumn<int>("client");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("month");
        QTest::addColumn<bool>("valid");
        QTest::newRow("lowest") << 1001 << 1 << 1 << 1 << true;
        QTest::newRow("highest") << 9999999 << 99999 << 31 << 12 << true;
        QTest::newRow("advisor too low") << 1000 << 1 << 1 << 1 << false;
        QTest::newRow("advisor too high") << 10000000 << 1 << 1 << 1 << false;
        QTest::newRow("client 0") << 1001 << 0 << 1 << 1 << false;
        QTest::newRow("client too high") << 1001 << 100000 << 1 << 1 << false;
        QTest::newRow("29th of February") << 1001 << 1 << 29 << 2 << false;
    }
    void settingsLimits()
    {
        QFETCH(int, consultant);
        QFETCH(int, client);
        QFETCH(int, day);
        QFETCH(int, month);
        QFETCH(bool, valid);
        DatevSettings s = settings();
        s.consultant = consultant;
        s.client = client;
        s.fiscalDay = day;
        s.fiscalMonth = month;
        QCOMPARE(s.problem().isEmpty(), valid);
    }

    void settingsAreStored()
    {
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        bool complete = true;
        QCOMPARE(ReadDatevSettings(dir, &complete), DatevSettings::defaults(DatevSettings::Chart::Skr03));
        QVERIFY(!complete);
        DatevSettings s = settings(DatevSettings::Chart::Skr04, 10);
        s.fiscalDay = 15;
        s.revenueAccounts[2] = 4301;
        QVERIFY(WriteDatevSettings(dir, s));
        QCOMPARE(ReadDatevSettings(dir, &complete), s);
        QVERIFY(complete);
        QCOMPARE(testsupport::get(tmp.path(), "datevwjb.dat"), QByteArray("1510\r\n"));
        testsupport::put(tmp.path(), "datevber.dat", "12x\r\n");
        ReadDatevSettings(dir, &complete);
        QVERIFY(!complete);
    }
};

QTEST_GUILESS_MAIN(TestDatev)
#include "tst_datev.moc"

#include "amounts/netvat.h"

#include <QTest>

// A field the breakdown leaves alone.
static const char *const kept = "<kept>";

static QString shown(const std::optional<QString> &field)
{
    return field ? *field : QString::fromLatin1(kept);
}

class TestNetVat : public QObject
{
    Q_OBJECT

private slots:
    void breakdown_data();
    void breakdown();
    void runningTwiceChangesNothing_data();
    void runningTwiceChangesNothing();
    void everyPennyAmountAgreesWithWholePennyArithmetic();
};

void TestNetVat::breakdown_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("text6");
    QTest::addColumn<QString>("text7");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<QString>("text3");
    QTest::addColumn<QString>("text4");
    QTest::addColumn<QString>("text5");

    const QString k = QString::fromLatin1(kept);
    auto row = [&](const char *name, const char *u, const char *p, const char *r, const char *t6, QString t7,
                   const char *t2, const char *t3, QString t4, const char *t5) {
        QTest::newRow(name) << QString::fromUtf8(u) << QString::fromUtf8(p) << QString::fromUtf8(r)
                            << QString::fromUtf8(t6) << t7 << QString::fromUtf8(t2) << QString::fromUtf8(t3) << t4
                            << QString::fromUtf8(t5);
    };

    // The worked examples.
    row("116,00 at 16", "116", "00", "16", "116", k, "100", "00", "16", "00");
    row("100,00 at 16", "100", "00", "16", "100", k, "86", "21", "13", "79");
    row("10,00 at 7", "10", "00", "7", "10", k, "9", "35", "0", "65");
    row("1,00 at 16", "1", "00", "16", "1", k, "0", "86", "0", "14");
    row("1,5 at 16: pennies are decimals", "1", "5", "16", "1", k, "1", "29", "0", "21");
    row("0,00 at 16", "0", "00", "16", "0", k, "0", "00", "0", "00");
    row("99999,99 at 16", "99999", "99", "16", "99999", k, "86206", "89", "13793", "10");

    // Other amounts and rates.
    row("250,00 at 19", "250", "00", "19", "250", k, "210", "08", "39", "92");
    row("49,95 at 7", "49", "95", "7", "49", k, "46", "68", "3", "27");
    row("1234,56 at 16", "1234", "56", "16", "1234", k, "1064", "28", "170", "28");
    row("4711,08 at 19", "4711", "08", "19", "4711", k, "3958", "89", "752", "19");
    row("84,99 at 9", "84", "99", "9", "84", k, "77", "97", "7", "02");
    row("20000,01 at 21", "20000", "01", "21", "20000", k, "16528", "93", "3471", "08");
    row("0,05 at 16", "0", "05", "16", "0", k, "0", "04", "0", "01");
    row("rate 07 is rate 7", "10", "00", "07", "10", k, "9", "35", "0", "65");

    // Exact halves of a penny go away from zero; binary doubles would make
    // 3.375 and 1.005 a hair less than the half and round them down.
    row("3,51 at 4: net 3.375 rounds up", "3", "51", "4", "3", k, "3", "38", "0", "13");
    row("1,005 at 16: total 1.005 rounds up", "1", "005", "16", "1", k, "0", "87", "0", "14");
    row("0,125 at 16: total 0.125 rounds up", "0", "125", "16", "0", k, "0", "11", "0", "02");
    row("9,999 at 16 rounds into the next unit", "9", "999", "16", "9", k, "8", "62", "1", "38");
    row("a half decided far behind the point", "0", "125000000000000000000", "16", "0", k, "0", "11", "0", "02");
    row("just below the half far behind the point", "0", "1249999999999999999999", "16", "0", k, "0", "11", "0",
        "01");
    row("a rate with many decimals", "3", "51", "4.000000000000000000000", "3", k, "3", "38", "0", "13");
    row("a total of thirty digits stays exact", "123456789012345678901234567890", "99", "16",
        "123456789012345678901234567890", k, "106428266389953171466581524043", "96",
        "17028522622392507434653043847", "03");

    // Rate texts: the number they start with is the percentage.
    row("rate 7% is 7 %", "10", "00", "7%", "10", k, "9", "35", "0", "65");
    row("rate 5.5 is 5.5 %", "105", "50", "5.5", "105", k, "100", "00", "5", "50");
    row("rate 16.5 is 16.5 %", "1", "00", "16.5", "1", k, "0", "86", "0", "14");
    row("rate 100 is 100 %", "50", "00", "100", "50", k, "25", "00", "25", "00");
    row("rate with blanks around", "10", "00", " 7 ", "10", k, "9", "35", "0", "65");
    row("empty rate: no VAT", "12", "34", "", "12", k, "12", "34", "0", "00");
    row("rate of letters: no VAT", "12", "34", "abc", "12", k, "12", "34", "0", "00");
    row("rate -100: no net amount", "12", "34", "-100", "12", k, "", "", "", "");

    // Rate zero: only the VAT's whole units change.
    row("rate 0", "116", "00", "0", "116", k, kept, kept, QString(), kept);
    row("rate 00", "116", "00", "00", "116", k, kept, kept, QString(), kept);
    row("rate 0 on an empty total", "", "50", "0", "0", "00", "0", "00", QString(), "00");

    // The total's own texts.
    row("empty pennies become 00", "12", "", "16", "12", "00", "10", "34", "1", "66");
    row("blank pennies become 00", "12", "  ", "16", "12", "00", "10", "34", "1", "66");
    row("pennies with blanks are read but kept", "1", " 5", "16", "1", k, "1", "29", "0", "21");
    row("empty units reset everything", "", "50", "16", "0", "00", "0", "00", "0", "00");
    row("blank units reset everything", "   ", "", "16", "0", "00", "0", "00", "0", "00");
    row("units are trimmed", " 116 ", "00", "16", "116", k, "100", "00", "16", "00");
    row("a blank inside the units is skipped", "1 16", "00", "16", "1 16", k, "100", "00", "16", "00");
    row("letters end the units", "12a", "00", "16", "12a", k, "10", "34", "1", "66");
    row("a point in the units ends them", "1.5", "00", "16", "1.5", k, "1", "29", "0", "21");
    row("units of letters count as nothing", "abc", "50", "16", "abc", k, "0", "00", "0", "00");

    // A minus sign stays on the whole units, also when they are zero.
    row("-12,50 at 16", "-12", "50", "16", "-12", k, "-10", "78", "-1", "72");
    row("-1,00 at 16", "-1", "00", "16", "-1", k, "-0", "86", "-0", "14");
    row("-0,01 at 16", "-0", "01", "16", "-0", k, "-0", "01", "0", "00");
}

void TestNetVat::breakdown()
{
    QFETCH(QString, units);
    QFETCH(QString, pennies);
    QFETCH(QString, rate);

    const Breakdown b = NetVatBreakdown({ units, pennies, rate });
    QTEST(b.totalUnits, "text6");
    QTEST(shown(b.totalPennies), "text7");
    QTEST(shown(b.netUnits), "text2");
    QTEST(shown(b.netPennies), "text3");
    QTEST(shown(b.vatUnits), "text4");
    QTEST(shown(b.vatPennies), "text5");
}

void TestNetVat::runningTwiceChangesNothing_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies");
    QTest::addColumn<QString>("rate");
    QTest::newRow("ordinary") << "1234" << "56" << "16";
    QTest::newRow("blanks and empty pennies") << " 77 " << "" << "7";
    QTest::newRow("empty units") << "" << "3" << "16";
    QTest::newRow("rate zero") << "50" << "" << "0";
}

void TestNetVat::runningTwiceChangesNothing()
{
    QFETCH(QString, units);
    QFETCH(QString, pennies);
    QFETCH(QString, rate);

    const Breakdown first = NetVatBreakdown({ units, pennies, rate });
    const Breakdown second
        = NetVatBreakdown({ first.totalUnits, first.totalPennies.value_or(pennies), rate });
    QCOMPARE(second.totalUnits, first.totalUnits);
    QCOMPARE(second.totalPennies.value_or(first.totalPennies.value_or(pennies)),
             first.totalPennies.value_or(pennies));
    QCOMPARE(second.netUnits, first.netUnits);
    QCOMPARE(second.netPennies, first.netPennies);
    QCOMPARE(second.vatUnits, first.vatUnits);
    QCOMPARE(second.vatPennies, first.vatPennies);
}

// Every total from 0,00 to 19,99 and every whole rate of the rate list,
// against the same rule in whole pennies on machine integers.
void TestNetVat::everyPennyAmountAgreesWithWholePennyArithmetic()
{
    for (int rate = 1; rate <= 25; ++rate) {
        for (qint64 gross = 0; gross < 2000; ++gross) {
            // net = gross / (1 + rate/100), half a penny up.
            const qint64 net = (200 * gross + (100 + rate)) / (2 * (100 + rate));
            const qint64 vat = gross - net;
            const QString units = QString::number(gross / 100);
            const QString pennies = QString::number(gross % 100).rightJustified(2, QLatin1Char('0'));
            const Breakdown b = NetVatBreakdown({ units, pennies, QString::number(rate) });
            const QString got = *b.netUnits + QLatin1Char(',') + *b.netPennies + QLatin1Char(' ') + *b.vatUnits
                + QLatin1Char(',') + *b.vatPennies;
            const QString expected = QStringLiteral("%1,%2 %3,%4")
                                         .arg(net / 100)
                                         .arg(net % 100, 2, 10, QLatin1Char('0'))
                                         .arg(vat / 100)
                                         .arg(vat % 100, 2, 10, QLatin1Char('0'));
            if (got != expected)
                QFAIL(qPrintable(QStringLiteral("%1,%2 at %3: %4, expected %5")
                                     .arg(units, pennies)
                                     .arg(rate)
                                     .arg(got, expected)));
        }
    }
}

QTEST_GUILESS_MAIN(TestNetVat)
#include "tst_netvat.moc"

#include "receipt/completion.h"
#include "receipt/germantext.h"
#include "receipt/receiptfile.h"
#include "receipt/vatrate.h"
#include "text/textlines.h"

#include <QTest>

class TestReceiptRules : public QObject
{
    Q_OBJECT

private slots:
    void rates_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rate"); // -1: refused
        QTest::addColumn<QString>("shown");
        QTest::newRow("19") << "19" << 1900 << "19";
        QTest::newRow("blanks around 7") << " 7 " << 700 << "7";
        QTest::newRow("5,5 with a comma") << "5,5" << 550 << "5,5";
        QTest::newRow("5.5 with a point") << "5.5" << 550 << "5,5";
        QTest::newRow("7,8") << "7,8" << 780 << "7,8";
        QTest::newRow("10,75") << "10,75" << 1075 << "10,75";
        QTest::newRow("0") << "0" << 0 << "0";
        QTest::newRow("99,99") << "99,99" << 9999 << "99,99";
        QTest::newRow("100") << "100" << -1 << "";
        QTest::newRow("three decimals") << "7,555" << -1 << "";
        QTest::newRow("comma without decimals") << "7," << -1 << "";
        QTest::newRow("sign") << "-5" << -1 << "";
        QTest::newRow("letters") << "19a" << -1 << "";
        QTest::newRow("empty") << "" << -1 << "";
        QTest::newRow("percent sign") << "19%" << -1 << "";
    }
    void rates()
    {
        QFETCH(QString, typed);
        QFETCH(int, rate);
        QFETCH(QString, shown);
        const std::optional<int> parsed = vatrate::parse(typed);
        QCOMPARE(parsed.value_or(-1), rate);
        if (parsed)
            QCOMPARE(vatrate::text(*parsed), shown);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date"); // invalid: refused unless empty
        QTest::newRow("dd.mm.yyyy") << "08.12.2026" << QDate(2026, 12, 8);
        QTest::newRow("d.m.yy") << "8.12.26" << QDate(2026, 12, 8);
        QTest::newRow("29 February of a leap year") << "29.02.2028" << QDate(2028, 2, 29);
        QTest::newRow("31 November") << "31.11.2026" << QDate();
        QTest::newRow("29 February 2027") << "29.02.2027" << QDate();
        QTest::newRow("month 13") << "12.13.2026" << QDate();
        QTest::newRow("a word") << "gestern" << QDate();
        QTest::newRow("three-digit year") << "1.1.202" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void dates()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QCOMPARE(germantext::parseDate(typed), date);
        QCOMPARE(germantext::acceptableDate(typed), date.isValid() || typed.isEmpty());
    }

    // A receipt with its page comes back from its file as it was; files of
    // older installations come back without a page.
    void fileRoundTrip_data()
    {
        QTest::addColumn<bool>("paged");
        QTest::addColumn<bool>("issuer");
        QTest::addColumn<QString>("cancels");
        QTest::newRow("with page and issuer") << true << true << "";
        QTest::newRow("page without user data") << true << false << "";
        QTest::newRow("cancellation") << true << true << "7";
        QTest::newRow("fields only") << false << false << "";
    }
    void fileRoundTrip()
    {
        QFETCH(bool, paged);
        QFETCH(bool, issuer);
        QFETCH(QString, cancels);
        ReceiptRecord r;
        r.number = QStringLiteral("12");
        r.totalUnits = QStringLiteral("12");
        r.totalPennies = QStringLiteral("50");
        r.payer = QStringLiteral("Anna = Berg");
        r.date = QStringLiteral("08.12.2026");
        r.cancels = cancels;
        if (paged) {
            r.vatRate = QStringLiteral("7,8");
            ReceiptPage page;
            page.taxMode = TaxMode::TaxFree;
            page.taxNote = QStringLiteral("Umsatzsteuerfrei nach § 4 Nr. 12 UStG");
            page.taxNumber = QStringLiteral("12/345/67890");
            if (issuer)
                page.issuer = QStringList { "Firma", "", "Tel. 1", "", "Weg 1", "12345 Ort" };
            for (const WordingRow &row : wordingTable())
                page.text(row.part) = row.part == Wording::Rate ? QString() : row.startupDefault + QLatin1Char('!');
            r.page = page;
        }
        const QString text = receiptfile::text(r);
        QCOMPARE(receiptfile::fromLines(textlines::splitLines(text)), r);
        // The receipt's own lines come first, as older readers expect them.
        QCOMPARE(textlines::splitLines(text).mid(0, 12).value(8), r.payer);
        // The search sees the twelve fields and nothing of the page.
        const QByteArray bytes = text.toLatin1();
        QCOMPARE(QString::fromLatin1(receiptfile::fieldBytes(bytes)),
                 textlines::splitLines(text).mid(0, receiptfile::lineCount).join(QStringLiteral("\r\n")));
        // What a search window keeps of it: the fields and what the evaluation reads.
        const QByteArray held = receiptfile::heldBytes(bytes).toByteArray();
        QVERIFY(held.startsWith(receiptfile::fieldBytes(bytes)));
        QCOMPARE(held.contains("\r\nSatz=7,8"), paged);
        QCOMPARE(held.contains("\r\nBesteuerung=2"), paged);
        QCOMPARE(held.contains("\r\nStorno=7"), !cancels.isEmpty());
        QVERIFY(!held.contains("Anschrift") && !held.contains("Hinweis"));
    }

    // A file that keeps no rate shows the one its figures fit.
    void rateOfOlderFiles_data()
    {
        QTest::addColumn<QStringList>("amounts"); // total, net, VAT as units,pennies; "" empty
        QTest::addColumn<int>("rate");            // -1: none
        QTest::newRow("7 %") << QStringList { "12,50", "11,68", "0,82" } << 700;
        QTest::newRow("19 %") << QStringList { "137,00", "115,13", "21,87" } << 1900;
        QTest::newRow("VAT line empty") << QStringList { "45,00", "45,00", "" } << 0;
        QTest::newRow("small total fits many") << QStringList { "0,01", "0,01", "0,00" } << 0;
        QTest::newRow("figures of no rate") << QStringList { "100,00", "50,00", "50,00" } << -1;
        QTest::newRow("letters") << QStringList { "1x,00", "1,00", "0,00" } << -1;
    }
    void rateOfOlderFiles()
    {
        QFETCH(QStringList, amounts);
        QFETCH(int, rate);
        ReceiptRecord r;
        const auto split = [](const QString &a, QString &units, QString &pennies) {
            units = a.section(QLatin1Char(','), 0, 0);
            pennies = a.section(QLatin1Char(','), 1, 1);
        };
        split(amounts[0], r.totalUnits, r.totalPennies);
        split(amounts[1], r.netUnits, r.netPennies);
        split(amounts[2], r.vatUnits, r.vatPennies);
        QCOMPARE(completion::rateOf(r).value_or(-1), rate);
    }

    // What is refused before a save or a print, and which field gets the focus.
    void completion_data()
    {
        QTest::addColumn<QStringList>("typed"); // units, pennies, rate, date
        QTest::addColumn<int>("field");
        QTest::addColumn<QStringList>("derived"); // net units, net pennies, VAT units, VAT pennies
        using F = completion::Field;
        QTest::newRow("7 %") << QStringList { "12", "5", "7", "08.12.2026" } << int(F::None)
                             << QStringList { "11", "68", "0", "82" };
        QTest::newRow("5,5 %") << QStringList { "100", "", "5,5", "" } << int(F::None)
                               << QStringList { "94", "79", "5", "21" };
        QTest::newRow("0 %: the net is the total") << QStringList { "045", "00", "0", "" } << int(F::None)
                                                   << QStringList { "45", "00", "0", "00" };
        QTest::newRow("31 November") << QStringList { "12", "00", "19", "31.11.2026" } << int(F::Date) << QStringList();
        QTest::newRow("rate with letters") << QStringList { "12", "00", "19a", "" } << int(F::Rate) << QStringList();
        QTest::newRow("two points in the units") << QStringList { "12.5.0", "00", "19", "" } << int(F::TotalUnits)
                                              << QStringList();
        QTest::newRow("three penny digits") << QStringList { "12", "123", "19", "" } << int(F::TotalPennies)
                                            << QStringList();
        QTest::newRow("beyond the words") << QStringList { "100000", "00", "19", "" } << int(F::Words)
                                          << QStringList();
        QTest::newRow("a negated total typed") << QStringList { "-119", "00", "19", "" } << int(F::TotalUnits)
                                               << QStringList();
        // A cancellation loaded from its file prints with its own figures.
        QTest::newRow("a loaded cancellation") << QStringList { "-119", "00", "19", "", "stored" } << int(F::None)
                                               << QStringList { "", "", "", "" };
    }
    void completion()
    {
        QFETCH(QStringList, typed);
        QFETCH(int, field);
        QFETCH(QStringList, derived);
        completion::Input in;
        in.typed.totalUnits = typed[0];
        in.typed.totalPennies = typed[1];
        in.typed.vatRate = typed[2];
        in.typed.date = typed[3];
        in.storedAmounts = typed.value(4) == QLatin1String("stored");
        const completion::Result r = completion::complete(in);
        QCOMPARE(int(r.field), field);
        QCOMPARE(r.record.has_value(), field == int(completion::Field::None));
        if (!r.record) {
            QVERIFY(!r.message.isEmpty());
            if (field == int(completion::Field::Date))
                QVERIFY2(r.message.contains(typed[3]), qPrintable(r.message));
            return;
        }
        QCOMPARE((QStringList { r.record->netUnits, r.record->netPennies, r.record->vatUnits, r.record->vatPennies }),
                 derived);
        QCOMPARE(r.record->amountInWords.isEmpty(), in.storedAmounts);
        QCOMPARE(r.record->totalUnits, in.storedAmounts ? typed[0] : QString::number(typed[0].toInt()));
    }
};

QTEST_GUILESS_MAIN(TestReceiptRules)
#include "tst_receiptrules.moc"

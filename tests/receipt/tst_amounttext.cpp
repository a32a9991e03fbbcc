#include "receipt/amounttext.h"
#include "receipt/completion.h"

#include <QTest>

// Amounts as people type or paste them into the whole units, and the receipt
// completed from them before it is saved.
class tst_AmountText : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void complete_data();
    void complete();
};

void tst_AmountText::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies"); // "-" for none
    const auto row = [](const char *name, const char *text, bool taken, const char *units = "", const char *pennies = "-") {
        QTest::newRow(name) << QString::fromUtf8(text) << taken << QString::fromUtf8(units) << QString::fromUtf8(pennies);
    };
    row("plain digits", "45", true, "45");
    row("blanks around", " 45 ", true, "45");
    row("empty", "", true, "");
    row("blanks alone", "  ", true, "");
    row("point and two digits: pennies", "45.50", true, "45", "50");
    row("point and one digit: tenths", "45.5", true, "45", "50");
    row("comma and two digits", "119,00", true, "119", "00");
    row("comma and one digit: tenths", "1,5", true, "1", "50");
    row("point and three digits: thousands", "1.250", true, "1250");
    row("several groups", "1.250.000", true, "1250000");
    row("German amount", "1.250,50", true, "1250", "50");
    row("groups, then a point before the pennies", "12.345.67", true, "12345", "67");
    row("leading zeros stay for the completion", "007", true, "007");
    row("point and four digits", "1.2345", false);
    row("group of two", "12.34.567", false);
    row("ungrouped, then a group", "1234.567", false);
    row("English amount", "1,250.50", false);
    row("comma and three digits", "12,500", false);
    row("trailing point", "45.", false);
    row("pennies alone", ",50", false);
    row("sign", "-12", false);
    row("currency", "12 EUR", false);
    row("letters", "zwölf", false);
    row("blank inside", "1 250", false);
}

void tst_AmountText::read()
{
    QFETCH(QString, text);
    QFETCH(bool, taken);
    const std::optional<amounttext::Amount> a = amounttext::read(text);
    QCOMPARE(a.has_value(), taken);
    if (!a)
        return;
    QTEST(a->units, "units");
    QTEST(a->pennies.value_or(QStringLiteral("-")), "pennies");
}

void tst_AmountText::complete_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies");
    QTest::addColumn<int>("field"); // completion::Field
    QTest::addColumn<QString>("total"); // "units,pennies" when completed; the message's start when refused

    using F = completion::Field;
    QTest::newRow("typed point, saved without leaving the field") << "45.50" << "" << int(F::None) << "45,50";
    QTest::newRow("the units' pennies win over the field's") << "45.50" << "10" << int(F::None) << "45,50";
    QTest::newRow("grouped thousands") << "1.250" << "5" << int(F::None) << "1250,50";
    QTest::newRow("leading zeros go") << "007" << "" << int(F::None) << "7,00";
    QTest::newRow("empty receipt") << "" << "" << int(F::TotalUnits) << "Die Quittung hat noch keinen Betrag";
    QTest::newRow("pennies without units") << " " << "75" << int(F::TotalUnits) << "Im Feld „gesamt EUR“ fehlen";
    QTest::newRow("no amount") << "45.5x" << "" << int(F::TotalUnits) << "Im Feld „gesamt EUR“ steht „45.5x“";
    QTest::newRow("three pennies digits") << "45" << "505" << int(F::TotalPennies) << "Im Feld „gesamt Cent“";
}

void tst_AmountText::complete()
{
    QFETCH(QString, units);
    QFETCH(QString, pennies);
    QFETCH(int, field);
    QFETCH(QString, total);
    completion::Input in;
    in.typed.totalUnits = units;
    in.typed.totalPennies = pennies;
    in.typed.vatRate = QStringLiteral("19");
    const completion::Result r = completion::complete(in);
    QCOMPARE(int(r.field), field);
    QCOMPARE(r.record.has_value(), field == int(completion::Field::None));
    if (r.record)
        QCOMPARE(r.record->totalUnits + QLatin1Char(',') + r.record->totalPennies, total);
    else
        QVERIFY2(r.message.startsWith(total), qPrintable(r.message));
}

QTEST_GUILESS_MAIN(tst_AmountText)
#include "tst_amounttext.moc"

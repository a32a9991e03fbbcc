#include "text/codepage.h"
#include "settings/taxdata.h"
#include "tests/testsupport.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TaxData)

class tst_TaxData : public QObject
{
    Q_OBJECT

private slots:
    void stored_data();
    void stored();
    void nothingStored();
};

void tst_TaxData::stored_data()
{
    QTest::addColumn<TaxData>("data");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("taxLine");
    QTest::addColumn<QString>("note");

    const auto data = [](const char *number, const char *id, TaxData::Mode mode, const char *note) {
        return TaxData { QString::fromUtf8(number), QString::fromUtf8(id), mode, QString::fromUtf8(note) };
    };
    using Mode = TaxData::Mode;
    QTest::newRow("both numbers, regular") << data("12/345/67890", "DE123456789", Mode::Regular, "frei")
                                           << true << "Steuernummer: 12/345/67890, USt-IdNr.: DE123456789" << "";
    QTest::newRow("tax number only, small business")
        << data("12/345/67890", "", Mode::SmallBusiness, "frei") << true << "Steuernummer: 12/345/67890"
        << "Gemäß § 19 UStG wird keine Umsatzsteuer berechnet.";
    QTest::newRow("VAT id only, blanks around it") << data(" ", " DE1 ", Mode::Regular, "") << true
                                                   << "USt-IdNr.: DE1" << "";
    QTest::newRow("tax-free with the user's note")
        << data("", "", Mode::TaxFree, "Steuerfrei nach § 4 Nr. 14 UStG") << true << ""
        << "Steuerfrei nach § 4 Nr. 14 UStG";
    QTest::newRow("line break in the note") << data("1", "", Mode::TaxFree, "a\nb") << false << "" << "";
    QTest::newRow("character outside the code page kept")
        << data("1", "DE\u20ac\u2713", Mode::Regular, "frei") << true << "Steuernummer: 1, USt-IdNr.: DE\u20ac\u2713"
        << "";
}

void tst_TaxData::stored()
{
    QFETCH(TaxData, data);
    QFETCH(bool, written);
    QFETCH(QString, taxLine);
    QFETCH(QString, note);

    QTemporaryDir dir;
    WorkDir files(dir.path());
    QString error;
    QCOMPARE(WriteTaxData(files, data, &error), written);
    QCOMPARE(error.isEmpty(), written);
    if (!written) {
        QCOMPARE(testsupport::filesIn(dir.path()), QStringList());
        return;
    }
    files.refresh();
    QCOMPARE(ReadTaxData(files), data);
    QCOMPARE(testsupport::get(dir.path(), settingsfile::ustfrei), *codepage::encode(data.exemptionNote + "\r\n"));
    QCOMPARE(printedTaxLine(data), taxLine);
    QCOMPARE(printedTaxNote(data), note);
    QCOMPARE(chargesVat(data), note.isEmpty());
}

void tst_TaxData::nothingStored()
{
    QTemporaryDir dir;
    testsupport::putWhole(dir.path(), QStringLiteral("USTART.DAT"), "7\r\n");
    const TaxData data = ReadTaxData(WorkDir(dir.path()));
    QCOMPARE(data, TaxData());
    QCOMPARE(data.exemptionNote, QStringLiteral("Umsatzsteuerfrei nach § 4 Nr. 12 UStG"));
}

QTEST_GUILESS_MAIN(tst_TaxData)
#include "tst_taxdata.moc"

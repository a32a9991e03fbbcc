#include "platform/controls.h"
#include "platform/qtprintsurface.h"
#include "platform/textmetrics.h"
#include "print/receiptlayout.h"
#include "tests/testsupport.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The printed page as poppler reads it back from the PDF file: no two words
// overlap, and no line runs through a word but the hatching behind the
// amounts.
class tst_PageCollisions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nothingCollides_data();
    void nothingCollides();
};

void tst_PageCollisions::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    installFontSubstitutes();
}

void tst_PageCollisions::nothingCollides_data()
{
    QTest::addColumn<QStringList>("wording"); // title, currency, subunit, VAT wording, payer heading
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("vatFree");
    QTest::addColumn<std::optional<QString>>("font");

    const std::optional<QString> printerFont;
    const std::optional<QString> arial = QStringLiteral("Arial");
    const QStringList eur = { "Quittung", "EUR", "Cent", "% MWSt", "Betrag erhalten von:" };
    const QStringList euro = { "Quittung", "Euro", "Cent", "% MWSt", "Betrag erhalten von:" };
    const QStringList longWords = { "Zahlungsbestätigungsbeleg", "Schweizer Franken", "Rappen",
                                    "% Umsatzsteuer (ermäßigt)",
                                    "Den oben genannten Betrag haben wir in bar erhalten von diesem Zahler, "
                                    "wie vereinbart:" };
    QTest::newRow("EUR/Cent, one copy") << eur << 1 << false << printerFont;
    QTest::newRow("EUR/Cent, two copies, Arial") << eur << 2 << false << arial;
    QTest::newRow("Euro/Cent, two copies, no VAT") << euro << 2 << true << printerFont;
    QTest::newRow("DM/Pf, one copy, Courier New")
        << QStringList { "Quittung", "DM", "Pf", "% MWSt", "Betrag erhalten von:" } << 1 << false
        << std::optional<QString>(QStringLiteral("Courier New"));
    QTest::newRow("long wordings, one copy") << longWords << 1 << false << arial;
    QTest::newRow("long wordings, two copies, no VAT") << longWords << 2 << true << printerFont;
    QTest::newRow("names too long for any size are cut")
        << QStringList { QString(60, QChar(u'W')), "Währungseinheit Franken", "Hundertstel", "%",
                         QString(200, QChar(u'm')) }
        << 1 << false << printerFont;
}

void tst_PageCollisions::nothingCollides()
{
    QFETCH(QStringList, wording);
    QFETCH(int, copies);
    QFETCH(bool, vatFree);
    QFETCH(std::optional<QString>, font);

    PrintSnapshot s;
    s.titleWord = wording[0];
    s.number = QStringLiteral("2026/17");
    s.netWording = QStringLiteral("netto");
    s.vatSign = QStringLiteral("+");
    s.vatRate = QStringLiteral("19");
    s.vatWording = wording[3];
    s.totalWording = QStringLiteral("gesamt");
    s.currencyNames = { wording[1], wording[1], wording[1] };
    s.subunitNames = { wording[2], wording[2], wording[2] };
    s.netUnits = QStringLiteral("10084");
    s.netPennies = QStringLiteral("03");
    s.vatUnits = QStringLiteral("1915");
    s.vatPennies = QStringLiteral("97");
    s.totalUnits = QStringLiteral("12000");
    s.totalPennies = QStringLiteral("00");
    s.amountInWords = QStringLiteral("---zwölftausend---");
    s.wordsHeading = QStringLiteral("Gesamtbetrag in Worten:");
    s.penniesNote = QStringLiteral("Cent wie oben");
    s.payerHeading = wording[4];
    s.payer = QStringLiteral("Erika Mustermann");
    s.purposeHeading = QStringLiteral("für:");
    s.purpose = QStringLiteral("Miete Dezember");
    s.thanks = QStringLiteral("dankend erhalten");
    s.place = QStringLiteral("Musterstadt");
    s.date = QStringLiteral("07.12.2026");
    s.taxLine = QStringLiteral("Steuernummer: 12/345/67890, USt-IdNr.: DE123456789");
    if (vatFree) {
        s.vatRows = false;
        s.taxNote = QStringLiteral("Gemäß § 19 UStG wird keine Umsatzsteuer berechnet.");
    }
    const QStringList address = { "Beispielfirma Muster & Söhne", "Inh. Maximilian Mustermann",
                                  "Tel. 0123/456789", "Fax 0123/456780", "Hauptstraße 117",
                                  "12345 Musterstadt" };

    QList<PrintOperation> page;
    for (int copy = 0; copy < copies; ++copy)
        page += ReceiptLayout(s, font, address, copy * receiptlayout::secondCopyOffset, printTextMeasure());
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("seite.pdf"));
    const std::unique_ptr<PrintSurface> surface = openPdfPrintSurface(pdf);
    for (const PrintOperation &op : page)
        surface->execute(op);
    QString error;
    QVERIFY2(surface->endDocument(&error), qPrintable(error));

    // Every text stands where it was laid out, as words of its own.
    // Read back, "…" is three dots.
    QList<PrintOperation> asRead = page;
    for (PrintOperation &op : asRead)
        op.text = op.text.normalized(QString::NormalizationForm_KC);
    int checked = 0;
    const QString misplaced = testsupport::misplacedText(pdf, asRead, &checked);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
    QCOMPARE(checked, copies * (vatFree ? 25 : 34));

    // A hundredth of a point is rounding; anything more is ink on ink.
    const double tolerance = 0.01;
    const QList<testsupport::PdfWord> words = testsupport::pdfWords(pdf);
    QVERIFY(words.size() > 50);
    for (int i = 0; i < words.size(); ++i) {
        for (int j = i + 1; j < words.size(); ++j) {
            const QRectF common = words[i].box.intersected(words[j].box);
            QVERIFY2(common.width() < tolerance || common.height() < tolerance,
                     qPrintable(QStringLiteral("\"%1\" and \"%2\" overlap").arg(words[i].text, words[j].text)));
        }
    }
    static const QRegularExpression amount(QStringLiteral("^\\d+$"));
    for (const PrintOperation &line : page) {
        if (line.kind != PrintOperation::Kind::Line)
            continue;
        // The hatched fields are 1400 and 800 twips long; the amounts stand on them.
        const bool hatching = line.y == line.y2 && (line.x2 - line.x == 1400 || line.x2 - line.x == 800);
        const QRectF drawn =
            QRectF(QPointF(line.x, line.y), QPointF(line.x2, line.y2)).normalized();
        const QRectF points(testsupport::pdfMarginPoints + drawn.x() / 20, testsupport::pdfMarginPoints + drawn.y() / 20,
                            drawn.width() / 20, drawn.height() / 20);
        for (const testsupport::PdfWord &word : words) {
            if (hatching && amount.match(word.text).hasMatch())
                continue;
            const QRectF inner = word.box.adjusted(tolerance, tolerance, -tolerance, -tolerance);
            const bool crosses = points.width() == 0
                ? points.x() > inner.left() && points.x() < inner.right() && points.bottom() > inner.top()
                    && points.top() < inner.bottom()
                : points.y() > inner.top() && points.y() < inner.bottom() && points.right() > inner.left()
                    && points.left() < inner.right();
            QVERIFY2(!crosses, qPrintable(QStringLiteral("a line at %1, %2 twips runs through \"%3\"")
                                              .arg(line.x).arg(line.y).arg(word.text)));
        }
    }
}

QTEST_MAIN(tst_PageCollisions)
#include "tst_pagecollisions.moc"

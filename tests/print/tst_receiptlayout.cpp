#include "print/receiptlayout.h"
#include "tests/testsupport.h"

#include <QTest>

namespace {

using testsupport::textsOf;

PrintSnapshot filledSnapshot()
{
    PrintSnapshot s;
    s.titleWord = QStringLiteral("Quittung");
    s.number = QStringLiteral("17");
    s.netWording = QStringLiteral("netto");
    s.vatSign = QStringLiteral("+");
    s.vatRate = QStringLiteral("16");
    s.vatWording = QStringLiteral("% MWSt");
    s.totalWording = QStringLiteral("gesamt");
    s.currencyNames = { QStringLiteral("DM"), QStringLiteral("EUR"), QStringLiteral("Euro") };
    s.subunitNames = { QStringLiteral("Pf"), QStringLiteral("Ct"), QStringLiteral("Cent") };
    s.netUnits = QStringLiteral("100");
    s.netPennies = QStringLiteral("00");
    s.vatUnits = QStringLiteral("16");
    s.vatPennies = QStringLiteral("01");
    s.totalUnits = QStringLiteral("116");
    s.totalPennies = QStringLiteral("02");
    s.amountInWords = QStringLiteral("---einhundertsechzehn---");
    s.wordsHeading = QStringLiteral("Gesamtbetrag in Worten:");
    s.penniesNote = QStringLiteral("Pfennige wie oben");
    s.payerHeading = QStringLiteral("Betrag erhalten von:");
    s.payer = QStringLiteral("Erika Mustermann");
    s.purposeHeading = QStringLiteral("für:");
    s.purpose = QStringLiteral("Miete Dezember");
    s.thanks = QStringLiteral("dankend erhalten");
    s.place = QStringLiteral("12345 Musterstadt");
    s.date = QStringLiteral("07.12.2026");
    return s;
}

const QStringList address = { QStringLiteral("Firma Beispiel"), QStringLiteral("Inh. M. Muster"),
                              QStringLiteral("Tel. 0123/4567"), QStringLiteral("Fax 0123/4568"),
                              QStringLiteral("Hauptstraße 1"), QStringLiteral("12345 Musterstadt") };

QList<PrintOperation> linesOf(const QList<PrintOperation> &ops)
{
    QList<PrintOperation> lines;
    for (const PrintOperation &op : ops)
        if (op.kind == PrintOperation::Kind::Line)
            lines.append(op);
    return lines;
}

} // namespace

class tst_ReceiptLayout : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void linesComeFirstAndAreStraight();
    void texts_data();
    void texts();
    void prefix_data();
    void prefix();
    void missingUserData();
    void shortUserData();
    void fontName_data();
    void fontName();
    void offsetMovesOnlyY();
    void emptyFields();
    void taxData_data();
    void taxData();
};

void tst_ReceiptLayout::lines_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QLineF>("line");

    const struct
    {
        const char *name;
        int index;
        QLineF line;
    } rows[] = {
        { "first band line", 0, QLineF(6400, 600, 7800, 600) },
        { "eleventh line ends the net band", 10, QLineF(6400, 900, 7800, 900) },
        { "VAT band starts", 11, QLineF(6400, 1000, 7800, 1000) },
        { "total band ends", 32, QLineF(6400, 1700, 7800, 1700) },
        { "hundredths bands start", 33, QLineF(8300, 600, 9100, 600) },
        { "middle of VAT hundredths", 49, QLineF(8300, 1150, 9100, 1150) },
        { "last band line", 65, QLineF(8300, 1700, 9100, 1700) },
        { "words box top", 66, QLineF(1000, 2200, 9100, 2200) },
        { "words box bottom", 67, QLineF(1000, 2600, 9100, 2600) },
        { "words box left", 68, QLineF(1000, 2200, 1000, 2600) },
        { "words box right", 69, QLineF(9100, 2200, 9100, 2600) },
        { "payer box top", 70, QLineF(1000, 2900, 9100, 2900) },
        { "payer box right", 73, QLineF(9100, 2900, 9100, 3300) },
        { "purpose box bottom", 75, QLineF(1000, 4000, 9100, 4000) },
        { "purpose box left", 76, QLineF(1000, 3600, 1000, 4000) },
        { "rule above the address", 78, QLineF(1000, 4900, 9100, 4900) },
        { "sum rule", 79, QLineF(4200, 1350, 9100, 1350) },
        { "signature rule", 80, QLineF(5800, 6000, 9100, 6000) },
    };
    for (const auto &row : rows)
        QTest::addRow("%s", row.name) << row.index << row.line;
}

void tst_ReceiptLayout::lines()
{
    QFETCH(int, index);
    QFETCH(QLineF, line);

    const QList<PrintOperation> lines = linesOf(ReceiptLayout(filledSnapshot(), std::nullopt, address, 0));
    QCOMPARE(lines.size(), 81);
    const PrintOperation &op = lines.at(index);
    QCOMPARE(QLineF(op.x, op.y, op.x2, op.y2), line);
}

void tst_ReceiptLayout::linesComeFirstAndAreStraight()
{
    const QList<PrintOperation> ops = ReceiptLayout(filledSnapshot(), std::nullopt, address, 0);
    QCOMPARE(ops.size(), 81 + 33);
    for (int i = 0; i < ops.size(); ++i) {
        QCOMPARE(ops[i].kind, i < 81 ? PrintOperation::Kind::Line : PrintOperation::Kind::Text);
        if (i < 81)
            QVERIFY2(ops[i].x == ops[i].x2 || ops[i].y == ops[i].y2, qPrintable(QString::number(i)));
    }
    // Every band is eleven lines 30 twips apart.
    for (int band = 0; band < 6; ++band)
        for (int step = 1; step <= 10; ++step)
            QCOMPARE(ops[band * 11 + step].y - ops[band * 11 + step - 1].y, 30.0f);
}

void tst_ReceiptLayout::texts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("text");

    const struct
    {
        int x, y, size;
        bool bold;
        const char *text;
    } rows[] = {
        { 4200, 1500, 10, false, "gesamt" },
        { 4200, 700, 10, false, "netto" },
        { 1000, 1400, 10, false, "Nr. 17" },
        { 4200, 1100, 10, false, "+16% MWSt" },
        { 5800, 700, 10, false, "DM" },
        { 5800, 1100, 10, false, "EUR" },
        { 5800, 1500, 10, false, "Euro" },
        { 8000, 700, 10, false, "Pf" },
        { 8000, 1100, 10, false, "Ct" },
        // Moved left to end before the hatched field.
        { 7840, 1500, 10, false, "Cent" },
        { 6600, 650, 11, false, "100" },
        { 6600, 1050, 11, false, " 16" },
        { 6600, 1450, 11, false, "116" },
        { 8400, 650, 11, false, "00" },
        { 8400, 1050, 11, false, "01" },
        { 8400, 1450, 11, false, "02" },
        { 1000, 950, 16, true, "Quittung" },
        { 1100, 2300, 12, false, "---einhundertsechzehn---" },
        { 1100, 3000, 11, false, "Erika Mustermann" },
        { 1100, 3700, 11, false, "Miete Dezember" },
        { 5800, 2650, 8, false, "Pfennige wie oben" },
        // The headings end above their boxes' top lines.
        { 1100, 1988, 8, false, "Gesamtbetrag in Worten:" },
        { 1100, 2688, 8, false, "Betrag erhalten von:" },
        { 1100, 3388, 8, false, "für:" },
        { 1000, 4500, 12, false, "12345 Musterstadt, den 07.12.2026" },
        { 1100, 4100, 8, false, "dankend erhalten" },
        // The address lines are as far apart as they are high.
        { 1000, 5000, 10, true, "Firma Beispiel" },
        { 1000, 5240, 10, true, "Inh. M. Muster" },
        { 1000, 5480, 10, true, "Tel. 0123/4567" },
        { 1000, 5720, 10, true, "Fax 0123/4568" },
        { 1000, 5960, 10, true, "Hauptstraße 1" },
        { 1000, 6200, 10, true, "12345 Musterstadt" },
        { 5800, 6100, 7, false, "Stempel/Unterschrift" },
    };
    int index = 0;
    for (const auto &row : rows) {
        QTest::addRow("%02d: %s", index + 1, row.text)
            << index << QPointF(row.x, row.y) << row.size << row.bold << QString::fromUtf8(row.text);
        ++index;
    }
}

void tst_ReceiptLayout::texts()
{
    QFETCH(int, index);
    QFETCH(QPointF, at);
    QFETCH(int, size);
    QFETCH(bool, bold);
    QFETCH(QString, text);

    const QList<PrintOperation> texts = textsOf(ReceiptLayout(filledSnapshot(), std::nullopt, address, 0));
    QCOMPARE(texts.size(), 33);
    const PrintOperation &op = texts.at(index);
    QCOMPARE(op.text, text);
    QCOMPARE(QPointF(op.x, op.y), at);
    QCOMPARE(op.fontSize, size);
    QCOMPARE(op.bold, bold);
}

void tst_ReceiptLayout::prefix_data()
{
    QTest::addColumn<QString>("net");
    QTest::addColumn<QString>("vat");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("netPrinted");
    QTest::addColumn<QString>("vatPrinted");

    QTest::newRow("net as long as total, VAT shorter") << "100" << "16" << "116" << "100" << " 16";
    QTest::newRow("both shorter") << "86" << "13" << "100" << " 86" << " 13";
    QTest::newRow("three shorter still one blank") << "5" << "0" << "1000" << " 5" << " 0";
    QTest::newRow("longer than total also gets one") << "1000" << "16" << "99" << " 1000" << "16";
    QTest::newRow("all empty") << "" << "" << "" << "" << "";
    QTest::newRow("empty beside a total") << "" << "" << "7" << " " << " ";
    QTest::newRow("length counts blanks") << " 5" << "16" << "99" << " 5" << "16";
}

void tst_ReceiptLayout::prefix()
{
    QFETCH(QString, net);
    QFETCH(QString, vat);
    QFETCH(QString, total);
    QFETCH(QString, netPrinted);
    QFETCH(QString, vatPrinted);

    PrintSnapshot s = filledSnapshot();
    s.netUnits = net;
    s.vatUnits = vat;
    s.totalUnits = total;
    const QList<PrintOperation> texts = textsOf(ReceiptLayout(s, std::nullopt, address, 0));
    QCOMPARE(texts.at(10).text, netPrinted);
    QCOMPARE(texts.at(11).text, vatPrinted);
    QCOMPARE(texts.at(12).text, total);
    // The hundredths never get one.
    QCOMPARE(texts.at(13).text, s.netPennies);
    QCOMPARE(texts.at(14).text, s.vatPennies);
}

void tst_ReceiptLayout::missingUserData()
{
    for (const float offset : { 0.0f, receiptlayout::secondCopyOffset }) {
        const QList<PrintOperation> texts = textsOf(ReceiptLayout(filledSnapshot(), std::nullopt, std::nullopt, offset));
        QCOMPARE(texts.size(), 28);
        int atHint = 0;
        for (const PrintOperation &op : texts) {
            QVERIFY2(op.y < 5000 + offset || op.y > 5800 + offset, qPrintable(op.text));
            if (op.y == 6000 + offset) {
                ++atHint;
                QCOMPARE(op.text, QStringLiteral("Bitte tragen Sie im Menü Ihre Daten ein!"));
                QCOMPARE(op.x, 1000.0f);
                QCOMPARE(op.fontSize, 10);
                QVERIFY(op.bold);
            }
        }
        QCOMPARE(atHint, 1);
        QCOMPARE(texts.constLast().text, QStringLiteral("Stempel/Unterschrift"));
        QCOMPARE(texts.constLast().y, 6100 + offset);
    }
}

void tst_ReceiptLayout::shortUserData()
{
    const QList<PrintOperation> texts =
        textsOf(ReceiptLayout(filledSnapshot(), std::nullopt, QStringList { QStringLiteral("Nur ein Name") }, 0));
    QCOMPARE(texts.size(), 33);
    QCOMPARE(texts.at(26).text, QStringLiteral("Nur ein Name"));
    for (int line = 27; line < 32; ++line) {
        QCOMPARE(texts.at(line).text, QString());
        QCOMPARE(texts.at(line).y, 5000.0f + 240 * (line - 26));
    }
}

void tst_ReceiptLayout::fontName_data()
{
    QTest::addColumn<std::optional<QString>>("font");
    QTest::newRow("none") << std::optional<QString>();
    QTest::newRow("named") << std::optional<QString>(QStringLiteral("Arial"));
    QTest::newRow("unknown name kept unchanged") << std::optional<QString>(QStringLiteral("  Kein Font 99"));
}

void tst_ReceiptLayout::fontName()
{
    QFETCH(std::optional<QString>, font);
    const QList<PrintOperation> ops = ReceiptLayout(filledSnapshot(), font, std::nullopt, 0);
    for (const PrintOperation &op : ops)
        QCOMPARE(op.fontName, op.kind == PrintOperation::Kind::Text ? font : std::nullopt);
}

void tst_ReceiptLayout::offsetMovesOnlyY()
{
    const QList<PrintOperation> first = ReceiptLayout(filledSnapshot(), QStringLiteral("Arial"), address, 0);
    const QList<PrintOperation> second =
        ReceiptLayout(filledSnapshot(), QStringLiteral("Arial"), address, receiptlayout::secondCopyOffset);
    QCOMPARE(second.size(), first.size());
    for (int i = 0; i < first.size(); ++i) {
        PrintOperation moved = first[i];
        moved.y += 7900;
        if (moved.kind == PrintOperation::Kind::Line)
            moved.y2 += 7900;
        QCOMPARE(second[i], moved);
    }
    // The second copy's title and signature caption.
    QCOMPARE(QPointF(second[81 + 16].x, second[81 + 16].y), QPointF(1000, 8850));
    QCOMPARE(QPointF(second.constLast().x, second.constLast().y), QPointF(5800, 14000));
}

void tst_ReceiptLayout::emptyFields()
{
    const QList<PrintOperation> texts = textsOf(ReceiptLayout(PrintSnapshot(), std::nullopt, address, 0));
    QCOMPARE(texts.size(), 33);
    QCOMPARE(texts.at(2).text, QStringLiteral("Nr. "));
    QCOMPARE(texts.at(3).text, QString());
    QCOMPARE(texts.at(24).text, QStringLiteral(", den "));
    QCOMPARE(texts.at(16).text, QString());
}

void tst_ReceiptLayout::taxData_data()
{
    QTest::addColumn<bool>("vatRows");
    QTest::addColumn<QString>("taxLine");
    QTest::addColumn<QString>("note");
    QTest::addColumn<bool>("withAddress");

    QTest::newRow("regular, tax line") << true << "Steuernummer: 12/345/67890" << "" << true;
    QTest::newRow("small business, tax line and note") << false << "USt-IdNr.: DE1" << "Gemäß § 19 UStG" << true;
    QTest::newRow("tax-free without address") << false << "Steuernummer: 1" << "Steuerfrei" << false;
    QTest::newRow("no VAT, nothing else") << false << "" << "" << true;
}

void tst_ReceiptLayout::taxData()
{
    QFETCH(bool, vatRows);
    QFETCH(QString, taxLine);
    QFETCH(QString, note);
    QFETCH(bool, withAddress);

    PrintSnapshot s = filledSnapshot();
    s.vatRows = vatRows;
    s.taxLine = taxLine;
    s.taxNote = note;
    const QList<PrintOperation> ops = ReceiptLayout(s, std::nullopt, withAddress ? std::optional(address) : std::nullopt, 0);
    const QList<PrintOperation> texts = textsOf(ops);
    // Without VAT the net and VAT rows go, with their hatched fields; the total row stays.
    QCOMPARE(linesOf(ops).size(), vatRows ? 81 : 81 - 4 * 11);
    const auto inRows = [&](float top, float bottom) {
        return std::count_if(texts.begin(), texts.end(),
                             [&](const auto &op) { return op.x >= 4200 && op.y >= top && op.y < bottom; });
    };
    QCOMPARE(inRows(600, 1350), vatRows ? 10 : 0);
    QCOMPARE(inRows(1350, 1800), 5);
    QCOMPARE(texts.size(), (withAddress ? 33 : 28) - (vatRows ? 0 : 10) + !note.isEmpty() + !taxLine.isEmpty());
    for (const PrintOperation &op : texts) {
        // The tax line is the lowest text, at the address's left edge.
        if (!taxLine.isEmpty() && op.text == taxLine)
            QCOMPARE(op.x, 1000.0f);
        QVERIFY(taxLine.isEmpty() || op.text == taxLine || op.y < texts.constLast().y);
        // The note stands below the purpose box, where the thanks line is.
        if (!note.isEmpty() && op.text == note)
            QCOMPARE(op.y, 4100.0f);
    }
}

QTEST_GUILESS_MAIN(tst_ReceiptLayout)
#include "tst_receiptlayout.moc"

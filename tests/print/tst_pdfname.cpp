#include "print/pdfname.h"

#include <QTest>

class tst_PdfName : public QObject
{
    Q_OBJECT

private slots:
    void defaultName_data();
    void defaultName();
};

void tst_PdfName::defaultName_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain number") << "4711" << "Quittung 4711.pdf";
    QTest::newRow("blanks around are trimmed, inside kept") << "  12 a\t" << "Quittung 12 a.pdf";
    QTest::newRow("year and number with a slash") << "2026/17" << "Quittung 2026-17.pdf";
    QTest::newRow("colon and backslash") << "R:12\\3" << "Quittung R-12-3.pdf";
    QTest::newRow("every forbidden character") << "a*b?c\"d<e>f|g" << "Quittung a-b-c-d-e-f-g.pdf";
    QTest::newRow("control characters") << QStringLiteral("1\u00012\u007f3") << "Quittung 1-2-3.pdf";
    QTest::newRow("a path cannot climb out") << "../../etc" << "Quittung ..-..-etc.pdf";
    QTest::newRow("umlauts and dots stay") << "Bäcker.3" << "Quittung Bäcker.3.pdf";
    QTest::newRow("empty") << "" << "Quittung.pdf";
    QTest::newRow("blanks only") << "   " << "Quittung.pdf";
}

void tst_PdfName::defaultName()
{
    QFETCH(QString, number);
    QFETCH(QString, name);
    QCOMPARE(defaultPdfFileName(number), name);
}

QTEST_GUILESS_MAIN(tst_PdfName)
#include "tst_pdfname.moc"

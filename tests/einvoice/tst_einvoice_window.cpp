#include "editor/quitt.h"
#include "einvoice/buyerwindow.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

// The menu entry of the main window: the receipt shown, its rate, currency,
// date and the issuer's lines reach the e-invoice.
class tst_EInvoiceWindow : public QObject
{
    Q_OBJECT

private slots:
    void fromTheMenu();
};

void tst_EInvoiceWindow::fromTheMenu()
{
    QTemporaryDir dir;
    const auto put = [&dir](const char *name, const QByteArray &bytes) {
        testsupport::putWhole(dir.path(), QString::fromLatin1(name), bytes);
    };
    put("erst.dat", "");
    put("dm.dat", "EUR\r\n");
    put("ustid.dat", "DE123456789\r\n");
    put("email.dat", "info@laden.de\r\n");
    put("anwender.dat", testsupport::receiptFile({ "Laden", "", "Tel. 030 1234", "", "Markt 1", "12345 Musterstadt" }));
    ScriptedPlatform platform(dir.path());
    quitt w(platform);
    testsupport::showSavedReceipt(w, QStringLiteral("7"));
    w.Combo3->setEditText(QStringLiteral("Kunde GmbH, Weg 1, 10115 Berlin"));

    w.erechnung->trigger();
    QPointer<BuyerWindow> buyer = w.einvoice().buyerWindow();
    QVERIFY(buyer);
    QVERIFY(QTest::qWaitForWindowActive(buyer));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!buyer);
    QCOMPARE(platform.messageTexts(), QStringList());

    const QString out = dir.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    QProcess::execute(QStringLiteral("pdfdetach"), { QStringLiteral("-saveall"), QStringLiteral("-o"), out,
                                                     dir.filePath(QStringLiteral("E-Rechnung-7.pdf")) });
    const QByteArray xml = testsupport::get(out, QStringLiteral("factur-x.xml"));
    for (const char *part : { "<ram:GrandTotalAmount>116.00</ram:GrandTotalAmount>",
                              "<ram:RateApplicablePercent>16.00</ram:RateApplicablePercent>",
                              "<ram:InvoiceCurrencyCode>EUR</ram:InvoiceCurrencyCode>",
                              "<udt:DateTimeString format=\"102\">20261207</udt:DateTimeString>",
                              "<ram:CityName>Musterstadt</ram:CityName>", "<ram:Name>Kunde GmbH</ram:Name>" })
        QVERIFY2(xml.contains(part), part);
}

QTEST_MAIN(tst_EInvoiceWindow)
#include "tst_einvoice_window.moc"

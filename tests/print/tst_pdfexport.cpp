#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Receipts as PDF files, the print preview and the chosen printer, with the
// dialogs answered from a script and the PDF files written for real.
class tst_PdfExport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void thePrintersPage_data();
    void thePrintersPage();
    void cancelChangesNothing();
    void folderCannotBeWritten();
    void preview();
    void chosenPrinter_data();
    void chosenPrinter();

private:
    void fill(quitt &w);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_PdfExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    testsupport::putWhole(m_dir->path(), QStringLiteral("erst.dat"), QByteArray());
    testsupport::putWhole(m_dir->path(), QStringLiteral("anwender.dat"),
                          "Beispielfirma\r\nZusatz\r\nTel. 0123\r\n\r\nHauptstra\xdf" "e 7\r\n12345 Musterstadt\r\n");
}

void tst_PdfExport::fill(quitt &w)
{
    testsupport::showSavedReceipt(w, QStringLiteral("2026/17"));
    w.Combo3->setEditText(QStringLiteral("Erika Mustermann"));
    w.Combo4->setEditText(QStringLiteral("Miete Dezember"));
    w.Text10->setText(QStringLiteral("Musterstadt"));
}

void tst_PdfExport::thePrintersPage_data()
{
    QTest::addColumn<bool>("two");
    QTest::newRow("one receipt, from the menu") << false;
    QTest::newRow("two receipts, from the preview") << true;
}

void tst_PdfExport::thePrintersPage()
{
    QFETCH(bool, two);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    ScriptedPlatform platform(m_dir->path());
    const QString pdf = m_dir->filePath(QStringLiteral("beleg.pdf"));
    platform.saveAnswers = { pdf };
    quitt w(platform);
    fill(w);
    if (two) {
        w.druckvorschau->trigger();
        QCOMPARE(platform.previews.size(), 1);
        QVERIFY(platform.previews[0].savePdf(nullptr, platform.previews[0].twoCopies));
        w.Command7_Click();
    } else {
        w.pdfspeichern->trigger();
        w.Command5_Click();
    }
    QCOMPARE(platform.saveRequests.size(), 1);
    QCOMPARE(platform.saveRequests[0].suggestedPath, m_dir->filePath(QStringLiteral("Quittung 2026-17.pdf")));
    QCOMPARE(platform.pdfFiles, QStringList { pdf });
    QCOMPARE(platform.pages.size(), 1);

    // Every text the printer got stands in the file at its place.
    int checked = 0;
    const QString misplaced = testsupport::misplacedText(pdf, platform.pages[0], &checked);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
    // All texts but the empty fourth address line.
    QCOMPARE(checked, two ? 64 : 32);
    QVERIFY(testsupport::get(m_dir->path(), QStringLiteral("beleg.pdf")).contains("pdfaid:part"));
}

void tst_PdfExport::cancelChangesNothing()
{
    testsupport::putWhole(m_dir->path(), QStringLiteral("schrift.dat"), "DejaVu Sans\r\n");
    ScriptedPlatform platform(m_dir->path());
    platform.saveAnswers = { std::nullopt, std::nullopt };
    quitt w(platform);
    fill(w);
    const QStringList before = testsupport::filesIn(m_dir->path());
    const QString font = w.Label14->text();
    w.pdfspeichern->trigger();
    // Nothing was read: the font label is set by a print only.
    QCOMPARE(w.Label14->text(), font);
    w.druckvorschau->trigger();
    QVERIFY(!platform.previews[0].savePdf(nullptr, platform.previews[0].oneCopy));
    QCOMPARE(platform.saveRequests.size(), 2);
    QVERIFY(platform.pdfFiles.isEmpty());
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(testsupport::filesIn(m_dir->path()), before);
}

void tst_PdfExport::folderCannotBeWritten()
{
    ScriptedPlatform platform(m_dir->path());
    const QString pdf = m_dir->filePath(QStringLiteral("fehlt/beleg.pdf"));
    platform.saveAnswers = { pdf };
    quitt w(platform);
    fill(w);
    const QStringList before = testsupport::filesIn(m_dir->path());
    w.pdfspeichern->trigger();
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY2(platform.messages[0].text.startsWith(QStringLiteral("Die Datei „%1“ kann nicht angelegt werden")
                                                      .arg(QDir::toNativeSeparators(pdf))),
             qPrintable(platform.messages[0].text));
    QCOMPARE(testsupport::filesIn(m_dir->path()), before);
    QCOMPARE(w.Text8->text(), QStringLiteral("2026/17"));
}

void tst_PdfExport::preview()
{
    testsupport::putWhole(m_dir->path(), QStringLiteral("drucker.dat"), "Lager\r\n");
    ScriptedPlatform platform(m_dir->path());
    platform.printers = { QStringLiteral("Büro"), QStringLiteral("Lager") };
    quitt w(platform);
    fill(w);
    w.druckvorschau->trigger();
    QCOMPARE(platform.messages.size(), 0);
    QCOMPARE(platform.previews.size(), 1);
    const PrintPreview preview = platform.previews[0];
    QCOMPARE(preview.printerCaption, QStringLiteral("Lager"));
    // The preview shows the pages the print buttons send.
    w.Command5_Click();
    w.Command7_Click();
    QCOMPARE(platform.pages.size(), 2);
    QCOMPARE(preview.oneCopy + QList { PrintOperation::endOfDocument() }, platform.pages[0]);
    QCOMPARE(preview.twoCopies + QList { PrintOperation::endOfDocument() }, platform.pages[1]);
    // Printed from the preview: on the chosen printer, without another question.
    w.Text8->setText(QStringLiteral("geändert"));
    QVERIFY(preview.print(nullptr, preview.twoCopies));
    QCOMPARE(platform.pages.size(), 3);
    QCOMPARE(platform.pages[2], platform.pages[1]);
    QCOMPARE(platform.pagePrinters, QStringList({ "Lager", "Lager", "Lager" }));
    QCOMPARE(platform.messages.size(), 2);
}

void tst_PdfExport::chosenPrinter_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("printedOn");
    QTest::addColumn<QString>("message");
    QTest::newRow("no drucker.dat: the default printer") << QByteArray("<none>") << QStringList { "", "" } << "";
    QTest::newRow("empty drucker.dat: the default printer") << QByteArray("\r\n") << QStringList { "", "" } << "";
    QTest::newRow("second printer") << QByteArray("Lager\r\n") << QStringList { "Lager", "Lager" } << "";
    QTest::newRow("printer gone") << QByteArray("Keller\r\n") << QStringList()
                                  << "Den Drucker „Keller“ gibt es nicht mehr. Die Quittung wurde nicht gedruckt.";
}

void tst_PdfExport::chosenPrinter()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, printedOn);
    QFETCH(QString, message);
    if (file != "<none>")
        testsupport::putWhole(m_dir->path(), QStringLiteral("drucker.dat"), file);
    ScriptedPlatform platform(m_dir->path());
    platform.printers = { QStringLiteral("Büro"), QStringLiteral("Lager") };
    quitt w(platform);
    testsupport::showSavedReceipt(w);
    w.Command5_Click();
    w.Command7_Click();
    QCOMPARE(platform.pagePrinters, printedOn);
    QStringList messages = platform.messageTexts();
    messages.removeAll(QStringLiteral("Drucker bereit?"));
    if (message.isEmpty()) {
        QCOMPARE(messages, QStringList());
    } else {
        // Said at each print; the program goes on.
        QCOMPARE(messages.size(), 2);
        QVERIFY2(messages[0].startsWith(message), qPrintable(messages[0]));
    }
    QVERIFY(platform.pdfFiles.isEmpty());
}

QTEST_MAIN(tst_PdfExport)
#include "tst_pdfexport.moc"

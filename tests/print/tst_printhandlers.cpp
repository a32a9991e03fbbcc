#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "settings/settings.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testsupport::textsOf;

int countOf(const QList<PrintOperation> &ops, PrintOperation::Kind kind)
{
    return int(std::count_if(ops.begin(), ops.end(), [kind](const PrintOperation &op) { return op.kind == kind; }));
}

void fillReceipt(quitt &w)
{
    w.Text8->setText(QStringLiteral("42"));
    w.Text6->setText(QStringLiteral("116"));
    w.Text7->setText(QStringLiteral("00"));
    w.Text2->setText(QStringLiteral("100"));
    w.Text3->setText(QStringLiteral("00"));
    w.Text4->setText(QStringLiteral("16"));
    w.Text5->setText(QStringLiteral("00"));
    w.Text9->setText(QStringLiteral("---einhundertsechzehn---"));
    w.Combo3->setEditText(QStringLiteral("Erika Mustermann"));
    w.Combo4->setEditText(QStringLiteral("Miete"));
    w.Text10->setText(QStringLiteral("12345 Musterstadt"));
}

} // namespace

class tst_PrintHandlers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cancelPrintsNothing_data();
    void cancelPrintsNothing();
    void oneReceipt();
    void twoReceipts();
    void fontFile_data();
    void fontFile();
    void userDataFile_data();
    void userDataFile();
    void noPrinterInstalled();
    void printerError();
    void unsavedReceiptAsksOnce_data();
    void unsavedReceiptAsksOnce();

private:
    void write(const QString &name, const QByteArray &bytes);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_PrintHandlers::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    write(QStringLiteral("erst.dat"), QByteArray());
}

void tst_PrintHandlers::write(const QString &name, const QByteArray &bytes)
{
    testsupport::putWhole(m_dir->path(), name, bytes);
}

void tst_PrintHandlers::cancelPrintsNothing_data()
{
    QTest::addColumn<bool>("two");
    QTest::newRow("1 drucken") << false;
    QTest::newRow("2 drucken") << true;
}

void tst_PrintHandlers::cancelPrintsNothing()
{
    QFETCH(bool, two);
    write(QStringLiteral("schrift.dat"), "Arial\r\n");
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    testsupport::showSavedReceipt(w);
    platform.messageAnswers = { Platform::Answer::Cancel };
    const QString before = w.Label14->text();

    two ? w.Command7_Click() : w.Command5_Click();

    QCOMPARE(platform.beeps, 1);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].text, QStringLiteral("Drucker bereit?"));
    QCOMPARE(platform.messages[0].title, QStringLiteral("Quittungsdruck"));
    QCOMPARE(platform.messages[0].buttons, Platform::Buttons::OkCancel);
    QCOMPARE(platform.messages[0].icon, Platform::Icon::Question);
    QVERIFY(platform.pages.isEmpty());
    QCOMPARE(w.Label14->text(), before);
}

void tst_PrintHandlers::oneReceipt()
{
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    fillReceipt(w);
    // Not saved: printed all the same.
    platform.questionAnswers = { QStringLiteral("&Nein") };
    w.Command5_Click();

    QCOMPARE(platform.pages.size(), 1);
    const QList<PrintOperation> &page = platform.pages[0];
    QCOMPARE(countOf(page, PrintOperation::Kind::Line), 81);
    QCOMPARE(countOf(page, PrintOperation::Kind::EndOfDocument), 1);
    QCOMPARE(page.constLast().kind, PrintOperation::Kind::EndOfDocument);
    const QList<PrintOperation> texts = textsOf(page);
    // The window's texts as shown, with the start-up wording.
    QCOMPARE(texts[0].text, QStringLiteral("gesamt"));
    QCOMPARE(texts[2].text, QStringLiteral("Nr. 42"));
    QCOMPARE(texts[3].text, QStringLiteral("+16% MWSt"));
    QCOMPARE(texts[4].text, QStringLiteral("DM"));
    QCOMPARE(texts[7].text, QStringLiteral("Pf"));
    QCOMPARE(texts[10].text, QStringLiteral("100"));
    QCOMPARE(texts[11].text, QStringLiteral(" 16"));
    QCOMPARE(texts[16].text, QStringLiteral("Quittung"));
    // Words derived from the total, as it was not typed by hand.
    QCOMPARE(texts[17].text, QStringLiteral("Einhundertsechzehn -----"));
    QCOMPARE(texts[18].text, QStringLiteral("Erika Mustermann"));
    QCOMPARE(texts[19].text, QStringLiteral("Miete"));
    QCOMPARE(texts[20].text, QStringLiteral("Pfennige wie oben"));
    QCOMPARE(texts[21].text, QStringLiteral("Gesamtbetrag in Worten:"));
    QCOMPARE(texts[22].text, QStringLiteral("Betrag erhalten von:"));
    QCOMPARE(texts[23].text, QStringLiteral("für:"));
    QCOMPARE(texts[24].text, QStringLiteral("12345 Musterstadt, den 07.12.2026"));
    QCOMPARE(texts[25].text, QStringLiteral("dankend erhalten"));
    // Printing changes no file: only erst.dat and what start-up wrote remain.
    QVERIFY(!platform.files().exists(QStringLiteral("anwender.dat")));
    QVERIFY(!platform.files().exists(QStringLiteral("42.num")));
    QCOMPARE(platform.questions.size(), 1);
    QCOMPARE(platform.messages.size(), 1);
}

void tst_PrintHandlers::twoReceipts()
{
    write(QStringLiteral("anwender.dat"), "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\n");
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    fillReceipt(w);
    platform.questionAnswers = { QStringLiteral("&Nein") };
    w.Command7_Click();

    QCOMPARE(platform.pages.size(), 1);
    const QList<PrintOperation> &page = platform.pages[0];
    QCOMPARE(page.size(), 2 * (81 + 33) + 1);
    QCOMPARE(countOf(page, PrintOperation::Kind::Line), 162);
    QCOMPARE(countOf(page, PrintOperation::Kind::EndOfDocument), 1);
    QCOMPARE(page.constLast().kind, PrintOperation::Kind::EndOfDocument);
    const PrintOperation &secondFirstLine = page[114];
    QCOMPARE(QLineF(secondFirstLine.x, secondFirstLine.y, secondFirstLine.x2, secondFirstLine.y2),
             QLineF(6400, 8500, 7800, 8500));
    const PrintOperation &signature = page[114 + 80];
    QCOMPARE(QLineF(signature.x, signature.y, signature.x2, signature.y2), QLineF(5800, 13900, 9100, 13900));
    const QList<PrintOperation> texts = textsOf(page);
    QCOMPARE(texts.size(), 66);
    for (int i = 0; i < 33; ++i) {
        QCOMPARE(texts[33 + i].text, texts[i].text);
        QCOMPARE(texts[33 + i].y, texts[i].y + 7900);
    }
    QCOMPARE(texts[33 + 16].text, QStringLiteral("Quittung"));
    QCOMPARE(QPointF(texts[33 + 16].x, texts[33 + 16].y), QPointF(1000, 8850));
    QCOMPARE(texts.constLast().text, QStringLiteral("Stempel/Unterschrift"));
    QCOMPARE(QPointF(texts.constLast().x, texts.constLast().y), QPointF(5800, 14000));
    QCOMPARE(texts[33 + 31].text, QStringLiteral("F"));
}

void tst_PrintHandlers::fontFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<std::optional<QString>>("font");
    QTest::addColumn<QString>("label14");

    const std::optional<QString> none;
    QTest::newRow("no font file") << QString() << QByteArray() << none << QStringLiteral("Label14");
    QTest::newRow("a font named") << "schrift.dat" << QByteArray("Arial\r\nTimes\r\n")
                                  << std::optional<QString>(QStringLiteral("Arial")) << QStringLiteral("Arial");
    QTest::newRow("name in other case") << "Schrift.DAT" << QByteArray("Courier New\r\n")
                                        << std::optional<QString>(QStringLiteral("Courier New"))
                                        << QStringLiteral("Courier New");
    QTest::newRow("unknown font kept") << "schrift.dat" << QByteArray("Gibt Es Nicht 7")
                                       << std::optional<QString>(QStringLiteral("Gibt Es Nicht 7"))
                                       << QStringLiteral("Gibt Es Nicht 7");
    QTest::newRow("code page name") << "schrift.dat" << QByteArray("Sch\xf6n\r\n")
                                    << std::optional<QString>(QStringLiteral("Schön")) << QStringLiteral("Schön");
    QTest::newRow("empty file") << "schrift.dat" << QByteArray() << none << QStringLiteral("Label14");
    QTest::newRow("empty first line") << "schrift.dat" << QByteArray("\r\nArial\r\n") << none
                                      << QStringLiteral("Label14");
}

void tst_PrintHandlers::fontFile()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(std::optional<QString>, font);
    QFETCH(QString, label14);

    if (!fileName.isEmpty())
        write(fileName, content);
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    testsupport::showSavedReceipt(w);
    w.Command7_Click();

    QCOMPARE(platform.pages.size(), 1);
    for (const PrintOperation &op : textsOf(platform.pages[0]))
        QCOMPARE(op.fontName, font);
    QCOMPARE(w.Label14->text(), label14);
}

void tst_PrintHandlers::userDataFile_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("printed"); // texts at y 5000 to 6000

    QTest::newRow("no user data: the hint")
        << false << QByteArray() << QStringList { QStringLiteral("Bitte tragen Sie im Menü Ihre Daten ein!") };
    QTest::newRow("six lines") << true << QByteArray("Firma\r\nZusatz\r\nTel\r\nFax\r\nStra\xdf" "e 1\r\n12345 Ort\r\n")
                               << QStringList { "Firma", "Zusatz", "Tel", "Fax", "Straße 1", "12345 Ort" };
    QTest::newRow("more than six") << true << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n")
                                   << QStringList { "1", "2", "3", "4", "5", "6" };
    QTest::newRow("two lines, no final line end")
        << true << QByteArray("Firma\r\nZusatz") << QStringList { "Firma", "Zusatz", "", "", "", "" };
    QTest::newRow("empty file: no address, no hint") << true << QByteArray() << QStringList { "", "", "", "", "", "" };
    QTest::newRow("six empty lines") << true << QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n")
                                     << QStringList { "", "", "", "", "", "" };
}

void tst_PrintHandlers::userDataFile()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, printed);

    if (exists)
        write(QStringLiteral("Anwender.dat"), content);
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    testsupport::showSavedReceipt(w);
    w.Command5_Click();

    QCOMPARE(platform.pages.size(), 1);
    QStringList address;
    for (const PrintOperation &op : textsOf(platform.pages[0])) {
        // The address lines stand as far apart as they are high, from 5000 down.
        if (op.y >= 5000 && op.y < 6500 && op.x < 5800) {
            QCOMPARE(op.x, 1000.0f);
            QVERIFY(op.bold);
            address.append(op.text);
        }
    }
    QCOMPARE(address, printed);
}

void tst_PrintHandlers::noPrinterInstalled()
{
    ScriptedPlatform platform(m_dir->path());
    platform.printers.clear();
    const QString pdf = m_dir->filePath(QStringLiteral("zwei.pdf"));
    platform.saveAnswers = { std::nullopt, pdf };
    quitt w(platform);
    testsupport::showSavedReceipt(w);
    w.Text8->setText(QStringLiteral(" 42/7: "));
    w.Command5_Click();
    QVERIFY(platform.pages.isEmpty());
    QVERIFY(platform.pdfFiles.isEmpty());
    // No question whether a printer is ready, no message about the declined file dialog.
    QVERIFY(platform.messageTexts().isEmpty());
    QCOMPARE(platform.saveRequests.size(), 1);
    QCOMPARE(platform.saveRequests[0].suggestedPath, m_dir->filePath(QStringLiteral("Quittung 42-7-.pdf")));
    QCOMPARE(platform.saveRequests[0].filter, QStringLiteral("PDF-Dateien (*.pdf)"));

    w.Command7_Click();
    QVERIFY(platform.messageTexts().isEmpty());
    QCOMPARE(platform.pdfFiles, QStringList { pdf });
    QVERIFY(testsupport::get(m_dir->path(), QStringLiteral("zwei.pdf")).startsWith("%PDF-"));
}

void tst_PrintHandlers::printerError()
{
    ScriptedPlatform platform(m_dir->path());
    platform.printerError = QStringLiteral("Der Drucker „Büro“ hat die Quittung nicht angenommen.");
    quitt w(platform);
    testsupport::showSavedReceipt(w);
    w.Command7_Click();
    QCOMPARE(platform.pages.size(), 1);
    QCOMPARE(platform.messageTexts(), QStringList({ "Drucker bereit?", platform.printerError }));
    // The program goes on: the next print is asked for again.
    platform.printerError.clear();
    w.Command5_Click();
    QCOMPARE(platform.pages.size(), 2);
    QCOMPARE(platform.messages.size(), 3);
}

void tst_PrintHandlers::unsavedReceiptAsksOnce_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("printed"); // pages, PDF files and previews
    QTest::addColumn<bool>("saved");
    QTest::newRow("1 drucken, Ja: saved, then printed") << "Command5" << "&Ja" << 1 << true;
    QTest::newRow("2 drucken, Nein: printed unsaved") << "Command7" << "&Nein" << 1 << false;
    QTest::newRow("PDF, Nein") << "pdfspeichern" << "&Nein" << 1 << false;
    QTest::newRow("preview, Abbrechen: nothing") << "druckvorschau" << "Abbrechen" << 0 << false;
    QTest::newRow("1 drucken, Abbrechen: nothing") << "Command5" << "Abbrechen" << 0 << false;
}

void tst_PrintHandlers::unsavedReceiptAsksOnce()
{
    QFETCH(QString, entry);
    QFETCH(QString, answer);
    QFETCH(bool, saved);
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    fillReceipt(w);
    const auto print = [&] {
        if (auto *button = w.findChild<QPushButton *>(entry))
            button->click();
        else
            w.findChild<QAction *>(entry)->trigger();
        return int(platform.pages.size() + platform.pdfFiles.size() + platform.previews.size());
    };
    const QString question = QStringLiteral("Die Quittung ist noch nicht gespeichert. Vor dem Drucken speichern?");

    platform.questionAnswers = { answer };
    QTEST(print(), "printed");
    QCOMPARE(platform.questions.size(), 1);
    QCOMPARE(platform.questions[0].text, question);
    QCOMPARE(platform.questions[0].buttons, (QStringList { "&Ja", "&Nein", "Abbrechen" }));
    QCOMPARE(platform.files().exists(QStringLiteral("42.num")), saved);
    QCOMPARE(w.Command1->isEnabled(), !saved);

    // Once answered, the same receipt is not asked about again; a cancel
    // answered nothing.
    platform.questions.clear();
    platform.questionAnswers = { QStringLiteral("&Nein") };
    print();
    QCOMPARE(platform.questions.size(), answer == QLatin1String("Abbrechen") ? 1 : 0);
}

QTEST_MAIN(tst_PrintHandlers)
#include "tst_printhandlers.moc"

#include "archive/form7.h"
#include "print/printerchoice.h"
#include "settings/taxdata.h"
#include "settings/taxdatawindow.h"
#include "tests/testsupport.h"

// What keeps a typed receipt from being lost or changed by a slip: the
// question before another receipt takes its place, the title word's Escape,
// the fields of a receipt without VAT, and printing without a printer.
class tst_ReceiptGuards : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_main.reset(); }

    void replacingATypedReceipt_data();
    void replacingATypedReceipt();
    void escapeRestoresTheTitle();
    void withoutVatTheFieldsStayAsSaved_data();
    void withoutVatTheFieldsStayAsSaved();
    void emptyReceiptPreview();
    void noPrinter_data();
    void noPrinter();

private:
    void typeReceipt(const QString &number, const QString &units);
    std::unique_ptr<testsupport::MainWindow> m_main;
};

void tst_ReceiptGuards::init()
{
    m_main = std::make_unique<testsupport::MainWindow>();
    testsupport::put(m_main->folder(), QStringLiteral("3.num"), testsupport::receiptBytes("3", "Otto", "Miete"));
    m_main->open();
}

void tst_ReceiptGuards::typeReceipt(const QString &number, const QString &units)
{
    QTest::mouseClick((*m_main)->Text8, Qt::LeftButton);
    QTest::keyClick((*m_main)->Text8, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks((*m_main)->Text8, number);
    QTest::keyClick((*m_main)->Text8, Qt::Key_Return);
    QTest::keyClicks((*m_main)->Text6, units);
    QTest::keyClick((*m_main)->Text6, Qt::Key_Return);
}

void tst_ReceiptGuards::replacingATypedReceipt_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer"); // the button pressed; "" when nothing is asked
    QTest::addColumn<bool>("saved");     // the typed receipt is in its file
    QTest::addColumn<QString>("shown");  // the number the window shows then

    // A new receipt gets the number after the last saved one.
    QTest::newRow("Neue Quittung, Speichern") << "Neue Quittung" << "&Speichern" << true << "8";
    QTest::newRow("Neue Quittung, Nicht speichern") << "Neue Quittung" << "&Nicht speichern" << false << "1";
    QTest::newRow("Neue Quittung, Abbrechen") << "Neue Quittung" << "Abbrechen" << false << "7";
    QTest::newRow("Laden, Speichern") << "Laden" << "&Speichern" << true << "3";
    QTest::newRow("Laden, Nicht speichern") << "Laden" << "&Nicht speichern" << false << "3";
    QTest::newRow("Laden, Abbrechen") << "Laden" << "Abbrechen" << false << "7";
}

void tst_ReceiptGuards::replacingATypedReceipt()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(bool, saved);
    ScriptedPlatform &p = m_main->platform();
    typeReceipt(QStringLiteral("7"), QStringLiteral("45.50"));
    p.questionAnswers = { answer };
    if (action == QLatin1String("Neue Quittung")) {
        QTest::mouseClick((*m_main)->Command2, Qt::LeftButton);
    } else {
        (*m_main)->suchequitt->trigger();
        Form7 *search = (*m_main)->archive().searchWindow();
        QVERIFY(search);
        QVERIFY(QTest::qWaitForWindowExposed(search));
        QTest::keyClicks(search->Text1, QStringLiteral("Otto"));
        QTest::keyClick(search->Text1, Qt::Key_Return);
        QCOMPARE(search->List1->model()->rowCount(), 1);
        testsupport::doubleClickRow(search, 0);
        // The search stays open for another try while the receipt stays.
        QCOMPARE(QPointer<Form7>(search).isNull() || !search->isVisible(), answer != QLatin1String("Abbrechen"));
    }
    QCOMPARE(p.questions.size(), 1);
    QCOMPARE(p.questions[0].text, QStringLiteral("Die Quittung Nr. 7 ist noch nicht gespeichert."));
    QCOMPARE(p.questions[0].buttons.at(p.questions[0].escapeButton), QStringLiteral("Abbrechen"));
    QCOMPARE(testsupport::get(m_main->folder(), QStringLiteral("7.num")) != "<missing>", saved);
    if (saved)
        QVERIFY(testsupport::get(m_main->folder(), QStringLiteral("7.num")).contains("\r\n45\r\n50\r\n"));
    QTEST((*m_main)->Text8->text().trimmed(), "shown");
    // A receipt that was saved or loaded is replaced without a question.
    if (answer != QLatin1String("Abbrechen")) {
        QTest::mouseClick((*m_main)->Command2, Qt::LeftButton);
        QCOMPARE(p.questions.size(), 1);
    }
}

void tst_ReceiptGuards::escapeRestoresTheTitle()
{
    QComboBox *title = (*m_main)->Combo1;
    QTest::mouseClick(title->lineEdit(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), title);
    QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(title, QStringLiteral("19"));
    QCOMPARE(testsupport::get(m_main->folder(), QStringLiteral("quitname.dat")), QByteArray("19\r\n"));
    QTest::keyClick(title, Qt::Key_Escape);
    QCOMPARE(title->currentText(), QStringLiteral("Quittung"));
    QCOMPARE(testsupport::get(m_main->folder(), QStringLiteral("quitname.dat")), QByteArray("Quittung\r\n"));
    QCOMPARE((*m_main)->Label1->text(), QStringLiteral("Quittung Nr.: "));
}

void tst_ReceiptGuards::withoutVatTheFieldsStayAsSaved_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("small business") << int(TaxData::Mode::SmallBusiness);
    QTest::newRow("tax-free") << int(TaxData::Mode::TaxFree);
}

void tst_ReceiptGuards::withoutVatTheFieldsStayAsSaved()
{
    QFETCH(int, mode);
    // Switched from the menu while the rate box, which it locks, has the focus.
    QTest::mouseClick((*m_main)->Combo2->lineEdit(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), (*m_main)->Combo2);
    (*m_main)->steuerangaben->trigger();
    TaxDataWindow *tax = (*m_main)->settings().taxDataWindow();
    QVERIFY(tax);
    QVERIFY(QTest::qWaitForWindowActive(tax));
    (TaxData::Mode(mode) == TaxData::Mode::SmallBusiness ? tax->Option2 : tax->Option3)->click();
    tax->Command1->click();
    QVERIFY(QTest::qWaitForWindowActive(&m_main->window()));
    const auto yellow = [this] {
        QStringList fields;
        for (QWidget *field : (*m_main)->findChildren<QWidget *>())
            if (field->isVisible() && background(field) == colours::focusYellow)
                fields << field->objectName();
        return fields;
    };
    QCOMPARE(yellow(), QStringList { QApplication::focusWidget()->objectName() });
    typeReceipt(QStringLiteral("9"), QStringLiteral("45"));
    QTest::keyClick((*m_main)->Text7, Qt::Key_Return);
    const auto amounts = [this] {
        return QStringList { (*m_main)->Text2->text(), (*m_main)->Text3->text(), (*m_main)->Text4->text(),
                             (*m_main)->Text5->text() };
    };
    const QStringList typed = amounts();
    QCOMPARE(typed, (QStringList { "45", "00", "0", "00" }));
    QCOMPARE(yellow(), QStringList { "Text9" });
    QTest::mouseClick((*m_main)->Command1, Qt::LeftButton);
    QVERIFY(!(*m_main)->Command1->isEnabled());
    QCOMPARE(amounts(), typed);
}

void tst_ReceiptGuards::emptyReceiptPreview()
{
    (*m_main)->druckvorschau->trigger();
    const QStringList shown = m_main->platform().messageTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith(QStringLiteral("Die Quittung hat noch keinen Betrag")), qPrintable(shown[0]));
    QCOMPARE(QApplication::focusWidget(), (*m_main)->Text6);
}

void tst_ReceiptGuards::noPrinter_data()
{
    QTest::addColumn<QStringList>("printers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QString>("caption");
    QTest::newRow("a printer") << QStringList { "Büro" } << QStringList { "Drucker bereit?" }
                               << "Standarddrucker des Systems";
    QTest::newRow("none") << QStringList() << QStringList() << "kein Drucker eingerichtet";
}

void tst_ReceiptGuards::noPrinter()
{
    QFETCH(QStringList, printers);
    QFETCH(QString, caption);
    ScriptedPlatform &p = m_main->platform();
    p.printers = printers;
    testsupport::showSavedReceipt(m_main->window(), QStringLiteral("5"));
    QTest::mouseClick((*m_main)->Command5, Qt::LeftButton);
    QTEST(p.messageTexts(), "asked");
    (*m_main)->druckvorschau->trigger();
    QCOMPARE(p.previews.size(), 1);
    QCOMPARE(p.previews[0].printerCaption, caption);
    (*m_main)->druckerwahl->trigger();
    PrinterChoiceWindow *choice = (*m_main)->print().printerWindow();
    QVERIFY(choice);
    QCOMPARE(choice->List1->item(0)->text(), caption);
    choice->close();
}

QTEST_MAIN(tst_ReceiptGuards)
#include "tst_receiptguards.moc"

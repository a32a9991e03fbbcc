#include "editor/quitt.h"
#include "platform/scriptedplatform.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The words field: entering it brings net, VAT and words up to date.
class TestWordsField : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enteringFillsNetVatAndWords_data();
    void enteringFillsNetVatAndWords();
    void enteringTwiceGivesTheSame();
    void noResultKeepsTheWords_data();
    void noResultKeepsTheWords();
    void typedWordsAreReplacedOnTheNextEntry();
    void rateChangeWaitsForTheNextEntry();
    void rateZeroShowsWhatSavingGives();
    void highlightAndEnter();
    void helpTextOnMouseMove();

private:
    // Leaves the words field for the payer and comes back by a click.
    void enterWordsField();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<quitt> m_w;
};

void TestWordsField::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_platform = std::make_unique<ScriptedPlatform>(m_dir->path());
    QVERIFY(m_platform->files().write(QStringLiteral("erst.dat"), QByteArray()));
    m_w = std::make_unique<quitt>(*m_platform);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
}

void TestWordsField::cleanup()
{
    // Hidden first, so that the focus leaves the fields while the window is
    // whole: its focus handlers must not run from inside its destructor.
    if (m_w)
        m_w->hide();
    m_w.reset();
    m_platform.reset();
    m_dir.reset();
}

void TestWordsField::enterWordsField()
{
    QTest::mouseClick(m_w->Text10, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), m_w->Text10);
    QTest::mouseClick(m_w->Text9, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), m_w->Text9);
}

void TestWordsField::enteringFillsNetVatAndWords_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies");
    QTest::addColumn<QStringList>("fields"); // Text6, Text7, Text2, Text3, Text4, Text5
    QTest::addColumn<QString>("words");

    QTest::newRow("12345,67") << "12345" << "67" << QStringList { "12345", "67", "10642", "82", "1702", "85" }
                              << QStringLiteral("Zwölftausenddreihundertfünfundvierzig -----");
    QTest::newRow("blanks are trimmed, pennies kept")
        << "  2001 " << " 5" << QStringList { "2001", " 5", "1725", "43", "276", "07" }
        << QStringLiteral("Zweitausendeins -----");
    QTest::newRow("empty units reset all amounts")
        << "" << "99" << QStringList { "0", "00", "0", "00", "0", "00" } << QStringLiteral("Null -----");
    QTest::newRow("007 is matched by position")
        << "007" << "00" << QStringList { "007", "00", "6", "03", "0", "97" } << QStringLiteral("sieben -----");
    QTest::newRow("12a: letters end the hundreds")
        << "12a" << "" << QStringList { "12a", "00", "10", "34", "1", "66" } << QStringLiteral("Einhundert");
}

void TestWordsField::enteringFillsNetVatAndWords()
{
    QFETCH(QString, units);
    QFETCH(QString, pennies);
    m_w->Text6->setText(units);
    m_w->Text7->setText(pennies);
    enterWordsField();
    const QStringList fields = { m_w->Text6->text(), m_w->Text7->text(), m_w->Text2->text(),
                                 m_w->Text3->text(), m_w->Text4->text(), m_w->Text5->text() };
    QTEST(fields, "fields");
    QTEST(m_w->Text9->text(), "words");
}

void TestWordsField::enteringTwiceGivesTheSame()
{
    m_w->Text6->setText(QStringLiteral(" 318 "));
    m_w->Text7->setText(QString());
    enterWordsField();
    const ReceiptRecord first = m_w->currentRecord();
    QCOMPARE(first.amountInWords, QStringLiteral("Dreihundertachtzehn -----"));
    enterWordsField();
    QCOMPARE(m_w->currentRecord(), first);
}

void TestWordsField::noResultKeepsTheWords_data()
{
    QTest::addColumn<QString>("units");
    QTest::newRow("123456 after 12345") << "123456";
    QTest::newRow("05") << "05";
    QTest::newRow("00") << "00";
    QTest::newRow("a minus sign") << "-12";
}

void TestWordsField::noResultKeepsTheWords()
{
    QFETCH(QString, units);
    m_w->Text6->setText(QStringLiteral("12345"));
    enterWordsField();
    const QString words = QStringLiteral("Zwölftausenddreihundertfünfundvierzig -----");
    QCOMPARE(m_w->Text9->text(), words);
    m_w->Text6->setText(units);
    enterWordsField();
    QCOMPARE(m_w->Text9->text(), words);
    // The figures follow the new amount all the same.
    QVERIFY(m_w->Text2->text() != QStringLiteral("10642"));
}

void TestWordsField::typedWordsAreReplacedOnTheNextEntry()
{
    m_w->Text6->setText(QStringLiteral("20"));
    enterWordsField();
    QTest::keyClick(m_w->Text9, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(m_w->Text9, QStringLiteral("zwanzig Euro"));
    QCOMPARE(m_w->Text9->text(), QStringLiteral("zwanzig Euro"));
    enterWordsField();
    QCOMPARE(m_w->Text9->text(), QStringLiteral("Zwanzig -----"));
}

void TestWordsField::rateChangeWaitsForTheNextEntry()
{
    m_w->Text6->setText(QStringLiteral("100"));
    m_w->Text7->setText(QStringLiteral("00"));
    enterWordsField();
    QCOMPARE(m_w->Text2->text() + ',' + m_w->Text3->text(), QStringLiteral("86,21"));
    m_w->Combo2->setEditText(QStringLiteral("7"));
    QTest::mouseClick(m_w->Text10, Qt::LeftButton);
    QCOMPARE(m_w->Text2->text() + ',' + m_w->Text3->text(), QStringLiteral("86,21"));
    QCOMPARE(m_w->Text4->text() + ',' + m_w->Text5->text(), QStringLiteral("13,79"));
    enterWordsField();
    QCOMPARE(m_w->Text2->text() + ',' + m_w->Text3->text(), QStringLiteral("93,46"));
    QCOMPARE(m_w->Text4->text() + ',' + m_w->Text5->text(), QStringLiteral("6,54"));
}

void TestWordsField::rateZeroShowsWhatSavingGives()
{
    m_w->Text6->setText(QStringLiteral("116"));
    m_w->Text7->setText(QStringLiteral("00"));
    enterWordsField();
    m_w->Combo2->setEditText(QStringLiteral("0"));
    enterWordsField();
    // Without VAT the net is the total, as saving completes the receipt.
    const QStringList typed { m_w->Text2->text(), m_w->Text3->text(), m_w->Text4->text(), m_w->Text5->text() };
    QCOMPARE(typed, (QStringList { "116", "00", "0", "00" }));
    QCOMPARE(m_w->Text9->text(), QStringLiteral("Einhundertsechzehn -----"));
    QVERIFY(m_w->amountsReady());
    QCOMPARE((QStringList { m_w->Text2->text(), m_w->Text3->text(), m_w->Text4->text(), m_w->Text5->text() }), typed);
}

void TestWordsField::highlightAndEnter()
{
    QCOMPARE(background(m_w->Text9), colours::white);
    enterWordsField();
    QCOMPARE(background(m_w->Text9), colours::focusYellow);
    QTest::keyClick(m_w->Text9, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), m_w->Combo3);
    QCOMPARE(background(m_w->Text9), colours::white);
    QVERIFY(!m_w->Text9->text().contains(QLatin1Char('\r')));
}

void TestWordsField::helpTextOnMouseMove()
{
    QTest::mouseMove(m_w->Text9);
    QTRY_COMPARE(m_w->text1->text(),
                 QStringLiteral(" Wenn diese Zeile den Cursor bekommt, so wandelt sie den Gesamtbetrag in Worte um. "
                                "(Max. 99 999)"));
}

QTEST_MAIN(TestWordsField)
#include "tst_wordsfield.moc"

#include "editor/quitt.h"
#include "platform/scriptedplatform.h"

#include <QApplication>
#include <QClipboard>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <memory>

// The receipt typed from the keyboard, field after field, with Enter.
class TestEntryFields : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedReceipt_data();
    void typedReceipt();
    void highlightFollowsTheFocus();
    void enterAfterTheDatePassesADisabledSave();
    void enterStaysInTitleAndRate_data();
    void enterStaysInTitleAndRate();
    void emptyPenniesLeadIntoTheWords();
    void separatorsTyped_data();
    void separatorsTyped();
    void separatorsPasted_data();
    void separatorsPasted();
    void germanLocaleStillReadsThePoint();

private:
    static QWidget *focused() { return QApplication::focusWidget(); }
    static void type(const QString &text) { QTest::keyClicks(focused(), text); }
    // Each key to the field that has the focus at that moment.
    static void typeOnAndOn(const QString &text)
    {
        for (const QChar c : text)
            QTest::keyClick(focused(), c.toLatin1());
    }
    static void enter() { QTest::keyClick(focused(), Qt::Key_Return); }
    // Clicks into a box and selects what it holds, as a user does to retype it.
    static void retype(QWidget *box, const QString &text);
    static void clickInto(QWidget *box);
    void setRate(const QString &rate) { retype(m_w->Combo2, rate); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<quitt> m_w;
};

void TestEntryFields::clickInto(QWidget *box)
{
    // A click on a combo box's own area opens its list; a user clicks the text.
    auto *combo = qobject_cast<QComboBox *>(box);
    QTest::mouseClick(combo ? combo->lineEdit() : box, Qt::LeftButton);
}

void TestEntryFields::retype(QWidget *box, const QString &text)
{
    clickInto(box);
    QCOMPARE(focused(), box);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

void TestEntryFields::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_platform = std::make_unique<ScriptedPlatform>(m_dir->path());
    QVERIFY(m_platform->files().write(QStringLiteral("erst.dat"), QByteArray()));
    m_w = std::make_unique<quitt>(*m_platform);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    QCOMPARE(focused(), m_w->Text8);
    QVERIFY(m_platform->messages.isEmpty());
}

void TestEntryFields::cleanup()
{
    // Hidden first, so that the focus leaves the fields while the window is
    // whole: its focus handlers must not run from inside its destructor.
    if (m_w)
        m_w->hide();
    m_w.reset();
    m_platform.reset();
    m_dir.reset();
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");
}

void TestEntryFields::typedReceipt_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QStringList>("total"); // Text6, Text7 after the breakdown
    QTest::addColumn<QStringList>("netAndVat"); // Text2, Text3, Text4, Text5
    QTest::addColumn<QString>("words");

    auto row = [](const char *name, const char *units, const char *pennies, const char *rate, QStringList total,
                  QStringList netAndVat, const char *words) {
        QTest::newRow(name) << QString::fromUtf8(units) << QString::fromUtf8(pennies) << QString::fromUtf8(rate)
                            << total << netAndVat << QString::fromUtf8(words);
    };
    row("100,00 at 16", "100", "00", "16", { "100", "00" }, { "86", "21", "13", "79" }, "Einhundert -----");
    row("99999,99 at 16", "99999", "99", "16", { "99999", "99" }, { "86206", "89", "13793", "10" },
        "Neunundneunzigtausendneunhundertneunundneunzig -----");
    row("250,00 at 19", "250", "00", "19", { "250", "00" }, { "210", "08", "39", "92" }, "Zweihundertfünfzig -----");
    row("49,95 at 7", "49", "95", "7", { "49", "95" }, { "46", "68", "3", "27" }, "Neunundvierzig -----");
    row("4711,08 at 19", "4711", "08", "19", { "4711", "08" }, { "3958", "89", "752", "19" },
        "Viertausendsiebenhundertelf -----");
    row("20000,01 at 21", "20000", "01", "21", { "20000", "01" }, { "16528", "93", "3471", "08" }, "Zwanzigtausend -----");
    row("84,99 at 9", "84", "99", "9", { "84", "99" }, { "77", "97", "7", "02" }, "Vierundachtzig -----");
    row("318,27 at 16", "318", "27", "16", { "318", "27" }, { "274", "37", "43", "90" }, "Dreihundertachtzehn -----");
    row("7,50 at 19", "7", "50", "19", { "7", "50" }, { "6", "30", "1", "20" }, "Sieben -----");
    row("3,51 at 4: a net of exactly half a penny", "3", "51", "4", { "3", "51" }, { "3", "38", "0", "13" }, "Drei -----");
    row("105,50 at 5.5", "105", "50", "5.5", { "105", "50" }, { "100", "00", "5", "50" }, "Einhundertfünf -----");
    row("617,40 at 0: the net is the total, as after saving", "617", "40", "0", { "617", "40" }, { "617", "40", "0", "00" },
        "Sechshundertsiebzehn -----");
    row("blanks around the units", " 42 ", "10", "16", { "42", "10" }, { "36", "29", "5", "81" }, "Zweiundvierzig -----");
    row("empty units", "", "75", "16", { "0", "00" }, { "0", "00", "0", "00" }, "Null -----");
    row("123456: beyond the words", "123456", "00", "16", { "123456", "00" }, { "106427", "59", "17028", "41" }, "");
}

void TestEntryFields::typedReceipt()
{
    QFETCH(QString, units);
    QFETCH(QString, pennies);
    QFETCH(QString, rate);
    QFETCH(QStringList, netAndVat);

    setRate(rate);
    retype(m_w->Text8, QStringLiteral("815"));
    enter();
    QCOMPARE(focused(), m_w->Text6);
    type(units);
    enter();
    QCOMPARE(focused(), m_w->Text7);
    type(pennies);
    enter();
    QCOMPARE(focused(), m_w->Text9);

    QTEST((QStringList { m_w->Text6->text(), m_w->Text7->text() }), "total");
    QCOMPARE((QStringList { m_w->Text2->text(), m_w->Text3->text(), m_w->Text4->text(), m_w->Text5->text() }),
             netAndVat);
    QTEST(m_w->Text9->text(), "words");

    enter();
    QCOMPARE(focused(), m_w->Combo3);
    type(QStringLiteral("Familie Berger"));
    enter();
    QCOMPARE(focused(), m_w->Combo4);
    type(QStringLiteral("Miete Dezember"));
    enter();
    QCOMPARE(focused(), m_w->Text10);
    type(QStringLiteral("Musterstadt"));
    enter();
    QCOMPARE(focused(), m_w->Text11);
    enter();
    QCOMPARE(focused(), m_w->Command1);

    // Enter was never typed into a field, and nothing was refused.
    const ReceiptRecord r = m_w->currentRecord();
    QCOMPARE(r.number, QStringLiteral("815"));
    QCOMPARE(r.payer, QStringLiteral("Familie Berger"));
    QCOMPARE(r.purpose, QStringLiteral("Miete Dezember"));
    QCOMPARE(r.place, QStringLiteral("Musterstadt"));
    QCOMPARE(r.date, QStringLiteral("07.12.2026"));
    QCOMPARE(r.vatRate, rate);
    QVERIFY(m_platform->messages.isEmpty());
    QCOMPARE(m_platform->beeps, 0);
}

void TestEntryFields::highlightFollowsTheFocus()
{
    const QList<QWidget *> path = { m_w->Text8,  m_w->Text6,  m_w->Text7,  m_w->Text9,
                                    m_w->Combo3, m_w->Combo4, m_w->Text10, m_w->Text11 };
    for (qsizetype i = 0; i < path.size(); ++i) {
        QCOMPARE(focused(), path.at(i));
        QCOMPARE(background(path.at(i)), colours::focusYellow);
        for (qsizetype j = 0; j < i; ++j)
            QCOMPARE(background(path.at(j)), colours::white);
        enter();
    }
    QCOMPARE(focused(), m_w->Command1);
    QCOMPARE(background(m_w->Text11), colours::white);
    // The rate and title boxes have no highlight.
    clickInto(m_w->Combo2);
    QCOMPARE(focused(), m_w->Combo2);
    QCOMPARE(background(m_w->Combo2), colours::grey);
}

void TestEntryFields::enterAfterTheDatePassesADisabledSave()
{
    m_w->Command1->setEnabled(false);
    clickInto(m_w->Text11);
    QCOMPARE(focused(), m_w->Text11);
    enter();
    QCOMPARE(focused(), m_w->Command7);
}

void TestEntryFields::enterStaysInTitleAndRate_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("title word") << "Combo1";
    QTest::newRow("rate") << "Combo2";
}

void TestEntryFields::enterStaysInTitleAndRate()
{
    QFETCH(QString, box);
    auto *combo = m_w->findChild<QComboBox *>(box);
    QVERIFY(combo);
    clickInto(combo);
    QCOMPARE(focused(), combo);
    enter();
    QCOMPARE(focused(), combo);
}

void TestEntryFields::emptyPenniesLeadIntoTheWords()
{
    clickInto(m_w->Text6);
    type(QStringLiteral("58"));
    enter();
    QCOMPARE(focused(), m_w->Text7);
    enter();
    QCOMPARE(focused(), m_w->Text9);
    QCOMPARE(m_w->Text7->text(), QStringLiteral("00"));
    QCOMPARE(m_w->Text2->text(), QStringLiteral("50"));
    QCOMPARE(m_w->Text3->text(), QStringLiteral("00"));
    QCOMPARE(m_w->Text4->text(), QStringLiteral("8"));
    QCOMPARE(m_w->Text5->text(), QStringLiteral("00"));
    QCOMPARE(m_w->Text9->text(), QStringLiteral("Achtundfünfzig -----"));
}

void TestEntryFields::separatorsTyped_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("leave"); // "", "Enter", "Tab" or "click" (into the payer)
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<bool>("message");
    QTest::addColumn<QString>("focus");
    const auto row = [](const char *name, const char *keys, const char *leave, const char *units, const char *pennies,
                        int beeps, bool message, const char *focus) {
        QTest::newRow(name) << QString::fromUtf8(keys) << QString::fromUtf8(leave) << QString::fromUtf8(units)
                            << QString::fromUtf8(pennies) << beeps << message << QString::fromUtf8(focus);
    };
    row("119,00 in one go", "119,00", "", "119", "00", 0, false, "Text7");
    row("a point stays while typing", "45.50", "", "45.50", "", 0, false, "Text6");
    row("45.50, Enter", "45.50", "Enter", "45", "50", 0, false, "Text7");
    row("45.5, Tab: tenths", "45.5", "Tab", "45", "50", 0, false, "Text7");
    row("45.50, a click elsewhere", "45.50", "click", "45", "50", 0, false, "Combo3");
    row("1.250, Enter: thousands", "1.250", "Enter", "1250", "", 0, false, "Text7");
    row("1.250,50 the German way", "1.250,50", "", "1250", "50", 0, false, "Text7");
    row("12,5 and Enter: the pennies in full", "12,5", "Enter", "12", "50", 0, false, "Text9");
    row("a third pennies digit is refused as typed", "12,505", "", "12", "50", 1, false, "Text7");
    row("45.5x refused, kept for correcting", "45.5x", "Enter", "45.5x", "", 1, true, "Text6");
    row("a sign refused", "-12", "Tab", "-12", "", 1, true, "Text6");
    row("English amount: the comma moves on, the rest is too long", "1,250.50", "", "1", "25", 4, false, "Text7");
}

void TestEntryFields::separatorsTyped()
{
    QFETCH(QString, keys);
    QFETCH(QString, leave);
    QFETCH(bool, message);
    QFETCH(QString, focus);
    clickInto(m_w->Text6);
    typeOnAndOn(keys);
    if (leave == QLatin1String("Enter"))
        enter();
    else if (leave == QLatin1String("Tab"))
        QTest::keyClick(focused(), Qt::Key_Tab);
    else if (leave == QLatin1String("click"))
        clickInto(m_w->Combo3);
    QTEST(m_w->Text6->text(), "units");
    QTEST(m_w->Text7->text(), "pennies");
    QTEST(m_platform->beeps, "beeps");
    QCOMPARE(m_platform->messages.size(), message ? 1 : 0);
    if (message)
        QVERIFY2(m_platform->messages[0].text.contains(QStringLiteral("1.250,50")), qPrintable(m_platform->messages[0].text));
    QCOMPARE(focused()->objectName(), focus);
    QCOMPARE(background(m_w->Text6), focus == QLatin1String("Text6") ? colours::focusYellow : colours::white);
}

void TestEntryFields::separatorsPasted_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies");
    QTest::addColumn<int>("beeps");
    QTest::newRow("1.250,50") << "1.250,50" << "1250" << "50" << 0;
    QTest::newRow("119,00") << "119,00" << "119" << "00" << 0;
    QTest::newRow("119") << "119" << "119" << "" << 0;
    QTest::newRow("1,5: tenths") << "1,5" << "1" << "50" << 0;
    QTest::newRow("12.50: pennies after the point") << "12.50" << "12" << "50" << 0;
    QTest::newRow("1.250: thousands") << "1.250" << "1250" << "" << 0;
    QTest::newRow("12 EUR: refused") << "12 EUR" << "" << "" << 1;
    QTest::newRow("a comma alone moves on") << "," << "" << "" << 0;
}

void TestEntryFields::separatorsPasted()
{
    QFETCH(QString, pasted);
    QApplication::clipboard()->setText(pasted);
    clickInto(m_w->Text6);
    QTest::keyClick(m_w->Text6, Qt::Key_V, Qt::ControlModifier);
    QTEST(m_w->Text6->text(), "units");
    QTEST(m_w->Text7->text(), "pennies");
    QTEST(m_platform->beeps, "beeps");
    QVERIFY(m_platform->messages.isEmpty());
}

void TestEntryFields::germanLocaleStillReadsThePoint()
{
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));

    setRate(QStringLiteral("5.5"));
    clickInto(m_w->Text6);
    type(QStringLiteral("1.000.5"));
    enter();
    QCOMPARE(focused(), m_w->Text7);
    enter();
    QCOMPARE(focused(), m_w->Text9);
    // 1000.50 / 1.055 = 948.341...
    QCOMPARE(m_w->Text2->text(), QStringLiteral("948"));
    QCOMPARE(m_w->Text3->text(), QStringLiteral("34"));
    QCOMPARE(m_w->Text4->text(), QStringLiteral("52"));
    QCOMPARE(m_w->Text5->text(), QStringLiteral("16"));
    QCOMPARE(m_w->Text9->text(), QStringLiteral("Eintausend -----"));
}

QTEST_MAIN(TestEntryFields)
#include "tst_entryfields.moc"

#include "archive/form7.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "platform/twips.h"
#include "tests/testsupport.h"
#include "text/codepage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using testsupport::put;
using testsupport::receiptBytes;
using testsupport::doubleClickRow;
using testsupport::listed;

class TestLoad : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<quitt> m_main;

    Form7 *open()
    {
        m_main->suchequitt->trigger();
        Form7 *w = m_main->archive().searchWindow();
        if (w)
            (void)QTest::qWaitForWindowExposed(w);
        return w;
    }

private slots:
    void init()
    {
        QVERIFY(m_tmp.isValid());
        testsupport::removeFiles(m_tmp.path());
        put(m_tmp.path(), "erst.dat", "");
        m_platform = std::make_unique<ScriptedPlatform>(m_tmp.path());
        m_main = std::make_unique<quitt>(*m_platform);
        m_main->show();
    }
    void cleanup()
    {
        m_main.reset();
        m_platform.reset();
    }

    void windowAsDesigned()
    {
        m_platform->screen = QSize(1024 * 15, 768 * 15);
        Form7 *w = open();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QVERIFY(m_main->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Suchen einer ausgestellten Quittung"));
        QCOMPARE(w->Frame1->title(), QStringLiteral("Geben Sie einen Suchbegriff ein (Z.B.: Nummer, Name, Ort, "
                                                     "ausgestellt für was? Datum etc.)"));
        QCOMPARE(w->Command2->text(), QStringLiteral("s&uche..."));
        QCOMPARE(w->Frame2->title(), QStringLiteral("Gefundene Quittung(en):"));
        QCOMPARE(w->Label1->text(), QStringLiteral("Klicken Sie eine Zeile doppelt in der Liste an, wenn Sie die Daten "
                                                   "übernehmen wollen!"));
        QCOMPARE(w->Command1->text(), QStringLiteral("&Schließen"));
        QCOMPARE(w->List1->font().family(), QStringLiteral("Courier New"));
        QVERIFY(w->Text1->text().isEmpty());
        QCOMPARE(w->size(), twips::size(9015, 6570));
        QCOMPARE(w->Frame1->geometry(), twips::rect(330, 240, 8355, 765));
        QCOMPARE(w->Text1->geometry(), twips::rect(150, 300, 4545, 345));
        QCOMPARE(w->Command2->geometry(), twips::rect(4830, 300, 3405, 345));
        QCOMPARE(w->Frame2->geometry(), twips::rect(300, 1140, 8415, 3315));
        QCOMPARE(w->List1->geometry(), twips::rect(180, 300, 8055, 2790));
        QCOMPARE(w->Label1->geometry(), twips::rect(300, 4560, 8445, 945));
        QCOMPARE(w->Command1->geometry(), twips::rect(300, 5910, 8475, 405));
        QCOMPARE(w->pos(), twips::point((1024 * 15 - 9015) / 2, (768 * 15 - 6570) / 2));

        // A second menu click brings the same window forward.
        m_main->suchequitt->trigger();
        QCOMPARE(m_main->archive().searchWindow(), w);
        w->Command1->click();
        QTRY_VERIFY(!m_main->archive().searchWindow());
        QVERIFY(m_platform->messages.isEmpty());
    }

    void enterInTheSearchBoxSearches()
    {
        put(m_tmp.path(), "1.num", receiptBytes("1", "Anna Schulz", "Miete"));
        put(m_tmp.path(), "2.num", receiptBytes("2", "Bernd Schulze", "Pacht"));
        Form7 *w = open();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->Text1->setFocus();
        QTest::keyClicks(w->Text1, "schulz");
        QCOMPARE(w->List1->model()->rowCount(), 0);
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QCOMPARE(listed(w), (QStringList { "1          <Nr. - Anna Schulz", "2          <Nr. - Bernd Schulze" }));
        QCOMPARE(w->Text1->text(), QStringLiteral("schulz"));
        // The button searches the same way, the list starting afresh.
        w->Text1->setText("pacht");
        w->Command2->click();
        QCOMPARE(listed(w), QStringList { "2          <Nr. - Pacht" });
        w->Text1->setText("nirgends");
        QTest::keyClick(w->Text1, Qt::Key_Enter);
        QCOMPARE(w->List1->model()->rowCount(), 0);
        QVERIFY(m_platform->messages.isEmpty());
    }

    void loadsTheStoredFields_data()
    {
        QTest::addColumn<QString>("term");
        QTest::addColumn<int>("row");
        QTest::newRow("by the payer line") << "weiß" << 0;
        QTest::newRow("by the purpose line of the same receipt") << "weiß" << 1;
        QTest::newRow("by the amount") << "137" << 0;
    }
    void loadsTheStoredFields()
    {
        QFETCH(QString, term);
        QFETCH(int, row);
        put(m_tmp.path(), "41.num",
            codepage::encode(QString::fromUtf8(" 41 \r\n115\r\n13\r\n21\r\n87\r\n137\r\n00\r\n---Einhundertsiebenunddreißig---\r\n"
                                              "Erika Weiß, Köln\r\nFarbe weiß\r\n"))
                .value());
        put(m_tmp.path(), "4.num", receiptBytes("4", "Otto", "Nichts"));
        m_main->Text10->setText("Bonn");
        m_main->Text11->setText("01.02.2026");
        m_main->Combo2->setEditText("16");
        QVERIFY(m_main->Command1->isEnabled());
        Form7 *w = open();
        w->Text1->setText(term);
        w->Command2_Click();
        QVERIFY(w->List1->model()->rowCount() > row);
        doubleClickRow(w, row);

        QCOMPARE(m_platform->messageTexts(), QStringList { "Bitte Datum beachten!" });
        QCOMPARE(m_platform->messages.first().title, Platform::programTitle());
        QCOMPARE(m_platform->messages.first().icon, Platform::Icon::None);
        QCOMPARE(m_main->Text8->text(), QStringLiteral(" 41 "));
        QCOMPARE(m_main->Text2->text(), QStringLiteral("115"));
        QCOMPARE(m_main->Text3->text(), QStringLiteral("13"));
        QCOMPARE(m_main->Text4->text(), QStringLiteral("21"));
        QCOMPARE(m_main->Text5->text(), QStringLiteral("87"));
        QCOMPARE(m_main->Text6->text(), QStringLiteral("137"));
        QCOMPARE(m_main->Text7->text(), QStringLiteral("00"));
        QCOMPARE(m_main->Text9->text(), QString::fromUtf8("---Einhundertsiebenunddreißig---"));
        // Not in the payer and purpose lists, and loaded all the same.
        QVERIFY(m_main->Combo3->entries().isEmpty());
        QCOMPARE(m_main->Combo3->currentText(), QString::fromUtf8("Erika Weiß, Köln"));
        QCOMPARE(m_main->Combo4->currentText(), QString::fromUtf8("Farbe weiß"));
        QVERIFY(!m_main->Command1->isEnabled());
        // What a receipt file does not hold stays.
        QCOMPARE(m_main->Text10->text(), QStringLiteral("Bonn"));
        QCOMPARE(m_main->Text11->text(), QStringLiteral("01.02.2026"));
        // The file keeps no rate: its figures fit 19 % and no other.
        QCOMPARE(m_main->Combo2->currentText(), QStringLiteral("19"));
        QTRY_VERIFY(!m_main->archive().searchWindow());
        // The next new receipt may be saved again.
        m_main->Command2_Click();
        QVERIFY(m_main->Command1->isEnabled());
    }

    void loadsExactlyTheListedReceipt_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("wanted");
        QTest::newRow("nine digits, not the eight-digit one") << QStringList { "12345678", "123456789" } << "123456789";
        QTest::newRow("eight digits beside nine") << QStringList { "12345678", "123456789" } << "12345678";
        QTest::newRow("an inner blank") << QStringList { "12", "12 3" } << "12 3";
        QTest::newRow("a long number with letters") << QStringList { "2026-00017-A", "2026-000" } << "2026-00017-A";
    }
    void loadsExactlyTheListedReceipt()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QString, wanted);
        for (const QString &n : numbers)
            put(m_tmp.path(), n + ".num", receiptBytes(n, "Zahler " + n, "Zweck"));
        Form7 *w = open();
        w->Text1->setText("Zahler " + wanted);
        w->Command2_Click();
        const int row = int(listed(w).indexOf(wanted + "          <Nr. - Zahler " + wanted));
        QVERIFY(row >= 0);
        doubleClickRow(w, row);
        QCOMPARE(m_main->Text8->text(), wanted);
        QCOMPARE(m_main->Combo3->currentText(), "Zahler " + wanted);
    }

    void shortFileLoadsWithEmptyFields()
    {
        put(m_tmp.path(), "8.num", "8\r\n10\r\n");
        m_main->Text9->setText("alt");
        m_main->Combo3->setEditText("alt");
        Form7 *w = open();
        w->Command2_Click();
        QCOMPARE(w->List1->model()->rowCount(), 2);
        doubleClickRow(w, 1);
        QCOMPARE(m_main->Text8->text(), QStringLiteral("8"));
        QCOMPARE(m_main->Text2->text(), QStringLiteral("10"));
        QVERIFY(m_main->Text6->text().isEmpty());
        QVERIFY(m_main->Text9->text().isEmpty());
        QVERIFY(m_main->Combo3->currentText().isEmpty());
        QVERIFY(!m_main->Command1->isEnabled());
    }

    void goneReceiptChangesNothing_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("the file went after the search") << true;
        QTest::newRow("a double-click where no line is selected") << false;
    }
    void goneReceiptChangesNothing()
    {
        QFETCH(bool, deleted);
        put(m_tmp.path(), "5.num", receiptBytes("5", "Meier", "Miete"));
        m_main->Text8->setText("77");
        m_main->Combo3->setEditText("bleibt");
        Form7 *w = open();
        if (deleted) {
            w->Command2_Click();
            QVERIFY(QFile::remove(m_tmp.filePath("5.num")));
            doubleClickRow(w, 0);
        } else {
            QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        }
        QCOMPARE(m_platform->messageTexts(), QStringList { "Bitte Datum beachten!" });
        QCOMPARE(m_main->Text8->text(), QStringLiteral("77"));
        QCOMPARE(m_main->Combo3->currentText(), QStringLiteral("bleibt"));
        QVERIFY(m_main->Command1->isEnabled());
        QTRY_VERIFY(!m_main->archive().searchWindow());
    }

    void fileListIsTakenWhenTheWindowOpens()
    {
        put(m_tmp.path(), "1.num", receiptBytes("1", "Meier", "Miete"));
        Form7 *w = open();
        put(m_tmp.path(), "2.num", receiptBytes("2", "Meier", "Miete"));
        w->Text1->setText("meier");
        w->Command2_Click();
        QCOMPARE(w->List1->model()->rowCount(), 1);
        w->Command1_Click();
        QTRY_VERIFY(!m_main->archive().searchWindow());
        w = open();
        w->Text1->setText("meier");
        w->Command2_Click();
        QCOMPARE(w->List1->model()->rowCount(), 2);
    }
};

QTEST_MAIN(TestLoad)
#include "tst_load.moc"

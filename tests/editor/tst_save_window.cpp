#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"
#include "text/codepage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testsupport::put;
using testsupport::get;
using testsupport::filesIn;
using testsupport::type;

// The receipt file the window's fields must give, built from the controls.
QByteArray expectedFile(const quitt &w)
{
    return testsupport::receiptFile({ w.Text8->text(), w.Text2->text(), w.Text3->text(), w.Text4->text(),
                                      w.Text5->text(), w.Text6->text(), w.Text7->text(), w.Text9->text(),
                                      w.Combo3->currentText(), w.Combo4->currentText(), w.Text11->text(),
                                      w.Text10->text() });
}

const QString saved = QStringLiteral("Quittung wurde gespeichert!");

} // namespace

class TestSaveWindow : public QObject
{
    Q_OBJECT

private slots:
    void roadOfOneReceipt()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        put(tmp.path(), "nummer.dat", "6\r\n");
        put(tmp.path(), "von.dat", "Schulz\r\nmeier\r\nAdler\r\n");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QCOMPARE(w.Text8->text(), QString("7"));
        QTRY_COMPARE(QApplication::focusWidget(), w.Text8);
        QCOMPARE(w.Combo3->entries(), (QStringList { "Adler", "meier", "Schulz" }));

        // The proposed number, the total, then on through the words field.
        QTest::keyClick(w.Text8, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), w.Text6);
        QTest::keyClicks(w.Text6, "100");
        QTest::keyClick(w.Text6, Qt::Key_Return);
        QTest::keyClicks(w.Text7, "00");
        QTest::keyClick(w.Text7, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), w.Text9);
        QTest::keyClick(w.Text9, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), w.Combo3);
        type(w.Combo3, QString::fromUtf8("Adler, Hans, Römerstr. 3, Bonn"));
        QTest::keyClick(w.Combo3, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), w.Combo4);
        QTest::keyClicks(w.Combo4, "Miete Dezember");

        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QCOMPARE(platform.messageTexts().last(), saved);
        QCOMPARE(platform.messages.last().icon, Platform::Icon::None);
        QCOMPARE(platform.messages.last().buttons, Platform::Buttons::Ok);
        QVERIFY(!w.Command1->isEnabled());

        const QByteArray file = get(tmp.path(), "7.num");
        // The twelve fields, then the page they were printed on.
        QVERIFY(file.startsWith(expectedFile(w)));
        QVERIFY(file.contains("\r\nSatz=16\r\nBesteuerung=0\r\n"));
        QVERIFY(file.startsWith("7\r\n"));
        QVERIFY(file.contains("\r\n100\r\n00\r\n"));
        QVERIFY(file.contains("\r\nAdler, Hans, R\xf6merstr. 3, Bonn\r\nMiete Dezember\r\n"));
        QCOMPARE(get(tmp.path(), "nummer.dat"), QByteArray("7\r\n"));
        QCOMPARE(get(tmp.path(), "von.dat"), QByteArray("Schulz\r\nmeier\r\nAdler\r\nAdler, Hans, R\xf6merstr. 3, Bonn\r\n"));
        QCOMPARE(get(tmp.path(), "fuer.dat"), QByteArray("Miete Dezember\r\n"));
        // Saving leaves the fields and the lists of the boxes as they were.
        QCOMPARE(w.Text8->text(), QString("7"));
        QCOMPARE(w.Combo3->entries(), (QStringList { "Adler", "meier", "Schulz" }));

        // The next receipt: number 8, the new payer and purpose offered.
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QCOMPARE(w.Text8->text(), QString("8"));
        QVERIFY(w.Command1->isEnabled());
        QCOMPARE(w.Combo3->entries(),
                 (QStringList { "Adler", QString::fromUtf8("Adler, Hans, Römerstr. 3, Bonn"), "meier", "Schulz" }));
        QCOMPARE(w.Combo4->entries(), QStringList { "Miete Dezember" });
        QCOMPARE(w.Combo3->currentText(), QString());
        QCOMPARE(w.Text6->text(), QString());

        // Saving number 7 again is refused and changes nothing.
        w.Text8->setText("7");
        w.Text6->setText("5");
        w.Combo3->setEditText("Neuer Zahler");
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QCOMPARE(platform.messageTexts().last(), QString("Eine Datei mit der Quittungs-Nr. 7 existiert bereits!"));
        QVERIFY(w.Command1->isEnabled());
        QCOMPARE(get(tmp.path(), "7.num"), file);
        QCOMPARE(get(tmp.path(), "nummer.dat"), QByteArray("7\r\n"));
        QVERIFY(!get(tmp.path(), "von.dat").contains("Neuer"));
    }

    void refusedOrFailedSaveKeepsTheButton_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("failing"); // file made to fail, or none
        QTest::addColumn<QString>("named");   // what the message must name
        QTest::addColumn<QStringList>("files");
        QTest::newRow("path out of the folder") << "../../tmp/x" << "" << "Quittungs-Nummer" << QStringList { "erst.dat" };
        QTest::newRow("empty number") << "  " << "" << "Quittungs-Nummer" << QStringList { "erst.dat" };
        QTest::newRow("receipt file cannot be written") << "12" << "12.num" << "\"12.num\"" << QStringList { "erst.dat" };
        QTest::newRow("nummer.dat cannot be written")
            << "12" << "nummer.dat" << "\"nummer.dat\"" << QStringList { "12.num", "erst.dat", "fuer.dat", "journal.txt", "von.dat" };
    }
    void refusedOrFailedSaveKeepsTheButton()
    {
        QFETCH(QString, number);
        QFETCH(QString, failing);
        QFETCH(QString, named);
        QFETCH(QStringList, files);
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        platform.files().setFaultHook([failing](WorkDir::Op op, const QString &name) {
            return op != WorkDir::Op::Read && name == failing;
        });
        w.Text8->setText(number);
        w.Text6->setText("100");
        w.Combo3->setEditText("Adler");
        w.Command1->click();
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY2(platform.messages.last().text.contains(named), qPrintable(platform.messages.last().text));
        QVERIFY(!platform.messages.last().text.contains(saved));
        QVERIFY(w.Command1->isEnabled());
        QCOMPARE(filesIn(tmp.path()), files);
    }

    // What the user typed into the total, the pennies and the rate box.
    void theTotalIsCheckedBeforeSaving_data()
    {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("pennies");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("field"); // where the focus goes
        QTest::addColumn<QString>("named"); // what the message names
        QTest::newRow("letters in the units") << "12a" << "00" << "16" << "Text6" << "„gesamt DM“";
        QTest::newRow("no units") << "" << "50" << "16" << "Text6" << "„gesamt DM“";
        QTest::newRow("three penny digits") << "12" << "123" << "16" << "Text7" << "„gesamt Pf“";
        QTest::newRow("a comma in the pennies") << "12" << "5,0" << "16" << "Text7" << "„gesamt Pf“";
        QTest::newRow("a rate with letters") << "12" << "00" << "19a" << "Combo2" << "„19a“";
    }
    void theTotalIsCheckedBeforeSaving()
    {
        QFETCH(QString, units);
        QFETCH(QString, pennies);
        QFETCH(QString, rate);
        QFETCH(QString, field);
        QFETCH(QString, named);
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // Typing refuses such amounts as they are typed; the save checks
        // them again for what came otherwise (a file of an older program).
        w.Text6->setText(units);
        w.Text7->setText(pennies);
        QTest::mouseClick(w.Combo2->lineEdit(), Qt::LeftButton);
        QTest::keyClick(w.Combo2->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w.Combo2->lineEdit(), Qt::Key_Delete);
        type(w.Combo2->lineEdit(), rate);
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY2(platform.messages[0].text.contains(named), qPrintable(platform.messages[0].text));
        QCOMPARE(QApplication::focusWidget(), w.findChild<QWidget *>(field));
        QVERIFY(w.Command1->isEnabled());
        QCOMPARE(filesIn(tmp.path()), QStringList { "erst.dat" });
    }

    // A new user's receipt, typed, perhaps changed, then saved: the file's
    // figures, net, VAT and words agree.
    void figuresAndWordsAgreeInTheFile_data()
    {
        QTest::addColumn<QString>("total");     // typed into the units in one go
        QTest::addColumn<QString>("handWords"); // then typed into the words field
        QTest::addColumn<QString>("retyped");   // then typed over the units
        QTest::addColumn<QStringList>("lines"); // net, VAT, total, words in the file

        QTest::newRow("119,00 in one go") << "119,00" << "" << ""
                                          << QStringList { "100", "00", "19", "00", "119", "00", "Einhundertneunzehn -----" };
        QTest::newRow("total changed after the words")
            << "100" << "" << "250" << QStringList { "210", "08", "39", "92", "250", "00", "Zweihundertfünfzig -----" };
        QTest::newRow("words by hand after the total")
            << "100" << "einhundert Euro" << "" << QStringList { "84", "03", "15", "97", "100", "00", "einhundert Euro" };
        QTest::newRow("words by hand, then the total changed")
            << "100" << "einhundert Euro" << "250"
            << QStringList { "210", "08", "39", "92", "250", "00", "Zweihundertfünfzig -----" };
        QTest::newRow("one penny digit is tenths") << "7,5" << "" << ""
                                                   << QStringList { "6", "30", "1", "20", "7", "50", "Sieben -----" };
        QTest::newRow("leading zeros") << "007" << "" << "" << QStringList { "5", "88", "1", "12", "7", "00", "Sieben -----" };
    }
    void figuresAndWordsAgreeInTheFile()
    {
        QFETCH(QString, total);
        QFETCH(QString, handWords);
        QFETCH(QString, retyped);
        QFETCH(QStringList, lines);
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const auto typeOver = [](QWidget *box, const QString &text) {
            QTest::mouseClick(box, Qt::LeftButton);
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            for (const QChar c : text)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        };
        typeOver(w.Text6, total);
        QTest::mouseClick(w.Text9, Qt::LeftButton);
        if (!handWords.isEmpty())
            typeOver(w.Text9, handWords);
        if (!retyped.isEmpty())
            typeOver(w.Text6, retyped);
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QCOMPARE(platform.messageTexts().last(), saved);

        const QStringList file = codepage::decode(get(tmp.path(), "1.num")).split("\r\n");
        QCOMPARE(file.mid(1, 7), lines);
    }
};

QTEST_MAIN(TestSaveWindow)
#include "tst_save_window.moc"

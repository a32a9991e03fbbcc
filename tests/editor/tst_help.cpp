#include "editor/form3.h"
#include "editor/form11.h"
#include "editor/form15.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testsupport::put;
using testsupport::get;

// A mouse move over a control, near its bottom left corner, where no control
// inside it lies.
void moveOver(QWidget *control)
{
    const QPoint at(2, control->height() - 3);
    QMouseEvent move(QEvent::MouseMove, at, control->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control, &move);
}

QWidget *control(quitt &w, const QString &name)
{
    if (name == "quitt")
        return w.centralWidget();
    return w.findChild<QWidget *>(name);
}

const QString numberFrame = QStringLiteral("Bitte nur Zahlen eintragen, keine Sonderzeichen wie <-., etc.");
const QString numberField = QStringLiteral(" Bitte nur Zahlen eintragen, keine Sonderzeichen wie <-., etc.   Nummer "
                                           "wird automatisch fortlaufend nummeriert.");
const QString totalField = QString::fromUtf8(" Bitte geben Sie den Betrag ein (z.B. 45 oder 1.250; mit Nachkomma-Stellen 45,50 oder 45.50) und drücken Sie "
                                             "Enter (Eingabetaste)");
const QString listButton = QString::fromUtf8(" Hier können Sie auch in einer Liste mehrere Einträge auf einmal "
                                             "durchführen.");

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        put(m_tmp->path(), "erst.dat", "");
    }

    void helpTable_data()
    {
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("text"); // "<keeps>": the help box keeps its text
        QTest::newRow("window background") << "quitt" << "";
        QTest::newRow("ENDE frame") << "Frame1" << "";
        QTest::newRow("title frame") << "Frame2" << "";
        QTest::newRow("amount frame") << "Frame3" << "";
        QTest::newRow("number frame") << "Frame4" << numberFrame;
        QTest::newRow("number field") << "Text8" << numberField;
        QTest::newRow("button frame") << "Frame5" << "";
        QTest::newRow("words frame") << "Frame6" << "";
        QTest::newRow("total field") << "Text6" << totalField;
        QTest::newRow("payer frame")
            << "Frame7"
            << QString::fromUtf8(" Die aufklappbare Liste wird automatisch sortiert. Ratsame Eingabe: Nachname, Name, "
                                 "Straße, Ort");
        QTest::newRow("payer list button") << "Command3" << listButton;
        QTest::newRow("purpose frame") << "Frame8" << " Die aufklappbare Liste wird automatisch sortiert.";
        QTest::newRow("purpose list button") << "Command4" << listButton;
        QTest::newRow("place frame")
            << "Frame10"
            << QString::fromUtf8(" Hier wird der Ausstellungsort dargestellt, den Sie oben im Menü bei Ihren Daten "
                                 "angegeben haben!");
        QTest::newRow("date frame") << "Frame11" << " Das aktuelle Tagesdatum wird automatisch geladen.";
        QTest::newRow("picture") << "Image2" << " Anklicken..";
        for (const char *silent : { "Combo1", "Combo2", "Combo3", "Combo4", "Text7", "Text2", "Text10", "Text11",
                                    "Label1", "Label3", "Command1", "Command2", "Command6", "text1", "Frame9" })
            QTest::newRow(qPrintable(QStringLiteral("%1 sets nothing").arg(silent))) << silent << "<keeps>";
    }
    void helpTable()
    {
        QFETCH(QString, area);
        QFETCH(QString, text);
        ScriptedPlatform platform(m_tmp->path());
        quitt w(platform);
        QCOMPARE(w.text1->text(), QString(" Zettelfix - Direkthilfe"));
        w.text1->setText("vorher");
        QWidget *c = control(w, area);
        QVERIFY(c);
        moveOver(c);
        QCOMPARE(w.text1->text(), text == "<keeps>" ? QString("vorher") : text);
    }

    void pointerCrossesTheWindow_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("number field, its frame, the background")
            << QStringList { "Text8", "Frame4", "quitt" } << QStringList { numberField, numberFrame, "" };
        QTest::newRow("total field, amount block, pennies")
            << QStringList { "Text6", "Frame3", "Text7" } << QStringList { totalField, "", "" };
        QTest::newRow("the same area twice") << QStringList { "Command3", "quitt", "Command4" }
                                             << QStringList { listButton, "", listButton };
    }
    void pointerCrossesTheWindow()
    {
        QFETCH(QStringList, path);
        QFETCH(QStringList, shown);
        ScriptedPlatform platform(m_tmp->path());
        quitt w(platform);
        QStringList seen;
        for (const QString &area : path) {
            moveOver(control(w, area));
            seen.append(w.text1->text());
        }
        QCOMPARE(seen, shown);
    }

    void newReceiptProposesTheNextNumber_data()
    {
        QTest::addColumn<QByteArray>("nummer"); // "<missing>": no file
        QTest::addColumn<QString>("proposed");
        QTest::newRow("after 7") << QByteArray("7\r\n") << "8";
        QTest::newRow("no nummer.dat") << QByteArray("<missing>") << "1";
        QTest::newRow("letters after the number") << QByteArray("12abc\r\n") << "13";
        QTest::newRow("letters only") << QByteArray("abc\r\n") << "1";
    }
    void newReceiptProposesTheNextNumber()
    {
        QFETCH(QByteArray, nummer);
        QFETCH(QString, proposed);
        if (nummer != "<missing>")
            put(m_tmp->path(), "nummer.dat", nummer);
        ScriptedPlatform platform(m_tmp->path());
        quitt w(platform);
        w.Text8->setText("99");
        w.Command2->click();
        QCOMPARE(w.Text8->text(), proposed);
    }

    void newReceiptAfterASave()
    {
        put(m_tmp->path(), "nummer.dat", "6\r\n");
        ScriptedPlatform platform(m_tmp->path());
        quitt w(platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QString place = w.Text10->text(), date = w.Text11->text(), title = w.Combo1->currentText(),
                      rate = w.Combo2->currentText();
        w.Text8->setText("7");
        w.Text6->setText("100");
        w.Text7->setText("50");
        w.Text9->setFocus(); // fills net, VAT and words
        w.Combo3->setEditText("Adler");
        w.Combo4->setEditText("Miete");
        w.Command1->click();
        QVERIFY(!w.Command1->isEnabled());
        QVERIFY(!w.Text2->text().isEmpty());
        w.text1->setText("Hilfe");

        w.Command2->click();
        QCOMPARE(w.Text8->text(), QString("8"));
        QVERIFY(w.Command1->isEnabled());
        for (QLineEdit *field : { w.Text2, w.Text3, w.Text4, w.Text5, w.Text6, w.Text7, w.Text9 })
            QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
        QTRY_COMPARE(QApplication::focusWidget(), w.Text8);
        // The lists were saved with the receipt, and are now loaded.
        QCOMPARE(w.Combo3->entries(), QStringList { "Adler" });
        QCOMPARE(w.Combo4->entries(), QStringList { "Miete" });
        QCOMPARE(w.Combo4->currentText(), QString());
        QCOMPARE(w.Text10->text(), place);
        QCOMPARE(w.Text11->text(), date);
        QCOMPARE(w.Combo1->currentText(), title);
        QCOMPARE(w.Combo2->currentText(), rate);
        QCOMPARE(w.text1->text(), QString("Hilfe"));
        // Only the one message of the save.
        QCOMPARE(platform.messageTexts(), QStringList { "Quittung wurde gespeichert!" });
    }

    void programEndClosesTheOtherWindows_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("ENDE button") << 0;
        QTest::newRow("menu entry") << 1;
        QTest::newRow("close box") << 2;
    }
    void programEndClosesTheOtherWindows()
    {
        QFETCH(int, way);
        put(m_tmp->path(), "von.dat", "Adler\r\n");
        ScriptedPlatform platform(m_tmp->path());
        quitt w(platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Command3->click();
        w.Command4->click();
        w.payerEditor()->Text1->setPlainText("ungespeichert");
        w.Image2_Click();
        QPointer<Form3> about = w.aboutWindow();
        QVERIFY(about && about->isVisible());
        const QStringList before = QDir(m_tmp->path()).entryList(QDir::Files);

        if (way == 0)
            w.Command6->click();
        else if (way == 1)
            w.proggiganzend->trigger();
        else
            w.close();

        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w.payerEditor());
        QVERIFY(!w.purposeEditor());
        QVERIFY(!about || !about->isVisible());
        QVERIFY(!w.isVisible());
        QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files), before);
        QCOMPARE(get(m_tmp->path(), "von.dat"), QByteArray("Adler\r\n"));
        QVERIFY(platform.messages.isEmpty());
    }

    void endAsksAboutAnUnsavedReceipt_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("receipt");
        QTest::addColumn<QString>("answer"); // empty: no question
        QTest::addColumn<bool>("ends");
        QTest::newRow("ENDE, Abbrechen") << "ENDE" << "typed" << "Abbrechen" << false;
        QTest::newRow("ENDE, Nicht speichern") << "ENDE" << "typed" << "&Nicht speichern" << true;
        QTest::newRow("ENDE, Speichern") << "ENDE" << "typed" << "&Speichern" << true;
        QTest::newRow("ENDE, Speichern refused") << "ENDE" << "number taken" << "&Speichern" << false;
        QTest::newRow("menu entry, Abbrechen") << "menu" << "typed" << "Abbrechen" << false;
        QTest::newRow("close box, Abbrechen") << "close box" << "typed" << "Abbrechen" << false;
        QTest::newRow("close box, Nicht speichern") << "close box" << "typed" << "&Nicht speichern" << true;
        QTest::newRow("saved receipt: no question") << "ENDE" << "saved" << "" << true;
        QTest::newRow("number without total: no question") << "ENDE" << "no total" << "" << true;
    }
    void endAsksAboutAnUnsavedReceipt()
    {
        QFETCH(QString, way);
        QFETCH(QString, receipt);
        QFETCH(QString, answer);
        QFETCH(bool, ends);
        if (receipt == "number taken")
            put(m_tmp->path(), "12.num", "alt\r\n");
        ScriptedPlatform platform(m_tmp->path());
        quitt w(platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Text8->setText("12");
        w.Text6->setText(receipt == "no total" ? "" : "40");
        if (receipt == "saved")
            w.Command1->click();
        platform.questionAnswers = { answer };
        if (way == "ENDE")
            w.Command6->click();
        else if (way == "menu")
            w.proggiganzend->trigger();
        else
            w.close();

        QCOMPARE(platform.questions.size(), answer.isEmpty() ? 0 : 1);
        if (!answer.isEmpty()) {
            QCOMPARE(platform.questions.first().text, QStringLiteral("Die Quittung Nr. 12 ist noch nicht gespeichert."));
            QCOMPARE(platform.questions.first().buttons,
                     (QStringList { "&Speichern", "&Nicht speichern", "Abbrechen" }));
            QCOMPARE(platform.questions.first().escapeButton, 2);
        }
        QCOMPARE(w.isVisible(), !ends);
        QCOMPARE(get(m_tmp->path(), "12.num").startsWith("12\r\n"), answer == "&Speichern" ? ends : receipt == "saved");
        QCOMPARE(w.Text6->text(), receipt == "no total" ? QString() : QStringLiteral("40"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"

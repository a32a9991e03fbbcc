#include "tests/testsupport.h"

#include "archive/form7.h"
#include "archive/journal.h"
#include "platform/scriptedplatform.h"

#include <QTest>

using testsupport::MainWindow;

// A saved receipt prints years later as it printed on the day it was written,
// whatever the settings say by then.
class TestKeptPage : public QObject
{
    Q_OBJECT

private:
    static QList<std::pair<QString, QByteArray>> settingsOfTheDay()
    {
        return { { "anwender.dat", "Laden Alt\r\n\r\nTel. 1\r\n\r\nAltweg 1\r\n11111 Altstadt\r\n" },
                 { "mwst.dat", "19\r\n" },
                 { "steuernr.dat", "11/111/11111\r\n" },
                 { "dm.dat", "EUR\r\n" },
                 { "pf.dat", "Cent\r\n" } };
    }
    // Prints the receipt shown to a PDF file and on paper; the texts the
    // printer got.
    static QList<PrintOperation> printBoth(ScriptedPlatform &platform, quitt &w, const QString &pdf)
    {
        platform.saveAnswers = { pdf };
        w.pdfspeichern->trigger();
        w.Command5_Click();
        return platform.pages.isEmpty() ? QList<PrintOperation>() : testsupport::textsOf(platform.pages.last());
    }

private slots:
    void reprintIsTheSamePage()
    {
        QList<PrintOperation> first;
        QTemporaryDir keep;
        const QString firstPdf = keep.filePath("erster.pdf"), againPdf = keep.filePath("nachdruck.pdf");
        auto f = std::make_unique<MainWindow>();
        for (const auto &[name, bytes] : settingsOfTheDay())
            testsupport::put(f->folder(), name, bytes);
        f->open();
        {
            quitt &w = f->window();
            w.Text8->setText("1");
            w.Text6->setText("12");
            w.Text7->setText("50");
            w.Combo2->setEditText("7");
            w.Combo3->setEditText("Anna Berg");
            w.Combo4->setEditText("Bücher");
            w.Text11->setText("08.12.2026");
            w.Command1_Click();
            QCOMPARE(f->platform().messageTexts().last(), QStringLiteral("Quittung wurde gespeichert!"));
            first = printBoth(f->platform(), w, firstPdf);
            QVERIFY(!first.isEmpty());
        }
        // Another year: another rate, address, tax number, taxation, currency
        // and title word.
        QTemporaryDir later;
        for (const QString &name : QDir(f->folder()).entryList(QDir::Files))
            QVERIFY(QFile::copy(f->folder() + '/' + name, later.filePath(name)));
        f.reset();
        for (const auto &[name, bytes] : QList<std::pair<QString, QByteArray>> {
                 { "anwender.dat", "Laden Neu\r\n\r\nTel. 2\r\n\r\nNeuweg 2\r\n22222 Neustadt\r\n" },
                 { "mwst.dat", "19\r\n" },
                 { "steuernr.dat", "22/222/22222\r\n" },
                 { "ustart.dat", "1\r\n" },
                 { "dm.dat", "DM\r\n" },
                 { "pf.dat", "Pf\r\n" },
                 { "quitname.dat", "Rechnung\r\n" } })
            testsupport::put(later.path(), name, bytes);
        ScriptedPlatform platform(later.path());
        quitt w(platform);
        w.show();
        QVERIFY(!w.Combo2->isEnabled()); // today a small business

        w.suchequitt->trigger();
        Form7 *search = w.archive().searchWindow();
        QVERIFY(search);
        QTest::keyClicks(search->Text1, "Anna Berg");
        QTest::keyClick(search->Text1, Qt::Key_Return);
        QCOMPARE(search->results().size(), 1);
        testsupport::doubleClickRow(search, 0);
        QCOMPARE(w.Combo2->currentText(), QStringLiteral("7"));
        QVERIFY(w.Combo2->isEnabled());
        QCOMPARE(w.Label8->text(), QStringLiteral("EUR"));

        const QList<PrintOperation> again = printBoth(platform, w, againPdf);
        QCOMPARE(again.size(), first.size());
        for (qsizetype i = 0; i < first.size(); ++i) {
            QCOMPARE(again[i].text, first[i].text);
            QCOMPARE(again[i].x, first[i].x);
            QCOMPARE(again[i].y, first[i].y);
        }
        // And so do the PDF files, word by word.
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            const QList<testsupport::PdfWord> a = testsupport::pdfWords(firstPdf), b = testsupport::pdfWords(againPdf);
            QVERIFY(!a.isEmpty());
            QCOMPARE(a.size(), b.size());
            for (qsizetype i = 0; i < a.size(); ++i) {
                QCOMPARE(b[i].text, a[i].text);
                QCOMPARE(b[i].box, a[i].box);
            }
        }

        // The next new receipt has today's page again.
        w.Command2_Click();
        QCOMPARE(w.Combo2->currentText(), QStringLiteral("0"));
        QVERIFY(!w.Combo2->isEnabled());
        QCOMPARE(w.Label8->text(), QStringLiteral("DM"));
    }

    // A title word typed letter by letter is one change in the journal.
    void typedTitleIsOneJournalEntry()
    {
        MainWindow f;
        f.open();
        quitt &w = f.window();
        QTest::mouseClick(w.Combo1->lineEdit(), Qt::LeftButton);
        QTest::keyClick(w.Combo1->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.Combo1->lineEdit(), "Rechnung");
        QTest::mouseClick(w.Text6, Qt::LeftButton);
        QTRY_VERIFY(w.Text6->hasFocus());
        QList<QStringList> titles;
        for (const journal::Entry &e : journal::read(f.platform().files()).entries) {
            if (e.action == journal::action::setting)
                titles.append({ e.number, e.oldText, e.newText });
        }
        QCOMPARE(titles, (QList<QStringList> { { "quitname.dat", "Quittung\r\n", "Rechnung\r\n" } }));
    }

    // A date the calendar does not have goes neither into a file nor onto paper.
    void impossibleDateRefused_data()
    {
        QTest::addColumn<bool>("print");
        QTest::newRow("save") << false;
        QTest::newRow("PDF") << true;
    }
    void impossibleDateRefused()
    {
        QFETCH(bool, print);
        MainWindow f;
        f.open();
        quitt &w = f.window();
        w.Text8->setText("3");
        w.Text6->setText("10");
        w.Text11->setText("31.11.2026");
        f.platform().saveAnswers = { f.folder() + "/q.pdf" };
        if (print)
            w.pdfspeichern->trigger();
        else
            w.Command1_Click();
        QCOMPARE(f.platform().messages.size(), 1);
        QVERIFY2(f.platform().messages[0].text.contains("„31.11.2026“"), qPrintable(f.platform().messages[0].text));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.Text11));
        QCOMPARE(testsupport::filesIn(f.folder()), QStringList { "erst.dat" });
        QVERIFY(f.platform().pdfFiles.isEmpty());
    }
};

QTEST_MAIN(TestKeptPage)
#include "tst_keptpage.moc"

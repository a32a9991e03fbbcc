#include "archive/datevsettingswindow.h"
#include "archive/evaluationwindow.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QDateTime>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

using testsupport::datevLines;
using testsupport::put;
using testsupport::unquoted;

class TestDatevWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<quitt> m_main;

    void putReceipt(const QString &number, const QString &net, const QString &vat, const QString &total,
                    QDate savedOn)
    {
        const QString name = number + ".num";
        put(m_tmp.path(), name, testsupport::receiptWithAmounts(number, net, vat, total, "Anna Schulz", "Miete"));
        QFile f(m_tmp.filePath(name));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime(savedOn, QTime(12, 0)), QFileDevice::FileModificationTime));
    }

    // The evaluation window with every receipt evaluated.
    ReceiptEvaluationWindow *evaluated()
    {
        m_main->auswertung->trigger();
        ReceiptEvaluationWindow *w = m_main->archive().evaluationWindow();
        if (!w || !QTest::qWaitForWindowActive(w))
            return nullptr;
        w->evaluateButton->click();
        return w;
    }

    static DatevSettingsWindow *settingsWindow()
    {
        auto *w = dynamic_cast<DatevSettingsWindow *>(QApplication::activeModalWidget());
        return w && QTest::qWaitForWindowActive(w) ? w : nullptr;
    }

    // The receipt numbers booked in a file, in its order.
    QStringList bookedIn(const QString &name)
    {
        QStringList numbers;
        for (const QStringList &fields : datevLines(testsupport::get(m_tmp.path(), name)).mid(2))
            numbers.append(unquoted(fields.value(10)));
        return numbers;
    }

private slots:
    void init()
    {
        QVERIFY(m_tmp.isValid());
        testsupport::removeFiles(m_tmp.path());
        put(m_tmp.path(), "erst.dat", "");
        put(m_tmp.path(), "dm.dat", "EUR\r\n");
        putReceipt("2", "840,34", "159,66", "1000,00", QDate(2026, 3, 10));
        putReceipt("3", "", "", "9,50", QDate(2026, 3, 9));
        putReceipt("4", "", "", "zehn", QDate(2026, 3, 8));
        putReceipt("5", "50,00", "50,00", "100,00", QDate(2026, 3, 7));
        m_platform = std::make_unique<ScriptedPlatform>(m_tmp.path());
        m_main = std::make_unique<quitt>(*m_platform);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }
    void cleanup()
    {
        m_main.reset();
        m_platform.reset();
    }

    // The first export asks for the numbers, typed as a user does, Enter
    // confirming; then the rows go out in the table's order and the
    // receipts not booked are named.
    void firstExportAsksForTheSettings()
    {
        ReceiptEvaluationWindow *w = evaluated();
        QVERIFY(w);
        QHeaderView *header = w->receiptTable->horizontalHeader();
        const int total = evaluationcolumn::Total;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(total) + 5, header->height() / 2));
        QTest::mouseClick(w->saveDatevButton, Qt::LeftButton);

        DatevSettingsWindow *s = settingsWindow();
        QVERIFY(s);
        QCOMPARE(s->windowTitle(), QStringLiteral("DATEV-Einstellungen"));
        QTRY_COMPARE(QApplication::focusWidget(), s->consultantBox);
        QTest::keyClicks(s->consultantBox, "29098");
        QTest::keyClick(s->consultantBox, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), s->clientBox);
        QTest::keyClicks(s->clientBox, "55003");
        QTest::keyClick(s->clientBox, Qt::Key_Return);

        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(testsupport::get(m_tmp.path(), "datevber.dat"), QByteArray("29098\r\n"));
        QCOMPARE(m_platform->saveRequests.size(), 1);
        const QString name = "EXTF_Buchungsstapel_20260309_20260310.csv";
        QCOMPARE(m_platform->saveRequests.first().suggestedPath, m_tmp.filePath(name));
        QCOMPARE(bookedIn(name), (QStringList { "3", "2" }));
        QCOMPARE(datevLines(testsupport::get(m_tmp.path(), name)).at(0).value(10), QStringLiteral("29098"));
        QCOMPARE(m_platform->messageTexts(),
                 QStringList { QString::fromUtf8("2 Quittungen wurden nicht gebucht:\nMWSt-Satz \"?\" (kein Satz "
                                                 "passt genau): Nr. 5\nBeträge nicht lesbar: Nr. 4") });

        // Once stored, the settings are not asked for again.
        QTest::mouseClick(w->saveDatevButton, Qt::LeftButton);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(m_platform->saveRequests.size(), 2);
    }

    // A value the advisor's program refuses keeps the window open; Escape
    // closes it and stores nothing.
    void refusedValuesAndEscape()
    {
        ReceiptEvaluationWindow *w = evaluated();
        QVERIFY(w);
        QTest::mouseClick(w->datevSettingsButton, Qt::LeftButton);
        DatevSettingsWindow *s = settingsWindow();
        QVERIFY(s);
        QCOMPARE(s->revenueBoxes[0]->text(), QStringLiteral("8400"));
        QTest::keyClick(s->chartBox, Qt::Key_Down);
        QCOMPARE(s->revenueBoxes[0]->text(), QStringLiteral("4400"));
        QCOMPARE(s->cashAccountBox->text(), QStringLiteral("1600"));
        QTest::keyClicks(s->consultantBox, "1000");
        QTest::keyClicks(s->clientBox, "1");
        QTest::keyClick(s->consultantBox, Qt::Key_Return);
        QCOMPARE(m_platform->messageTexts(),
                 QStringList { "Die Beraternummer muss zwischen 1001 und 9999999 liegen." });
        QCOMPARE(QApplication::activeModalWidget(), s);
        QTest::keyClick(s->consultantBox, Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(!testsupport::filesIn(m_tmp.path()).join(' ').contains("datev"));
        QVERIFY(m_platform->saveRequests.isEmpty());
    }

    void otherCurrencyWritesNothing()
    {
        QFile::remove(m_tmp.filePath("dm.dat"));
        ReceiptEvaluationWindow *w = evaluated();
        QVERIFY(w);
        QTest::mouseClick(w->saveDatevButton, Qt::LeftButton);
        QCOMPARE(m_platform->messageTexts(),
                 QStringList { QString::fromUtf8("Die Währung der Quittungen ist \"DM\". Eine DATEV-Datei nimmt nur "
                                                 "Beträge in Euro auf; es wurde nichts gespeichert.") });
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(m_platform->saveRequests.isEmpty());
    }

    // Two fiscal years make two files beside the chosen one; one that is
    // there already is not replaced, and the user is told.
    void oneFilePerFiscalYear()
    {
        DatevSettings settings = DatevSettings::defaults(DatevSettings::Chart::Skr03);
        settings.consultant = 29098;
        settings.client = 55003;
        QVERIFY(WriteDatevSettings(m_platform->files(), settings));
        putReceipt("6", "", "", "7,00", QDate(2025, 12, 31));
        put(m_tmp.path(), "EXTF_Buchungsstapel_20251231_20251231.csv", "alt");
        ReceiptEvaluationWindow *w = evaluated();
        QVERIFY(w);
        QTest::mouseClick(w->saveDatevButton, Qt::LeftButton);
        QCOMPARE(m_platform->saveRequests.size(), 1);
        QCOMPARE(m_platform->saveRequests.first().suggestedPath,
                 m_tmp.filePath("EXTF_Buchungsstapel_20251231_20260310.csv"));
        QCOMPARE(testsupport::get(m_tmp.path(), "EXTF_Buchungsstapel_20251231_20251231.csv"), QByteArray("alt"));
        QCOMPARE(bookedIn("EXTF_Buchungsstapel_20260309_20260310.csv"), (QStringList { "2", "3" }));
        QCOMPARE(testsupport::get(m_tmp.path(), "EXTF_Buchungsstapel_20251231_20260310.csv"), QByteArray("<missing>"));
        QCOMPARE(m_platform->messages.size(), 2);
        const QString told = m_platform->messages.first().text;
        QVERIFY2(told.startsWith("Die Quittungen liegen in 2 Wirtschaftsjahren.") && told.contains("nicht ersetzt")
                     && told.contains("EXTF_Buchungsstapel_20260309_20260310.csv (2 Buchungen)"),
                 qPrintable(told));
    }
};

QTEST_MAIN(TestDatevWindow)
#include "tst_datev_window.moc"

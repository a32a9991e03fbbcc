#include "archive/evaluationwindow.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"
#include "text/codepage.h"

#include <QAction>
#include <QDateTime>
#include <QHeaderView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

using testsupport::put;

namespace {

QByteArray receipt(const QString &number, const QString &lines, const QString &payer)
{
    return testsupport::receiptFile({ number, lines, "--Worte--", payer, "Zweck" });
}

QStringList column(const QTableView *table, int c)
{
    QStringList out;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        out.append(table->model()->index(row, c).data().toString());
    return out;
}

QStringList rowTexts(const QTableWidget *table, int row)
{
    QStringList out;
    for (int c = 0; c < table->columnCount(); ++c)
        out.append(table->item(row, c)->text());
    return out;
}

void clickHeading(QTableView *table, int c)
{
    QHeaderView *header = table->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(c) + header->sectionSize(c) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void doubleClickRow(QTableView *table, int row, Qt::MouseButton button)
{
    const QPoint at = table->visualRect(table->model()->index(row, 2)).center();
    QTest::mouseClick(table->viewport(), button, {}, at);
    QTest::mouseDClick(table->viewport(), button, {}, at);
}

} // namespace

class TestEvaluationWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<quitt> m_main;

    ReceiptEvaluationWindow *open()
    {
        m_main->auswertung->trigger();
        ReceiptEvaluationWindow *w = m_main->archive().evaluationWindow();
        if (w && !QTest::qWaitForWindowActive(w))
            return nullptr;
        return w;
    }

private slots:
    void init()
    {
        QVERIFY(m_tmp.isValid());
        testsupport::removeFiles(m_tmp.path());
        const QString d = m_tmp.path();
        put(d, "erst.dat", "");
        // Totals whose order as text differs from their order as numbers.
        put(d, "2.num", receipt("2", "86\r\n21\r\n13\r\n79\r\n100\r\n00", QString::fromUtf8("Jörg Müller")));
        put(d, "10.num", receipt("10", "\r\n\r\n\r\n\r\n9\r\n50", "=1+1"));
        put(d, "3.num", receipt("3", "840\r\n34\r\n159\r\n66\r\n1000\r\n00", "Anna Schulz; Bonn"));
        put(d, "4.num", receipt("4", "\r\n\r\n\r\n\r\nzehn\r\n00", QString::fromUtf8("Ärztin Mertens")));
        const QDateTime noon(QDate(2026, 3, 10), QTime(12, 0));
        int day = 0;
        for (const char *name : { "2.num", "10.num", "3.num", "4.num" }) {
            QFile f(m_tmp.filePath(name));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(noon.addDays(-day++), QFileDevice::FileModificationTime));
        }
        m_platform = std::make_unique<ScriptedPlatform>(d);
        m_main = std::make_unique<quitt>(*m_platform);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }
    void cleanup()
    {
        m_main.reset();
        m_platform.reset();
    }

    // The notes are whole at the window's smallest size, and the one on
    // loading lies clear of the sums and the buttons.
    void theNoteIsNotCutOff()
    {
        ReceiptEvaluationWindow *w = open();
        QVERIFY(w);
        w->resize(w->minimumSize());
        QTRY_COMPARE(w->size(), w->minimumSize());
        for (QLabel *note : { w->loadNoteLabel, w->dateNoteLabel }) {
            const QRect room = note->contentsRect();
            const QRect needed = note->fontMetrics().boundingRect(QRect(0, 0, room.width(), 100000),
                                                                  note->wordWrap() ? Qt::TextWordWrap : 0, note->text());
            QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                     qPrintable(QStringLiteral("%1: %2x%3 in %4x%5").arg(note->objectName()).arg(needed.width())
                                    .arg(needed.height()).arg(room.width()).arg(room.height())));
        }
        const QRect note = w->loadNoteLabel->geometry();
        for (QWidget *other : std::initializer_list<QWidget *> { w->sumsTable, w->saveCsvButton, w->saveDatevButton,
                                                                 w->datevSettingsButton, w->closeButton })
            QVERIFY2(!note.intersects(other->geometry()), qPrintable(other->objectName()));
    }

    void menuOpensTheWindowAndEnterEvaluates()
    {
        const QList<QAction *> entries = m_main->bearbeiten->actions();
        QCOMPARE(entries.size(), 7);
        QCOMPARE(entries.at(1), m_main->loeschen);
        QVERIFY(entries.at(5)->isSeparator());
        QCOMPARE(entries.at(6)->text(), QStringLiteral("&Auswertung und Export..."));
        QCOMPARE(entries.at(6), m_main->auswertung);

        ReceiptEvaluationWindow *w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Auswertung der ausgestellten Quittungen"));
        QTRY_COMPARE(QApplication::focusWidget(), w->searchTermBox);
        QVERIFY(m_main->isVisible());
        QVERIFY(!w->saveCsvButton->isEnabled());

        testsupport::type(w->searchTermBox, QString::fromUtf8("MÜL"));
        QTest::keyClick(w->searchTermBox, Qt::Key_Return);
        QCOMPARE(w->searchTermBox->text(), QString::fromUtf8("MÜL"));
        QCOMPARE(column(w->receiptTable, evaluationcolumn::Number), QStringList { "2" });

        // Empty: every receipt, by number; the period through the date boxes.
        w->searchTermBox->clear();
        QTest::keyClick(w->searchTermBox, Qt::Key_Return);
        QCOMPARE(column(w->receiptTable, evaluationcolumn::Number), (QStringList { "2", "3", "4", "10" }));
        QCOMPARE(column(w->receiptTable, evaluationcolumn::Date),
                 (QStringList { "10.03.2026", "08.03.2026", "07.03.2026", "09.03.2026" }));
        QTest::keyClicks(w->fromDateBox, "8.3.26");
        QTest::keyClicks(w->toDateBox, "09.03.2026");
        QTest::keyClick(w->toDateBox, Qt::Key_Enter);
        QCOMPARE(column(w->receiptTable, evaluationcolumn::Number), (QStringList { "3", "10" }));
        QVERIFY(m_platform->messages.isEmpty());

        w->toDateBox->setText("31.02.2026");
        w->evaluateButton->click();
        QCOMPARE(m_platform->messageTexts(),
                 QStringList { "\"31.02.2026\" ist kein Datum. Bitte geben Sie es in der Form TT.MM.JJJJ ein, zum "
                               "Beispiel 31.12.2026." });
        QCOMPARE(column(w->receiptTable, evaluationcolumn::Number), (QStringList { "3", "10" }));
    }

    void headingsSortByValueAndSumsStand()
    {
        ReceiptEvaluationWindow *w = open();
        QVERIFY(w);
        w->evaluateButton->click();
        QTableView *table = w->receiptTable;
        clickHeading(table, evaluationcolumn::Total);
        QCOMPARE(column(table, evaluationcolumn::Total), (QStringList { "9,50", "100,00", "1.000,00", "zehn,00" }));
        clickHeading(table, evaluationcolumn::Total);
        QCOMPARE(column(table, evaluationcolumn::Number), (QStringList { "4", "3", "2", "10" }));
        clickHeading(table, evaluationcolumn::Date);
        QCOMPARE(column(table, evaluationcolumn::Number), (QStringList { "4", "3", "10", "2" }));
        clickHeading(table, evaluationcolumn::Payer);
        QCOMPARE(column(table, evaluationcolumn::Payer),
                 (QStringList { "=1+1", "Anna Schulz; Bonn", QString::fromUtf8("Ärztin Mertens"),
                                QString::fromUtf8("Jörg Müller") }));
        QCOMPARE(column(table, evaluationcolumn::Rate), (QStringList { "0", "19", "?", "16" }));
        // The unreadable receipt is marked.
        QVERIFY(table->model()->index(2, 0).data(Qt::BackgroundRole).isValid());
        QVERIFY(!table->model()->index(1, 0).data(Qt::BackgroundRole).isValid());

        QTableWidget *sums = w->sumsTable;
        QCOMPARE(sums->rowCount(), 5);
        QCOMPARE(rowTexts(sums, 0), (QStringList { "0 %", "1", "9,50", "0,00", "9,50" }));
        QCOMPARE(rowTexts(sums, 1), (QStringList { "16 %", "1", "86,21", "13,79", "100,00" }));
        QCOMPARE(rowTexts(sums, 2), (QStringList { "19 %", "1", "840,34", "159,66", "1.000,00" }));
        QCOMPARE(rowTexts(sums, 3), (QStringList { "Summe", "3", "936,05", "173,45", "1.109,50" }));
        QCOMPARE(rowTexts(sums, 4).mid(0, 2), (QStringList { "Beträge nicht lesbar (in keiner Summe)", "1" }));
    }

    void primaryDoubleClickLoads()
    {
        ReceiptEvaluationWindow *w = open();
        QVERIFY(w);
        w->evaluateButton->click();
        QVERIFY(m_main->Command1->isEnabled());
        doubleClickRow(w->receiptTable, 0, Qt::RightButton);
        QVERIFY(m_platform->messages.isEmpty());
        QCOMPARE(m_main->Text8->text(), QStringLiteral("1"));

        doubleClickRow(w->receiptTable, 0, Qt::LeftButton);
        QCOMPARE(m_platform->messageTexts(), QStringList { "Bitte Datum beachten!" });
        QCOMPARE(m_main->Text8->text(), QStringLiteral("2"));
        QCOMPARE(m_main->Text6->text(), QStringLiteral("100"));
        QCOMPARE(m_main->Combo3->currentText(), QString::fromUtf8("Jörg Müller"));
        QVERIFY(!m_main->Command1->isEnabled());
        // The window makes way for the main window; the menu brings back the
        // evaluation as it was.
        QVERIFY(!w->isVisible());
        QCOMPARE(open(), w);
        QCOMPARE(column(w->receiptTable, evaluationcolumn::Number), (QStringList { "2", "3", "4", "10" }));
    }

    void savesTheTableAsShown()
    {
        ReceiptEvaluationWindow *w = open();
        QVERIFY(w);
        w->evaluateButton->click();
        clickHeading(w->receiptTable, evaluationcolumn::Total);
        const QString target = QDir(m_tmp.path()).filePath("aus/wertung.csv");
        m_platform->saveAnswers = { target, std::nullopt };
        w->saveCsvButton->click();
        QCOMPARE(m_platform->saveRequests.size(), 1);
        QCOMPARE(m_platform->saveRequests.first().title, QStringLiteral("Auswertung als CSV-Datei speichern"));
        QCOMPARE(m_platform->saveRequests.first().suggestedPath, m_tmp.filePath("Auswertung.csv"));
        QCOMPARE(m_platform->saveRequests.first().filter, QStringLiteral("CSV-Dateien (*.csv)"));
        QCOMPARE(m_platform->messages.size(), 1);
        QVERIFY(m_platform->messages.first().text.startsWith("Die Datei \"" + target + "\" konnte nicht gespeichert"));

        // Cancelled: nothing written, nothing said.
        w->saveCsvButton->click();
        QCOMPARE(m_platform->messages.size(), 1);
        QCOMPARE(testsupport::get(m_tmp.path(), "Auswertung.csv"), QByteArray("<missing>"));

        w->saveCsvButton->click();
        const QList<QByteArray> lines = testsupport::get(m_tmp.path(), "Auswertung.csv").split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(1), QByteArray("10;09.03.2026;'=1+1;Zweck;\"9,50\";0;\"0,00\";\"9,50\"\r"));
        QCOMPARE(lines.at(3),
                 QByteArray("3;08.03.2026;\"Anna Schulz; Bonn\";Zweck;\"840,34\";19;\"159,66\";\"1000,00\"\r"));
        QCOMPARE(lines.at(4), QString::fromUtf8("4;07.03.2026;Ärztin Mertens;Zweck;;?;;\"zehn,00\"\r").toUtf8());
    }
};

QTEST_MAIN(TestEvaluationWindow)
#include "tst_evaluation_window.moc"

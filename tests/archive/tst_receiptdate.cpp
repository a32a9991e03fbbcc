// A receipt keeps its own date and place: loaded back into the window,
// found by the search, and the date the evaluation and its CSV file show,
// also after the file was copied without its modification time.
#include "../testsupport.h"

#include "archive/archivecontroller.h"
#include "archive/evaluation.h"
#include "archive/form7.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::receiptFile;

namespace {

const QStringList tenLines = { "5", "84", "03", "15", "97", "100", "00", "Einhundert -----", "Adler", "Miete" };

// Writes the receipt file and gives it a modification time of another day,
// as a copy without "-p" does.
void putCopied(const QString &folder, const QString &name, const QByteArray &bytes, QDate copiedOn)
{
    QFile f(folder + '/' + name);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush());
    QVERIFY(f.setFileTime(QDateTime(copiedOn, QTime(12, 0)), QFileDevice::FileModificationTime));
}

} // namespace

class TestReceiptDate : public QObject
{
    Q_OBJECT

private slots:
    void datedByTheReceipt_data();
    void datedByTheReceipt();
    void loadedWithItsDate_data();
    void loadedWithItsDate();
};

void TestReceiptDate::datedByTheReceipt_data()
{
    QTest::addColumn<QStringList>("extraLines");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("datedByFile");
    const QDate copied(2027, 1, 15);
    QTest::newRow("ten lines: the file's day") << QStringList() << copied << true;
    QTest::newRow("dd.mm.yyyy") << QStringList { "08.12.2026", "Bonn" } << QDate(2026, 12, 8) << false;
    QTest::newRow("d.m.yyyy") << QStringList { "8.2.2026", "" } << QDate(2026, 2, 8) << false;
    QTest::newRow("d.m.yy") << QStringList { "8.2.26", "Bonn" } << QDate(2026, 2, 8) << false;
    QTest::newRow("words: the file's day") << QStringList { "8. Dezember 2026", "Bonn" } << copied << true;
    QTest::newRow("no such day: the file's day") << QStringList { "31.02.2026", "Bonn" } << copied << true;
}

void TestReceiptDate::datedByTheReceipt()
{
    QFETCH(QStringList, extraLines);
    QFETCH(QDate, date);
    QFETCH(bool, datedByFile);
    QTemporaryDir tmp;
    putCopied(tmp.path(), "5.num", receiptFile(tenLines + extraLines), QDate(2027, 1, 15));
    WorkDir dir(tmp.path());

    EvaluationFilter filter;
    filter.from = filter.to = date;
    const std::vector<EvaluationRow> rows = EvaluateReceipts(dir, receiptFileList(dir), filter);
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows.front().date, date);
    QCOMPARE(rows.front().datedByFile, datedByFile);
    // The CSV file carries the date the table shows.
    const QString csv = QString::fromUtf8(evaluationCsv(rows, { 0 }));
    QVERIFY2(csv.contains(QStringLiteral("\r\n5;") + date.toString("dd.MM.yyyy") + ';'), qPrintable(csv));

    // A day outside the period leaves the receipt out.
    filter.from = filter.to = date.addDays(1);
    QVERIFY(EvaluateReceipts(dir, receiptFileList(dir), filter).empty());

    // The search finds a receipt by the date written on it.
    if (!datedByFile)
        QCOMPARE(SearchReceipts(dir, receiptFileList(dir), extraLines.first()).size(), 1);
}

void TestReceiptDate::loadedWithItsDate_data()
{
    QTest::addColumn<QStringList>("extraLines");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("place");
    QTest::addColumn<bool>("mindTheDate");
    QTest::newRow("twelve lines") << QStringList { "08.12.2026", "53111 Bonn" } << "08.12.2026" << "53111 Bonn"
                                  << false;
    QTest::newRow("short year") << QStringList { "8.12.26", "" } << "8.12.26" << "" << false;
    QTest::newRow("ten lines: today's date stays") << QStringList() << "07.12.2026" << "Köln" << true;
}

void TestReceiptDate::loadedWithItsDate()
{
    QFETCH(QStringList, extraLines);
    QFETCH(QString, date);
    QFETCH(QString, place);
    QFETCH(bool, mindTheDate);
    QTemporaryDir tmp;
    putCopied(tmp.path(), "5.num", receiptFile(tenLines + extraLines), QDate(2027, 1, 15));
    ScriptedPlatform platform(tmp.path());
    QVERIFY(platform.files().write("erst.dat", QByteArray()));
    quitt w(platform);
    w.show();
    w.Text10->setText("Köln");

    w.suchequitt->trigger();
    Form7 *search = w.archive().searchWindow();
    QVERIFY(search);
    QTest::keyClicks(search->Text1, "Adler");
    QTest::keyClick(search->Text1, Qt::Key_Return);
    QCOMPARE(search->results().size(), 1);
    platform.messages.clear();
    testsupport::doubleClickRow(search, 0);

    QCOMPARE(w.Text11->text(), date);
    QCOMPARE(w.Text10->text(), place);
    QCOMPARE(platform.messageTexts().contains("Bitte Datum beachten!"), mindTheDate);

    // Saved again under another number, it keeps the date it was loaded with.
    w.Text8->setText("6");
    w.Command1->setEnabled(true);
    w.Command1_Click();
    const QStringList saved = codepage::decode(testsupport::get(tmp.path(), "6.num")).split("\r\n");
    QCOMPARE(saved.value(10), date);
    QCOMPARE(saved.value(11), place);
}

QTEST_MAIN(TestReceiptDate)
#include "tst_receiptdate.moc"

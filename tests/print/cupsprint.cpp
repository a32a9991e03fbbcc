// Prints through the real print system: run by cups_print.sh, which starts a
// print server of its own with a PDF printer as the default and a second one,
// and tells this program the queues' names and where their pages arrive.

#include "editor/quitt.h"
#include "platform/qtplatform.h"
#include "platform/qtprintsurface.h"
#include "platform/scriptedplatform.h"
#include "print/printerchoice.h"
#include "print/receiptlayout.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

namespace {

// Dialogs from a script, the printers real.
class RealPrinterPlatform : public ScriptedPlatform
{
public:
    using ScriptedPlatform::ScriptedPlatform;
    QStringList printerNames() override { return QtPlatform(files().path()).printerNames(); }
    std::unique_ptr<PrintSurface> beginPrint(const QString &printer, QString *error) override
    {
        return openQtPrintSurface(printer, error);
    }
};

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAll());
}

// The ink in each row of the page, rendered at 72 dpi: one row a point. Grey
// levels are summed, not counted past a threshold, so that a thin line gives
// the same ink wherever it falls between two rows.
// The printer's PDF holds its text as drawings, so the page is compared as a
// picture rather than read as text.
QList<int> inkPerRow(const QString &page)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("seite"));
    run(QStringLiteral("pdftoppm"), { QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("72"),
                                      QStringLiteral("-gray"), QStringLiteral("-singlefile"), page, base });
    const QImage image(base + QStringLiteral(".pgm"));
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        int dark = 0;
        for (int x = 0; x < image.width(); ++x)
            dark += 255 - qGray(image.pixel(x, y));
        rows.append(dark);
    }
    return rows;
}

int sum(const QList<int> &rows, int from, int to)
{
    return std::accumulate(rows.begin() + from, rows.begin() + to, 0);
}

// The second copy lies 7900 twips, 395 points, below the first.
constexpr int copyOffsetPoints = 395;

} // namespace

class CupsPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void oneReceipt();
    void twoReceipts();
    void savedAsPdf();
    void secondPrinterChosen();
    void chosenPrinterGone();
    void refusedJob();
    void printerGone();

private:
    // The next page to arrive in an output folder (the default printer's when
    // none is named), or an empty name.
    QString awaitPage(const QDir &out = QDir(), int waitMs = 90000);
    QStringList pagesArrived(const QDir &out) const;
    void fill(quitt &w);

    QString m_queue, m_queue2;
    QDir m_out, m_out2;
    QHash<QString, QStringList> m_seen;
    QTemporaryDir m_work;
};

void CupsPrint::initTestCase()
{
    m_queue = qEnvironmentVariable("ZETTELFIX_CUPS_QUEUE");
    m_out.setPath(qEnvironmentVariable("ZETTELFIX_CUPS_OUT"));
    m_queue2 = qEnvironmentVariable("ZETTELFIX_CUPS_QUEUE2");
    m_out2.setPath(qEnvironmentVariable("ZETTELFIX_CUPS_OUT2"));
    if (m_queue.isEmpty() || !m_out.exists() || m_queue2.isEmpty() || !m_out2.exists())
        QSKIP("runs only from cups_print.sh");
    QVERIFY(m_work.isValid());
    QFile erst(m_work.filePath(QStringLiteral("erst.dat")));
    QVERIFY(erst.open(QIODevice::WriteOnly));
    QFile user(m_work.filePath(QStringLiteral("anwender.dat")));
    QVERIFY(user.open(QIODevice::WriteOnly));
    user.write("Druckerei Beispiel\r\nInh. Erika Muster\r\nTel. 0123/45678\r\n\r\nHauptstra\xdf" "e 7\r\n12345 Musterstadt\r\n");
}

void CupsPrint::init()
{
    for (const QDir &out : { m_out, m_out2 })
        m_seen[out.path()] = pagesArrived(out);
    QFile::remove(m_work.filePath(QStringLiteral("drucker.dat")));
}

QStringList CupsPrint::pagesArrived(const QDir &out) const
{
    return out.entryList({ QStringLiteral("*.pdf") }, QDir::Files, QDir::Name);
}

QString CupsPrint::awaitPage(const QDir &outDir, int waitMs)
{
    const QDir out = outDir == QDir() ? m_out : outDir;
    QStringList &seen = m_seen[out.path()];
    QString page;
    const auto arrived = [&] {
        for (const QString &name : pagesArrived(out)) {
            if (!seen.contains(name)) {
                page = out.filePath(name);
                return true;
            }
        }
        return false;
    };
    QDeadlineTimer deadline(waitMs);
    while (!arrived() && !deadline.hasExpired())
        QTest::qWait(200);
    // The printer writes the file, then closes it: wait until it is whole.
    if (!page.isEmpty()) {
        qint64 size = -1;
        while (!deadline.hasExpired() && QFileInfo(page).size() != size) {
            size = QFileInfo(page).size();
            QTest::qWait(500);
        }
        seen.append(QFileInfo(page).fileName());
        if (const QString keep = qEnvironmentVariable("ZETTELFIX_CUPS_KEEP"); !keep.isEmpty())
            QFile::copy(page, QDir(keep).filePath(QFileInfo(page).fileName()));
    }
    return page;
}

void CupsPrint::fill(quitt &w)
{
    w.Text8->setText(QStringLiteral("4711"));
    w.Text6->setText(QStringLiteral("1160"));
    w.Text7->setText(QStringLiteral("00"));
    w.Text2->setText(QStringLiteral("1000"));
    w.Text3->setText(QStringLiteral("00"));
    w.Text4->setText(QStringLiteral("160"));
    w.Text5->setText(QStringLiteral("00"));
    w.Text9->setText(QStringLiteral("---eintausendeinhundertsechzig---"));
    w.Combo3->setEditText(QStringLiteral("Max Mustermann"));
    w.Combo4->setEditText(QStringLiteral("Miete Dezember"));
    // As saved and loaded again: printed as it stands, without a question.
    w.showLoadedReceipt(w.currentRecord());
}

void CupsPrint::oneReceipt()
{
    RealPrinterPlatform platform(m_work.path());
    quitt w(platform);
    fill(w);
    w.Command5_Click();
    QCOMPARE(platform.messageTexts(), QStringList { "Drucker bereit?" });

    const QString page = awaitPage();
    QVERIFY2(!page.isEmpty(), "no page arrived from the printer");
    QVERIFY(run(QStringLiteral("pdfinfo"), { page }).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    const QList<int> ink = inkPerRow(page);
    QCOMPARE(ink.size(), 842); // A4
    // One copy at the top, about 6300 twips high, nothing below it.
    QVERIFY(sum(ink, 0, copyOffsetPoints) > 500000);
    QCOMPARE(sum(ink, copyOffsetPoints, ink.size()), 0);
}

void CupsPrint::twoReceipts()
{
    RealPrinterPlatform platform(m_work.path());
    quitt w(platform);
    fill(w);
    w.Command7_Click();
    QCOMPARE(platform.messageTexts(), QStringList { "Drucker bereit?" });

    const QString page = awaitPage();
    QVERIFY2(!page.isEmpty(), "no page arrived from the printer");
    QVERIFY(run(QStringLiteral("pdfinfo"), { page }).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    const QList<int> ink = inkPerRow(page);
    QCOMPARE(ink.size(), 842);
    // The lower half is the upper half moved down: the same copy twice.
    const int first = sum(ink, 0, copyOffsetPoints);
    QVERIFY(first > 500000);
    QVERIFY(sum(ink, copyOffsetPoints, ink.size()) > first * 9 / 10);
    // Rows are compared in bands of five, as a line may fall on the next row
    // of the picture in the other copy; the thin hatching still renders a
    // little differently there (about 8 % of the ink, against 25 % and more
    // one point off).
    int difference = 0;
    for (int y = 0; y + copyOffsetPoints + 5 <= ink.size(); y += 5)
        difference += std::abs(sum(ink, y, y + 5) - sum(ink, y + copyOffsetPoints, y + copyOffsetPoints + 5));
    QVERIFY2(difference < first / 7, qPrintable(QStringLiteral("%1 of %2").arg(difference).arg(first)));
}

void CupsPrint::savedAsPdf()
{
    RealPrinterPlatform platform(m_work.path());
    const QString pdf = m_work.filePath(QStringLiteral("4711.pdf"));
    platform.saveAnswers = { pdf };
    quitt w(platform);
    fill(w);
    w.pdfspeichern->trigger();
    QVERIFY(platform.messages.isEmpty());
    // Into the file the user named, the printer or no printer.
    QCOMPARE(QFileInfo(platform.saveRequests.value(0).suggestedPath).fileName(), QStringLiteral("Quittung 4711.pdf"));
    QStringList words;
    for (const testsupport::PdfWord &word : testsupport::pdfWords(pdf))
        words.append(word.text);
    for (const char *typed : { "4711", "1160", "Max", "Mustermann", "Miete", "Dezember", "---eintausendeinhundertsechzig---" })
        QVERIFY2(words.contains(QString::fromUtf8(typed)), typed);
    QVERIFY(awaitPage(m_out, 3000).isEmpty());
}

void CupsPrint::secondPrinterChosen()
{
    RealPrinterPlatform platform(m_work.path());
    quitt w(platform);
    fill(w);
    // Chosen in the window, as the user does.
    w.druckerwahl->trigger();
    PrinterChoiceWindow *choice = w.print().printerWindow();
    QVERIFY(choice);
    QStringList listed;
    for (int row = 0; row < choice->List1->count(); ++row)
        listed.append(choice->List1->item(row)->text());
    QCOMPARE(listed.value(0), QStringLiteral("Standarddrucker des Systems"));
    QVERIFY(listed.contains(m_queue));
    const auto second = choice->List1->findItems(m_queue2, Qt::MatchExactly);
    QCOMPARE(second.size(), 1);
    QTest::mouseClick(choice->List1->viewport(), Qt::LeftButton, {}, choice->List1->visualItemRect(second[0]).center());
    QTest::mouseClick(choice->Command2, Qt::LeftButton);
    QCOMPARE(testsupport::get(m_work.path(), QStringLiteral("drucker.dat")), m_queue2.toLatin1() + "\r\n");

    w.Command5_Click();
    QCOMPARE(platform.messageTexts(), QStringList { "Drucker bereit?" });
    const QString page = awaitPage(m_out2);
    QVERIFY2(!page.isEmpty(), "no page arrived at the second printer");
    QVERIFY(awaitPage(m_out, 3000).isEmpty());
}

void CupsPrint::chosenPrinterGone()
{
    testsupport::put(m_work.path(), QStringLiteral("drucker.dat"), "abgebaut\r\n");
    RealPrinterPlatform platform(m_work.path());
    quitt w(platform);
    fill(w);
    w.Command5_Click();
    QCOMPARE(platform.messages.size(), 2);
    QVERIFY2(platform.messages[1].text.startsWith(QStringLiteral("Den Drucker „abgebaut“ gibt es nicht mehr.")),
             qPrintable(platform.messages[1].text));
    QVERIFY(awaitPage(m_out, 3000).isEmpty());
    QVERIFY(awaitPage(m_out2, 100).isEmpty());
}

void CupsPrint::refusedJob()
{
    run(QStringLiteral("cupsreject"), { m_queue });
    RealPrinterPlatform platform(m_work.path());
    quitt w(platform);
    fill(w);
    w.Command5_Click();
    run(QStringLiteral("cupsaccept"), { m_queue });

    QCOMPARE(platform.messages.size(), 2);
    const QString message = platform.messages[1].text;
    QVERIFY2(message.startsWith(QStringLiteral("Der Drucker „%1“ hat die Quittung nicht angenommen").arg(m_queue)),
             qPrintable(message));
    // The program goes on: the next print gets through.
    w.Command5_Click();
    QCOMPARE(platform.messages.size(), 3);
    QVERIFY2(!awaitPage().isEmpty(), "no page arrived after the printer took jobs again");
}

void CupsPrint::printerGone()
{
    QString error;
    auto surface = openQtPrintSurface(QString(), &error);
    QVERIFY2(surface, qPrintable(error));
    for (const PrintOperation &op : ReceiptLayout(PrintSnapshot(), std::nullopt, std::nullopt, 0))
        surface->execute(op);
    run(QStringLiteral("lpadmin"), { QStringLiteral("-x"), m_queue });
    QVERIFY(!surface->endDocument(&error));
    QVERIFY2(error.startsWith(QStringLiteral("Der Drucker „%1“").arg(m_queue)), qPrintable(error));
}

QTEST_MAIN(CupsPrint)
#include "cupsprint.moc"

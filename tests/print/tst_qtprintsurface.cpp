#include "editor/quitt.h"
#include "platform/qtplatform.h"
#include "platform/printpreviewwindow.h"
#include "print/printerchoice.h"
#include "platform/qtprintsurface.h"
#include "print/receiptlayout.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using testsupport::pdfWords;
using testsupport::pdfMarginPoints;

PrintSnapshot receipt()
{
    PrintSnapshot s;
    s.titleWord = QStringLiteral("Quittung");
    s.number = QStringLiteral("4711");
    s.netWording = QStringLiteral("netto");
    s.vatSign = QStringLiteral("+");
    s.vatRate = QStringLiteral("16");
    s.vatWording = QStringLiteral("% MWSt");
    s.totalWording = QStringLiteral("gesamt");
    s.currencyNames = { QStringLiteral("DM"), QStringLiteral("DM"), QStringLiteral("DM") };
    s.subunitNames = { QStringLiteral("Pf"), QStringLiteral("Pf"), QStringLiteral("Pf") };
    s.netUnits = QStringLiteral("862");
    s.netPennies = QStringLiteral("07");
    s.vatUnits = QStringLiteral("137");
    s.vatPennies = QStringLiteral("93");
    s.totalUnits = QStringLiteral("1000");
    s.totalPennies = QStringLiteral("00");
    s.amountInWords = QStringLiteral("---eintausend---");
    s.wordsHeading = QStringLiteral("Gesamtbetrag in Worten:");
    s.penniesNote = QStringLiteral("Pfennige wie oben");
    s.payerHeading = QStringLiteral("Betrag erhalten von:");
    s.payer = QStringLiteral("Mustermann");
    s.purposeHeading = QStringLiteral("für:");
    s.purpose = QStringLiteral("Werkzeug");
    s.thanks = QStringLiteral("dankend erhalten");
    s.place = QStringLiteral("Musterstadt");
    s.date = QStringLiteral("07.12.2026");
    return s;
}

const QStringList address = { QStringLiteral("Beispielfirma"), QStringLiteral("Zusatzzeile"),
                              QStringLiteral("0123-4567"),     QStringLiteral("Weiteres"),
                              QStringLiteral("Hauptstraße"),   QStringLiteral("12345") };

// Answers the modal dialogs that come up, one step per dialog, in order.
class DialogScript : public QObject
{
public:
    explicit DialogScript(QList<std::function<void(QWidget *)>> steps)
        : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last || m_steps.isEmpty())
                return;
            m_last = modal;
            m_seen.append(QString::fromLatin1(modal->metaObject()->className()));
            m_steps.takeFirst()(modal);
        });
        m_timer.start(20);
    }
    QStringList seen() const { return m_seen; }

private:
    QList<std::function<void(QWidget *)>> m_steps;
    QTimer m_timer;
    QPointer<QWidget> m_last;
    QStringList m_seen;
};

} // namespace

class tst_QtPrintSurface : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void textsWhereTheLayoutPutsThem_data();
    void textsWhereTheLayoutPutsThem();
    void twoCopiesOnOnePage();
    void unwritableFile();
    void keptForYears();
    void fullDisk();
    void noPrinterCancelledDialog();
    void noPrinterSavesPdf();
    void noPrinterExistingFile();
    void previewWindow();

private:
    bool m_pdftotext = false;
};

void tst_QtPrintSurface::initTestCase()
{
    // No print server: this is the machine without a printer.
    qputenv("CUPS_SERVER", QTemporaryDir().path().toLocal8Bit() + "/kein-cups.sock");
    m_pdftotext = !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

void tst_QtPrintSurface::textsWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<std::optional<QString>>("font");
    QTest::newRow("printer's default font") << std::optional<QString>();
    QTest::newRow("named font") << std::optional<QString>(QStringLiteral("DejaVu Serif"));
}

void tst_QtPrintSurface::textsWhereTheLayoutPutsThem()
{
    QFETCH(std::optional<QString>, font);
    if (!m_pdftotext)
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("seite.pdf"));
    const QList<PrintOperation> ops = ReceiptLayout(receipt(), font, address, 0);
    auto surface = openPdfPrintSurface(pdf);
    for (const PrintOperation &op : ops)
        surface->execute(op);
    QString error;
    QVERIFY2(surface->endDocument(&error), qPrintable(error));

    QSizeF page;
    QVERIFY(!pdfWords(pdf, &page).isEmpty());
    QCOMPARE(qRound(page.width()), 595); // A4
    QCOMPARE(qRound(page.height()), 842);
    int checked = 0;
    const QString misplaced = testsupport::misplacedText(pdf, ops, &checked);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
    QCOMPARE(checked, 33);
}

void tst_QtPrintSurface::twoCopiesOnOnePage()
{
    if (!m_pdftotext)
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("zwei.pdf"));
    auto surface = openPdfPrintSurface(pdf);
    for (const float offset : { 0.0f, receiptlayout::secondCopyOffset })
        for (const PrintOperation &op : ReceiptLayout(receipt(), std::nullopt, std::nullopt, offset))
            surface->execute(op);
    QString error;
    QVERIFY2(surface->endDocument(&error), qPrintable(error));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { pdf });
    QVERIFY(info.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));

    QList<double> titles, captions;
    for (const testsupport::PdfWord &w : pdfWords(pdf)) {
        if (w.text == QStringLiteral("Quittung"))
            titles.append(w.box.top());
        if (w.text == QStringLiteral("Stempel/Unterschrift")) {
            captions.append(w.box.top());
            QVERIFY(w.box.bottom() < 842 - pdfMarginPoints);
        }
    }
    QCOMPARE(titles.size(), 2);
    QCOMPARE(captions.size(), 2);
    QVERIFY(std::abs(titles[1] - titles[0] - 395) < 0.5);
    QVERIFY(std::abs(captions[1] - (pdfMarginPoints + 700)) < 2.5);
}

void tst_QtPrintSurface::unwritableFile()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("fehlt/seite.pdf"));
    auto surface = openPdfPrintSurface(pdf);
    for (const PrintOperation &op : ReceiptLayout(receipt(), std::nullopt, address, 0))
        surface->execute(op);
    QString error;
    QVERIFY(!surface->endDocument(&error));
    QVERIFY2(error.contains(QStringLiteral("kann nicht angelegt werden")), qPrintable(error));
    QVERIFY(!QFile::exists(pdf));
}

namespace {

// Presses a message box's button by its caption.
std::function<void(QWidget *)> press(const QString &button, const QString &shows)
{
    return [button, shows](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QVERIFY(box);
        QVERIFY2(box->text().contains(shows), qPrintable(box->text()));
        for (QAbstractButton *b : box->buttons())
            if (b->text() == button)
                b->click();
    };
}

// Types a file name into the save dialog and saves, as the user would.
std::function<void(QWidget *)> saveAs(const QString &name)
{
    return [name](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        auto *edit = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        edit->setText(name);
        static_cast<QDialog *>(files)->accept();
    };
}

// "1 drucken" on a machine without a printer, its dialogs answered by the steps.
QStringList printWithoutPrinter(const QString &workDir, QList<std::function<void(QWidget *)>> steps)
{
    QtPlatform platform(workDir);
    quitt w(platform);
    testsupport::showSavedReceipt(w, QStringLiteral(" 2026/17 "));
    DialogScript script(std::move(steps));
    w.Command5_Click();
    return script.seen();
}

} // namespace

void tst_QtPrintSurface::keptForYears()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("archiv.pdf"));
    auto surface = openPdfPrintSurface(pdf);
    for (const PrintOperation &op : ReceiptLayout(receipt(), QStringLiteral("DejaVu Sans"), address, 0))
        surface->execute(op);
    QString error;
    QVERIFY2(surface->endDocument(&error), qPrintable(error));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // The PDF/A-1b marker in the file's metadata.
    QVERIFY(bytes.contains("pdfaid:part") && bytes.contains("pdfaid:conformance"));
    QVERIFY(QRegularExpression(QStringLiteral("pdfaid:part\\W+1")).match(QString::fromLatin1(bytes)).hasMatch());
    if (QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty())
        QSKIP("pdffonts (poppler-utils) is not installed");
    QProcess fonts;
    fonts.start(QStringLiteral("pdffonts"), { pdf });
    QVERIFY(fonts.waitForFinished(30000));
    // Below the two heading lines, one line per font; "emb" is its fifth column from the right.
    const QStringList lines = QString::fromUtf8(fonts.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 2);
    for (const QString &line : lines.mid(2)) {
        const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QVERIFY2(columns.size() >= 7 && columns[columns.size() - 5] == QStringLiteral("yes"), qPrintable(line));
    }
}

void tst_QtPrintSurface::fullDisk()
{
    // A small file system of its own that the page does not fit on.
    QTemporaryDir dir;
    QProcess mount;
    mount.start(QStringLiteral("mount"), { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                           QStringLiteral("size=12k"), QStringLiteral("tmpfs"), dir.path() });
    if (!mount.waitForFinished(10000) || mount.exitCode() != 0)
        QSKIP("a small file system cannot be mounted here");
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), { dir.path() }); });
    testsupport::put(dir.path(), QStringLiteral("quittung.pdf"), "alt");
    auto surface = openPdfPrintSurface(dir.filePath(QStringLiteral("quittung.pdf")));
    for (const PrintOperation &op : ReceiptLayout(receipt(), std::nullopt, address, 0))
        surface->execute(op);
    QString error;
    QVERIFY(!surface->endDocument(&error));
    QVERIFY2(error.contains(QStringLiteral("nicht gespeichert")), qPrintable(error));
    // The old file stays as it was, and nothing else is left behind.
    QCOMPARE(testsupport::filesIn(dir.path()), QStringList { "quittung.pdf" });
    QCOMPARE(testsupport::get(dir.path(), QStringLiteral("quittung.pdf")), QByteArray("alt"));
}

void tst_QtPrintSurface::noPrinterCancelledDialog()
{
    QTemporaryDir dir;
    testsupport::put(dir.path(), QStringLiteral("erst.dat"), QByteArray());
    const QStringList seen = printWithoutPrinter(
        dir.path(), { [&](QWidget *dialog) {
                         auto *files = qobject_cast<QFileDialog *>(dialog);
                         QVERIFY(files);
                         QVERIFY(files->windowTitle().contains(QStringLiteral("PDF-Datei")));
                         // Offered in the working directory, under the receipt's number.
                         QCOMPARE(files->directory().absolutePath(), QDir(dir.path()).absolutePath());
                         auto *edit = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                         QVERIFY(edit);
                         QCOMPARE(edit->text(), QStringLiteral("Quittung 2026-17.pdf"));
                         files->reject();
                     } });
    // Without a printer nothing asks whether it is ready.
    QCOMPARE(seen, QStringList({ "QFileDialog" }));
    QCOMPARE(testsupport::filesIn(dir.path()), QStringList { "erst.dat" });
}

void tst_QtPrintSurface::noPrinterSavesPdf()
{
    QTemporaryDir dir;
    testsupport::put(dir.path(), QStringLiteral("erst.dat"), QByteArray());
    printWithoutPrinter(dir.path(), { saveAs(QStringLiteral("beleg")) });
    // The suffix is added to a bare name.
    QFile file(dir.filePath(QStringLiteral("beleg.pdf")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
}

void tst_QtPrintSurface::noPrinterExistingFile()
{
    QTemporaryDir dir;
    testsupport::put(dir.path(), QStringLiteral("erst.dat"), QByteArray());
    testsupport::put(dir.path(), QStringLiteral("alt.pdf"), "alt");
    // Not replaced: the dialog comes back, and is then cancelled.
    const QStringList seen = printWithoutPrinter(
        dir.path(), { saveAs(QStringLiteral("alt.pdf")), press(QStringLiteral("Abbrechen"), QStringLiteral("alt.pdf")),
                      [](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); } });
    QCOMPARE(seen, QStringList({ "QFileDialog", "QMessageBox", "QFileDialog" }));
    QCOMPARE(testsupport::get(dir.path(), QStringLiteral("alt.pdf")), QByteArray("alt"));
    // Replaced.
    printWithoutPrinter(dir.path(), { saveAs(QStringLiteral("alt.pdf")),
                                      press(QStringLiteral("&Ersetzen"), QStringLiteral("alt.pdf")) });
    QVERIFY(testsupport::get(dir.path(), QStringLiteral("alt.pdf")).startsWith("%PDF-"));
}

void tst_QtPrintSurface::previewWindow()
{
    QTemporaryDir dir;
    testsupport::put(dir.path(), QStringLiteral("erst.dat"), QByteArray());
    QtPlatform platform(dir.path());
    quitt w(platform);
    testsupport::showSavedReceipt(w, QStringLiteral("4711"));
    w.show();
    w.druckvorschau->trigger();
    auto *preview = static_cast<PrintPreviewWindow *>(
        w.findChild<QWidget *>(QStringLiteral("PrintPreviewWindow"), Qt::FindDirectChildrenOnly));
    QVERIFY(preview);
    QVERIFY(QTest::qWaitForWindowExposed(preview));
    QCOMPARE(preview->windowTitle(), QStringLiteral("Druckvorschau"));
    QCOMPARE(preview->PrinterLabel->text(),
             QStringLiteral("Drucker: ") + PrinterChoiceWindow::systemDefaultEntry(platform.printerNames()));
    QVERIFY(!preview->Page->accessibleName().isEmpty());
    QCOMPARE(preview->Page->pageCount(), 1);
    QCOMPARE(preview->Page->zoomMode(), QPrintPreviewWidget::FitInView);
    const qreal whole = preview->Page->zoomFactor();
    QTest::mouseClick(preview->ZoomIn, Qt::LeftButton);
    QVERIFY(preview->Page->zoomFactor() > whole * 1.2);
    QTest::mouseClick(preview->FitPage, Qt::LeftButton);
    QCOMPARE(preview->Page->zoomFactor(), whole);

    const qsizetype oneCopy = preview->shownPage().size();
    QTest::mouseClick(preview->TwoCopies, Qt::LeftButton);
    QCOMPARE(preview->shownPage().size(), 2 * oneCopy);
    QPointer<PrintPreviewWindow> guard(preview);
    DialogScript script({ [&](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        // The receipt's own name is offered.
        auto *edit = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        QCOMPARE(edit->text(), QStringLiteral("Quittung 4711.pdf"));
        static_cast<QDialog *>(files)->accept();
    } });
    QTest::mouseClick(preview->PdfButton, Qt::LeftButton);
    QCOMPARE(script.seen(), QStringList { "QFileDialog" });
    // Saved: the preview has done its work and closes.
    QTRY_VERIFY(!guard);
    int titles = 0;
    for (const testsupport::PdfWord &word : pdfWords(dir.filePath(QStringLiteral("Quittung 4711.pdf"))))
        titles += word.text == QStringLiteral("Quittung");
    QCOMPARE(titles, 2);
}

QTEST_MAIN(tst_QtPrintSurface)
#include "tst_qtprintsurface.moc"

#include "platform/qtprintsurface.h"
#include "print/receiptlayout.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

struct Word
{
    QString text;
    QRectF box; // points from the page's top-left corner
};

// The words of a PDF with their boxes, as pdftotext finds them.
QList<Word> wordsOf(const QString &pdf, QSizeF *pageSize = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), pdf, QStringLiteral("-") });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    if (pageSize) {
        const auto page = QRegularExpression(QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re")).match(html);
        *pageSize = QSizeF(page.captured(1).toDouble(), page.captured(2).toDouble());
    }
    QList<Word> words;
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (const auto &m : word.globalMatch(html)) {
        // Ligatures come out as one character; compare them as their letters.
        QString text = m.captured(5).normalized(QString::NormalizationForm_KC);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        words.append({ text, QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                    QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())) });
    }
    return words;
}

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

// The PDF page's printable area starts a quarter inch in.
constexpr double marginPoints = 6.35 / 25.4 * 72;

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
    void noPrinterCancelledDialog();
    void noPrinterSavesPdf();
    void noPrinterExistingFile();

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
    const QList<Word> words = wordsOf(pdf, &page);
    QVERIFY(!words.isEmpty());
    QCOMPARE(qRound(page.width()), 595); // A4
    QCOMPARE(qRound(page.height()), 842);

    int checked = 0;
    for (const PrintOperation &op : ops) {
        if (op.kind != PrintOperation::Kind::Text || op.text.trimmed().isEmpty())
            continue;
        const QString first = op.text.trimmed().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        const double x = marginPoints + op.x / 20;
        const double y = marginPoints + op.y / 20;
        // A leading blank moves the first word right by about a third of the size.
        const double slack = op.text.startsWith(QLatin1Char(' ')) ? op.fontSize * 0.5 : 0;
        const auto found = std::find_if(words.begin(), words.end(), [&](const Word &w) {
            return w.text == first && w.box.left() > x - 1.5 && w.box.left() < x + 1.5 + slack
                && std::abs(w.box.top() - y) < 1.5;
        });
        if (found == words.end()) {
            QString seen;
            for (const Word &w : words)
                if (w.text == first)
                    seen += QStringLiteral(" %1, %2").arg(w.box.left()).arg(w.box.top());
            QFAIL(qPrintable(QStringLiteral("\"%1\" not at %2, %3 pt but at%4").arg(first).arg(x).arg(y).arg(seen)));
        }
        // The size shows in the height of the word's box.
        QVERIFY2(found->box.height() > op.fontSize * 0.9 && found->box.height() < op.fontSize * 1.5,
                 qPrintable(first));
        ++checked;
    }
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
    for (const Word &w : wordsOf(pdf)) {
        if (w.text == QStringLiteral("Quittung"))
            titles.append(w.box.top());
        if (w.text == QStringLiteral("Stempel/Unterschrift")) {
            captions.append(w.box.top());
            QVERIFY(w.box.bottom() < 842 - marginPoints);
        }
    }
    QCOMPARE(titles.size(), 2);
    QCOMPARE(captions.size(), 2);
    QVERIFY(std::abs(titles[1] - titles[0] - 395) < 0.5);
    QVERIFY(std::abs(captions[1] - (marginPoints + 700)) < 2.5);
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

void tst_QtPrintSurface::noPrinterCancelledDialog()
{
    DialogScript script({ [](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        QVERIFY(files->windowTitle().contains(QStringLiteral("PDF-Datei")));
        files->reject();
    } });
    QString error = QStringLiteral("alt");
    const auto surface = openQtPrintSurface(nullptr, &error);
    QVERIFY(!surface);
    QVERIFY(error.isEmpty());
    QCOMPARE(script.seen(), QStringList { "QFileDialog" });
}

void tst_QtPrintSurface::noPrinterSavesPdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("beleg"));
    DialogScript script({ [&](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        files->setDirectory(dir.path());
        // Typed as the user would.
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(QFileInfo(pdf).fileName());
        static_cast<QDialog *>(files)->accept();
    } });
    QString error;
    const auto surface = openQtPrintSurface(nullptr, &error);
    QVERIFY(surface);
    for (const PrintOperation &op : ReceiptLayout(receipt(), std::nullopt, address, 0))
        surface->execute(op);
    QVERIFY2(surface->endDocument(&error), qPrintable(error));
    // The suffix is added to a bare name.
    QFile file(pdf + QStringLiteral(".pdf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
}

void tst_QtPrintSurface::noPrinterExistingFile()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("alt.pdf"));
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("alt");
    }
    const auto choose = [&](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        files->setDirectory(dir.path());
        // Typed as the user would.
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(QFileInfo(pdf).fileName());
        static_cast<QDialog *>(files)->accept();
    };
    const auto press = [](const QString &button) {
        return [button](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            QVERIFY(box);
            QVERIFY(box->text().contains(QStringLiteral("alt.pdf")));
            for (QAbstractButton *b : box->buttons())
                if (b->text() == button)
                    b->click();
        };
    };
    // Not replaced: the dialog comes back, and is then cancelled.
    {
        DialogScript script({ choose, press(QStringLiteral("Abbrechen")),
                              [](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); } });
        QString error;
        QVERIFY(!openQtPrintSurface(nullptr, &error));
        QCOMPARE(script.seen(), QStringList({ "QFileDialog", "QMessageBox", "QFileDialog" }));
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("alt"));
    }
    // Replaced.
    {
        DialogScript script({ choose, press(QStringLiteral("&Ersetzen")) });
        QString error;
        const auto surface = openQtPrintSurface(nullptr, &error);
        QVERIFY(surface);
        for (const PrintOperation &op : ReceiptLayout(receipt(), std::nullopt, address, 0))
            surface->execute(op);
        QVERIFY(surface->endDocument(&error));
        QFile replaced(pdf);
        QVERIFY(replaced.open(QIODevice::ReadOnly));
        QVERIFY(replaced.read(5) == "%PDF-");
    }
}

QTEST_MAIN(tst_QtPrintSurface)
#include "tst_qtprintsurface.moc"

#include "platform/qtprintsurface.h"

#include <QDir>
#include <QFontDatabase>
#include <QLibrary>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

namespace {

// Qt's CUPS print engine hands the finished page to CUPS but drops the
// answer, so a refused job would look printed. libcups, which that engine has
// loaded, still holds the answer to its last request on this thread; ask it.
QString cupsRefusal()
{
    QLibrary cups(QStringLiteral("cups"), 2);
    using LastError = int (*)();
    using LastErrorString = const char *(*)();
    const auto lastError = reinterpret_cast<LastError>(cups.resolve("cupsLastError"));
    const auto lastErrorString = reinterpret_cast<LastErrorString>(cups.resolve("cupsLastErrorString"));
    if (!lastError)
        return QString();
    // IPP status codes from 0x0400 on are client and server errors.
    if (lastError() < 0x0400)
        return QString();
    const char *text = lastErrorString ? lastErrorString() : nullptr;
    return text && *text ? QString::fromUtf8(text) : QStringLiteral("unbekannter Fehler");
}

class QtPrintSurface : public PrintSurface
{
public:
    explicit QtPrintSurface(std::unique_ptr<QPrinter> printer)
        : m_printer(std::move(printer))
    {
    }
    void execute(const PrintOperation &op) override
    {
        if (op.kind != PrintOperation::Kind::EndOfDocument && start())
            paintOperation(m_painter, op);
    }

    bool endDocument(QString *error) override
    {
        QString failure = m_failure;
        if (m_painter.isActive()) {
            m_painter.end();
            if (m_printer->printerState() == QPrinter::Error) {
                failure = QStringLiteral("Die Quittung auf dem Drucker „%1“ konnte nicht gedruckt werden.")
                              .arg(m_printer->printerName());
            } else if (const QString refusal = cupsRefusal(); !refusal.isEmpty()) {
                failure = QStringLiteral("Der Drucker „%1“ hat die Quittung nicht angenommen:\n%2")
                              .arg(m_printer->printerName(), refusal);
            }
        }
        if (failure.isEmpty())
            return true;
        if (error)
            *error = failure;
        return false;
    }

private:
    // The first operation starts the job.
    bool start()
    {
        if (m_painter.isActive())
            return true;
        if (m_started)
            return false;
        m_started = true;
        if (!m_painter.begin(m_printer.get())) {
            m_failure = QStringLiteral("Der Drucker „%1“ ist nicht erreichbar. Die Quittung wurde nicht gedruckt.")
                            .arg(m_printer->printerName());
            return false;
        }
        return true;
    }

    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    bool m_started = false;
    QString m_failure;
};

// QPrinter writes its PDF file straight under the final name; QPdfWriter
// writes into any device, so a QSaveFile keeps a half page from ever
// standing under the name the user chose.
class PdfFileSurface : public PrintSurface
{
public:
    explicit PdfFileSurface(const QString &fileName)
        : m_file(fileName)
    {
    }
    void execute(const PrintOperation &op) override
    {
        if (op.kind != PrintOperation::Kind::EndOfDocument && start())
            paintOperation(m_painter, op);
    }

    bool endDocument(QString *error) override
    {
        if (m_painter.isActive()) {
            m_painter.end();
            if (!m_file.commit())
                m_failure = QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden (%2). "
                                           "Die Quittung wurde nicht gespeichert.")
                                .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString());
        }
        if (m_failure.isEmpty())
            return true;
        if (error)
            *error = m_failure;
        return false;
    }

private:
    bool start()
    {
        if (m_painter.isActive())
            return true;
        if (m_started)
            return false;
        m_started = true;
        if (m_file.open(QIODevice::WriteOnly)) {
            m_writer = std::make_unique<QPdfWriter>(&m_file);
            // The form meant for keeping documents for years: fonts embedded,
            // metadata that says what the file is.
            m_writer->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
            m_writer->setPageLayout(pdfPageLayout());
            m_writer->setResolution(1200);
            m_writer->setCreator(QStringLiteral("Zettelfix"));
            m_writer->setTitle(QStringLiteral("Quittung"));
            if (m_painter.begin(m_writer.get()))
                return true;
            m_file.cancelWriting();
        }
        m_failure = QStringLiteral("Die Datei „%1“ kann nicht angelegt werden (%2). Die Quittung wurde nicht gespeichert.")
                        .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString());
        return false;
    }

    QSaveFile m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    bool m_started = false;
    QString m_failure;
};

} // namespace

void paintOperation(QPainter &painter, const PrintOperation &op)
{
    const double scale = painter.device()->logicalDpiY() / 1440.0;
    if (op.kind == PrintOperation::Kind::Line) {
        // One dot is a printer's own line width; at the resolutions of today
        // a single dot is too fine to see, so a line is one dot at 300 dpi.
        painter.setPen(QPen(Qt::black, std::max(1.0, painter.device()->logicalDpiY() / 300.0)));
        painter.drawLine(QPointF(op.x * scale, op.y * scale), QPointF(op.x2 * scale, op.y2 * scale));
        return;
    }
    if (op.kind != PrintOperation::Kind::Text)
        return;
    QFont font = painter.font();
    if (op.fontName)
        font.setFamily(*op.fontName);
    font.setPointSize(op.fontSize);
    font.setBold(op.bold);
    painter.setFont(font);
    // The operation gives the top-left corner; the painter wants the baseline.
    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(QPointF(op.x * scale, op.y * scale + metrics.ascent()), op.text);
}

QPageLayout pdfPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(6.35, 6.35, 6.35, 6.35),
                       QPageLayout::Millimeter);
}

std::unique_ptr<PrintSurface> openPdfPrintSurface(const QString &fileName)
{
    return std::make_unique<PdfFileSurface>(fileName);
}

std::unique_ptr<PrintSurface> openQtPrintSurface(const QString &printer, QString *error)
{
    if (error)
        error->clear();
    QPrinterInfo info = printer.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(printer);
    if (info.isNull() && printer.isEmpty())
        info = QPrinterInfo::availablePrinters().value(0);
    if (info.isNull()) {
        if (error)
            *error = printer.isEmpty()
                ? QStringLiteral("Es ist kein Drucker eingerichtet. Die Quittung wurde nicht gedruckt.")
                : QStringLiteral("Den Drucker „%1“ gibt es nicht. Die Quittung wurde nicht gedruckt.").arg(printer);
        return nullptr;
    }
    auto qprinter = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    qprinter->setCreator(QStringLiteral("Zettelfix"));
    qprinter->setDocName(QStringLiteral("Quittung"));
    return std::make_unique<QtPrintSurface>(std::move(qprinter));
}

QStringList qtPrinterFonts()
{
    return QFontDatabase::families();
}

#include "platform/qtprintsurface.h"

#include "platform/qtplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLibrary>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

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
    QtPrintSurface(std::unique_ptr<QPrinter> printer, bool viaCups)
        : m_printer(std::move(printer)), m_viaCups(viaCups)
    {
    }
    void execute(const PrintOperation &op) override
    {
        if (op.kind == PrintOperation::Kind::EndOfDocument || !start())
            return;
        const double scale = m_printer->resolution() / 1440.0;
        if (op.kind == PrintOperation::Kind::Line) {
            m_painter.drawLine(QPointF(op.x * scale, op.y * scale), QPointF(op.x2 * scale, op.y2 * scale));
            return;
        }
        QFont font = m_painter.font();
        if (op.fontName)
            font.setFamily(*op.fontName);
        font.setPointSize(op.fontSize);
        font.setBold(op.bold);
        m_painter.setFont(font);
        // The operation gives the top-left corner; the painter wants the baseline.
        const QFontMetricsF metrics(m_painter.font(), m_printer.get());
        m_painter.drawText(QPointF(op.x * scale, op.y * scale + metrics.ascent()), op.text);
    }

    bool endDocument(QString *error) override
    {
        QString failure = m_failure;
        if (m_painter.isActive()) {
            m_painter.end();
            if (m_printer->printerState() == QPrinter::Error)
                failure = what() + QStringLiteral(" konnte nicht gedruckt werden.");
            else if (m_viaCups) {
                const QString refusal = cupsRefusal();
                if (!refusal.isEmpty())
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
    QString what() const
    {
        return m_viaCups ? QStringLiteral("Die Quittung auf dem Drucker „%1“").arg(m_printer->printerName())
                         : QStringLiteral("Die Datei „%1“").arg(QDir::toNativeSeparators(m_printer->outputFileName()));
    }

    // The first operation starts the job.
    bool start()
    {
        if (m_painter.isActive())
            return true;
        if (m_started)
            return false;
        m_started = true;
        if (!m_painter.begin(m_printer.get())) {
            m_failure = m_viaCups
                ? QStringLiteral("Der Drucker „%1“ ist nicht erreichbar. Die Quittung wurde nicht gedruckt.")
                      .arg(m_printer->printerName())
                : QStringLiteral("Die Datei „%1“ kann nicht angelegt werden. Die Quittung wurde nicht gespeichert.")
                      .arg(QDir::toNativeSeparators(m_printer->outputFileName()));
            return false;
        }
        // One dot is a printer's own line width; at the resolutions of today
        // a single dot is too fine to see, so a line is one dot at 300 dpi.
        m_painter.setPen(QPen(Qt::black, std::max(1.0, m_printer->resolution() / 300.0)));
        return true;
    }

    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    bool m_viaCups;
    bool m_started = false;
    QString m_failure;
};

} // namespace

std::unique_ptr<PrintSurface> openPdfPrintSurface(const QString &fileName)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setCreator(QStringLiteral("Zettelfix"));
    printer->setDocName(QStringLiteral("Quittung"));
    // A4 with the printable area of a common office printer.
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter));
    return std::make_unique<QtPrintSurface>(std::move(printer), false);
}

std::unique_ptr<PrintSurface> openQtPrintSurface(QWidget *parent, QString *error)
{
    if (error)
        error->clear();
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        info = QPrinterInfo::availablePrinters().value(0);
    if (info.isNull()) {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            folder = QDir::homePath();
        const QString file =
            askSaveFileName(parent, QStringLiteral("Kein Drucker eingerichtet – Quittung als PDF-Datei speichern"),
                            QDir(folder).filePath(QStringLiteral("Quittung.pdf")),
                            QStringLiteral("PDF-Dateien (*.pdf)"));
        if (file.isEmpty())
            return nullptr;
        return openPdfPrintSurface(file);
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setCreator(QStringLiteral("Zettelfix"));
    printer->setDocName(QStringLiteral("Quittung"));
    return std::make_unique<QtPrintSurface>(std::move(printer), true);
}

QStringList qtPrinterFonts()
{
    return QFontDatabase::families();
}

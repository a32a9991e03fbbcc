#pragma once

#include "platform/platform.h"

#include <QPageLayout>

#include <memory>

class QPainter;
class QWidget;

// The printer of that queue name, or the system's default printer when the
// name is empty (the first printer when none is marked as the default).
// Nothing, with a German message, when there is no such printer.
std::unique_ptr<PrintSurface> openQtPrintSurface(const QString &printer, QString *error);
// A page saved as an A4 PDF/A-1b file, through a temporary file in the same
// folder that takes the name only when the page is complete.
std::unique_ptr<PrintSurface> openPdfPrintSurface(const QString &fileName);
// Paints one operation with a painter that is active on a printer, a PDF
// file or a preview page, with (0, 0) at the printable area's corner. The
// printer, the PDF file and the preview all draw a page through this.
void paintOperation(QPainter &painter, const PrintOperation &op);
// The names of the fonts printing can use, in the font database's order.
QStringList qtPrinterFonts();
// A4 with the printable area of a common office printer: the page of a PDF
// file and of the preview.
QPageLayout pdfPageLayout();

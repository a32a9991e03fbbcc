#pragma once

#include "platform/platform.h"

#include <memory>

class QWidget;

// The system's default printer; without one, a PDF file the user picks.
std::unique_ptr<PrintSurface> openQtPrintSurface(QWidget *parent, QString *error);
// A page saved as a PDF file (A4), as printed when there is no printer.
std::unique_ptr<PrintSurface> openPdfPrintSurface(const QString &fileName);
// The names of the fonts printing can use, in the font database's order.
QStringList qtPrinterFonts();

#pragma once

#include "platform/platform.h"

#include <memory>

class QWidget;

// The system's default printer; without one, a PDF file the user picks.
std::unique_ptr<PrintSurface> openQtPrintSurface(QWidget *parent, QString *error);
// The names of the fonts printing can use, in the font database's order.
QStringList qtPrinterFonts();

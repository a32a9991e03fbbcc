#include "platform/qtprintsurface.h"

#include <QFontDatabase>

std::unique_ptr<PrintSurface> openQtPrintSurface(QWidget *, QString *error)
{
    if (error)
        *error = QStringLiteral("Es ist kein Drucker eingerichtet.");
    return nullptr;
}

QStringList qtPrinterFonts()
{
    return QFontDatabase::families();
}

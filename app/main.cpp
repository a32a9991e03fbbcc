#include "app/form1.h"
#include "platform/controls.h"
#include "platform/qtplatform.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zettelfix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("de.zettelfix.zettelfix"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The program ends through its main window; the splash closing before
    // the main window appears must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();

    QtPlatform platform(QDir::currentPath());
    Form1 splash(platform);
    splash.show();
    return app.exec();
}

#include "app/form1.h"
#include "platform/controls.h"
#include "platform/qtplatform.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
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
    // Qt's own texts (the context menus of the text boxes, the file dialog) in
    // German, like the rest of the program.
    QTranslator german;
    if (german.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&german);

    QtPlatform platform(QDir::currentPath());
    Form1 splash(platform);
    splash.show();
    return app.exec();
}

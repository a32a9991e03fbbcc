// Writes the program icon as PNG files for the icon theme, at build time, so
// the installed icon is the very drawing the program shows as its window icon.
//   zettelfix-iconpng OUTDIR SIZE...   writes OUTDIR/SIZE.png for each SIZE
#include "editor/pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: zettelfix-iconpng OUTDIR SIZE...\n");
        return 2;
    }
    const QDir out(args.at(1));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "zettelfix-iconpng: cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (const QString &arg : args.mid(2)) {
        bool ok = false;
        const int size = arg.toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            std::fprintf(stderr, "zettelfix-iconpng: bad size %s\n", qPrintable(arg));
            return 2;
        }
        const QString file = out.filePath(arg + QStringLiteral(".png"));
        if (!pictures::programIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "zettelfix-iconpng: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

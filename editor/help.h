#pragma once

#include <QString>
#include <QStringView>

// The help box at the bottom of the main window explains the area under the
// mouse pointer. Areas are named as the window's controls ("quitt" for the
// window's own background); several areas explain nothing and give the
// empty text.
namespace help {

QString textFor(QStringView area);

} // namespace help

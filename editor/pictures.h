#pragma once

#include <QPixmap>

// The program's pictures, drawn here rather than shipped as image files.
namespace pictures {
QPixmap splashPicture();          // 222 x 280
QPixmap aboutPicture();           // 204 x 283
QPixmap smallPicture();           // 32 x 32, the main window's picture
QPixmap programIcon(int size);    // square, the window icon
} // namespace pictures

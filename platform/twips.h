#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Window geometry is given in twips; the screen works in pixels. At 96 dpi a
// pixel is 15 twips.
namespace twips {

inline constexpr int perPixel = 15;

constexpr int toPixels(int t)
{
    return (t >= 0 ? t + perPixel / 2 : t - perPixel / 2) / perPixel;
}
constexpr int fromPixels(int px)
{
    return px * perPixel;
}
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}
inline QSize size(int width, int height)
{
    return QSize(toPixels(width), toPixels(height));
}
inline QPoint point(int x, int y)
{
    return QPoint(toPixels(x), toPixels(y));
}
// Top-left corner, in twips, of a window of the given size centred on a screen.
inline QPoint centred(QSize screenTwips, QSize windowTwips)
{
    return QPoint((screenTwips.width() - windowTwips.width()) / 2,
                  (screenTwips.height() - windowTwips.height()) / 2);
}

} // namespace twips

#include "platform/textmetrics.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>

namespace {

// The PDF file is written at 1200 dots per inch, and printers print at their
// high resolution; font metrics depend on nothing of a device but its
// resolution, so an image of that resolution stands in for the page.
constexpr int dotsPerInch = 1200;

} // namespace

TextMeasure printTextMeasure()
{
    auto page = std::make_shared<QImage>(1, 1, QImage::Format_Mono);
    page->setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    page->setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    return [page](const QString &text, const std::optional<QString> &fontName, int points, bool bold) {
        // As paintOperation does: the device's font, the name only when
        // there is one.
        QFont font;
        if (fontName)
            font.setFamily(*fontName);
        font.setPointSize(points);
        font.setBold(bold);
        const QFontMetricsF metrics(font, page.get());
        const double twipsPerDot = 1440.0 / page->logicalDpiY();
        return TextExtent { float(metrics.horizontalAdvance(text) * twipsPerDot),
                            float((metrics.ascent() + metrics.descent()) * twipsPerDot) };
    };
}

#pragma once

#include <QString>

#include <functional>
#include <optional>

// How much room a text takes on the page, in twips: the advance of the
// whole text and the height of its line (ascent and descent).
struct TextExtent
{
    float width = 0;
    float height = 0;
};
// Measures a text as the printer sets it: font name (none: the printer's
// default font), size in points, bold or not.
using TextMeasure = std::function<TextExtent(const QString &text, const std::optional<QString> &fontName,
                                             int points, bool bold)>;

// Measures texts for the printed page in the fonts the printer, the PDF file
// and the preview draw them in (see paintOperation): the same font choice and
// substitution, at the resolution of the PDF file. Needs the fonts of a
// running QGuiApplication.
TextMeasure printTextMeasure();

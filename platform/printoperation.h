#pragma once

#include <QString>

#include <optional>

// One step of a printed page, in twips from the top-left corner of the
// printable area (x to the right, y downwards).
struct PrintOperation
{
    enum class Kind { Text, Line, EndOfDocument };

    Kind kind = Kind::Text;
    float x = 0; // text: top-left corner; line: first point
    float y = 0;
    float x2 = 0; // line: second point
    float y2 = 0;
    QString text;
    std::optional<QString> fontName; // none: the printer's current font
    int fontSize = 0;                // points
    bool bold = false;

    static PrintOperation makeText(float x, float y, const QString &text,
                                   const std::optional<QString> &fontName, int size, bool bold)
    {
        PrintOperation op;
        op.kind = Kind::Text;
        op.x = x;
        op.y = y;
        op.text = text;
        op.fontName = fontName;
        op.fontSize = size;
        op.bold = bold;
        return op;
    }
    static PrintOperation makeLine(float x1, float y1, float x2, float y2)
    {
        PrintOperation op;
        op.kind = Kind::Line;
        op.x = x1;
        op.y = y1;
        op.x2 = x2;
        op.y2 = y2;
        return op;
    }
    static PrintOperation endOfDocument()
    {
        PrintOperation op;
        op.kind = Kind::EndOfDocument;
        return op;
    }

    bool operator==(const PrintOperation &) const = default;
};

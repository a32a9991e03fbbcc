#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// An exact decimal number of any length: sign, digits and the number of those
// digits that stand after the decimal point. Texts typed by the user and read
// from files become numbers through this type, never through the locale.
struct Decimal
{
    bool negative = false;
    QByteArray digits = "0"; // ASCII digits, at least one
    int scale = 0;            // digits after the decimal point

    // The longest leading part of the text that forms a number, with "." as
    // the decimal point whatever the system's settings. Blanks and tabs are
    // skipped wherever they stand; one sign may lead. No number gives 0.
    static Decimal parseLeading(QStringView text);

    bool isZero() const;
    // The value plus one, exactly.
    Decimal plusOne() const;
    // Plain decimal notation: no exponent, no grouping, no leading zeros of
    // the whole part, no trailing zeros after the point, no "-0".
    QString toPlainString() const;
};

// Arithmetic on non-negative digit strings of any length.
namespace digitstring {
QByteArray normalized(QByteArray digits);        // without leading zeros; "0" for none
int compare(const QByteArray &a, const QByteArray &b); // -1, 0 or 1
QByteArray add(const QByteArray &a, const QByteArray &b);
QByteArray subtract(const QByteArray &a, const QByteArray &b); // requires a >= b
// The quotient a / b, and the remainder when asked for; b must not be zero.
QByteArray divide(const QByteArray &a, const QByteArray &b, QByteArray *remainder = nullptr);
} // namespace digitstring

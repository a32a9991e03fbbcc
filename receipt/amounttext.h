#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// A total as people type or paste it into the whole units: "45", "1.250"
// (a point before exactly three digits groups thousands), "45.50" or "45,5"
// (a point or a comma before one or two digits starts the pennies),
// "1.250,50". The same rule for a paste, for leaving the field and for a
// receipt completed before it is saved or printed.
namespace amounttext {

struct Amount
{
    QString units;                  // the digits of the whole units, without grouping points
    std::optional<QString> pennies; // two digits, when the text had pennies

    bool operator==(const Amount &) const = default;
};

// Blanks around the text are allowed; an empty text is an empty amount.
// None for anything else.
std::optional<Amount> read(QStringView text);

// Why a text is refused and how an amount is typed, naming the fields.
QString howToType(const QString &text, const QString &unitsField, const QString &currency, const QString &subunit);

} // namespace amounttext

#pragma once

#include <QString>

#include <optional>

// The whole units of a total (0 to 99 999) in German words, ending in the
// dash fill " -----" wherever the last two digits have a word ("Zwölftausend"
// "dreihundert" "fünfundvierzig -----"). Three to five characters are matched
// position by position as text: a position that holds no digit of the word
// list adds nothing ("12a" gives "Einhundert"). No result for one or two
// characters that are not a number from 0 to 9 or 10 to 99, for six
// characters or more, for an empty text and for any text with a minus sign.
std::optional<QString> AmountInWords(const QString &trimmedUnits);

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The code page of every file the program keeps: Windows-1252, one byte a
// character. The conversions are Qt's own (QStringEncoder and QStringDecoder);
// the tables below are filled from them once, so that the search can ignore
// letter case byte by byte on the raw bytes and decode only what it shows.
namespace codepage {

// The text's bytes; nothing when a character has no place in the code page.
std::optional<QByteArray> encode(QStringView text);
bool encodable(QStringView text);
QString decode(QByteArrayView bytes);

// Each byte's upper-case byte, where the code page has one ("ß" has none).
const std::array<uchar, 256> &upper();

// Letter case, as the search ignores it: each character is compared in its
// upper-case form where the code page has one (ä and Ä, é and É, ÿ and Ÿ are
// one letter). "ß" has no upper-case letter in that code page and stays
// itself, so it matches only "ß", never "SS".
QString upperCased(const QString &text);
bool containsIgnoringCase(const QString &line, const QString &term);

} // namespace codepage

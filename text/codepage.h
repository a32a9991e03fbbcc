#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The code page of the program's files: Windows-1252, one byte a character,
// as older installations wrote them. A file whose text needs a character
// that code page lacks ("Łukasz", "Yıldız") is UTF-8 instead, marked by a
// byte order mark at its start; every reader takes both. The conversions are
// Qt's own (QStringEncoder and QStringDecoder); the tables below are filled
// from them once, so that the search can ignore letter case byte by byte on
// the raw bytes of the Windows-1252 files and decode only what it shows.
namespace codepage {

// The byte order mark that starts a UTF-8 file.
inline constexpr QByteArrayView utf8Mark("\xEF\xBB\xBF", 3);
inline bool isUtf8(QByteArrayView fileBytes)
{
    return fileBytes.startsWith(utf8Mark);
}

// The text's bytes; nothing when a character has no place in the code page.
std::optional<QByteArray> encode(QStringView text);
bool encodable(QStringView text);
QString decode(QByteArrayView bytes);

// Whether a file can hold the text unchanged: any text but one with a lone
// half of a surrogate pair.
bool storable(QStringView text);
// The bytes of a whole file: Windows-1252 where it holds every character,
// else the mark and UTF-8; nothing when the text is not storable.
std::optional<QByteArray> fileBytes(QStringView text);
// The text of a whole file of either kind.
QString fileText(QByteArrayView fileBytes);
// A piece of a file's bytes (after the mark), in the file's encoding.
QString decodeAs(QByteArrayView bytes, bool utf8);

// The text with every control character replaced by a visible one: C0
// (NUL, tab and the line ends too), DEL, and C1 (U+0080 to U+009F), which is
// what the bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D decode to, having no
// character of their own in the code page. For a one-line field of a file a
// person reads, where such a character would show as nothing or end the line.
// The replacement is U+FFFD for a file in UTF-8; a file in the code page,
// which has no such character, takes "?".
bool isControl(QChar c);
QString withVisibleControls(QString text, QChar replacement = QChar::ReplacementCharacter);

// Each byte's upper-case byte, where the code page has one ("ß" has none).
const std::array<uchar, 256> &upper();

// Letter case, as the search ignores it: each character is compared in its
// upper-case form where the code page has one (ä and Ä, é and É, ÿ and Ÿ are
// one letter). "ß" has no upper-case letter in that code page and stays
// itself, so it matches only "ß", never "SS". A letter outside the code page
// is compared in its upper-case form ("ł" and "Ł", "ş" and "Ş"); the Turkish
// "ı" and "İ" are both "I" then, so that "Yildiz" also finds "Yıldız".
QString upperCased(const QString &text);
bool containsIgnoringCase(const QString &line, const QString &term);

} // namespace codepage

#include "text/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace codepage {

namespace {

struct Tables
{
    std::array<uchar, 256> upper;
    std::array<char16_t, 256> unicode;

    Tables()
    {
        QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString decoded = decoder.decode(QByteArrayView(&byte, 1));
            const QChar c = decoded.size() == 1 ? decoded.at(0) : QChar(QChar::ReplacementCharacter);
            unicode[b] = c.unicode();
            upper[b] = uchar(b);
            const QChar u = c.toUpper();
            if (u != c) {
                const auto encoded = encode(QStringView(&u, 1));
                if (encoded && encoded->size() == 1)
                    upper[b] = uchar(encoded->at(0));
            }
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

std::optional<QByteArray> encode(QStringView text)
{
    QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || !encoder.isValid())
        return std::nullopt;
    return bytes;
}

bool encodable(QStringView text)
{
    return encode(text).has_value();
}

QString decode(QByteArrayView bytes)
{
    // One character a byte, through the table Qt's decoder filled: several
    // times faster than the decoder for the many short lines of a search.
    const auto &unicode = tables().unicode;
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(unicode[uchar(bytes[i])]);
    return text;
}

bool storable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

std::optional<QByteArray> fileBytes(QStringView text)
{
    // A text of the code page that starts with the mark's three characters
    // ("ï»¿") would read back as UTF-8.
    if (auto bytes = encode(text); bytes && !isUtf8(*bytes))
        return bytes;
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QByteArray bytes = utf8Mark.toByteArray() + QByteArray(encoder.encode(text));
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

namespace {

// UTF-8 after the file's mark: a further mark is text of the file and kept,
// wherever the bytes start.
QString fromUtf8Text(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return decoder(bytes);
}

} // namespace

QString decodeAs(QByteArrayView bytes, bool utf8)
{
    return utf8 ? fromUtf8Text(bytes) : decode(bytes);
}

QString fileText(QByteArrayView fileBytes)
{
    return isUtf8(fileBytes) ? fromUtf8Text(fileBytes.sliced(utf8Mark.size())) : decode(fileBytes);
}

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

QString withVisibleControls(QString text, QChar replacement)
{
    // Most texts hold none, and are passed on without a copy.
    const qsizetype first = std::find_if(text.cbegin(), text.cend(), isControl) - text.cbegin();
    if (first == text.size())
        return text;
    QChar *c = text.data();
    for (qsizetype i = first; i < text.size(); ++i) {
        if (isControl(c[i]))
            c[i] = replacement;
    }
    return text;
}

const std::array<uchar, 256> &upper()
{
    return tables().upper;
}

QString upperCased(const QString &text)
{
    const auto &unicode = tables().unicode;
    const auto &upperByte = tables().upper;
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        // Within the code page its own table; ASCII and Latin-1 letters mostly.
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            const auto b = uchar(u);
            if (unicode[b] == u) {
                c = QChar(unicode[upperByte[b]]);
                continue;
            }
        }
        if (u == 0x0130) { // "İ", whose upper case is itself
            c = QLatin1Char('I');
            continue;
        }
        const QChar up = c.toUpper();
        // "µ" stays: its upper case is Greek, outside the code page it is in.
        if (up != c && (encodable(QStringView(&up, 1)) || !encodable(QStringView(&c, 1))))
            c = up;
    }
    return out;
}

bool containsIgnoringCase(const QString &line, const QString &term)
{
    return upperCased(line).contains(upperCased(term));
}

} // namespace codepage

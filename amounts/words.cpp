#include "amounts/words.h"

#include <array>

namespace {

const QString fill = QStringLiteral(" -----");

// Indexed by the digit; index 0 is unused where zero has no word.
const std::array<QString, 10> finalForm = { QString(),           QStringLiteral("eins"),  QStringLiteral("zwei"),
                                            QStringLiteral("drei"), QStringLiteral("vier"), QStringLiteral("fünf"),
                                            QStringLiteral("sechs"), QStringLiteral("sieben"), QStringLiteral("acht"),
                                            QStringLiteral("neun") };
const std::array<QString, 10> combiningForm = { QString(),           QStringLiteral("ein"),   QStringLiteral("zwei"),
                                                QStringLiteral("drei"), QStringLiteral("vier"), QStringLiteral("fünf"),
                                                QStringLiteral("sechs"), QStringLiteral("sieben"), QStringLiteral("acht"),
                                                QStringLiteral("neun") };
const std::array<QString, 10> teens = { QStringLiteral("zehn"),     QStringLiteral("elf"),
                                        QStringLiteral("zwölf"),    QStringLiteral("dreizehn"),
                                        QStringLiteral("vierzehn"), QStringLiteral("fünfzehn"),
                                        QStringLiteral("sechzehn"), QStringLiteral("siebzehn"),
                                        QStringLiteral("achtzehn"), QStringLiteral("neunzehn") };
const std::array<QString, 10> tens = { QString(),
                                       QString(),
                                       QStringLiteral("zwanzig"),
                                       QStringLiteral("dreißig"),
                                       QStringLiteral("vierzig"),
                                       QStringLiteral("fünfzig"),
                                       QStringLiteral("sechzig"),
                                       QStringLiteral("siebzig"),
                                       QStringLiteral("achtzig"),
                                       QStringLiteral("neunzig") };

// The number word for 1 to 99, lower case.
QString numberWord(int n)
{
    if (n < 10)
        return finalForm[n];
    if (n < 20)
        return teens[n - 10];
    if (n % 10 == 0)
        return tens[n / 10];
    return combiningForm[n % 10] + QStringLiteral("und") + tens[n / 10];
}

QString capitalised(QString word)
{
    if (!word.isEmpty())
        word[0] = word.at(0).toUpper();
    return word;
}

int digitAt(const QString &t, qsizetype i)
{
    const QChar c = t.at(i);
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - '0' : -1;
}

// The number two characters write, or -1 when they are not both digits.
int pairAt(const QString &t, qsizetype i)
{
    const int high = digitAt(t, i);
    const int low = digitAt(t, i + 1);
    return high < 0 || low < 0 ? -1 : high * 10 + low;
}

// The last two digits after another word: "00" is the fill alone.
QString pairWord(int n)
{
    if (n < 0)
        return QString();
    return (n == 0 ? QString() : numberWord(n)) + fill;
}

QString leadingPairWord(int n)
{
    if (n == 0)
        return QStringLiteral("Null") + fill;
    if (n == 1)
        return QStringLiteral("Eine") + fill;
    return capitalised(numberWord(n)) + fill;
}

QString hundredsWord(int digit)
{
    return digit > 0 ? combiningForm[digit] + QStringLiteral("hundert") : QString();
}

QString thousandsWord(int n)
{
    if (n <= 0)
        return QString();
    return capitalised(n == 1 ? QStringLiteral("ein") : numberWord(n)) + QStringLiteral("tausend");
}

} // namespace

std::optional<QString> AmountInWords(const QString &t)
{
    // A negative total has no words; the minus would otherwise just be a
    // position that matches nothing ("-12" would read "zwölf -----").
    if (t.contains(QLatin1Char('-')))
        return std::nullopt;
    switch (t.size()) {
    case 5: {
        const int thousands = pairAt(t, 0);
        return (thousands >= 10 ? thousandsWord(thousands) : QString()) + hundredsWord(digitAt(t, 2))
            + pairWord(pairAt(t, 3));
    }
    case 4:
        return thousandsWord(digitAt(t, 0)) + hundredsWord(digitAt(t, 1)) + pairWord(pairAt(t, 2));
    case 3:
        return capitalised(hundredsWord(digitAt(t, 0))) + pairWord(pairAt(t, 1));
    case 2: {
        const int n = pairAt(t, 0);
        if (n < 10)
            return std::nullopt;
        return leadingPairWord(n);
    }
    case 1: {
        const int n = digitAt(t, 0);
        if (n < 0)
            return std::nullopt;
        return leadingPairWord(n);
    }
    default:
        return std::nullopt;
    }
}

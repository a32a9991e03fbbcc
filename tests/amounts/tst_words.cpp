#include "amounts/words.h"

#include <QStringList>
#include <QTest>

namespace {

// A second way to the words, for checking: from the value by arithmetic,
// with the teens and tens derived from the unit stems by rule and their
// irregular forms listed as exceptions.
QString stem(int digit)
{
    static const QStringList stems = { QString(), QStringLiteral("ein"), QStringLiteral("zwei"),
                                       QStringLiteral("drei"), QStringLiteral("vier"), QStringLiteral("fünf"),
                                       QStringLiteral("sechs"), QStringLiteral("sieben"), QStringLiteral("acht"),
                                       QStringLiteral("neun") };
    return stems.at(digit);
}

QString lowerWord(int n) // 1 to 99
{
    const int unit = n % 10;
    const int ten = n / 10;
    if (n == 1)
        return QStringLiteral("eins");
    if (ten == 0)
        return stem(unit);
    if (ten == 1) {
        switch (unit) {
        case 0: return QStringLiteral("zehn");
        case 1: return QStringLiteral("elf");
        case 2: return QStringLiteral("zwölf");
        case 6: return QStringLiteral("sechzehn");
        case 7: return QStringLiteral("siebzehn");
        default: return stem(unit) + QStringLiteral("zehn");
        }
    }
    QString tens;
    switch (ten) {
    case 2: tens = QStringLiteral("zwanzig"); break;
    case 3: tens = QStringLiteral("dreißig"); break;
    case 6: tens = QStringLiteral("sechzig"); break;
    case 7: tens = QStringLiteral("siebzig"); break;
    default: tens = stem(ten) + QStringLiteral("zig");
    }
    return unit == 0 ? tens : stem(unit) + QStringLiteral("und") + tens;
}

QString upperFirst(const QString &s)
{
    return s.left(1).toUpper() + s.mid(1);
}

QString expectedWords(int n)
{
    const QString dashes = QStringLiteral(" -----");
    if (n == 0)
        return QStringLiteral("Null") + dashes;
    if (n == 1)
        return QStringLiteral("Eine") + dashes;
    if (n < 100)
        return upperFirst(lowerWord(n)) + dashes;
    const int thousands = n / 1000;
    const int hundreds = n / 100 % 10;
    const int rest = n % 100;
    QString s;
    if (thousands > 0)
        s += upperFirst(thousands == 1 ? stem(1) : lowerWord(thousands)) + QStringLiteral("tausend");
    if (hundreds > 0) {
        const QString h = stem(hundreds) + QStringLiteral("hundert");
        s += s.isEmpty() ? upperFirst(h) : h;
    }
    if (rest > 0)
        s += lowerWord(rest);
    return s + dashes;
}

} // namespace

class TestWords : public QObject
{
    Q_OBJECT

private slots:
    void words_data();
    void words();
    void everyWholeAmountUpTo99999();
};

void TestWords::words_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<bool>("hasResult");
    QTest::addColumn<QString>("expected");

    auto row = [](const char *name, const char *units, const char *words) {
        QTest::newRow(name) << QString::fromUtf8(units) << true << QString::fromUtf8(words);
    };
    auto none = [](const char *name, const char *units) {
        QTest::newRow(name) << QString::fromUtf8(units) << false << QString();
    };

    // The worked results.
    row("0", "0", "Null -----");
    row("1", "1", "Eine -----");
    row("7", "7", "Sieben -----");
    row("10", "10", "Zehn -----");
    row("11", "11", "Elf -----");
    row("16", "16", "Sechzehn -----");
    row("21", "21", "Einundzwanzig -----");
    row("30", "30", "Dreißig -----");
    row("53", "53", "Dreiundfünfzig -----");
    row("99", "99", "Neunundneunzig -----");
    row("100", "100", "Einhundert -----");
    row("101", "101", "Einhunderteins -----");
    row("110", "110", "Einhundertzehn -----");
    row("999", "999", "Neunhundertneunundneunzig -----");
    row("1000", "1000", "Eintausend -----");
    row("1001", "1001", "Eintausendeins -----");
    row("1100", "1100", "Eintausendeinhundert -----");
    row("2345", "2345", "Zweitausenddreihundertfünfundvierzig -----");
    row("7000", "7000", "Siebentausend -----");
    row("10000", "10000", "Zehntausend -----");
    row("12300", "12300", "Zwölftausenddreihundert -----");
    row("12345", "12345", "Zwölftausenddreihundertfünfundvierzig -----");
    row("99999", "99999", "Neunundneunzigtausendneunhundertneunundneunzig -----");
    none("100000: beyond the words", "100000");

    // Others.
    row("66 keeps the full unit", "66", "Sechsundsechzig -----");
    row("77 keeps the full unit", "77", "Siebenundsiebzig -----");
    row("617", "617", "Sechshundertsiebzehn -----");
    row("17060", "17060", "Siebzehntausendsechzig -----");
    row("21001", "21001", "Einundzwanzigtausendeins -----");
    row("12000 ends in the fill", "12000", "Zwölftausend -----");

    // Texts matched by position.
    none("05: a leading zero in two characters", "05");
    none("00", "00");
    row("007: the hundreds zero matches nothing", "007", "sieben -----");
    row("000: the fill alone", "000", " -----");
    row("0100: the thousands zero matches nothing", "0100", "einhundert -----");
    row("01234: thousands 01 match nothing", "01234", "zweihundertvierunddreißig -----");
    row("12a: letters end the hundreds", "12a", "Einhundert");
    row("a12: a letter in the hundreds", "a12", "zwölf -----");
    row("1 23: a blank in the hundreds", "1 23", "Eintausenddreiundzwanzig -----");
    row("abcde: nothing matches", "abcde", "");
    none("letter alone", "x");
    none("two letters", "ab");
    none("digit and letter", "1a");
    none("digit and point", "9.");
    none("empty", "");
    none("six digits", "123456");
    none("seven digits with leading zeros", "0000001");

    // A negative total is not written in words.
    none("-12 is not twelve", "-12");
    none("-5", "-5");
    none("-1234", "-1234");
    none("minus behind the digits", "12-");
}

void TestWords::words()
{
    QFETCH(QString, units);
    QFETCH(bool, hasResult);

    const std::optional<QString> words = AmountInWords(units);
    QCOMPARE(words.has_value(), hasResult);
    if (hasResult)
        QTEST(*words, "expected");
}

void TestWords::everyWholeAmountUpTo99999()
{
    for (int n = 0; n <= 99999; ++n) {
        const QString units = QString::number(n);
        const std::optional<QString> words = AmountInWords(units);
        const QString expected = expectedWords(n);
        if (!words || *words != expected)
            QFAIL(qPrintable(QStringLiteral("%1 gives \"%2\", expected \"%3\"")
                                 .arg(units, words.value_or(QStringLiteral("<none>")), expected)));
    }
}

QTEST_GUILESS_MAIN(TestWords)
#include "tst_words.moc"

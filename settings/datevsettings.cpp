#include "settings/datevsettings.h"

#include "settings/settings.h"

#include <QDate>

#include <algorithm>

namespace {

const QString consultantFile = QStringLiteral("datevber.dat");
const QString clientFile = QStringLiteral("datevman.dat");
const QString chartFile = QStringLiteral("datevskr.dat");
const QString fiscalFile = QStringLiteral("datevwjb.dat");
const QString cashFile = QStringLiteral("datevkas.dat");
const QString smallBusinessFile = QStringLiteral("datevklu.dat");

QString rateFile(int rate)
{
    return QStringLiteral("datev%1.dat").arg(rate);
}

// A whole number of plain digits; -1 for anything else.
int number(const std::optional<QString> &text, int maxDigits)
{
    if (!text)
        return -1;
    const QString t = text->trimmed();
    if (t.isEmpty() || t.size() > maxDigits
        || !std::all_of(t.cbegin(), t.cend(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }))
        return -1;
    return t.toInt();
}

bool isAccount(int account)
{
    return account >= 1 && account <= 9999;
}

// Checked in a year without the 29th of February: a fiscal year beginning
// on that day would begin on no day in three years of four.
bool isFiscalStart(int month, int day)
{
    return QDate::isValid(2025, month, day);
}

} // namespace

DatevSettings DatevSettings::defaults(Chart chart)
{
    DatevSettings s;
    s.chart = chart;
    if (chart == Chart::Skr03) {
        s.cashAccount = 1000;
        s.revenueAccounts = { 8400, 8400, 8300, 8300, 8200 };
        s.smallBusinessAccount = 8195;
    } else {
        s.cashAccount = 1600;
        s.revenueAccounts = { 4400, 4400, 4300, 4300, 4200 };
        s.smallBusinessAccount = 4185;
    }
    return s;
}

int DatevSettings::revenueAccount(int rate) const
{
    const auto at = std::find(rates.begin(), rates.end(), rate);
    return at == rates.end() ? 0 : revenueAccounts[size_t(at - rates.begin())];
}

QString DatevSettings::problem() const
{
    if (consultant < 1001 || consultant > 9999999)
        return QStringLiteral("Die Beraternummer muss zwischen 1001 und 9999999 liegen.");
    if (client < 1 || client > 99999)
        return QStringLiteral("Die Mandantennummer muss zwischen 1 und 99999 liegen.");
    if (!isFiscalStart(fiscalMonth, fiscalDay))
        return QStringLiteral("Der Beginn des Wirtschaftsjahres ist kein Tag des Jahres (TT.MM., "
                              "zum Beispiel 01.01.).");
    const QString digits = QStringLiteral("ist kein vierstelliges Konto (1000 bis 9999).");
    const auto fourDigits = [](int account) { return account >= 1000 && account <= 9999; };
    if (!fourDigits(cashAccount))
        return QStringLiteral("Das Kassenkonto ") + digits;
    for (size_t i = 0; i < rates.size(); ++i)
        if (!fourDigits(revenueAccounts[i]))
            return QStringLiteral("Das Erlöskonto für %1 % ").arg(rates[i]) + digits;
    if (!fourDigits(smallBusinessAccount))
        return QStringLiteral("Das Erlöskonto für Kleinunternehmer ") + digits;
    return QString();
}

DatevSettings ReadDatevSettings(const WorkDir &dir, bool *complete)
{
    const int chart = number(settingValue(dir, chartFile), 2);
    DatevSettings s = DatevSettings::defaults(chart == 4 ? DatevSettings::Chart::Skr04 : DatevSettings::Chart::Skr03);
    bool all = chart == 3 || chart == 4;
    const auto take = [&](const QString &file, int maxDigits, int *into, bool (*valid)(int)) {
        const int value = number(settingValue(dir, file), maxDigits);
        if (value >= 0 && valid(value))
            *into = value;
        else
            all = false;
    };
    take(consultantFile, 7, &s.consultant, [](int v) { return v >= 1001; });
    take(clientFile, 5, &s.client, [](int v) { return v >= 1; });
    take(cashFile, 4, &s.cashAccount, isAccount);
    for (size_t i = 0; i < DatevSettings::rates.size(); ++i)
        take(rateFile(DatevSettings::rates[i]), 4, &s.revenueAccounts[i], isAccount);
    take(smallBusinessFile, 4, &s.smallBusinessAccount, isAccount);
    const int fiscal = number(settingValue(dir, fiscalFile), 4);
    if (fiscal >= 0 && settingValue(dir, fiscalFile)->trimmed().size() == 4 && isFiscalStart(fiscal % 100, fiscal / 100)) {
        s.fiscalDay = fiscal / 100;
        s.fiscalMonth = fiscal % 100;
    } else {
        all = false;
    }
    if (complete)
        *complete = all && s.problem().isEmpty();
    return s;
}

bool WriteDatevSettings(WorkDir &dir, const DatevSettings &s, QString *error)
{
    const auto four = [](int v) { return QStringLiteral("%1").arg(v, 4, 10, QLatin1Char('0')); };
    QList<std::pair<QString, QString>> values = {
        { consultantFile, QString::number(s.consultant) },
        { clientFile, QString::number(s.client) },
        { chartFile, s.chart == DatevSettings::Chart::Skr04 ? QStringLiteral("04") : QStringLiteral("03") },
        { fiscalFile, four(s.fiscalDay * 100 + s.fiscalMonth) },
        { cashFile, QString::number(s.cashAccount) },
        { smallBusinessFile, QString::number(s.smallBusinessAccount) },
    };
    for (size_t i = 0; i < DatevSettings::rates.size(); ++i)
        values.append({ rateFile(DatevSettings::rates[i]), QString::number(s.revenueAccounts[i]) });
    for (const auto &[file, value] : values)
        if (!WriteSetting(dir, file, value, error))
            return false;
    return true;
}

#include "text/codepage.h"
#include "archive/datev.h"

#include "receipt/vatrate.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace datev {

namespace {

QString ymd(QDate day)
{
    return day.toString(QStringLiteral("yyyyMMdd"));
}

// A text field: in quotes, inner quotes doubled. The format allows no
// control characters in a text: a tab becomes a blank, any other (NUL, or
// one of the bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which the code page
// leaves undefined and which would go into the file as they were) a "?",
// the file's code page having no replacement character.
QString quoted(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text = codepage::withVisibleControls(std::move(text), QLatin1Char('?'));
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QByteArray encodedLine(const QStringList &fields)
{
    // The texts have been made Latin (latinText) already.
    return codepage::encode(latinText(fields.join(QLatin1Char(';')))).value_or(QByteArray()) + "\r\n";
}

QStringList headerFields(const DatevSettings &s, QDate fiscalStart, QDate from, QDate to, const QDateTime &createdAt)
{
    QStringList f(headerFieldCount);
    f[0] = quoted(QStringLiteral("EXTF"));
    f[1] = QStringLiteral("700");
    f[2] = QStringLiteral("21");
    f[3] = quoted(QStringLiteral("Buchungsstapel"));
    f[4] = QStringLiteral("13");
    f[5] = createdAt.toString(QStringLiteral("yyyyMMddHHmmsszzz"));
    // 7 is left to the importing program; 8 is the origin, two capitals.
    f[7] = quoted(QStringLiteral("RE"));
    f[8] = quoted(QString());
    f[9] = quoted(QString());
    f[10] = QString::number(s.consultant);
    f[11] = QString::number(s.client);
    f[12] = ymd(fiscalStart);
    f[13] = QString::number(DatevSettings::accountDigits);
    f[14] = ymd(from);
    f[15] = ymd(to);
    // The batch's label, at most 30 characters.
    f[16] = quoted(QStringLiteral("Quittungen %1-%2").arg(from.toString(QStringLiteral("dd.MM.yy")),
                                                         to.toString(QStringLiteral("dd.MM.yy"))));
    f[17] = quoted(QString()); // no dictation initials
    f[18] = QStringLiteral("1"); // financial accounting
    f[19] = QStringLiteral("0"); // for any accounting purpose
    // Not locked: the advisor looks the bookings over before locking them.
    f[20] = QStringLiteral("0");
    f[21] = quoted(QStringLiteral("EUR"));
    f[23] = quoted(QString());
    f[26] = quoted(s.chart == DatevSettings::Chart::Skr04 ? QStringLiteral("04") : QStringLiteral("03"));
    f[29] = quoted(QString());
    f[30] = quoted(QString());
    return f;
}

// The account a receipt's money is booked to. A small business's receipts
// without VAT have an account of their own; receipts from before, with VAT,
// keep the account of their rate.
int revenueAccountOf(const DatevSettings &settings, const EvaluationRow &row)
{
    if (row.taxMode == TaxMode::SmallBusiness || (settings.smallBusiness && row.rate == 0))
        return settings.smallBusinessAccount;
    if (row.taxMode == TaxMode::TaxFree)
        return settings.revenueAccount(0);
    // The accounts are kept for whole rates only.
    return row.rate && *row.rate % vatrate::hundredths == 0 ? settings.revenueAccount(*row.rate / vatrate::hundredths)
                                                             : 0;
}

// The largest amount the format's turnover takes: ten digits before the comma.
constexpr qint64 maxCents = 999999999999;

} // namespace

QDate bookingDate(const EvaluationRow &row)
{
    return row.date;
}

QDate fiscalYearStart(const DatevSettings &settings, QDate day)
{
    const QDate start(day.year(), settings.fiscalMonth, settings.fiscalDay);
    return day >= start ? start : start.addYears(-1);
}

QString fileName(QDate from, QDate to)
{
    return QStringLiteral("EXTF_Buchungsstapel_%1_%2.csv").arg(ymd(from), ymd(to));
}

QString yearFileName(const QString &chosenName, QDate allFrom, QDate allTo, QDate from, QDate to)
{
    const QString all = ymd(allFrom) + QLatin1Char('_') + ymd(allTo);
    const QString own = ymd(from) + QLatin1Char('_') + ymd(to);
    QString name = chosenName;
    if (name.contains(all)) {
        name.replace(all, own);
    } else {
        const QString suffix = QStringLiteral(".csv");
        const qsizetype at = name.endsWith(suffix, Qt::CaseInsensitive) ? name.size() - suffix.size() : name.size();
        name.insert(at, QLatin1Char('_') + own);
    }
    if (!name.startsWith(QStringLiteral("EXTF_"), Qt::CaseInsensitive))
        name.prepend(QStringLiteral("EXTF_"));
    return name;
}

bool isEuro(const QString &currencyName)
{
    const QString name = currencyName.trimmed();
    return name.compare(QStringLiteral("EUR"), Qt::CaseInsensitive) == 0
        || name.compare(QStringLiteral("Euro"), Qt::CaseInsensitive) == 0 || name == QStringLiteral("€");
}

QStringList columnTitles()
{
    QStringList titles = {
        QStringLiteral("Umsatz (ohne Soll/Haben-Kz)"), QStringLiteral("Soll/Haben-Kennzeichen"),
        QStringLiteral("WKZ Umsatz"), QStringLiteral("Kurs"), QStringLiteral("Basis-Umsatz"),
        QStringLiteral("WKZ Basis-Umsatz"), QStringLiteral("Konto"), QStringLiteral("Gegenkonto (ohne BU-Schlüssel)"),
        QStringLiteral("BU-Schlüssel"), QStringLiteral("Belegdatum"), QStringLiteral("Belegfeld 1"),
        QStringLiteral("Belegfeld 2"), QStringLiteral("Skonto"), QStringLiteral("Buchungstext"),
        QStringLiteral("Postensperre"), QStringLiteral("Diverse Adressnummer"), QStringLiteral("Geschäftspartnerbank"),
        QStringLiteral("Sachverhalt"), QStringLiteral("Zinssperre"), QStringLiteral("Beleglink"),
    };
    for (int i = 1; i <= 8; ++i)
        titles << QStringLiteral("Beleginfo - Art %1").arg(i) << QStringLiteral("Beleginfo - Inhalt %1").arg(i);
    titles << QStringLiteral("KOST1 - Kostenstelle") << QStringLiteral("KOST2 - Kostenstelle")
           << QStringLiteral("Kost-Menge") << QStringLiteral("EU-Land u. UStID (Bestimmung)")
           << QStringLiteral("EU-Steuersatz (Bestimmung)") << QStringLiteral("Abw. Versteuerungsart")
           << QStringLiteral("Sachverhalt L+L") << QStringLiteral("Funktionsergänzung L+L")
           << QStringLiteral("BU 49 Hauptfunktionstyp") << QStringLiteral("BU 49 Hauptfunktionsnummer")
           << QStringLiteral("BU 49 Funktionsergänzung");
    for (int i = 1; i <= 20; ++i)
        titles << QStringLiteral("Zusatzinformation - Art %1").arg(i)
               << QStringLiteral("Zusatzinformation- Inhalt %1").arg(i);
    titles << QStringLiteral("Stück") << QStringLiteral("Gewicht") << QStringLiteral("Zahlweise")
           << QStringLiteral("Forderungsart") << QStringLiteral("Veranlagungsjahr")
           << QStringLiteral("Zugeordnete Fälligkeit") << QStringLiteral("Skontotyp") << QStringLiteral("Auftragsnummer")
           << QStringLiteral("Buchungstyp") << QStringLiteral("USt-Schlüssel (Anzahlungen)")
           << QStringLiteral("EU-Mitgliedstaat (Anzahlungen)") << QStringLiteral("Sachverhalt L+L (Anzahlungen)")
           << QStringLiteral("EU-Steuersatz (Anzahlungen)") << QStringLiteral("Erlöskonto (Anzahlungen)")
           << QStringLiteral("Herkunft-Kz") << QStringLiteral("Buchungs GUID") << QStringLiteral("KOST-Datum")
           << QStringLiteral("SEPA-Mandatsreferenz") << QStringLiteral("Skontosperre")
           << QStringLiteral("Gesellschaftername") << QStringLiteral("Beteiligtennummer")
           << QStringLiteral("Identifikationsnummer") << QStringLiteral("Zeichnernummer")
           << QStringLiteral("Postensperre bis") << QStringLiteral("Bezeichnung SoBil-Sachverhalt")
           << QStringLiteral("Kennzeichen SoBil-Buchung") << QStringLiteral("Festschreibung")
           << QStringLiteral("Leistungsdatum") << QStringLiteral("Datum Zuord. Steuerperiode")
           << QStringLiteral("Fälligkeit") << QStringLiteral("Generalumkehr (GU)") << QStringLiteral("Steuersatz")
           << QStringLiteral("Land") << QStringLiteral("Abrechnungsreferenz") << QStringLiteral("BVV-Position")
           << QStringLiteral("EU-Mitgliedstaat u. UStID (Ursprung)") << QStringLiteral("EU-Steuersatz (Ursprung)")
           << QStringLiteral("Abw. Skontokonto");
    return titles;
}

QString documentField(const QString &number)
{
    // Letters, digits and "$ % - /": what the format's description and its
    // pattern for the field both allow. No blanks, umlauts, dots or commas.
    QString out;
    for (const QChar c : number) {
        const char16_t u = c.unicode();
        if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'$' || u == u'%'
            || u == u'-' || u == u'/')
            out += c;
    }
    return out.left(36);
}

QString postingText(const QString &payer, const QString &purpose)
{
    // What was paid for tells a booking apart better than who paid.
    const QString p = payer.simplified(), q = purpose.simplified();
    QString text = p.isEmpty() || q.isEmpty() ? q + p : q + QStringLiteral(", ") + p;
    constexpr int most = 60;
    if (text.size() <= most)
        return text;
    // Cut before the word that does not fit whole; one word longer than the
    // field is cut within.
    qsizetype cut = text.lastIndexOf(QLatin1Char(' '), most);
    if (cut <= 0)
        cut = most;
    text.truncate(cut);
    while (text.endsWith(QLatin1Char(',')) || text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QString latinText(const QString &text)
{
    if (codepage::encodable(text))
        return text;
    // Letters that decompose into no Latin letter and a mark ("ø" and "ß"
    // are in the code page and stay).
    static const std::map<char16_t, char> own = {
        { u'\u0141', 'L' }, { u'\u0142', 'l' }, { u'\u0131', 'i' }, { u'\u0110', 'D' },
        { u'\u0111', 'd' }, { u'\u0126', 'H' }, { u'\u0127', 'h' }, { u'\u0166', 'T' }, { u'\u0167', 't' },
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (codepage::encodable(QStringView(&c, 1))) {
            out += c;
            continue;
        }
        if (const auto found = own.find(c.unicode()); found != own.end()) {
            out += QLatin1Char(found->second);
            continue;
        }
        // "ş" is "s" and a cedilla, "ř" "r" and a caron: the marks go.
        QString base;
        for (const QChar d : c.decomposition()) {
            if (d.category() != QChar::Mark_NonSpacing && codepage::encodable(QStringView(&d, 1)))
                base += d;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        out += base.isEmpty() ? QStringLiteral("?") : base;
    }
    return out;
}

QString transliteratedMessage(const QStringList &numbers)
{
    if (numbers.isEmpty())
        return QString();
    constexpr int shown = 30;
    QString list = numbers.mid(0, shown).join(QStringLiteral(", "));
    if (numbers.size() > shown)
        list += QStringLiteral(" und %1 weitere").arg(numbers.size() - shown);
    return QStringLiteral("Die DATEV-Datei kennt nur die Zeichen von Windows-1252. Buchstaben außerhalb davon "
                          "stehen dort als der nächste lateinische Buchstabe (z. B. \"Lukasz\" für \"Łukasz\"), "
                          "bei Nr. %1.")
        .arg(list);
}

Batches bookingBatches(const DatevSettings &settings, const std::vector<EvaluationRow> &rows,
                       const std::vector<int> &order, const QDateTime &createdAt, QDate periodFrom, QDate periodTo)
{
    Batches out;
    // Row indices by the first day of their fiscal year, in the given order.
    std::map<QDate, std::vector<int>> years;
    for (const int index : order) {
        const EvaluationRow &row = rows.at(size_t(index));
        const QDate day = bookingDate(row);
        Skipped skip { row.number(), Skip::Unreadable };
        if (!row.readable)
            skip.why = Skip::Unreadable;
        else if (!row.rate && row.taxMode == TaxMode::Regular)
            skip.why = Skip::UnknownRate;
        else if (revenueAccountOf(settings, row) == 0)
            skip = { row.number(), Skip::NoAccount, row.rate.value_or(0) };
        // A cancellation is booked with its amount on the other side.
        else if (row.total.cents == 0 || (row.total.cents < 0 && row.cancels.isEmpty()))
            skip.why = Skip::Zero;
        else if (std::abs(row.total.cents) > maxCents)
            skip.why = Skip::TooLarge;
        else if (!day.isValid())
            skip.why = Skip::NoDate;
        else {
            years[fiscalYearStart(settings, day)].push_back(index);
            continue;
        }
        out.skipped.push_back(skip);
    }

    const QStringList titles = columnTitles();
    for (const auto &[fiscalStart, indices] : years) {
        File file;
        file.from = file.to = bookingDate(rows.at(size_t(indices.front())));
        for (const int index : indices) {
            const QDate day = bookingDate(rows.at(size_t(index)));
            file.from = std::min(file.from, day);
            file.to = std::max(file.to, day);
        }
        // The period chosen, within the fiscal year; an open end is the
        // receipts' own.
        if (periodFrom.isValid())
            file.from = std::max(periodFrom, fiscalStart);
        if (periodTo.isValid())
            file.to = std::min(periodTo, fiscalStart.addYears(1).addDays(-1));
        file.name = fileName(file.from, file.to);
        file.bytes = encodedLine(headerFields(settings, fiscalStart, file.from, file.to, createdAt));
        file.bytes += encodedLine(titles);
        QStringList f(columnCount);
        for (const int index : indices) {
            const EvaluationRow &row = rows.at(size_t(index));
            f.fill(QString());
            const bool cancels = !row.cancels.isEmpty();
            f[0] = germantext::amount(std::abs(row.total.cents), false);
            f[1] = quoted(cancels ? QStringLiteral("H") : QStringLiteral("S"));
            f[6] = QString::number(settings.cashAccount);
            // The revenue accounts are automatic accounts: no tax key.
            f[7] = QString::number(revenueAccountOf(settings, row));
            f[9] = bookingDate(row).toString(QStringLiteral("ddMM"));
            f[10] = quoted(documentField(row.number()));
            // A cancellation names the receipt it cancels.
            const QString purpose = cancels ? QStringLiteral("Storno zu Nr. ") + row.cancels : row.purpose;
            if (!codepage::encodable(postingText(row.payer, purpose)))
                out.transliterated.append(row.number());
            f[13] = quoted(postingText(latinText(row.payer), latinText(purpose)));
            f[113] = QStringLiteral("0"); // not locked, as the header says
            file.bytes += encodedLine(f);
            ++file.bookings;
        }
        if (!out.from.isValid() || file.from < out.from)
            out.from = file.from;
        out.to = std::max(out.to, file.to);
        out.files.push_back(std::move(file));
    }
    return out;
}

QString skippedMessage(const std::vector<Skipped> &skipped)
{
    if (skipped.empty())
        return QString();
    // One line per reason (and per rate without an account), in the order
    // they first occur, with at most this many numbers each.
    constexpr int shown = 30;
    struct Line
    {
        Skip why;
        int rate;
        QStringList numbers;
        qsizetype count = 0;
    };
    std::vector<Line> lines;
    for (const Skipped &s : skipped) {
        auto line = std::find_if(lines.begin(), lines.end(), [&](const Line &l) {
            return l.why == s.why && (s.why != Skip::NoAccount || l.rate == s.rate);
        });
        if (line == lines.end())
            line = lines.insert(lines.end(), Line { s.why, s.rate, {} });
        if (line->numbers.size() < shown)
            line->numbers.append(s.number);
        ++line->count;
    }
    QString text = skipped.size() == 1
        ? QStringLiteral("1 Quittung wurde nicht gebucht:")
        : QStringLiteral("%1 Quittungen wurden nicht gebucht:").arg(skipped.size());
    for (const Line &line : lines) {
        QString why;
        switch (line.why) {
        case Skip::Unreadable:
            why = QStringLiteral("Beträge nicht lesbar");
            break;
        case Skip::UnknownRate:
            why = QStringLiteral("MWSt-Satz \"?\" (kein Satz passt genau)");
            break;
        case Skip::NoAccount:
            why = QStringLiteral("kein Erlöskonto für %1 %").arg(vatrate::text(line.rate));
            break;
        case Skip::Zero:
            why = QStringLiteral("Gesamtbetrag 0,00");
            break;
        case Skip::TooLarge:
            why = QStringLiteral("Gesamtbetrag über 9.999.999.999,99");
            break;
        case Skip::NoDate:
            why = QStringLiteral("ohne Datum");
            break;
        }
        text += QStringLiteral("\n%1: Nr. %2").arg(why, line.numbers.join(QStringLiteral(", ")));
        if (line.count > line.numbers.size())
            text += QStringLiteral(" und %1 weitere").arg(line.count - line.numbers.size());
    }
    return text;
}

} // namespace datev

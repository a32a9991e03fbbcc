#pragma once

// A made-up archive of receipts with the variety of a small business over
// many years: private payers and firms with their addresses, rents, repairs,
// fees and donations, with and without VAT, amounts from a few euros to
// several thousand, the amount in words.

#include "receipt/receiptfile.h"
#include "platform/workdir.h"
#include "text/codepage.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <random>

namespace archivegen {

// The payer that only every ten-thousandth receipt has.
inline const QString rarePayer = QStringLiteral("Xaver Zwiebelmeier, Almweg 1, 83471 Berchtesgaden");

inline QString germanWords(int n)
{
    static const char *const ones[] = { "", "ein", "zwei", "drei", "vier", "fünf", "sechs", "sieben", "acht", "neun" };
    static const char *const teens[] = { "zehn",     "elf",      "zwölf",     "dreizehn", "vierzehn",
                                         "fünfzehn", "sechzehn", "siebzehn", "achtzehn", "neunzehn" };
    static const char *const tens[] = { "", "", "zwanzig", "dreißig", "vierzig", "fünfzig", "sechzig", "siebzig", "achtzig", "neunzig" };
    auto below100 = [&](int v, bool last) -> QString {
        if (v == 1)
            return QString::fromUtf8(last ? "eins" : "ein");
        if (v < 10)
            return QString::fromUtf8(ones[v]);
        if (v < 20)
            return QString::fromUtf8(teens[v - 10]);
        return (v % 10 ? QString::fromUtf8(ones[v % 10]) + QStringLiteral("und") : QString()) + QString::fromUtf8(tens[v / 10]);
    };
    auto below1000 = [&](int v, bool last) {
        QString s;
        if (v / 100)
            s = QString::fromUtf8(ones[v / 100]) + QStringLiteral("hundert");
        if (v % 100)
            s += below100(v % 100, last);
        return s;
    };
    if (n == 0)
        return QStringLiteral("Null");
    QString s;
    if (n / 1000)
        s = below1000(n / 1000, false) + QStringLiteral("tausend");
    s += below1000(n % 1000, true);
    s[0] = s.at(0).toUpper();
    return s;
}

// Writes `count` receipt files named 1.num to <count>.num and returns the
// number of non-empty lines written.
inline qint64 writeArchive(const QString &dir, int count, unsigned seed = 4711)
{
    static const QStringList first = QString::fromUtf8(
        "Hans Jürgen Ursula Günter Käthe Sören Renate Wolfgang Monika Björn Brigitte Klaus Petra Jörg Sabine Uwe "
        "Heike Dieter Martina Jens Gisela Horst Andrea Stefan Doris Rüdiger Anja Thomas Elke Michael Bärbel Frank")
        .split(QLatin1Char(' '));
    static const QStringList last = QString::fromUtf8(
        "Müller Schmidt Schneider Fischer Weber Meyer Wagner Becker Schulz Hoffmann Schäfer Koch Bauer Richter "
        "Klein Wolf Schröder Neumann Schwarz Zimmermann Braun Krüger Hofmann Hartmann Lange Schmitt Werner "
        "Schmitz Krause Meier Lehmann Schmid Schulze Maier Köhler Herrmann König Walter Mayer Huber Kaiser Fuchs "
        "Peters Lang Scholz Möller Weiß Jung Hahn Schubert Vogel Friedrich Keller Günther Frank Berger Winkler "
        "Roth Beck Lorenz Baumann Franke Albrecht Schuster Simon Ludwig Böhm Winter Kraus Martin Schumacher")
        .split(QLatin1Char(' '));
    static const QStringList firms = QString::fromUtf8(
        "Bäckerei Sommer GmbH|Autohaus Köhler KG|Gasthof Zur Linde|Elektro Hübner & Söhne|Praxis Dr. Weiß|"
        "Förderverein Grundschule e.V.|Sanitär Brückner GmbH|Blumen Lüdtke|Steuerbüro Jäger|Café Kränzchen|"
        "Malerbetrieb Öztürk|Hausverwaltung Großmann|Kfz-Werkstatt Bößler|Buchhandlung Bücherwurm")
        .split(QLatin1Char('|'));
    static const QStringList streets = QString::fromUtf8(
        "Hauptstraße|Bahnhofstr.|Am Mühlbach|Goethestraße|Schillerweg|Lindenallee|Kirchplatz|Gartenstraße|"
        "Rosenweg|Friedhofstr.|Am Schloßberg|Waldstraße|Brückenstraße|Marktplatz|Tulpenweg|Dorfstraße")
        .split(QLatin1Char('|'));
    static const QStringList towns = QString::fromUtf8(
        "80331 München|50667 Köln|20095 Hamburg|01067 Dresden|04109 Leipzig|90402 Nürnberg|70173 Stuttgart|"
        "97070 Würzburg|33602 Bielefeld|26122 Oldenburg|79098 Freiburg im Breisgau|66111 Saarbrücken|"
        "24103 Kiel|18055 Rostock|10115 Berlin|36037 Fulda|94032 Passau|88212 Ravensburg")
        .split(QLatin1Char('|'));
    static const QStringList months = QString::fromUtf8(
        "Januar Februar März April Mai Juni Juli August September Oktober November Dezember")
        .split(QLatin1Char(' '));
    static const QStringList purposes = QString::fromUtf8(
        "Miete für %m %y|Nebenkosten %y|Reparatur Fahrrad|Gartenarbeiten im %m|Nachhilfe Mathematik, %h Stunden|"
        "Brennholz %h Ster Buche|Kaution Wohnung %s|Übernachtung mit Frühstück|Honorar Vortrag am %d.%n.%y|"
        "Spende für den Förderverein|Kfz-Reparatur (Bremsen, Ölwechsel)|Beratung lt. Vereinbarung|"
        "Reinigung Treppenhaus %m %y|Abschlag Strom %m|Klavierunterricht %m %y|Verkauf gebrauchter Möbel|"
        "Anzahlung Küche|Fliesenarbeiten Bad|Catering Geburtstagsfeier|Pacht Gartengrundstück %y")
        .split(QLatin1Char('|'));

    std::mt19937 rng(seed);
    auto pick = [&rng](const QStringList &list) { return list.at(int(rng() % unsigned(list.size()))); };
    auto number = [&rng](int lo, int hi) { return lo + int(rng() % unsigned(hi - lo + 1)); };
    std::lognormal_distribution<double> amount(4.5, 1.3);

    qint64 lines = 0;
    for (int i = 1; i <= count; ++i) {
        ReceiptRecord r;
        r.number = QString::number(i);
        const qint64 cents = std::clamp<qint64>(qint64(amount(rng) * 100), 100, 9999999);
        r.totalUnits = QString::number(cents / 100);
        r.totalPennies = QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
        const int rate = rng() % 2 ? 0 : (rng() % 4 ? 19 : 7);
        if (rate) {
            const qint64 net = (cents * 100 + (100 + rate) / 2) / (100 + rate);
            const qint64 vat = cents - net;
            r.netUnits = QString::number(net / 100);
            r.netPennies = QStringLiteral("%1").arg(net % 100, 2, 10, QLatin1Char('0'));
            r.vatUnits = QString::number(vat / 100);
            r.vatPennies = QStringLiteral("%1").arg(vat % 100, 2, 10, QLatin1Char('0'));
        }
        r.amountInWords = QStringLiteral("-----") + germanWords(int(cents / 100)) + QStringLiteral("-----");
        const QString address = pick(streets) + QLatin1Char(' ') + QString::number(number(1, 120)) + QStringLiteral(", ")
            + pick(towns);
        if (i % 10000 == 5000)
            r.payer = rarePayer;
        else if (rng() % 4 == 0)
            r.payer = pick(firms) + QStringLiteral(", ") + address;
        else if (rng() % 5 == 0)
            r.payer = QStringLiteral("Familie ") + pick(last);
        else
            r.payer = pick(first) + QLatin1Char(' ') + pick(last) + QStringLiteral(", ") + address;
        if (rng() % 10) {
            QString p = pick(purposes);
            p.replace(QLatin1String("%m"), pick(months));
            p.replace(QLatin1String("%y"), QString::number(number(1996, 2026)));
            p.replace(QLatin1String("%h"), QString::number(number(2, 12)));
            p.replace(QLatin1String("%d"), QString::number(number(1, 28)));
            p.replace(QLatin1String("%n"), QString::number(number(1, 12)));
            p.replace(QLatin1String("%s"), pick(streets));
            r.purpose = p;
        }
        // Three in four written by this version, with the page they printed;
        // the rest by older installations, fields only.
        if (i % 4) {
            r.vatRate = QString::number(rate);
            ReceiptPage page;
            page.taxNumber = QStringLiteral("12/345/67890");
            page.issuer = QStringList { QStringLiteral("Schreibwaren Beispiel"), QString(), QStringLiteral("Tel. 0228 123456"),
                                        QString(), QStringLiteral("Marktplatz 1"), QStringLiteral("53111 Bonn") };
            for (const WordingRow &row : wordingTable())
                page.text(row.part) = row.part == Wording::Rate ? QString() : row.startupDefault;
            r.page = page;
        }
        const QString text = receiptfile::text(r);
        QFile file(dir + QLatin1Char('/') + receiptfile::fileName(r.number));
        if (!file.open(QIODevice::WriteOnly) || file.write(*codepage::encode(text)) < 0)
            return -1;
        for (const QString &line : { r.number, r.netUnits, r.netPennies, r.vatUnits, r.vatPennies, r.totalUnits,
                                     r.totalPennies, r.amountInWords, r.payer, r.purpose })
            lines += line.isEmpty() ? 0 : 1;
    }
    return lines;
}

} // namespace archivegen

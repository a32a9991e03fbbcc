#include "archive/auditexport.h"

#include "archive/evaluation.h"
#include "archive/journal.h"
#include "receipt/receiptfile.h"
#include "receipt/taxmode.h"
#include "settings/userdatafile.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QDir>
#include <QHash>

namespace auditexport {

namespace {

enum class Type { Text, Amount, Day, Count };

struct Column
{
    QString name;
    Type type;
    QString description;
};

QString quoted(const QString &text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString amountText(const StoredAmount &a)
{
    // Decimal comma, no grouping, as index.xml says.
    return a.kind == StoredAmount::Kind::Value ? germantext::amount(a.cents, false) : QString();
}

QString xml(const QString &text)
{
    return text.toHtmlEscaped();
}

QByteArray csvLine(const QList<Column> &columns, const QStringList &values)
{
    QString line;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(';');
        const bool text = columns[i].type == Type::Text || columns[i].type == Type::Day;
        // Bytes of a receipt that show as nothing (NUL, 0x81 and its like) are seen.
        const QString value = codepage::withVisibleControls(values.value(i));
        line += text ? quoted(value) : value;
    }
    return line.toUtf8() + "\r\n";
}

QByteArray header(const QList<Column> &columns)
{
    QString line;
    for (const Column &c : columns)
        line += (line.isEmpty() ? QString() : QStringLiteral(";")) + quoted(c.name);
    return line.toUtf8() + "\r\n";
}

QString tableXml(const QString &url, const QString &name, const QString &description, const QDate &from,
                 const QDate &to, qsizetype headerBytes, const QList<Column> &columns)
{
    const QString day = QStringLiteral("dd.MM.yyyy");
    QString x;
    x += QStringLiteral("    <Table>\n      <URL>%1</URL>\n      <Name>%2</Name>\n      <Description>%3</Description>\n")
             .arg(xml(url), xml(name), xml(description));
    x += QStringLiteral("      <Validity>\n        <Range><From>%1</From><To>%2</To></Range>\n"
                        "        <Format>DD.MM.YYYY</Format>\n      </Validity>\n")
             .arg(from.toString(day), to.toString(day));
    x += QStringLiteral("      <UTF8/>\n      <DecimalSymbol>,</DecimalSymbol>\n"
                        "      <DigitGroupingSymbol>.</DigitGroupingSymbol>\n      <SkipNumBytes>%1</SkipNumBytes>\n")
             .arg(headerBytes);
    x += QStringLiteral("      <VariableLength>\n        <ColumnDelimiter>;</ColumnDelimiter>\n"
                        "        <RecordDelimiter>&#13;&#10;</RecordDelimiter>\n"
                        "        <TextEncapsulator>\"</TextEncapsulator>\n");
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const Column &c = columns[i];
        const QString element = i == 0 ? QStringLiteral("VariablePrimaryKey") : QStringLiteral("VariableColumn");
        QString type;
        switch (c.type) {
        case Type::Text: type = QStringLiteral("<AlphaNumeric/>"); break;
        case Type::Amount: type = QStringLiteral("<Numeric><Accuracy>2</Accuracy></Numeric>"); break;
        case Type::Count: type = QStringLiteral("<Numeric/>"); break;
        case Type::Day: type = QStringLiteral("<Date><Format>DD.MM.YYYY</Format></Date>"); break;
        }
        x += QStringLiteral("        <%1><Name>%2</Name>").arg(element, xml(c.name));
        if (!c.description.isEmpty())
            x += QStringLiteral("<Description>%1</Description>").arg(xml(c.description));
        x += type + QStringLiteral("</%1>\n").arg(element);
    }
    x += QStringLiteral("      </VariableLength>\n    </Table>\n");
    return x;
}

QList<Column> receiptColumns()
{
    QList<Column> c {
        { QStringLiteral("Nummer"), Type::Text, QStringLiteral("Quittungs-Nummer") },
        { QStringLiteral("Datum"), Type::Day, QStringLiteral("Datum der Quittung, sonst der Tag der Datei") },
        { QStringLiteral("Netto"), Type::Amount, {} },
        { QStringLiteral("MWSt"), Type::Amount, {} },
        { QStringLiteral("Gesamt"), Type::Amount, QStringLiteral("brutto; ein Storno negativ") },
        { QStringLiteral("Satz"), Type::Amount, QStringLiteral("Mehrwertsteuersatz in Prozent") },
        { QStringLiteral("Besteuerung"), Type::Text,
          QStringLiteral("0 Regelbesteuerung, 1 Kleinunternehmer (§ 19 UStG), 2 umsatzsteuerfrei") },
        { QStringLiteral("Zahler"), Type::Text, {} },
        { QStringLiteral("Zweck"), Type::Text, {} },
        { QStringLiteral("Ort"), Type::Text, {} },
        { QStringLiteral("Datum_Text"), Type::Text, QStringLiteral("Datum, wie es auf der Quittung steht") },
        { QStringLiteral("Betrag_in_Worten"), Type::Text, {} },
        { QStringLiteral("Netto_Text"), Type::Text, QStringLiteral("Zeilen der Datei: Einheiten, Hundertstel") },
        { QStringLiteral("MWSt_Text"), Type::Text, {} },
        { QStringLiteral("Gesamt_Text"), Type::Text, {} },
        { QStringLiteral("Hinweis"), Type::Text, QStringLiteral("Hinweis zur Besteuerung") },
        { QStringLiteral("Steuernummer"), Type::Text, {} },
        { QStringLiteral("USt_IdNr"), Type::Text, {} },
    };
    for (int i = 1; i <= 6; ++i)
        c.append({ QStringLiteral("Anschrift%1").arg(i), Type::Text, QStringLiteral("Anschrift des Ausstellers") });
    for (const WordingRow &row : wordingTable()) {
        if (row.part != Wording::Rate)
            c.append({ QStringLiteral("Bezeichnung_") + row.receiptKey, Type::Text, QStringLiteral("gedruckte Bezeichnung") });
    }
    c.append({ QStringLiteral("Storno_zu"), Type::Text, QStringLiteral("Nummer der stornierten Quittung") });
    c.append({ QStringLiteral("Storniert_durch"), Type::Text, QStringLiteral("Nummer der Storno-Quittung") });
    c.append({ QStringLiteral("SHA256"), Type::Text, QStringLiteral("SHA-256 der Quittungsdatei") });
    return c;
}

QList<Column> journalColumns()
{
    return {
        { QStringLiteral("Nr"), Type::Count, QStringLiteral("laufende Nummer des Eintrags") },
        { QStringLiteral("Datum"), Type::Day, {} },
        { QStringLiteral("Zeit"), Type::Text, QStringLiteral("ISO 8601 mit Abstand zu UTC") },
        { QStringLiteral("Rechner"), Type::Text, {} },
        { QStringLiteral("Benutzer"), Type::Text, {} },
        { QStringLiteral("Aktion"), Type::Text, QStringLiteral("Speichern, Löschen, Storno, Einstellung, Bestand") },
        { QStringLiteral("Quittung"), Type::Text, QStringLiteral("Quittungs-Nummer, bei einer Einstellung die Datei") },
        { QStringLiteral("SHA256"), Type::Text, QStringLiteral("SHA-256 der Quittungsdatei") },
        { QStringLiteral("Bezug"), Type::Text, QStringLiteral("bei einem Storno die stornierte Quittung") },
        { QStringLiteral("Grund"), Type::Text, {} },
        { QStringLiteral("Alt"), Type::Text,
          QStringLiteral("früherer Inhalt; Zeilenenden als \\r\\n, Tabulatoren als \\t, \\ als \\\\") },
        { QStringLiteral("Neu"), Type::Text, QStringLiteral("neuer Inhalt, geschrieben wie Alt") },
        { QStringLiteral("Vorgaenger"), Type::Text, QStringLiteral("SHA-256 des vorigen Eintrags") },
        { QStringLiteral("Pruefsumme"), Type::Text, QStringLiteral("SHA-256 dieses Eintrags") },
    };
}

// The journal's own escaping, so that a record is one line.
QString oneLine(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return out;
}

} // namespace

Tables make(const WorkDir &dir, const QDate &from, const QDate &to)
{
    Tables t;
    const QString day = QStringLiteral("dd.MM.yyyy");

    const QStringList names = dir.list(QStringLiteral(".num"));
    struct Read
    {
        EvaluationRow row;
        ReceiptRecord record;
        QString hash;
    };
    std::vector<Read> read;
    QHash<QString, QString> cancelledBy;
    WorkDir::ReadOptions options;
    options.stamp = true;
    dir.readEach(names, 0, names.size(), [&](qsizetype index, QByteArrayView bytes, const WorkDir::FileStamp &stamp) {
        Read r { evaluationRow(names[index], stamp.modified.milliseconds(), bytes),
                 receiptfile::fromLines(textlines::splitLines(codepage::decode(bytes))), journal::sha256Hex(bytes) };
        if (!r.record.cancels.trimmed().isEmpty())
            cancelledBy.insert(r.record.cancels.trimmed().toLower(), r.row.number());
        read.push_back(std::move(r));
    }, options);

    const QList<Column> rc = receiptColumns();
    t.receipts = header(rc);
    const qsizetype receiptsHeader = t.receipts.size();
    for (const Read &r : read) {
        if (r.row.date < from || r.row.date > to)
            continue;
        const ReceiptRecord &rec = r.record;
        const ReceiptPage page = rec.page.value_or(ReceiptPage());
        const auto pair = [](const QString &units, const QString &pennies) {
            return units.trimmed().isEmpty() && pennies.trimmed().isEmpty()
                ? QString()
                : units.trimmed() + QLatin1Char(',') + pennies.trimmed();
        };
        QStringList v { r.row.number(),
                        r.row.date.toString(day),
                        r.row.readable ? amountText(r.row.net) : QString(),
                        r.row.readable ? amountText(r.row.vat) : QString(),
                        r.row.readable ? amountText(r.row.total) : QString(),
                        r.row.rate ? germantext::amount(qint64(*r.row.rate), false) : QString(),
                        taxmode::code(r.row.taxMode),
                        rec.payer,
                        rec.purpose,
                        rec.place,
                        rec.date,
                        rec.amountInWords,
                        pair(rec.netUnits, rec.netPennies),
                        pair(rec.vatUnits, rec.vatPennies),
                        pair(rec.totalUnits, rec.totalPennies),
                        page.taxNote,
                        page.taxNumber,
                        page.vatId };
        for (int i = 0; i < 6; ++i)
            v.append(page.issuer ? page.issuer->value(i) : QString());
        for (const WordingRow &row : wordingTable()) {
            if (row.part != Wording::Rate)
                v.append(page.text(row.part));
        }
        v.append(rec.cancels.trimmed());
        v.append(cancelledBy.value(r.row.number().toLower()));
        v.append(r.hash);
        t.receipts += csvLine(rc, v);
        ++t.receiptCount;
    }

    const QList<Column> jc = journalColumns();
    t.journal = header(jc);
    const qsizetype journalHeader = t.journal.size();
    for (const journal::Entry &e : journal::read(dir).entries) {
        const QDate when = QDateTime::fromString(e.time, Qt::ISODate).date();
        if (!when.isValid() || when < from || when > to)
            continue;
        t.journal += csvLine(jc, { QString::number(e.sequence), when.toString(day), e.time, e.host, e.user, e.action,
                                   e.number, e.fileHash, e.cancels, oneLine(e.reason), oneLine(e.oldText),
                                   oneLine(e.newText), e.previous, e.sum });
        ++t.entryCount;
    }

    const QStringList user = ReadUserData(dir).value_or(QStringList());
    QStringList location;
    for (qsizetype i = 1; i < user.size(); ++i) {
        if (!user[i].trimmed().isEmpty())
            location.append(user[i].trimmed());
    }
    QString x = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<!DOCTYPE DataSet SYSTEM \"%1\">\n<DataSet>\n  <Version>1.0</Version>\n")
                    .arg(dtdFile);
    x += QStringLiteral("  <DataSupplier>\n    <Name>%1</Name>\n    <Location>%2</Location>\n"
                        "    <Comment>%3</Comment>\n  </DataSupplier>\n")
             .arg(xml(user.value(0).trimmed()), xml(location.join(QStringLiteral(", "))),
                  xml(QStringLiteral("Quittungen und Protokoll aus Zettelfix " ZETTELFIX_VERSION)));
    x += QStringLiteral("  <Media>\n    <Name>Quittungen vom %1 bis %2</Name>\n")
             .arg(from.toString(day), to.toString(day));
    x += tableXml(receiptsFile, QStringLiteral("Quittungen"),
                  QStringLiteral("Jede Quittung des Zeitraums mit allen Feldern ihrer Datei"), from, to,
                  receiptsHeader, rc);
    x += tableXml(journalFile, QStringLiteral("Protokoll"),
                  QStringLiteral("Die Einträge des Protokolls (journal.txt) aus dem Zeitraum"), from, to,
                  journalHeader, jc);
    x += QStringLiteral("  </Media>\n</DataSet>\n");
    t.index = x.toUtf8();
    return t;
}

bool write(const QString &folder, const Tables &tables, const QByteArray &dtd, QString *error)
{
    const QDir d(folder);
    if (!d.exists() || !d.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty()) {
        if (error)
            *error = QStringLiteral("Der Ordner \"%1\" ist nicht leer. Bitte wählen Sie einen leeren Ordner.")
                         .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    return writeWholeFile(d.filePath(receiptsFile), tables.receipts, error)
        && writeWholeFile(d.filePath(journalFile), tables.journal, error)
        && writeWholeFile(d.filePath(dtdFile), dtd, error) && writeWholeFile(d.filePath(indexFile), tables.index, error);
}

} // namespace auditexport

#include "archive/saving.h"

#include "archive/journal.h"

#include "amounts/decimal.h"

#include "settings/listfile.h"
#include "settings/settings.h"
#include "text/codepage.h"
#include "text/textlines.h"
#include "text/textfile.h"

namespace saving {

QString noNumberMessage()
{
    return QStringLiteral("Bitte vergeben Sie zum Speichern eine Quittungs-Nummer. Sie wird automatisch bei "
                          "einer neuen Quittung erhöht!")
        + textlines::lineEnd + QStringLiteral("Bitte nur ganze Zahlen, keine Sonderzeichen etc.");
}

QString existsMessage(const QString &number)
{
    return QStringLiteral("Eine Datei mit der Quittungs-Nr. ") + number + QStringLiteral(" existiert bereits!");
}

bool isSafeNumber(const QString &trimmedNumber)
{
    if (trimmedNumber.isEmpty() || trimmedNumber == QLatin1String(".") || trimmedNumber == QLatin1String(".."))
        return false;
    // Besides the separators and wildcards, the characters that Windows file
    // systems refuse: the receipts may live on such a disk or be copied there.
    static const QString refused = QStringLiteral("/\\*?<>:\"|");
    for (const QChar c : trimmedNumber) {
        if (refused.contains(c) || c.category() == QChar::Other_Control)
            return false;
    }
    return codepage::encodable(trimmedNumber);
}

bool savedAfter(const WorkDir &dir, const QString &later, const QString &earlier)
{
    const QString laterName = receiptfile::fileName(later);
    const QString earlierName = receiptfile::fileName(earlier);
    if (!WorkDir::isBareName(laterName) || laterName.compare(earlierName, Qt::CaseInsensitive) == 0)
        return false;
    const auto a = dir.stamp(laterName);
    const auto b = dir.stamp(earlierName);
    if (!a || !b)
        return false;
    if (a->changed != b->changed)
        return a->changed > b->changed;
    // The file system's clock ticks in milliseconds: two desks' saves in one
    // tick are told apart by their numbers, as the numbers are handed out.
    return digitstring::compare(digitstring::normalized(Decimal::parseLeading(later).digits),
                                digitstring::normalized(Decimal::parseLeading(earlier).digits))
        > 0;
}

} // namespace saving

namespace {

// Text that a line of the receipt file can hold unchanged: a line break would
// split the field.
bool storable(const QString &field)
{
    return !textlines::holdsLineBreak(field) && codepage::storable(field);
}

SaveOutcome refused(const QString &message)
{
    return { SaveOutcome::Result::Refused, message };
}

} // namespace

SaveOutcome SaveReceipt(WorkDir &dir, const ReceiptRecord &r)
{
    // 1. A number that names a file here.
    const QString number = r.number.trimmed();
    // The number names a file: it stays within the code page, blanks and all.
    if (!saving::isSafeNumber(number) || !storable(r.number) || !codepage::encodable(r.number))
        return refused(saving::noNumberMessage());

    // 2. Never over an existing receipt.
    const QString name = receiptfile::fileName(r.number);
    if (dir.exists(name))
        return refused(saving::existsMessage(number));

    // The fields go into the file unchanged or not at all.
    const struct
    {
        const QString &text;
        const char *field;
    } fields[] = {
        { r.netUnits, "netto" },          { r.netPennies, "netto" },
        { r.vatUnits, "Mehrwertsteuer" }, { r.vatPennies, "Mehrwertsteuer" },
        { r.totalUnits, "gesamt" },       { r.totalPennies, "gesamt" },
        { r.amountInWords, "Gesamtbetrag in Worten" },
        { r.payer, "Betrag erhalten von" }, { r.purpose, "für" },
    };
    for (const auto &f : fields) {
        if (!storable(f.text))
            return refused(QStringLiteral("Das Feld \"%1\" enthält ein Zeichen, das nicht gespeichert werden kann. "
                                          "Die Quittung wurde nicht gespeichert.")
                               .arg(QString::fromUtf8(f.field)));
    }

    // 3. The receipt file.
    QString error;
    const QString text = receiptfile::text(r);
    switch (textfile::createNew(dir, name, text, &error)) {
    case WorkDir::CreateResult::Created:
        break;
    case WorkDir::CreateResult::Exists: // saved at this moment by another copy of the program
        return refused(saving::existsMessage(number));
    case WorkDir::CreateResult::Failed:
        return { SaveOutcome::Result::Failed,
                 QStringLiteral("Die Quittung wurde nicht gespeichert.") + textlines::lineEnd + error };
    }

    // 4. to 7. The journal and the bookkeeping; each part is tried even when another failed.
    QStringList failures;
    journal::Note note { r.cancels.isEmpty() ? journal::action::save : journal::action::cancel, number,
                         codepage::encode(text).value_or(QByteArray()), r.cancels.trimmed(), {}, {}, {} };
    if (!journal::append(dir, note, &error))
        failures.append(error);
    // nummer.dat names the receipt saved last. A save on another desk may
    // have placed its receipt after this one's and recorded it while this
    // desk stalled: its number stays.
    const bool recorded = dir.changeLocked(settingsfile::nummer, [&](QString *why) {
        if (const auto current = settingValue(dir, settingsfile::nummer);
            current && saving::savedAfter(dir, current->trimmed(), number))
            return true;
        return WriteSetting(dir, settingsfile::nummer, number, why);
    }, &error);
    if (!recorded)
        failures.append(error);
    if (!RememberListEntry(dir, r.payer, settingsfile::von, &error))
        failures.append(error);
    if (!RememberListEntry(dir, r.purpose, settingsfile::fuer, &error))
        failures.append(error);
    if (!failures.isEmpty()) {
        return { SaveOutcome::Result::Incomplete,
                 QStringLiteral("Die Quittung steht in der Datei \"%1\", aber nicht alles konnte gespeichert "
                                "werden:")
                         .arg(name)
                     + textlines::lineEnd + failures.join(textlines::lineEnd) };
    }
    return { SaveOutcome::Result::Saved, saving::savedMessage };
}

#include "archive/cancellation.h"

#include "archive/receiptnumber.h"
#include "archive/search.h"
#include "receipt/germantext.h"
#include "settings/settings.h"

namespace cancellation {

std::optional<QString> refusal(const ReceiptRecord &original, const journal::Contents &journal)
{
    const QString number = original.number.trimmed();
    if (!original.cancels.trimmed().isEmpty())
        return QStringLiteral("Quittung Nr. %1 ist selbst ein Storno (zu Quittung Nr. %2) und kann nicht storniert "
                              "werden.")
            .arg(number, original.cancels.trimmed());
    for (const journal::Entry &e : journal.entries) {
        if (e.action == journal::action::cancel && e.cancels.compare(number, Qt::CaseInsensitive) == 0)
            return QStringLiteral("Quittung Nr. %1 wurde schon mit Quittung Nr. %2 storniert.").arg(number, e.number);
    }
    return std::nullopt;
}

QString negatedUnits(const QString &units)
{
    const QString t = units.trimmed();
    if (t.isEmpty())
        return units;
    return t.startsWith(QLatin1Char('-')) ? t.mid(1) : QLatin1Char('-') + t;
}

ReceiptRecord of(const ReceiptRecord &original, const QString &number, const QDate &today)
{
    ReceiptRecord r = original;
    r.number = number;
    r.totalUnits = negatedUnits(original.totalUnits);
    r.netUnits = negatedUnits(original.netUnits);
    r.vatUnits = negatedUnits(original.vatUnits);
    r.amountInWords = QStringLiteral("minus ") + original.amountInWords.trimmed();
    r.purpose = QStringLiteral("Storno zu Quittung Nr. %1 vom %2: %3")
                    .arg(original.number.trimmed(), original.date.trimmed(), original.purpose);
    r.date = germantext::date(today);
    r.cancels = original.number.trimmed();
    if (r.page)
        r.page->text(Wording::Title) = title;
    return r;
}

Outcome cancel(WorkDir &dir, const QString &fileName, const QDate &today)
{
    const auto original = LoadReceipt(dir, fileName);
    if (!original)
        return { { SaveOutcome::Result::Refused,
                   QStringLiteral("Die Quittung \"%1\" kann nicht gelesen werden.").arg(fileName) },
                 {} };
    if (const auto why = refusal(*original, journal::read(dir)))
        return { { SaveOutcome::Result::Refused, *why }, {} };
    // Another desk may take the number meanwhile: then the next one.
    for (int tries = 0; tries < 20; ++tries) {
        const QString number = NextReceiptNumber(dir);
        SaveOutcome saved = SaveReceipt(dir, of(*original, number, today));
        if (saved.result == SaveOutcome::Result::Refused && dir.exists(receiptfile::fileName(number)))
            continue; // taken at this moment; the next proposal passes over it
        return { saved, saved.result == SaveOutcome::Result::Refused ? QString() : number };
    }
    return { { SaveOutcome::Result::Failed, QStringLiteral("Es wurde keine freie Quittungs-Nummer gefunden.") }, {} };
}

} // namespace cancellation

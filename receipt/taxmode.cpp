#include "receipt/taxmode.h"

#include <QStringList>

namespace taxmode {

QString smallBusinessNote()
{
    return QStringLiteral("Gemäß § 19 UStG wird keine Umsatzsteuer berechnet.");
}

QString defaultExemptionNote()
{
    return QStringLiteral("Umsatzsteuerfrei nach § 4 Nr. 12 UStG");
}

QString name(TaxMode mode)
{
    switch (mode) {
    case TaxMode::SmallBusiness:
        return QStringLiteral("Kleinunternehmer nach § 19 UStG");
    case TaxMode::TaxFree:
        return QStringLiteral("umsatzsteuerfrei");
    case TaxMode::Regular:
        break;
    }
    return QStringLiteral("Regelbesteuerung");
}

QString printedNote(TaxMode mode, const QString &exemptionNote)
{
    switch (mode) {
    case TaxMode::SmallBusiness:
        return smallBusinessNote();
    case TaxMode::TaxFree:
        return exemptionNote;
    case TaxMode::Regular:
        break;
    }
    return QString();
}

QString printedTaxLine(const QString &taxNumber, const QString &vatId)
{
    QStringList parts;
    if (!taxNumber.trimmed().isEmpty())
        parts.append(QStringLiteral("Steuernummer: ") + taxNumber.trimmed());
    if (!vatId.trimmed().isEmpty())
        parts.append(QStringLiteral("USt-IdNr.: ") + vatId.trimmed());
    return parts.join(QStringLiteral(", "));
}

QString code(TaxMode mode)
{
    return QString::number(int(mode));
}

std::optional<TaxMode> fromCode(QStringView code)
{
    const QStringView c = code.trimmed();
    if (c == u"0")
        return TaxMode::Regular;
    if (c == u"1")
        return TaxMode::SmallBusiness;
    if (c == u"2")
        return TaxMode::TaxFree;
    return std::nullopt;
}

} // namespace taxmode

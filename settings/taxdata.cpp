#include "text/codepage.h"
#include "settings/taxdata.h"

#include "settings/settings.h"

namespace {

QString modeText(TaxData::Mode mode)
{
    switch (mode) {
    case TaxData::Mode::SmallBusiness:
        return QStringLiteral("1");
    case TaxData::Mode::TaxFree:
        return QStringLiteral("2");
    case TaxData::Mode::Regular:
        break;
    }
    return QStringLiteral("0");
}

} // namespace

TaxData ReadTaxData(const WorkDir &dir)
{
    TaxData data;
    data.taxNumber = ReadSetting(dir, settingsfile::steuernr);
    data.vatId = ReadSetting(dir, settingsfile::ustid);
    const QString mode = ReadSetting(dir, settingsfile::ustart).trimmed();
    if (mode == modeText(TaxData::Mode::SmallBusiness))
        data.mode = TaxData::Mode::SmallBusiness;
    else if (mode == modeText(TaxData::Mode::TaxFree))
        data.mode = TaxData::Mode::TaxFree;
    if (const auto note = settingValue(dir, settingsfile::ustfrei))
        data.exemptionNote = *note;
    return data;
}

namespace {

bool writeChecked(WorkDir &dir, const QList<std::pair<QString, QString>> &files, QString *error)
{
    // Checked all first: half the tax data saved would print a receipt
    // that is neither the old one nor the new one.
    for (const auto &[name, value] : files) {
        if (!oneLine(name, value, error))
            return false;
        if (!codepage::encodable(value)) {
            if (error)
                *error = QStringLiteral("Die Datei \"%1\" wurde nicht geschrieben: Der Text enthält ein Zeichen, "
                                        "das nicht gespeichert werden kann.")
                             .arg(name);
            return false;
        }
    }
    for (const auto &[name, value] : files)
        if (!WriteSetting(dir, name, value, error))
            return false;
    return true;
}

QList<std::pair<QString, QString>> taxFiles(const TaxData &data)
{
    return {
        { settingsfile::steuernr, data.taxNumber },
        { settingsfile::ustid, data.vatId },
        { settingsfile::ustfrei, data.exemptionNote },
        { settingsfile::ustart, modeText(data.mode) },
    };
}

} // namespace

bool WriteTaxData(WorkDir &dir, const TaxData &data, QString *error)
{
    return writeChecked(dir, taxFiles(data), error);
}

SellerData ReadSellerData(const WorkDir &dir)
{
    SellerData data;
    if (const auto country = settingValue(dir, settingsfile::land))
        data.country = *country;
    data.contactName = ReadSetting(dir, settingsfile::ansprech);
    data.telephone = ReadSetting(dir, settingsfile::telefon);
    data.email = ReadSetting(dir, settingsfile::email);
    data.sellerId = ReadSetting(dir, settingsfile::kennung);
    return data;
}

bool WriteTaxData(WorkDir &dir, const TaxData &data, const SellerData &seller, QString *error)
{
    return writeChecked(dir,
                        taxFiles(data)
                            + QList<std::pair<QString, QString>> {
                                { settingsfile::land, seller.country },
                                { settingsfile::ansprech, seller.contactName },
                                { settingsfile::telefon, seller.telephone },
                                { settingsfile::email, seller.email },
                                { settingsfile::kennung, seller.sellerId },
                            },
                        error);
}

QString printedTaxLine(const TaxData &data)
{
    QStringList parts;
    if (!data.taxNumber.trimmed().isEmpty())
        parts.append(QStringLiteral("Steuernummer: ") + data.taxNumber.trimmed());
    if (!data.vatId.trimmed().isEmpty())
        parts.append(QStringLiteral("USt-IdNr.: ") + data.vatId.trimmed());
    return parts.join(QStringLiteral(", "));
}

QString printedTaxNote(const TaxData &data)
{
    switch (data.mode) {
    case TaxData::Mode::SmallBusiness:
        return TaxData::smallBusinessNote();
    case TaxData::Mode::TaxFree:
        return data.exemptionNote;
    case TaxData::Mode::Regular:
        break;
    }
    return QString();
}

bool chargesVat(const TaxData &data)
{
    return data.mode == TaxData::Mode::Regular;
}

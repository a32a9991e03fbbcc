#include "text/codepage.h"
#include "settings/taxdata.h"

#include "settings/settings.h"

TaxData ReadTaxData(const WorkDir &dir)
{
    TaxData data;
    data.taxNumber = ReadSetting(dir, settingsfile::steuernr);
    data.vatId = ReadSetting(dir, settingsfile::ustid);
    data.mode = taxmode::fromCode(ReadSetting(dir, settingsfile::ustart)).value_or(TaxMode::Regular);
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
        if (!codepage::storable(value)) {
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
        { settingsfile::ustart, taxmode::code(data.mode) },
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
    return taxmode::printedTaxLine(data.taxNumber, data.vatId);
}

QString printedTaxNote(const TaxData &data)
{
    return taxmode::printedNote(data.mode, data.exemptionNote);
}

bool chargesVat(const TaxData &data)
{
    return taxmode::chargesVat(data.mode);
}

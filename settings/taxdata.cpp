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

bool WriteTaxData(WorkDir &dir, const TaxData &data, QString *error)
{
    const std::pair<QString, QString> files[] = {
        { settingsfile::steuernr, data.taxNumber },
        { settingsfile::ustid, data.vatId },
        { settingsfile::ustfrei, data.exemptionNote },
        { settingsfile::ustart, taxmode::code(data.mode) },
    };
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

#include "settings/settings.h"
#include "settings/taxdata.h"
#include "text/codepage.h"
#include "text/textlines.h"
#include "text/textfile.h"

bool SettingsExists(const WorkDir &dir, const QString &name)
{
    return dir.exists(name);
}

std::optional<QString> settingValue(const WorkDir &dir, const QString &name)
{
    // A settings value is a short line; a file of gigabytes under a
    // settings name must not hold up the start.
    const auto bytes = dir.readStart(name, 64 * 1024);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    // Only the first line counts; a line ends at CR or LF.
    qsizetype end = 0;
    while (end < bytes->size() && bytes->at(end) != '\r' && bytes->at(end) != '\n')
        ++end;
    return codepage::fileText(QByteArrayView(*bytes).first(end));
}

QString ReadSetting(const WorkDir &dir, const QString &name)
{
    return settingValue(dir, name).value_or(QString());
}

namespace {

PrintedSettingListener &listener()
{
    static PrintedSettingListener l;
    return l;
}

} // namespace

bool printedSetting(const QString &name)
{
    const QString lower = name.toLower();
    for (const WordingRow &row : wordingTable()) {
        if (row.file == lower)
            return true;
    }
    using namespace settingsfile;
    for (const QString &file : { steuernr, ustid, ustart, ustfrei, anwender, ort, dm, pf, mwst }) {
        if (file == lower)
            return true;
    }
    return false;
}

void setPrintedSettingListener(PrintedSettingListener l)
{
    listener() = std::move(l);
}

bool writePrintedText(WorkDir &dir, const QString &name, const QString &text, QString *error)
{
    const bool told = listener() && printedSetting(name);
    const QString before = told ? textfile::readText(dir, name).value_or(QString()) : QString();
    if (!textfile::write(dir, name.toLower(), text, error))
        return false;
    if (told && before != text)
        listener()(dir, name.toLower(), before, text);
    return true;
}

bool WriteTypedSetting(WorkDir &dir, const QString &name, const QString &value, QString *error)
{
    return oneLine(name, value, error) && textfile::write(dir, name.toLower(), value + textlines::lineEnd, error);
}

void recordPrintedSetting(WorkDir &dir, const QString &name, const QString &oldValue, const QString &newValue)
{
    if (listener() && printedSetting(name) && oldValue != newValue)
        listener()(dir, name.toLower(), oldValue + textlines::lineEnd, newValue + textlines::lineEnd);
}

bool WriteSetting(WorkDir &dir, const QString &name, const QString &value, QString *error)
{
    // The boxes refuse a line break already; a value that holds one anyway
    // would become two lines, and only the first is ever read back.
    if (!oneLine(name, value, error))
        return false;
    return writePrintedText(dir, name, value + textlines::lineEnd, error);
}

bool oneLine(const QString &name, const QString &value, QString *error)
{
    if (!textlines::holdsLineBreak(value))
        return true;
    if (error)
        *error = QStringLiteral("Die Datei \"%1\" wurde nicht geschrieben: Der Text enthält einen "
                                "Zeilenumbruch, hier ist aber nur eine Zeile möglich.")
                     .arg(name);
    return false;
}

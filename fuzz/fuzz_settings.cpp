// Reading a settings file and the payer and purpose lists from disk.
#include "fuzzinput.h"

#include "settings/listfile.h"
#include "settings/settings.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto p = fuzz::parts(fuzz::bytes(data, size), 2);
    const QByteArray content = p[0];
    const QString entry = fuzz::text(p[1]);

    static WorkDir dir(fuzz::scratchDir());
    // Stored in capitals: found all the same.
    const QString stored = QStringLiteral("MWST.DAT");
    {
        QFile file(dir.filePath(stored));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            fuzz::fail("cannot write the scratch file");
    }

    if (!SettingsExists(dir, settingsfile::mwst))
        fuzz::fail("settings file not found in another letter case");
    const auto value = settingValue(dir, settingsfile::mwst);
    // A file that starts with the UTF-8 mark is UTF-8, any other Windows-1252.
    const QStringList lines = textlines::splitLines(codepage::fileText(content));
    if (content.isEmpty() ? value.has_value() : value != (lines.isEmpty() ? QString() : lines.first()))
        fuzz::fail("value is not the first line", value.value_or(QStringLiteral("(none)")));
    if (ReadSetting(dir, settingsfile::mwst) != value.value_or(QString()))
        fuzz::fail("ReadSetting and settingValue disagree");

    // The same bytes as a list file.
    const QStringList kept = listfile::entries(lines, listfile::Skip::EmptyLines);
    const QStringList nonBlank = listfile::entries(lines, listfile::Skip::BlankLines);
    if (nonBlank.size() > kept.size() || kept.size() > lines.size())
        fuzz::fail("list entries out of proportion");
    for (const QString &e : kept) {
        if (!listfile::knows(lines, e) && !e.trimmed().isEmpty())
            fuzz::fail("a list does not know its own entry", e);
    }
    listfile::knows(lines, entry);
    listfile::fromEditorText(entry);
    return 0;
}

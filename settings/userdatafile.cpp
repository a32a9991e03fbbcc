#include "settings/userdatafile.h"

#include "settings/settings.h"
#include "text/textlines.h"
#include "text/textfile.h"

std::optional<UserData> ReadUserData(const WorkDir &dir)
{
    auto lines = textfile::readLines(dir, settingsfile::anwender);
    if (!lines)
        return std::nullopt;
    // The program always writes six lines; a shorter file was edited by hand.
    lines->resize(userdata::lineCount);
    return lines;
}

bool WriteUserData(WorkDir &dir, const UserData &data, QString *error)
{
    QString text;
    for (int line = 0; line < userdata::lineCount; ++line) {
        // Each value is one line of the file: a line break in one would push
        // the postcode and town out of it.
        if (!oneLine(settingsfile::anwender, data.value(line), error))
            return false;
        text += data.value(line) + textlines::lineEnd;
    }
    return writePrintedText(dir, settingsfile::anwender, text, error);
}

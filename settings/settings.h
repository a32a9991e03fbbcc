#pragma once

#include "platform/workdir.h"
#include "receipt/wording.h"

#include <QList>
#include <QString>

#include <functional>

#include <optional>

// Settings files: one value each, the first line of a small text file in the
// working directory. A missing file means the built-in default.

// True when a file of that name exists in any letter case.
bool SettingsExists(const WorkDir &dir, const QString &name);
// The first line without its line end; empty when the file holds no line.
QString ReadSetting(const WorkDir &dir, const QString &name);
// Creates or truncates the file and writes the value and CR LF. A new file is
// created under the lower-case name.
// A value holding a line break is refused, with a German message, and
// nothing is written.
bool WriteSetting(WorkDir &dir, const QString &name, const QString &value, QString *error = nullptr);
// True when the value is one line; otherwise false, with the message that
// the file of that name was not written.
bool oneLine(const QString &name, const QString &value, QString *error = nullptr);

// The value when the file exists and has a first line. A file of zero bytes or
// one that cannot be read counts as missing.
std::optional<QString> settingValue(const WorkDir &dir, const QString &name);

// A settings file whose text a receipt's page shows: the wording, the
// currency, the rate, the taxation and tax numbers, the issuer's address and
// the place.
bool printedSetting(const QString &name);
// Told of each change of such a file, with its text before and after, once
// it is written; the journal listens (archive/journal.h). Nobody by default.
using PrintedSettingListener =
    std::function<void(WorkDir &dir, const QString &name, const QString &oldText, const QString &newText)>;
void setPrintedSettingListener(PrintedSettingListener listener);
// Writes the text as WriteSetting() does a value, and tells the listener.
bool writePrintedText(WorkDir &dir, const QString &name, const QString &text, QString *error);
// As WriteSetting(), for a value still being typed letter by letter: the
// listener is told once the typing is done, by recordPrintedSetting().
bool WriteTypedSetting(WorkDir &dir, const QString &name, const QString &value, QString *error = nullptr);
void recordPrintedSetting(WorkDir &dir, const QString &name, const QString &oldValue, const QString &newValue);

namespace settingsfile {
inline const QString ort = QStringLiteral("ort.dat");
inline const QString erst = QStringLiteral("erst.dat");
inline const QString nummer = QStringLiteral("nummer.dat");
inline const QString von = QStringLiteral("von.dat");
inline const QString fuer = QStringLiteral("fuer.dat");
inline const QString schrift = QStringLiteral("schrift.dat");
inline const QString anwender = QStringLiteral("anwender.dat");
inline const QString drucker = QStringLiteral("drucker.dat");
} // namespace settingsfile

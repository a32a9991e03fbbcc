#pragma once

#include "platform/workdir.h"

#include <QString>
#include <QStringList>

// The payer and purpose lists, "von.dat" and "fuer.dat": one entry a line, in
// the order the entries were written. The boxes of the main window sort them;
// the files never are.
namespace listfile {

// Which lines of a list file are no entry. Starting a new receipt keeps a
// line of blanks as an entry (only empty lines go); reloading after the list
// editor was saved drops such lines too.
enum class Skip { EmptyLines, BlankLines };

QStringList entries(const QStringList &lines, Skip skip);

// The file text the list editor writes for the text of its edit box: every
// line break as CR LF, and one CR LF more at the end.
QString fromEditorText(const QString &editorText);

// The lines a list file gained while the list editor had it open: the lines
// of now that are not among the lines it read (counted, so that a second
// copy of a line counts as new), in their order, without empty ones and
// without those the edited text holds as they are.
QStringList addedSince(const QStringList &read, const QStringList &now, const QStringList &edited);

// True when a line, without regard to letter case, contains the entry without
// its leading and trailing blanks. A surname is thus known from a line that
// holds it together with first name, street and town.
bool knows(const QStringList &lines, const QString &entry);

} // namespace listfile

// Appends an entry that its list does not know yet (see listfile::knows), as
// its own line, without leading and trailing blanks. An empty entry adds
// nothing, but a missing list file is created empty. False, with a German
// message, when the list could not be read or written.
bool RememberListEntry(WorkDir &dir, const QString &entry, const QString &listFile, QString *error = nullptr);

#pragma once

#include "platform/workdir.h"

#include <QString>
#include <QStringList>

#include <optional>

// The files of the working directory as text: WorkDir keeps bytes, these
// convert them (Windows-1252, or UTF-8 after its mark, see codepage.h) and
// split them into lines (see textlines.h).
namespace textfile {

// Nothing when the file is missing or cannot be read.
std::optional<QString> readText(const WorkDir &dir, const QString &name);
// Lines without their ends; a final line end does not start another line.
std::optional<QStringList> readLines(const WorkDir &dir, const QString &name);

// As WorkDir's writers, for a text: a file whose text fits the code page is
// written in it, any other in UTF-8 (codepage::fileBytes). Appending a text
// outside the code page to a file in it rewrites the whole file in UTF-8.
// A text that is not storable is refused with a German message, and nothing
// is written.
bool write(WorkDir &dir, const QString &name, const QString &text, QString *error = nullptr);
bool append(WorkDir &dir, const QString &name, const QString &text, QString *error = nullptr);
WorkDir::CreateResult createNew(WorkDir &dir, const QString &name, const QString &text, QString *error = nullptr);

} // namespace textfile

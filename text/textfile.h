#pragma once

#include "platform/workdir.h"

#include <QString>
#include <QStringList>

#include <optional>

// The files of the working directory as text: WorkDir keeps bytes, these
// convert them through the code page (see codepage.h) and split them into
// lines (see textlines.h).
namespace textfile {

// Nothing when the file is missing or cannot be read.
std::optional<QString> readText(const WorkDir &dir, const QString &name);
// Lines without their ends; a final line end does not start another line.
std::optional<QStringList> readLines(const WorkDir &dir, const QString &name);

// As WorkDir's writers, for a text; a text with a character outside the code
// page is refused with a German message, and nothing is written.
bool write(WorkDir &dir, const QString &name, const QString &text, QString *error = nullptr);
bool append(WorkDir &dir, const QString &name, const QString &text, QString *error = nullptr);
WorkDir::CreateResult createNew(WorkDir &dir, const QString &name, const QString &text, QString *error = nullptr);

} // namespace textfile

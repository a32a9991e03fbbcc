#pragma once

#include "archive/journal.h"
#include "platform/workdir.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// The check of the saved receipts against the journal: each finding one
// German line beginning with its receipt number ("Nr. 2: …") or with the
// journal entry ("Protokoll-Eintrag 7: …"), in the order of the numbers.
namespace archivecheck {

inline const QString noFindings =
    QStringLiteral("Keine Auffälligkeiten: Jede Quittung ist so, wie sie gespeichert wurde, die Nummern sind "
                   "lückenlos und das Protokoll ist vollständig.");

// files: each receipt file's name and bytes.
QStringList findings(const journal::Contents &journal, const QList<std::pair<QString, QByteArray>> &files);
QStringList findings(const WorkDir &dir);

// The findings as CSV (one column, with a header), Windows-1252 not needed:
// UTF-8 with CR LF.
QByteArray csv(const QStringList &findings);

} // namespace archivecheck

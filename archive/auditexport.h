#pragma once

#include "platform/workdir.h"

#include <QByteArray>
#include <QDate>
#include <QString>

// The data for a tax audit: the receipts of a period and the journal's
// entries of it as two CSV tables, and "index.xml" describing both by the
// description standard whose document type is written beside it.
namespace auditexport {

inline const QString receiptsFile = QStringLiteral("quittungen.csv");
inline const QString journalFile = QStringLiteral("protokoll.csv");
inline const QString indexFile = QStringLiteral("index.xml");
inline const QString dtdFile = QStringLiteral("gdpdu-01-09-2004.dtd");

struct Tables
{
    QByteArray receipts, journal, index;
    int receiptCount = 0, entryCount = 0;
};

// Receipts dated from..to (the evaluation's date: the receipt's own, or its
// file's day), journal entries made on those days.
Tables make(const WorkDir &dir, const QDate &from, const QDate &to);

// Writes the tables and the document type into the folder, which must be
// empty; false with a German message.
bool write(const QString &folder, const Tables &tables, const QByteArray &dtd, QString *error);

} // namespace auditexport

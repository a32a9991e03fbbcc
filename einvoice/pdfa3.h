#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The receipt's page with its invoice attached. The program's PDF export
// writes a PDF/A-1b page, a form that may hold no attached file; this turns
// that page into the later archive form that may, with the invoice XML
// attached as the page's machine-readable twin and the metadata saying so.
namespace pdfa3 {

// The PDF/A-3b bytes: the page of pdfA1b, with xml attached under the name
// "factur-x.xml" as the page's alternative, dated `when`. Nothing, with a
// German message, when the page cannot be read.
std::optional<QByteArray> attachInvoice(const QByteArray &pdfA1b, const QByteArray &xml, const QDateTime &when,
                                        QString *error);

// The XMP packet of such a file.
QByteArray metadata(const QString &title, const QString &creatorTool, const QString &producer,
                    const QDateTime &when);

// "D:20261207143000+01'00'"
QString pdfDate(const QDateTime &when);

// Writes a file outside the data folder (a place the user chose in the save
// dialog) whole or not at all. False with a German message.
bool writeWhole(const QString &path, const QByteArray &bytes, QString *error);

} // namespace pdfa3

#pragma once

#include <QString>

// The name a receipt's PDF file is offered under: "Quittung <number>.pdf",
// the number trimmed, and every character that cannot stand in a file name
// on the systems the file may travel to (/ \ : * ? " < > | and control
// characters) replaced by "-". Without a number: "Quittung.pdf".
QString defaultPdfFileName(const QString &receiptNumber);

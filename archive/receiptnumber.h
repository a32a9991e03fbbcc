#pragma once

#include "platform/workdir.h"

#include <QString>

// The number proposed for the next receipt: the number in the first line of
// "nummer.dat" plus one, or "1" without the file; where a receipt of that
// number exists, the first number after it that is free.
QString NextReceiptNumber(const WorkDir &dir);
// The same rule on the text of that first line.
QString nextNumberAfter(const QString &lastNumberLine);

#pragma once

#include <QString>

class Platform;
class QComboBox;
class QLineEdit;

// Text that goes into a file must be whole text (no lone half of a surrogate
// pair), and a value of one line must stay one line. Any letter is kept: a
// file that needs one outside Windows-1252 is written in UTF-8.
bool storableText(const QString &text);
bool oneLineText(const QString &text);

// These boxes refuse what cannot be stored, and a line break, as it is typed
// or pasted, with the beep, so that nothing is ever changed silently when it
// is saved.
void refuseUnstorable(QLineEdit *box, Platform &platform);
void refuseUnstorable(QComboBox *box, Platform &platform);
// For a one-line box whose text is not stored: only line breaks are refused.
void refuseLineBreaks(QLineEdit *box, Platform &platform);

#include "text/storableinput.h"

#include "platform/controls.h"
#include "text/codepage.h"
#include "text/textlines.h"

bool storableText(const QString &text)
{
    return oneLineText(text) && codepage::storable(text);
}

bool oneLineText(const QString &text)
{
    return !textlines::holdsLineBreak(text);
}

void refuseUnstorable(QLineEdit *box, Platform &platform)
{
    refuseText(box, platform, storableText);
}

void refuseUnstorable(QComboBox *box, Platform &platform)
{
    refuseText(box, platform, storableText);
}

void refuseLineBreaks(QLineEdit *box, Platform &platform)
{
    refuseText(box, platform, oneLineText);
}

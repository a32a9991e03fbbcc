#include "platform/origin.h"

#include <QSysInfo>

Origin currentOrigin()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME"); // Windows
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    QDateTime now = QDateTime::currentDateTime();
    // The offset goes into the text, so that two desks in other time zones
    // or a change to summer time still read in order.
    now.setOffsetFromUtc(now.offsetFromUtc());
    return { now, QSysInfo::machineHostName(), user };
}

#pragma once

#include <QDateTime>
#include <QString>

// Who does something to the data folder, where and when: the journal notes
// it with every entry. The clock, the computer's name and the user's name
// are the system's; this is the one place that asks it for them.
struct Origin
{
    QDateTime time; // local time, with its offset from UTC
    QString host;
    QString user;
};

Origin currentOrigin();

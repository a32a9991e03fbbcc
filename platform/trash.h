#pragma once

#include <QByteArray>
#include <QString>

// The user's trash as the desktop keeps it: the home trash of the
// freedesktop.org trash layout, $XDG_DATA_HOME/Trash (normally
// ~/.local/share/Trash), with the file under files/ and a note of where it
// came from under info/, so that the desktop's trash can put it back.
namespace trash {

// The trash folder for the user, whether it exists yet or not; empty where
// there is none to be had.
QString folder();

// Moves the file into the user's trash, making the trash's folders where
// they are missing. The path is in the file system's own bytes, so that a
// name that is not in the system's encoding (Latin-1 from an old disk) is
// found as it is. A symbolic link goes as the link, never what it points at.
// On another device than the trash a regular file is copied and then removed,
// a link is made anew there and then removed. False, with a German reason in
// *reason, when it cannot go; the file is then neither moved nor removed.
bool moveToTrash(const QByteArray &path, QString *reason = nullptr);

} // namespace trash

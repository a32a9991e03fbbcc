#pragma once

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
// they are missing. False, with a German reason in *reason, when there is no
// trash for it; the file is then neither moved nor removed.
bool moveToTrash(const QString &path, QString *reason = nullptr);

} // namespace trash

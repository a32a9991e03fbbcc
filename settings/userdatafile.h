#pragma once

#include "platform/workdir.h"

#include <QStringList>

#include <optional>

// The issuer's own name and address: six lines in the user data file, in the
// order of the user data window (name, addition, telephone, further line,
// street, postcode and town).
using UserData = QStringList;

namespace userdata {
inline constexpr int lineCount = 6;
} // namespace userdata

// The first six lines of the user data file, each without its line end; a
// line the file lacks is empty. Nothing when the file is missing or cannot be
// read.
std::optional<UserData> ReadUserData(const WorkDir &dir);
// Replaces the file with the six lines, each followed by CR LF. A new file
// gets the lower-case name.
bool WriteUserData(WorkDir &dir, const UserData &data, QString *error = nullptr);

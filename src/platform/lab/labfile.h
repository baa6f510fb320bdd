#pragma once

#include "platform/lab/labscenario.h"
#include "platform/platform.h"

#include <memory>

namespace lab {

// Creating and opening lab files: one SQLite file that holds a whole mail organization.

// How long the lab waits for another program's lock on the file before it reports it busy.
inline constexpr int DefaultBusyTimeoutMs = 5000;

// Writes a new lab file; throws PlatformError when the file exists or cannot be written.
// The lab is built under a temporary name beside it and renamed when complete, so the name
// never holds a partial lab.
void createLab(const QString &path, const Scenario &scenario);

// Removes the temporary file of a create still running. Safe in a signal handler, so an
// interrupted create leaves nothing behind.
void removeUnfinishedLab();

// Opens a lab as the platform the program runs on; throws PlatformError naming the file
// when it is missing, not a lab, of another schema version, damaged (a table or column
// missing included) or busy. Never modifies it.
std::unique_ptr<platform::Platform> openLab(const QString &path,
                                            int busyTimeoutMs = DefaultBusyTimeoutMs);

// The lab used when KESTRELON_LAB is not set: <XDG data>/kestrelon/lab.sqlite,
// created with the demo organization when it does not exist yet.
QString defaultLabPath();

} // namespace lab

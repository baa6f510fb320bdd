#pragma once

#include "platform/lab/labscenario.h"
#include "platform/platform.h"

#include <memory>

namespace lab {

// Creating and opening lab files: one SQLite file that holds a whole mail organization.

// Writes a new lab file; throws PlatformError when the file exists or cannot be written.
void createLab(const QString &path, const Scenario &scenario);

// Opens a lab as the platform the program runs on; throws PlatformError naming the file
// when it is missing, not a lab, of another schema version or damaged. Never modifies it.
std::unique_ptr<platform::Platform> openLab(const QString &path);

// The lab used when KESTRELON_LAB is not set: <XDG data>/kestrelon/lab.sqlite,
// created with the demo organization when it does not exist yet.
QString defaultLabPath();

} // namespace lab

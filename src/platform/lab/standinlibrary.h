#pragma once

#include <QString>
#include <QStringList>

namespace lab {

// The first line of a stand-in component library: the lab's replacement for the sink DLL.
inline constexpr char StandInMarker[] = "KESTRELON STAND-IN COMPONENT LIBRARY";

// The component ProgIDs a stand-in library lists, one per line after the marker line
// (blank lines and lines starting with '#' are skipped). Throws PlatformError naming the
// path: 0x80070002 when the file is missing, 0x800700C1 when it is not a stand-in.
QStringList readStandInLibrary(const QString &path);

// The local file a library path of the program names: the program joins the current
// folder and the file name with a backslash, so only the last one separates them; any
// other belongs to a folder name.
QString localLibraryPath(const QString &path);

} // namespace lab

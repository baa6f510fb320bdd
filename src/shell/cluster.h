#pragma once

#include "platform/machine.h"

#include <QString>

// Registry probes of start-up: whether a key exists, and whether this is a cluster node.

namespace basRegistry {

inline constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;

// True when the key below the predefined root can be opened; any failure answers false.
// Only HKEY_LOCAL_MACHINE is known to the platform; the value name is not used.
bool KeyExists(platform::MachineFacts &machine, quint32 root, const QString &subKey,
               const QString &valueName);

} // namespace basRegistry

namespace Cluster {

// True when the key "Cluster" exists directly below HKEY_LOCAL_MACHINE.
bool IsClusterNode(platform::MachineFacts &machine);

} // namespace Cluster

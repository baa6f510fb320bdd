#pragma once

#include "platform/machine.h"

#include <QString>

// Registry probes of start-up: whether a key exists, and whether this is a cluster node.

namespace Registry {

inline constexpr quint32 LocalMachineRoot = 0x80000002u;

// True when the key below the predefined root can be opened; any failure answers false.
// Only LocalMachineRoot is known to the platform; the value name is not used.
bool keyExists(platform::MachineFacts &machine, quint32 root, const QString &subKey,
               const QString &valueName);

} // namespace Registry

namespace Cluster {

// True when the key "Cluster" exists directly below LocalMachineRoot.
bool isClusterNode(platform::MachineFacts &machine);

} // namespace Cluster

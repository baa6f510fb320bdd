#include "shell/cluster.h"

#include <exception>

namespace basRegistry {

bool KeyExists(platform::MachineFacts &machine, quint32 root, const QString &subKey,
               const QString &)
{
    if (root != HKEY_LOCAL_MACHINE)
        return false;
    try {
        return machine.localMachineKeyExists(subKey);
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace basRegistry

namespace Cluster {

bool IsClusterNode(platform::MachineFacts &machine)
{
    return basRegistry::KeyExists(machine, basRegistry::HKEY_LOCAL_MACHINE,
                                  QStringLiteral("Cluster"), QString());
}

} // namespace Cluster

#include "shell/cluster.h"

#include <exception>

namespace Registry {

bool keyExists(platform::MachineFacts &machine, quint32 root, const QString &subKey,
               const QString &)
{
    if (root != LocalMachineRoot)
        return false;
    try {
        return machine.localMachineKeyExists(subKey);
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace Registry

namespace Cluster {

bool isClusterNode(platform::MachineFacts &machine)
{
    return Registry::keyExists(machine, Registry::LocalMachineRoot, QStringLiteral("Cluster"),
                               QString());
}

} // namespace Cluster

#include "platform/lab/labmachine.h"

#include "platform/lab/laberrors.h"
#include "platform/lab/standinlibrary.h"

#include <QDir>
#include <QFileInfo>

namespace lab {

LabMachineFacts::LabMachineFacts(Machine machine) : m_machine(std::move(machine)) {}

QString LabMachineFacts::computerName()
{
    return m_machine.computerName;
}

QString LabMachineFacts::domainDnsName()
{
    if (m_machine.domainDnsName.isEmpty())
        fail(platform::error::NotInDomain,
             QStringLiteral("The computer %1 is not a member of a directory domain")
                 .arg(m_machine.computerName));
    return m_machine.domainDnsName;
}

QString LabMachineFacts::globalCatalogHostName()
{
    if (m_machine.globalCatalogHost.isEmpty())
        fail(platform::error::ServerUnreachable,
             QStringLiteral("No global catalog server answers for GC://RootDSE"));
    return m_machine.globalCatalogHost;
}

bool LabMachineFacts::localMachineKeyExists(const QString &subKey)
{
    QString wanted = subKey;
    while (wanted.startsWith(u'\\'))
        wanted.remove(0, 1);
    while (wanted.endsWith(u'\\'))
        wanted.chop(1);
    for (const QString &key : std::as_const(m_machine.localMachineKeys)) {
        if (key.compare(wanted, Qt::CaseInsensitive) == 0 ||
            key.startsWith(wanted + u'\\', Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString LabMachineFacts::logonUserName()
{
    return m_machine.logonUserName;
}

QString LabMachineFacts::workstationLanGroup(const QString &serverName)
{
    if (m_machine.lanGroup.isEmpty())
        fail(platform::error::NotInDomain,
             QStringLiteral("The workstation query of %1 failed: no LAN group")
                 .arg(serverName.isEmpty() ? m_machine.computerName : serverName));
    return m_machine.lanGroup;
}

QString LabMachineFacts::environmentVariable(const QString &name)
{
    if (name.compare(QLatin1String("COMPUTERNAME"), Qt::CaseInsensitive) == 0)
        return m_machine.computerNameVariable;
    return qEnvironmentVariable(name.toLocal8Bit().constData());
}

QString LabMachineFacts::currentDirectory()
{
    return QDir::currentPath();
}

bool LabMachineFacts::ordinaryFileExists(const QString &path)
{
    const QFileInfo info(localLibraryPath(path));
    return info.exists() && info.isFile() && !info.fileName().startsWith(u'.');
}

QStringList LabMachineFacts::storeRootListing()
{
    return m_machine.storeRootListing;
}

} // namespace lab

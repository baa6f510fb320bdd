#pragma once

#include "platform/lab/labscenario.h"
#include "platform/machine.h"

namespace lab {

// Machine facts from the lab's machine table; the file system ones from the real machine.
class LabMachineFacts : public platform::MachineFacts
{
public:
    explicit LabMachineFacts(Machine machine);

    QString computerName() override;
    QString domainDnsName() override;
    QString globalCatalogHostName() override;
    bool localMachineKeyExists(const QString &subKey) override;
    QString logonUserName() override;
    QString workstationLanGroup(const QString &serverName) override;
    QString environmentVariable(const QString &name) override;
    QString currentDirectory() override;
    bool ordinaryFileExists(const QString &path) override;
    QStringList storeRootListing() override;

private:
    Machine m_machine;
};

} // namespace lab

#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// What the program learns of the computer it runs on and of its account.
class MachineFacts
{
public:
    virtual ~MachineFacts() = default;

    // The computer's own (NetBIOS) name, as the system writes it.
    virtual QString computerName() = 0;
    // The DNS name of the computer's directory domain; throws when it is in none.
    virtual QString domainDnsName() = 0;
    // The DNS host name of the global catalog server that answers; throws when none does.
    virtual QString globalCatalogHostName() = 0;
    // Whether a key exists directly below HKEY_LOCAL_MACHINE (path with "\" separators).
    // Never throws.
    virtual bool localMachineKeyExists(const QString &subKey) = 0;
    // The account the program runs under, without domain.
    virtual QString logonUserName() = 0;
    // The workstation's LAN group (domain or workgroup); throws when the query fails.
    virtual QString workstationLanGroup(const QString &serverName) = 0;
    virtual QString environmentVariable(const QString &name) = 0;
    virtual QString currentDirectory() = 0;
    // Whether an ordinary (neither hidden nor system) file exists at the path.
    virtual bool ordinaryFileExists(const QString &path) = 0;
    // Entry names of the store's local root, directories included, in listing order.
    virtual QStringList storeRootListing() = 0;
};

} // namespace platform

#pragma once

#include "platform/platform.h"
#include "platform/platformerror.h"

// A platform for tests of behaviour that must not touch the environment: every
// operation fails, so an unexpected use shows up as an error in the test.
class UnusedPlatform : public platform::Platform, private platform::MachineFacts
{
public:
    QString description() const override { return QStringLiteral("unused"); }
    std::unique_ptr<platform::DirectoryConnection> createDirectoryConnection() override
    {
        throw unused();
    }
    std::unique_ptr<platform::StoreConnection> createStoreConnection() override { throw unused(); }
    std::unique_ptr<platform::ComponentCatalog> createCatalog() override { throw unused(); }
    platform::MachineFacts &machine() override { return *this; }

private:
    static platform::PlatformError unused()
    {
        return platform::PlatformError(platform::error::InvalidArgument,
                                       QStringLiteral("the environment is not used here"));
    }
    QString computerName() override { throw unused(); }
    QString domainDnsName() override { throw unused(); }
    QString globalCatalogHostName() override { throw unused(); }
    bool localMachineKeyExists(const QString &) override { throw unused(); }
    QString logonUserName() override { throw unused(); }
    QString workstationLanGroup(const QString &) override { throw unused(); }
    QString environmentVariable(const QString &) override { throw unused(); }
    QString currentDirectory() override { throw unused(); }
    bool ordinaryFileExists(const QString &) override { throw unused(); }
    QStringList storeRootListing() override { throw unused(); }
};

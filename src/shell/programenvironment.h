#pragma once

#include "platform/directory.h"
#include "platform/platform.h"
#include "platform/store.h"

#include <memory>
#include <QString>

// What start-up learns about this server and every subsystem reads, and the two connections
// with their lifetime: each is made on first use and kept until a release is asked for and
// nothing uses it any more.
class ProgramEnvironment
{
public:
    static inline const QString ProductName = QStringLiteral("Kestrelon");

    ProgramEnvironment(platform::Platform &platform, QString commandLine = {});
    ~ProgramEnvironment();
    ProgramEnvironment(const ProgramEnvironment &) = delete;
    ProgramEnvironment &operator=(const ProgramEnvironment &) = delete;

    platform::Platform &platform() { return m_platform; }

    // Start-up: batch mode from the command line, the names and URL roots from the machine,
    // the global catalog; opens the directory connection.
    void discover();

    // The argument text after the program name.
    QString commandLine;
    bool batchMode = false;
    // The window's title, which message boxes carry too.
    QString caption = QStringLiteral("Kestrelon setup");
    QString shortComputerName;
    QString domainDnsName;
    QString fullComputerName;
    QString httpMailboxRoot;
    QString fileMailboxRoot;
    // "GC://" + the global catalog's host: the base of every query.
    QString globalCatalogPath;
    bool runsOnClusterNode = false;
    // Set by findClusterName on a cluster node: the virtual server this node serves.
    QString clusterName;

    // The running account, without its domain.
    QString logonUserName();
    // The running account's person object in the directory, with the attributes given as
    // the query's select list ("a, b"); the account name goes into the query unchanged.
    std::unique_ptr<platform::DirectoryRowSet> queryLogonAccount(const QString &attributes);
    // Sets clusterName from the running account's home server.
    void findClusterName();

    platform::DirectoryConnection &directoryConnection();
    platform::StoreConnection &storeConnection();
    // The connections as they are, without making one: null when there is none.
    platform::DirectoryConnection *existingDirectoryConnection() const { return m_directory.get(); }
    platform::StoreConnection *existingStoreConnection() const { return m_store.get(); }
    // Takes these connections in place of the platform's (benchmarks and tests record or
    // prepare them).
    void useConnections(std::unique_ptr<platform::DirectoryConnection> directory,
                        std::unique_ptr<platform::StoreConnection> store);

    // Keeps both connections while it lives: a walk or an apply holds one, so that a
    // release asked for meanwhile waits until it ends.
    class Use
    {
    public:
        explicit Use(ProgramEnvironment &environment);
        ~Use();
        Use(const Use &) = delete;
        Use &operator=(const Use &) = delete;

    private:
        ProgramEnvironment &m_environment;
    };
    // Closes and drops both connections now, or once the last Use ends.
    void releaseConnections();

private:
    void closeConnections();

    platform::Platform &m_platform;
    std::unique_ptr<platform::DirectoryConnection> m_directory;
    std::unique_ptr<platform::StoreConnection> m_store;
    int m_uses = 0;
    bool m_releaseAsked = false;
};

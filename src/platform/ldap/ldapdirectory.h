#pragma once

#include "platform/directory.h"
#include "platform/ldap/ldapsession.h"
#include "platform/ldap/ldapsettings.h"

#include <memory>
#include <QSet>

namespace ldapbackend {

// The directory connection to an LDAP server: answers the SQL dialect with LDAP searches.
// It signs in with the configured account; open()'s user and password are not used.
class LdapDirectoryConnection : public platform::DirectoryConnection
{
public:
    // The hooks (may be null) run while it waits and take what searches leave out.
    explicit LdapDirectoryConnection(LdapSettings settings,
                                     std::shared_ptr<const LdapHooks> hooks = nullptr);

    void open(const QString &connectionString, const QString &user,
              const QString &password) override;
    bool isOpen() const override { return m_open; }
    void close() override;
    std::unique_ptr<platform::DirectoryRowSet>
    execute(const QString &commandText, const platform::SearchProperties &properties) override;

private:
    LdapSettings m_settings;
    std::shared_ptr<const LdapHooks> m_hooks;
    std::shared_ptr<LdapSession> m_session;
    RootDse m_rootDse;
    bool m_open = false;
    QSet<QString> m_unsortable; // attributes the server refused to sort on
};

// The global catalog host of 'GC://' paths: the configured one, else the root DSE's.
QString globalCatalogHost(const LdapSettings &settings, const RootDse &rootDse);

// The search base of a path without one: the configured base, else the root DSE's
// default naming context, else its first naming context.
QString searchBase(const LdapSettings &settings, const RootDse &rootDse);

} // namespace ldapbackend

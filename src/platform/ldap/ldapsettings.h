#pragma once

#include <optional>
#include <QString>

namespace ldapbackend {

// Where the directory server is and how to sign in to it.
struct LdapSettings
{
    QString uri; // ldap://host[:port] or ldaps://host[:port]
    bool startTls = false;
    QString bindDn;   // empty: anonymous
    QString password; // never logged
    // The search base of 'GC://host' queries; unset: the root DSE's defaultNamingContext.
    // Set and empty: the whole tree (a global catalog of several domains).
    std::optional<QString> baseDn;
    QString globalCatalogHost; // empty: the root DSE's dnsHostName
    int timeoutSeconds = 30;   // for connecting, signing in and each answer of a search
    QString caFile;            // empty: the system's trusted certificates
};

} // namespace ldapbackend

#pragma once

#include <functional>
#include <optional>
#include <QString>
#include <QStringList>

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
    int timeoutSeconds = 30;   // the longest wait on the server: connecting, signing in, answers
    QString caFile;            // empty: the system's trusted certificates
    // Servers besides uri's that referrals may lead to, "host" or "host:port" (the scheme's
    // port when left out): the account signs in to no other.
    QStringList referralHosts;
};

// What the program lets the directory backend do: run pending events while it waits on a
// server, and say what a search left out (a referral skipped or unreachable).
struct LdapHooks
{
    std::function<void()> idle;
    std::function<void(const QString &subject, qint32 number, const QString &text)> notice;
};

} // namespace ldapbackend

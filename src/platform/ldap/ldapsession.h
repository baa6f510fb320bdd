#pragma once

#include "platform/ldap/ldapsettings.h"

#include <QString>
#include <QStringList>

using LDAP = struct ldap;

namespace ldapbackend {

// What a directory server says about itself in its root DSE.
struct RootDse
{
    QString dnsHostName;
    QString defaultNamingContext;
    QStringList namingContexts;
    QString schemaNamingContext;
    QStringList supportedControls;
    bool activeDirectory = false; // the server expands short object categories itself

    bool supportsControl(const char *oid) const;
};

// One signed-in LDAP session with the configured server; ends it when destroyed.
class LdapSession
{
public:
    // Connects, starts TLS when configured and binds; throws PlatformError naming the server.
    explicit LdapSession(const LdapSettings &settings);
    ~LdapSession();
    LdapSession(const LdapSession &) = delete;
    LdapSession &operator=(const LdapSession &) = delete;

    LDAP *handle() const { return m_ld; }
    const LdapSettings &settings() const { return m_settings; }
    const QString &server() const { return m_settings.uri; }

    // Whether a failure said the connection is gone, so the next search needs a new session.
    bool isBroken() const { return m_broken; }

    // Follows referrals, signing in to each referred server as this session did.
    void setChaseReferrals(bool chase);

    RootDse readRootDse();

    // Throws the PlatformError of a failed operation on this session, with the server's
    // diagnostic message; a lost connection marks the session broken.
    [[noreturn]] void fail(int ldapCode, const QString &doing);

private:
    void signIn();
    static int rebind(LDAP *ld, const char *url, unsigned long request, int msgid, void *params);

    LdapSettings m_settings;
    LDAP *m_ld = nullptr;
    bool m_broken = false;
};

} // namespace ldapbackend

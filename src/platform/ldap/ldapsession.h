#pragma once

#include "platform/ldap/ldapsettings.h"

#include <functional>
#include <memory>
#include <QString>
#include <QStringList>

using LDAP = struct ldap;
using LDAPMessage = struct ldapmsg;

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
    // The hooks run while it waits on the server and take what searches leave out.
    explicit LdapSession(const LdapSettings &settings,
                         std::shared_ptr<const LdapHooks> hooks = nullptr);
    ~LdapSession();
    LdapSession(const LdapSession &) = delete;
    LdapSession &operator=(const LdapSession &) = delete;

    LDAP *handle() const { return m_ld; }
    const LdapSettings &settings() const { return m_settings; }
    const QString &server() const { return m_settings.uri; }

    // Whether a failure said the connection is gone, so the next search needs a new session.
    bool isBroken() const { return m_broken; }

    const std::shared_ptr<const LdapHooks> &hooks() const { return m_hooks; }

    RootDse readRootDse();

    // Waits at most the seconds for an answer to the message (all of it, or one part), in
    // short slices with the idle hook run between them. 0 when none came in time, -1 on a
    // failure of the connection, else the answer's type.
    int await(int messageId, bool all, int seconds, LDAPMessage **message);

    // Says what a search left out, through the notice hook (a warning without one).
    void notice(qint32 number, const QString &text) const;

    // Throws the PlatformError of a failed operation on this session, with the server's
    // diagnostic message; a lost connection marks the session broken.
    [[noreturn]] void fail(int ldapCode, const QString &doing, const QString &advice = QString());

private:
    void signIn();
    // Sends the first request of the session: the connection is made in the background, and
    // until it is up the request reports LDAP_X_CONNECTING; waits for it in slices, events
    // running, within the time-out. Returns the request's own result code.
    int sendFirst(const std::function<int()> &request, const QString &doing);
    // The whole answer to a request just sent, within the time-out; fails naming the request.
    LDAPMessage *answerTo(int messageId, const QString &doing);

    LdapSettings m_settings;
    std::shared_ptr<const LdapHooks> m_hooks;
    LDAP *m_ld = nullptr;
    bool m_broken = false;
};

} // namespace ldapbackend

#include "platform/ldap/ldapsession.h"

#include "platform/ldap/ldaperror.h"

#include <ldap.h>
#include <sys/time.h>

namespace ldapbackend {

namespace {

// Marks a server that expands short object categories as a mail directory does.
const char *const activeDirectoryCapability = "1.2.840.113556.1.4.800";

struct timeval seconds(int value)
{
    return {value, 0};
}

QStringList values(LDAP *ld, LDAPMessage *entry, const char *attribute)
{
    QStringList result;
    berval **found = ldap_get_values_len(ld, entry, attribute);
    if (!found)
        return result;
    for (berval **v = found; *v; ++v)
        result.append(QString::fromUtf8((*v)->bv_val, qsizetype((*v)->bv_len)));
    ldap_value_free_len(found);
    return result;
}

} // namespace

bool RootDse::supportsControl(const char *oid) const
{
    return supportedControls.contains(QLatin1String(oid));
}

LdapSession::LdapSession(const LdapSettings &settings) : m_settings(settings)
{
    const QByteArray uri = m_settings.uri.toUtf8();
    if (const int rc = ldap_initialize(&m_ld, uri.constData()); rc != LDAP_SUCCESS)
        failLdap(server(), rc, QStringLiteral("reading the address"));
    const int version = LDAP_VERSION3;
    struct timeval timeout = seconds(m_settings.timeoutSeconds);
    ldap_set_option(m_ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(m_ld, LDAP_OPT_NETWORK_TIMEOUT, &timeout);
    ldap_set_option(m_ld, LDAP_OPT_TIMEOUT, &timeout);
    ldap_set_option(m_ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    if (!m_settings.caFile.isEmpty()) {
        const QByteArray caFile = m_settings.caFile.toLocal8Bit();
        const int newContext = 0;
        ldap_set_option(m_ld, LDAP_OPT_X_TLS_CACERTFILE, caFile.constData());
        ldap_set_option(m_ld, LDAP_OPT_X_TLS_NEWCTX, &newContext);
    }
    ldap_set_rebind_proc(m_ld, &LdapSession::rebind, this);
    try {
        signIn();
    } catch (...) {
        ldap_unbind_ext_s(m_ld, nullptr, nullptr);
        m_ld = nullptr;
        throw;
    }
}

void LdapSession::signIn()
{
    if (m_settings.startTls) {
        if (const int rc = ldap_start_tls_s(m_ld, nullptr, nullptr); rc != LDAP_SUCCESS)
            fail(rc, QStringLiteral("starting TLS"));
    }
    const QByteArray dn = m_settings.bindDn.toUtf8();
    QByteArray password = m_settings.password.toUtf8();
    berval credentials{ber_len_t(password.size()), password.data()};
    qCDebug(ldapLog).noquote() << "bind to" << server() << "as"
                               << (dn.isEmpty() ? QByteArray("anonymous") : dn);
    const int rc = ldap_sasl_bind_s(m_ld, dn.isEmpty() ? nullptr : dn.constData(), LDAP_SASL_SIMPLE,
                                    &credentials, nullptr, nullptr, nullptr);
    password.fill('\0');
    if (rc != LDAP_SUCCESS)
        fail(rc, dn.isEmpty() ? QStringLiteral("signing in anonymously")
                              : QStringLiteral("signing in as %1").arg(m_settings.bindDn));
}

LdapSession::~LdapSession()
{
    if (m_ld)
        ldap_unbind_ext_s(m_ld, nullptr, nullptr);
}

void LdapSession::setChaseReferrals(bool chase)
{
    ldap_set_option(m_ld, LDAP_OPT_REFERRALS, chase ? LDAP_OPT_ON : LDAP_OPT_OFF);
}

int LdapSession::rebind(LDAP *ld, const char *url, unsigned long, int, void *params)
{
    // A referred server gets the same sign-in: an anonymous one is refused by directories
    // that only show their objects to known accounts.
    const auto *session = static_cast<LdapSession *>(params);
    const QByteArray dn = session->m_settings.bindDn.toUtf8();
    QByteArray password = session->m_settings.password.toUtf8();
    berval credentials{ber_len_t(password.size()), password.data()};
    qCDebug(ldapLog).noquote() << "bind to referred server" << url << "as"
                               << (dn.isEmpty() ? QByteArray("anonymous") : dn);
    const int rc = ldap_sasl_bind_s(ld, dn.isEmpty() ? nullptr : dn.constData(), LDAP_SASL_SIMPLE,
                                    &credentials, nullptr, nullptr, nullptr);
    password.fill('\0');
    return rc;
}

RootDse LdapSession::readRootDse()
{
    const char *attributes[] = {
        "dnsHostName",      "defaultNamingContext",  "namingContexts", "schemaNamingContext",
        "supportedControl", "supportedCapabilities", nullptr};
    struct timeval timeout = seconds(m_settings.timeoutSeconds);
    LDAPMessage *result = nullptr;
    const int rc = ldap_search_ext_s(m_ld, "", LDAP_SCOPE_BASE, "(objectClass=*)",
                                     const_cast<char **>(attributes), 0, nullptr, nullptr, &timeout,
                                     1, &result);
    if (rc != LDAP_SUCCESS) {
        ldap_msgfree(result);
        fail(rc, QStringLiteral("reading the root DSE"));
    }
    RootDse dse;
    if (LDAPMessage *entry = ldap_first_entry(m_ld, result)) {
        dse.dnsHostName = values(m_ld, entry, "dnsHostName").value(0);
        dse.defaultNamingContext = values(m_ld, entry, "defaultNamingContext").value(0);
        dse.namingContexts = values(m_ld, entry, "namingContexts");
        dse.schemaNamingContext = values(m_ld, entry, "schemaNamingContext").value(0);
        dse.supportedControls = values(m_ld, entry, "supportedControl");
        dse.activeDirectory = values(m_ld, entry, "supportedCapabilities")
                                  .contains(QLatin1String(activeDirectoryCapability));
    }
    ldap_msgfree(result);
    qCDebug(ldapLog).noquote() << "root DSE of" << server() << "dnsHostName" << dse.dnsHostName
                               << "defaultNamingContext" << dse.defaultNamingContext
                               << "schemaNamingContext" << dse.schemaNamingContext;
    return dse;
}

void LdapSession::fail(int ldapCode, const QString &doing)
{
    if (ldapCode == LDAP_SERVER_DOWN || ldapCode == LDAP_CONNECT_ERROR || ldapCode == LDAP_TIMEOUT)
        m_broken = true;
    QString diagnostic;
    char *message = nullptr;
    if (ldap_get_option(m_ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &message) == LDAP_OPT_SUCCESS &&
        message) {
        diagnostic = QString::fromUtf8(message);
        ldap_memfree(message);
    }
    failLdap(server(), ldapCode, doing, diagnostic);
}

} // namespace ldapbackend

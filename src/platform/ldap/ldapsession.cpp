#include "platform/ldap/ldapsession.h"

#include "platform/ldap/ldaperror.h"
#include "platform/ldap/tlstrace.h"

#include <algorithm>
#include <ldap.h>
#include <poll.h>
#include <QDeadlineTimer>
#include <sys/time.h>

namespace ldapbackend {

namespace {

// Marks a server that expands short object categories as a mail directory does.
const char *const activeDirectoryCapability = "1.2.840.113556.1.4.800";

// How long one wait on the server lasts before the program's events run again.
constexpr qint64 SliceMs = 50;

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

LdapSession::LdapSession(const LdapSettings &settings, std::shared_ptr<const LdapHooks> hooks)
    : m_settings(settings), m_hooks(std::move(hooks))
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
    // A host that drops packets would otherwise hold the program inside connect() for the
    // whole time-out, the window unpainted.
    ldap_set_option(m_ld, LDAP_OPT_CONNECT_ASYNC, LDAP_OPT_ON);
    // The server's certificate is always checked, whatever LDAPTLS_REQCERT or ldap.conf say.
    const int demand = LDAP_OPT_X_TLS_DEMAND;
    ldap_set_option(m_ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &demand);
    if (!m_settings.caFile.isEmpty()) {
        const QByteArray caFile = m_settings.caFile.toLocal8Bit();
        ldap_set_option(m_ld, LDAP_OPT_X_TLS_CACERTFILE, caFile.constData());
    }
    const int newContext = 0;
    ldap_set_option(m_ld, LDAP_OPT_X_TLS_NEWCTX, &newContext);
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
    // For ldaps:// the handshake runs while connecting, in the first request.
    TlsTrace trace;
    const auto failTls = [&](int rc, const QString &doing) {
        const QString reasons = trace.reasons();
        if (reasons.isEmpty())
            fail(rc, doing);
        failLdap(server(), rc,
                 QStringLiteral("%1: the server's certificate failed the check against %2: %3")
                     .arg(doing,
                          m_settings.caFile.isEmpty()
                              ? QStringLiteral("the system's trusted certificates")
                              : QStringLiteral("the CA file %1").arg(m_settings.caFile),
                          reasons));
    };
    if (m_settings.startTls) {
        const QString doing = QStringLiteral("starting TLS");
        int messageId = -1;
        int rc =
            sendFirst([&] { return ldap_start_tls(m_ld, nullptr, nullptr, &messageId); }, doing);
        if (rc != LDAP_SUCCESS)
            fail(rc, doing);
        int code = LDAP_OTHER;
        rc = ldap_parse_result(m_ld, answerTo(messageId, doing), &code, nullptr, nullptr, nullptr,
                               nullptr, 1);
        if (rc != LDAP_SUCCESS || code != LDAP_SUCCESS)
            fail(rc != LDAP_SUCCESS ? rc : code, doing);
        if (rc = ldap_install_tls(m_ld); rc != LDAP_SUCCESS)
            failTls(rc, doing);
    }
    const QByteArray dn = m_settings.bindDn.toUtf8();
    QByteArray password = m_settings.password.toUtf8();
    berval credentials{ber_len_t(password.size()), password.data()};
    qCDebug(ldapLog).noquote() << "bind to" << server() << "as"
                               << (dn.isEmpty() ? QByteArray("anonymous") : dn);
    const QString doing = dn.isEmpty() ? QStringLiteral("signing in anonymously")
                                       : QStringLiteral("signing in as %1").arg(m_settings.bindDn);
    int messageId = -1;
    int rc = sendFirst(
        [&] {
            return ldap_sasl_bind(m_ld, dn.isEmpty() ? nullptr : dn.constData(), LDAP_SASL_SIMPLE,
                                  &credentials, nullptr, nullptr, &messageId);
        },
        doing);
    password.fill('\0');
    if (rc != LDAP_SUCCESS)
        failTls(rc, doing);
    LDAPMessage *answer = answerTo(messageId, doing);
    int code = LDAP_OTHER;
    rc = ldap_parse_result(m_ld, answer, &code, nullptr, nullptr, nullptr, nullptr, 1);
    // A directory that takes passwords only over an encrypted connection (Active Directory
    // does by default) says so in a code of its own; the remedy is in the configuration.
    const bool encrypted =
        m_settings.startTls ||
        m_settings.uri.startsWith(QLatin1String("ldaps://"), Qt::CaseInsensitive);
    if (rc == LDAP_SUCCESS && !encrypted &&
        (code == LDAP_STRONG_AUTH_REQUIRED || code == LDAP_CONFIDENTIALITY_REQUIRED))
        fail(code, doing,
             QStringLiteral("The server signs in only over an encrypted connection: use an "
                            "ldaps:// address, or startTls=true with this one"));
    if (rc != LDAP_SUCCESS || code != LDAP_SUCCESS)
        fail(rc != LDAP_SUCCESS ? rc : code, doing);
}

LdapSession::~LdapSession()
{
    if (m_ld)
        ldap_unbind_ext_s(m_ld, nullptr, nullptr);
}

int LdapSession::sendFirst(const std::function<int()> &request, const QString &doing)
{
    const QDeadlineTimer deadline(qint64(m_settings.timeoutSeconds) * 1000);
    for (;;) {
        const int rc = request();
        if (rc != LDAP_X_CONNECTING)
            return rc;
        if (deadline.hasExpired())
            fail(LDAP_SERVER_DOWN, QStringLiteral("%1 (no connection within %2 s)")
                                       .arg(doing)
                                       .arg(m_settings.timeoutSeconds));
        ber_socket_t socket = -1;
        pollfd connecting{-1, POLLOUT, 0};
        if (ldap_get_option(m_ld, LDAP_OPT_DESC, &socket) == LDAP_OPT_SUCCESS)
            connecting.fd = socket;
        ::poll(&connecting, connecting.fd >= 0 ? 1 : 0,
               int(std::min(SliceMs, deadline.remainingTime())));
        if (m_hooks && m_hooks->idle)
            m_hooks->idle();
    }
}

int LdapSession::await(int messageId, bool all, int seconds, LDAPMessage **message)
{
    const QDeadlineTimer deadline(qint64(seconds) * 1000);
    for (;;) {
        const qint64 slice = std::min(SliceMs, deadline.remainingTime());
        struct timeval wait = {slice / 1000, suseconds_t(slice % 1000 * 1000)};
        const int type =
            ldap_result(m_ld, messageId, all ? LDAP_MSG_ALL : LDAP_MSG_ONE, &wait, message);
        if (type != 0 || deadline.hasExpired())
            return type;
        if (m_hooks && m_hooks->idle)
            m_hooks->idle();
    }
}

LDAPMessage *LdapSession::answerTo(int messageId, const QString &doing)
{
    LDAPMessage *answer = nullptr;
    const int type = await(messageId, true, m_settings.timeoutSeconds, &answer);
    if (type == 0) {
        ldap_abandon_ext(m_ld, messageId, nullptr, nullptr);
        fail(
            LDAP_TIMEOUT,
            QStringLiteral("%1 (no answer within %2 s)").arg(doing).arg(m_settings.timeoutSeconds));
    }
    if (type < 0) {
        int code = LDAP_OTHER;
        ldap_get_option(m_ld, LDAP_OPT_RESULT_CODE, &code);
        fail(code, doing);
    }
    return answer;
}

void LdapSession::notice(qint32 number, const QString &text) const
{
    if (m_hooks && m_hooks->notice)
        m_hooks->notice(server(), number, text);
    else
        qCWarning(ldapLog).noquote() << server() << text;
}

RootDse LdapSession::readRootDse()
{
    const char *attributes[] = {
        "dnsHostName",      "defaultNamingContext",  "namingContexts", "schemaNamingContext",
        "supportedControl", "supportedCapabilities", nullptr};
    const QString doing = QStringLiteral("reading the root DSE");
    int messageId = -1;
    int rc = ldap_search_ext(m_ld, "", LDAP_SCOPE_BASE, "(objectClass=*)",
                             const_cast<char **>(attributes), 0, nullptr, nullptr, nullptr, 1,
                             &messageId);
    if (rc != LDAP_SUCCESS)
        fail(rc, doing);
    LDAPMessage *result = answerTo(messageId, doing);
    int code = LDAP_OTHER;
    rc = ldap_parse_result(m_ld, result, &code, nullptr, nullptr, nullptr, nullptr, 0);
    if (rc != LDAP_SUCCESS || code != LDAP_SUCCESS) {
        ldap_msgfree(result);
        fail(rc != LDAP_SUCCESS ? rc : code, doing);
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

void LdapSession::fail(int ldapCode, const QString &doing, const QString &advice)
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
    failLdap(server(), ldapCode, doing, diagnostic, advice);
}

} // namespace ldapbackend

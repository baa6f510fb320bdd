#include "platform/ldap/tlstrace.h"

#include "platform/ldap/ldaperror.h"

#include <ldap.h>

namespace ldapbackend {

namespace {

// libldap's LDAP_DEBUG_TRACE, the level at which it says why a certificate was refused.
constexpr int Trace = 0x0001;

TlsTrace *active = nullptr;
QStringList *activeLines = nullptr;

void collect(const char *line)
{
    const QString text = QString::fromUtf8(line).trimmed();
    qCDebug(ldapLog).noquote() << "libldap:" << text;
    // "TLS: can't connect" only repeats the failure; the lines before it say why.
    if (activeLines && text.startsWith(QLatin1String("TLS: ")) &&
        !text.startsWith(QLatin1String("TLS: can't connect")))
        activeLines->append(text.mid(5));
}

} // namespace

TlsTrace::TlsTrace() : m_outer(active)
{
    static const bool installed =
        ber_set_option(nullptr, LBER_OPT_LOG_PRINT_FN, reinterpret_cast<const void *>(&collect)) ==
        LBER_OPT_SUCCESS;
    Q_UNUSED(installed);
    ldap_get_option(nullptr, LDAP_OPT_DEBUG_LEVEL, &m_previousLevel);
    const int level = m_previousLevel | Trace;
    ldap_set_option(nullptr, LDAP_OPT_DEBUG_LEVEL, &level);
    active = this;
    activeLines = &m_lines;
}

TlsTrace::~TlsTrace()
{
    ldap_set_option(nullptr, LDAP_OPT_DEBUG_LEVEL, &m_previousLevel);
    active = m_outer;
    activeLines = m_outer ? &m_outer->m_lines : nullptr;
}

} // namespace ldapbackend

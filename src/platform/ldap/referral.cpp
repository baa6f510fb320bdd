#include "platform/ldap/referral.h"

#include <algorithm>
#include <ldap.h>
#include <optional>

namespace ldapbackend {

namespace {

struct Endpoint
{
    QString scheme;
    QString host;
    int port = 0;
};

int defaultPort(const QString &scheme)
{
    return scheme == QLatin1String("ldaps") ? 636 : 389;
}

std::optional<Endpoint> endpointOf(const QString &url, QByteArray *base, QByteArray *filter)
{
    LDAPURLDesc *description = nullptr;
    if (ldap_url_parse(url.toUtf8().constData(), &description) != LDAP_URL_SUCCESS)
        return std::nullopt;
    Endpoint endpoint;
    endpoint.scheme = QString::fromUtf8(description->lud_scheme).toLower();
    endpoint.host = QString::fromUtf8(description->lud_host).toLower();
    endpoint.port =
        description->lud_port > 0 ? description->lud_port : defaultPort(endpoint.scheme);
    if (base)
        *base = QByteArray(description->lud_dn);
    if (filter)
        *filter = QByteArray(description->lud_filter);
    ldap_free_urldesc(description);
    return endpoint;
}

// "host", "host:port", "[address]" or "[address]:port" of referralHosts names the endpoint.
bool names(const QString &entry, const Endpoint &endpoint)
{
    const qsizetype bracket = entry.indexOf(u']');
    const qsizetype colon = entry.indexOf(u':', bracket < 0 ? 0 : bracket);
    const QString host = (bracket > 0 ? entry.mid(1, bracket - 1) : entry.left(colon)).toLower();
    const int port = colon < 0 ? defaultPort(endpoint.scheme) : entry.mid(colon + 1).toInt();
    return host == endpoint.host && port == endpoint.port;
}

} // namespace

ReferralTarget referralTarget(const LdapSettings &configured, const QString &url)
{
    ReferralTarget target;
    const std::optional<Endpoint> referred = endpointOf(url, &target.base, &target.filter);
    const std::optional<Endpoint> own = endpointOf(configured.uri, nullptr, nullptr);
    if (!referred || !own) {
        target.refusal = QStringLiteral("it is not an LDAP address");
        return target;
    }
    if (referred->scheme != QLatin1String("ldap") && referred->scheme != QLatin1String("ldaps")) {
        target.refusal = QStringLiteral("only ldap:// and ldaps:// referrals are followed");
        return target;
    }
    const bool ownServer = referred->host == own->host && referred->port == own->port;
    if (!ownServer &&
        std::none_of(configured.referralHosts.cbegin(), configured.referralHosts.cend(),
                     [&](const QString &entry) { return names(entry, *referred); })) {
        target.refusal = QStringLiteral("the account signs in only to %1:%2 and the hosts of "
                                        "referralHosts")
                             .arg(own->host)
                             .arg(own->port);
        return target;
    }
    const bool ownTls = configured.startTls || own->scheme == QLatin1String("ldaps");
    const QString host =
        referred->host.contains(u':') ? u'[' + referred->host + u']' : referred->host;
    target.settings = configured;
    target.settings.uri =
        QStringLiteral("%1://%2:%3").arg(referred->scheme, host).arg(referred->port);
    target.settings.startTls = ownTls && referred->scheme == QLatin1String("ldap");
    return target;
}

} // namespace ldapbackend

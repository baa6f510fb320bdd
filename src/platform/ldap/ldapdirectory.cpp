#include "platform/ldap/ldapdirectory.h"

#include "platform/lab/directoryquery.h"
#include "platform/ldap/ldapfilter.h"
#include "platform/ldap/ldaprowset.h"
#include "platform/ldap/searchoptions.h"
#include "platform/platformerror.h"

#include <algorithm>

namespace ldapbackend {

namespace {

// Server-side sorting (RFC 2891).
const char *const sortControl = "1.2.840.113556.1.4.473";

} // namespace

QString globalCatalogHost(const LdapSettings &settings, const RootDse &rootDse)
{
    return settings.globalCatalogHost.isEmpty() ? rootDse.dnsHostName : settings.globalCatalogHost;
}

QString searchBase(const LdapSettings &settings, const RootDse &rootDse)
{
    if (settings.baseDn)
        return *settings.baseDn;
    if (!rootDse.defaultNamingContext.isEmpty())
        return rootDse.defaultNamingContext;
    return rootDse.namingContexts.value(0);
}

LdapDirectoryConnection::LdapDirectoryConnection(LdapSettings settings,
                                                 std::shared_ptr<const LdapHooks> hooks)
    : m_settings(std::move(settings)), m_hooks(std::move(hooks))
{
}

void LdapDirectoryConnection::open(const QString &, const QString &, const QString &)
{
    m_session = std::make_shared<LdapSession>(m_settings, m_hooks);
    m_rootDse = m_session->readRootDse();
    m_open = true;
}

void LdapDirectoryConnection::close()
{
    m_session.reset();
    m_open = false;
}

std::unique_ptr<platform::DirectoryRowSet>
LdapDirectoryConnection::execute(const QString &commandText,
                                 const platform::SearchProperties &properties)
{
    if (!m_open)
        throw platform::PlatformError(
            platform::error::NotOpen,
            QStringLiteral("The directory connection to %1 is not open").arg(m_settings.uri));
    const lab::DirectoryQuery query = lab::parseDirectoryQuery(commandText);
    const SearchOptions options = readSearchOptions(properties);
    const QString expectedHost = globalCatalogHost(m_settings, m_rootDse);
    if (!expectedHost.isEmpty() && query.host.compare(expectedHost, Qt::CaseInsensitive) != 0)
        throw platform::PlatformError(
            platform::error::QuerySyntax,
            QStringLiteral("Directory query: the search base host \"%1\" at character %2 is "
                           "not the global catalog of %3 (%4)")
                .arg(query.host)
                .arg(query.hostPosition)
                .arg(m_settings.uri, expectedHost));
    for (const QString &attribute : query.attributes) {
        if (!isAttributeDescription(attribute))
            throw platform::PlatformError(
                platform::error::QuerySyntax,
                QStringLiteral("Directory query: \"%1\" is not an attribute name").arg(attribute));
    }
    const CategoryNaming categories{m_rootDse.activeDirectory ? QString()
                                                              : m_rootDse.schemaNamingContext};

    SearchRequest request;
    request.base = (query.base.isEmpty() ? searchBase(m_settings, m_rootDse) : query.base).toUtf8();
    request.scope = int(options.scope);
    request.filter = ldapFilter(query.filter.get(), categories);
    request.columns = query.attributes;
    request.host = query.host;
    request.orderBy = query.orderBy.toUtf8();
    request.descending = query.descending;
    request.serverSort = !query.orderBy.isEmpty() && m_rootDse.supportsControl(sortControl) &&
                         !m_unsortable.contains(query.orderBy.toCaseFolded());
    request.pageSize = options.pageSize;
    request.sizeLimit = options.sizeLimit;
    // The configured time-out bounds every wait; a query may only ask for less.
    request.timeoutSeconds = options.timeoutSeconds > 0
                                 ? std::min(options.timeoutSeconds, m_settings.timeoutSeconds)
                                 : m_settings.timeoutSeconds;
    request.chaseReferrals = options.chaseReferrals;

    // A connection lost earlier is made again, so the program goes on once the server is back.
    if (m_session->isBroken())
        m_session = std::make_shared<LdapSession>(m_settings, m_hooks);
    auto rows = std::make_unique<LdapRowSet>(m_session, std::move(request));
    if (rows->serverSortRefused())
        m_unsortable.insert(query.orderBy.toCaseFolded());
    return rows;
}

} // namespace ldapbackend

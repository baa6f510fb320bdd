#include "platform/ldap/searchoptions.h"

#include "platform/platformerror.h"

namespace ldapbackend {

namespace {

using platform::PlatformError;

int count(const QString &name, const QVariant &value, int highest)
{
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || number < 0 || number > highest)
        throw PlatformError(platform::error::InvalidArgument,
                            QStringLiteral("Search property \"%1\": \"%2\" is not a number "
                                           "from 0 to %3")
                                .arg(name, value.toString())
                                .arg(highest));
    return int(number);
}

bool is(const QString &name, const char *wanted)
{
    return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
}

} // namespace

SearchOptions readSearchOptions(const platform::SearchProperties &properties)
{
    SearchOptions options;
    for (const auto &[name, value] : properties) {
        if (is(name, "searchscope")) {
            options.scope = SearchOptions::Scope(count(name, value, 2));
        } else if (is(name, "Chase Referrals")) {
            options.chaseReferrals = count(name, value, 0x7fffffff) != 0;
        } else if (is(name, "Page Size")) {
            options.pageSize = count(name, value, 0x7fffffff);
        } else if (is(name, "Size Limit")) {
            options.sizeLimit = count(name, value, 0x7fffffff);
        } else if (is(name, "Timeout")) {
            options.timeoutSeconds = count(name, value, 0x7fffffff);
        } else if (!is(name, "cache results")) {
            // Rows are read forward once, so caching them asks nothing of the server.
            throw PlatformError(platform::error::ItemNotFound,
                                QStringLiteral("Unknown search property \"%1\" (known: "
                                               "searchscope, cache results, Chase Referrals, "
                                               "Page Size, Size Limit, Timeout)")
                                    .arg(name));
        }
    }
    return options;
}

} // namespace ldapbackend

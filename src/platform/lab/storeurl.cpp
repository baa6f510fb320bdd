#include "platform/lab/storeurl.h"

#include "platform/lab/laberrors.h"

#include <QUrl>

namespace lab {

namespace {

[[noreturn]] void notAStoreUrl(const QString &url, const QString &why)
{
    fail(platform::error::InvalidArgument,
         QStringLiteral("\"%1\" is not a store URL: %2").arg(url, why));
}

} // namespace

StoreUrl parseStoreUrl(const QString &url)
{
    static const QString filePrefix = QStringLiteral("file://./backofficestorage/");
    static const QString httpPrefix = QStringLiteral("http://");
    StoreUrl result;
    QString rest;
    qsizetype restStart = 0;
    if (url.startsWith(filePrefix, Qt::CaseInsensitive)) {
        result.form = StoreUrl::Form::File;
        restStart = filePrefix.size();
    } else if (url.startsWith(httpPrefix, Qt::CaseInsensitive)) {
        result.form = StoreUrl::Form::Http;
        const qsizetype slash = url.indexOf(u'/', httpPrefix.size());
        result.host = url.mid(httpPrefix.size(), slash < 0 ? -1 : slash - httpPrefix.size());
        if (result.host.isEmpty())
            notAStoreUrl(url, QStringLiteral("no host"));
        if (slash < 0)
            notAStoreUrl(url, QStringLiteral("no path after the host"));
        const QString exadmin = QStringLiteral("exadmin/");
        if (url.mid(slash + 1, exadmin.size()).compare(exadmin, Qt::CaseInsensitive) != 0)
            notAStoreUrl(url, QStringLiteral("the path does not begin with /exadmin/"));
        restStart = slash + 1 + exadmin.size();
    } else {
        notAStoreUrl(url, QStringLiteral("neither file://./backofficestorage/ nor http://"));
    }
    rest = url.mid(restStart);
    while (rest.endsWith(u'/'))
        rest.chop(1);
    const QStringList segments = rest.split(u'/');
    if (segments.size() < 3 || segments[0].isEmpty() ||
        segments[1].compare(QLatin1String("mbx"), Qt::CaseInsensitive) != 0 ||
        segments[2].isEmpty())
        notAStoreUrl(url, QStringLiteral("expected <domain folder>/mbx/<mailbox> after the root"));
    for (const QString &segment : segments) {
        if (segment.isEmpty())
            notAStoreUrl(url, QStringLiteral("an empty path segment"));
    }
    auto decode = [](const QString &segment) {
        return segment.contains(u'%') ? QUrl::fromPercentEncoding(segment.toUtf8()) : segment;
    };
    result.domainFolder = decode(segments[0]);
    result.mailboxName = decode(segments[2]);
    for (qsizetype i = 3; i < segments.size(); ++i)
        result.path.append(decode(segments[i]));
    qsizetype rootLength = restStart;
    for (int i = 0; i < 3; ++i)
        rootLength += segments[i].size() + (i ? 1 : 0);
    result.rootUrl = url.left(rootLength);
    return result;
}

} // namespace lab

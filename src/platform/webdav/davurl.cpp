#include "platform/webdav/davurl.h"

#include "platform/platformerror.h"

#include <QStringList>

namespace webdav {

namespace {

QString withoutTrailingSlash(QString path)
{
    while (path.endsWith(u'/'))
        path.chop(1);
    return path;
}

} // namespace

DavTarget davTarget(const QString &storeUrl, const QString &baseUrl)
{
    const qsizetype schemeEnd = storeUrl.indexOf(QLatin1String("://"));
    const QString scheme = storeUrl.left(schemeEnd).toLower();
    if (scheme == QLatin1String("file"))
        throw platform::PlatformError(
            platform::error::ObjectNotFound,
            QStringLiteral("%1: file:// store URLs reach a store only on the mail server itself; "
                           "this one is reached over HTTP")
                .arg(storeUrl));
    if (schemeEnd < 0 || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        throw platform::PlatformError(
            platform::error::InvalidArgument,
            QStringLiteral("\"%1\" is not an http:// or https:// store URL").arg(storeUrl));

    const qsizetype pathStart = storeUrl.indexOf(u'/', schemeEnd + 3);
    const QString authority = storeUrl.left(pathStart);
    const QString plainPath =
        withoutTrailingSlash(pathStart < 0 ? QString() : storeUrl.mid(pathStart + 1));
    QByteArray encoded = withoutTrailingSlash(baseUrl.isEmpty() ? authority : baseUrl).toUtf8();
    for (const QString &segment : plainPath.split(u'/', Qt::SkipEmptyParts))
        encoded += '/' + QUrl::toPercentEncoding(segment);

    DavTarget target;
    target.url = QUrl::fromEncoded(encoded, QUrl::StrictMode);
    if (!target.url.isValid() || target.url.host().isEmpty())
        throw platform::PlatformError(platform::error::InvalidArgument,
                                      QStringLiteral("\"%1\" is not a valid store URL (%2)")
                                          .arg(storeUrl, target.url.errorString()));
    target.path = withoutTrailingSlash(target.url.path(QUrl::FullyDecoded));
    return target;
}

} // namespace webdav

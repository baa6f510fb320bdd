#include "platform/webdav/davsession.h"

#include "platform/platformerror.h"

#include <QUuid>
#include <utility>

namespace webdav {

namespace {

[[noreturn]] void failDav(const QByteArray &method, const QUrl &url, const DavResponse &response)
{
    throw platform::PlatformError(
        HttpFailure,
        QStringLiteral("%1: %2 failed: %3")
            .arg(url.toDisplayString(), QString::fromLatin1(method), response.failureText()));
}

} // namespace

DavSession::DavSession(const WebDavSettings &settings) : m_settings(settings), m_client(settings) {}

DavTarget DavSession::target(const QString &storeUrl) const
{
    return davTarget(storeUrl, m_settings.baseUrl);
}

void DavSession::requireOpen(const QString &url, const char *operation) const
{
    if (!m_open)
        throw platform::PlatformError(platform::error::NotOpen,
                                      QStringLiteral("%1: the store connection is not open (%2)")
                                          .arg(url, QLatin1String(operation)));
}

DavResponse DavSession::propfind(const DavTarget &target, const QByteArray &body)
{
    const QByteArray method = QByteArrayLiteral("PROPFIND");
    // Depth 0: the server refuses the unbounded default, and only the resource matters.
    const DavReply reply = m_client.send(method, target.url, body, {{"Depth", "0"}});
    if (reply.status != 207)
        DavClient::failStatus(reply, method, target.url);
    const DavResponse response =
        parseMultiStatus(reply.body, target.path, target.url.toDisplayString());
    if (response.status == 404)
        DavClient::failStatus({404, QStringLiteral("Not Found"), {}}, method, target.url);
    if (!response.succeeded())
        failDav(method, target.url, response);
    return response;
}

QList<DavProperty> DavSession::properties(const DavTarget &target)
{
    return propfind(target, {}).properties(); // no body: every property
}

void DavSession::requireExists(const DavTarget &target)
{
    propfind(target, QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                       "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:resourcetype/>"
                                       "</D:prop></D:propfind>"));
}

void DavSession::patch(const DavTarget &target, const QList<std::pair<QString, QVariant>> &fields)
{
    patch(target, fields, target.url);
}

void DavSession::patch(const DavTarget &target, const QList<std::pair<QString, QVariant>> &fields,
                       const QUrl &named)
{
    const QByteArray method = QByteArrayLiteral("PROPPATCH");
    const DavReply reply = m_client.send(method, target.url, propertyUpdate(fields));
    if (reply.status != 207)
        DavClient::failStatus(reply, method, named);
    const DavResponse response = parseMultiStatus(reply.body, target.path, named.toDisplayString());
    if (!response.succeeded())
        failDav(method, named, response);
}

void DavSession::remove(const DavTarget &target)
{
    const QByteArray method = QByteArrayLiteral("DELETE");
    const DavReply reply = m_client.send(method, target.url);
    if (reply.status < 200 || reply.status >= 300)
        DavClient::failStatus(reply, method, target.url);
}

void DavSession::removeQuietly(const DavTarget &target)
{
    try {
        remove(target);
    } catch (const platform::PlatformError &error) {
        qCWarning(webdavLog).noquote() << "left behind:" << error.description;
    }
}

void DavSession::writeItem(const DavTarget &target,
                           const QList<std::pair<QString, QVariant>> &fields)
{
    // A hidden name the program never looks for, unique to this write.
    const qsizetype nameStart = target.path.lastIndexOf(u'/') + 1;
    const QString temporary =
        QStringLiteral(".%1.%2.tmp")
            .arg(target.path.mid(nameStart), QUuid::createUuid().toString(QUuid::Id128).left(12));
    const QByteArray encoded = target.url.toEncoded();
    Pending item{{QUrl::fromEncoded(encoded.left(encoded.lastIndexOf('/') + 1) +
                                        QUrl::toPercentEncoding(temporary),
                                    QUrl::StrictMode),
                  target.path.left(nameStart) + temporary},
                 target};

    const QByteArray put = QByteArrayLiteral("PUT");
    const DavReply reply = m_client.send(put, item.written.url);
    if (reply.status != 201 && reply.status != 204)
        DavClient::failStatus(reply, put, target.url);
    try {
        if (!fields.isEmpty())
            patch(item.written, fields, target.url); // errors name the item, not its stand-in
        if (m_inTransaction)
            m_pending.append(item);
        else
            move(item);
    } catch (const platform::PlatformError &) {
        removeQuietly(item.written);
        throw;
    }
}

void DavSession::move(const Pending &item)
{
    const QByteArray method = QByteArrayLiteral("MOVE");
    const DavReply reply =
        m_client.send(method, item.written.url, {},
                      {{"Destination", item.destination.url.toEncoded()}, {"Overwrite", "T"}});
    if (reply.status != 201 && reply.status != 204)
        DavClient::failStatus(reply, method, item.destination.url);
}

void DavSession::beginTransaction()
{
    if (m_inTransaction)
        throw platform::PlatformError(platform::error::InvalidArgument,
                                      QStringLiteral("a store transaction is already running on "
                                                     "this connection"));
    m_inTransaction = true;
}

void DavSession::commitTransaction()
{
    if (!m_inTransaction)
        throw platform::PlatformError(platform::error::InvalidArgument,
                                      QStringLiteral("no store transaction to commit"));
    m_inTransaction = false;
    const QList<Pending> pending = std::exchange(m_pending, {});
    for (qsizetype i = 0; i < pending.size(); ++i) {
        try {
            move(pending[i]);
        } catch (const platform::PlatformError &) {
            for (qsizetype rest = i; rest < pending.size(); ++rest)
                removeQuietly(pending[rest].written);
            throw;
        }
    }
}

void DavSession::rollbackTransaction()
{
    if (!m_inTransaction)
        throw platform::PlatformError(platform::error::InvalidArgument,
                                      QStringLiteral("no store transaction to roll back"));
    m_inTransaction = false;
    for (const Pending &item : std::as_const(m_pending))
        removeQuietly(item.written);
    m_pending.clear();
}

} // namespace webdav

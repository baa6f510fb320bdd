#include "platform/webdav/davclient.h"

#include "platform/platformerror.h"

#include <memory>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTimer>

Q_LOGGING_CATEGORY(webdavLog, "kestrelon.webdav", QtWarningMsg)

namespace webdav {

namespace {

QString shown(const QUrl &url)
{
    return url.toDisplayString(QUrl::RemoveUserInfo);
}

[[noreturn]] void fail(qint32 number, const QUrl &url, const QString &what)
{
    throw platform::PlatformError(number, QStringLiteral("%1: %2").arg(shown(url), what));
}

} // namespace

DavClient::DavClient(WebDavSettings settings) : m_settings(std::move(settings)) {}

DavReply DavClient::send(const QByteArray &method, const QUrl &url, const QByteArray &body,
                         const QList<std::pair<QByteArray, QByteArray>> &headers)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    if (!m_settings.user.isEmpty()) {
        if (url.scheme() != QLatin1String("https") && !m_settings.allowPlainHttp)
            fail(platform::error::AccessDenied, url,
                 QStringLiteral("will not send the password of \"%1\" in clear over http://; "
                                "use https:// or allow plain http in [store]")
                     .arg(m_settings.user));
        // Sent with the first request: waiting for a 401 first would double every request.
        request.setRawHeader(
            "Authorization",
            "Basic " + (m_settings.user + u':' + m_settings.password).toUtf8().toBase64());
    }
    if (!m_settings.caFile.isEmpty() && url.scheme() == QLatin1String("https")) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(m_settings.caFile);
        request.setSslConfiguration(tls);
    }
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("text/xml; charset=\"utf-8\""));
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);

    QElapsedTimer clock;
    clock.start();
    // Finished replies are deleted here: a long probe never returns to an event loop that
    // would run deleteLater().
    const std::unique_ptr<QNetworkReply> reply(m_network.sendCustomRequest(request, method, body));
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, reply.get(), [&] {
        timedOut = true;
        reply->abort();
    });
    timer.start(m_settings.timeoutSeconds * 1000);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    DavReply answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    answer.body = reply->readAll();
    qCDebug(webdavLog).noquote() << method << shown(url) << answer.status << clock.elapsed()
                                 << "ms";
    if (timedOut)
        fail(platform::error::ServerUnreachable, url,
             QStringLiteral("no answer within %1 s").arg(m_settings.timeoutSeconds));
    if (answer.status == 0)
        fail(platform::error::ServerUnreachable, url, reply->errorString());
    if (answer.status == 401)
        fail(platform::error::AccessDenied, url,
             m_settings.user.isEmpty()
                 ? QStringLiteral("the server asks for a sign-in; set user and passwordFile "
                                  "in [store]")
                 : QStringLiteral("the server refused the account \"%1\" (HTTP 401)")
                       .arg(m_settings.user));
    return answer;
}

void DavClient::failStatus(const DavReply &reply, const QByteArray &method, const QUrl &url)
{
    const qint32 number = reply.status == 404 || reply.status == 409
                              ? platform::error::ObjectNotFound
                          : reply.status == 403 ? platform::error::AccessDenied
                                                : HttpFailure;
    fail(number, url,
         QStringLiteral("%1 answered HTTP %2 %3")
             .arg(QString::fromLatin1(method))
             .arg(reply.status)
             .arg(reply.reason));
}

} // namespace webdav

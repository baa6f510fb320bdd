#include "platform/webdav/davclient.h"

#include "platform/platformerror.h"

#include <curl/curl.h>
#include <mutex>
#include <QElapsedTimer>
#include <QFile>

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

size_t appendBody(char *data, size_t size, size_t count, void *reply)
{
    static_cast<DavReply *>(reply)->body.append(data, qsizetype(size * count));
    return size * count;
}

// Keeps the reason phrase of the last status line ("HTTP/1.1 424 Failed Dependency").
size_t readHeader(char *data, size_t size, size_t count, void *reply)
{
    const QByteArray line = QByteArray::fromRawData(data, qsizetype(size * count)).trimmed();
    if (line.startsWith("HTTP/"))
        static_cast<DavReply *>(reply)->reason = QString::fromLatin1(line).section(u' ', 2);
    return size * count;
}

struct HeaderList
{
    ~HeaderList() { curl_slist_free_all(list); }
    void add(const QByteArray &header) { list = curl_slist_append(list, header.constData()); }
    curl_slist *list = nullptr;
};

} // namespace

DavClient::DavClient(WebDavSettings settings) : m_settings(std::move(settings))
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_curl = curl_easy_init();
}

DavClient::~DavClient()
{
    curl_easy_cleanup(m_curl);
}

DavReply DavClient::send(const QByteArray &method, const QUrl &url, const QByteArray &body,
                         const QList<std::pair<QByteArray, QByteArray>> &headers)
{
    if (!m_curl)
        fail(platform::error::ServerUnreachable, url, QStringLiteral("no HTTP client"));
    CURL *curl = m_curl;
    // Reset keeps the open connection; every option is set again below.
    curl_easy_reset(curl);
    const QByteArray target = url.toEncoded();
    curl_easy_setopt(curl, CURLOPT_URL, target.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Straight to the store: a proxy from the environment would see every request.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(m_settings.timeoutSeconds) * 1000);
    if (!m_settings.user.isEmpty()) {
        if (url.scheme() != QLatin1String("https") && !m_settings.allowPlainHttp)
            fail(platform::error::AccessDenied, url,
                 QStringLiteral("will not send the password of \"%1\" in clear over http://; "
                                "use https:// or allow plain http in [store]")
                     .arg(m_settings.user));
        // Basic alone is sent with the first request: waiting for a 401 would double them.
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
        curl_easy_setopt(curl, CURLOPT_USERNAME, m_settings.user.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, m_settings.password.toUtf8().constData());
    }
    const QByteArray caFile = QFile::encodeName(m_settings.caFile);
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());

    HeaderList list;
    list.add("Expect:"); // no extra round trip before a body
    if (!body.isEmpty() || method == "PUT") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.constData());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(body.size()));
        list.add(body.isEmpty() ? QByteArray("Content-Type:")
                                : QByteArray("Content-Type: text/xml; charset=\"utf-8\""));
    }
    for (const auto &[name, value] : headers)
        list.add(name + ": " + value);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list.list);

    DavReply answer;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, readHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer);
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);

    QElapsedTimer clock;
    clock.start();
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    answer.status = int(status);
    qCDebug(webdavLog).noquote() << method << shown(url) << answer.status << clock.elapsed()
                                 << "ms";
    if (result == CURLE_OPERATION_TIMEDOUT)
        fail(platform::error::ServerUnreachable, url,
             QStringLiteral("no answer within %1 s").arg(m_settings.timeoutSeconds));
    if (result != CURLE_OK)
        fail(platform::error::ServerUnreachable, url,
             QString::fromUtf8(error[0] ? error : curl_easy_strerror(result)));
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

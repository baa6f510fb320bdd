#include "platform/webdav/davxml.h"

#include "platform/platformerror.h"

#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace webdav {

namespace {

const QString dav = QStringLiteral("DAV:");

bool is2xx(int status)
{
    return status >= 200 && status < 300;
}

[[noreturn]] void malformed(const QString &url, const QString &what)
{
    throw platform::PlatformError(
        platform::error::MalformedAnswer,
        QStringLiteral("%1: malformed answer from the server: %2").arg(url, what));
}

// "HTTP/1.1 424 (status)" -> 424; the reason phrase is free text.
int statusCode(const QString &line, const QString &url)
{
    const QStringList parts = line.simplified().split(u' ');
    bool ok = false;
    const int code = parts.size() >= 2 ? parts[1].toInt(&ok) : 0;
    if (!ok || code < 100 || code > 599)
        malformed(url, QStringLiteral("\"%1\" is not a status line").arg(line.simplified()));
    return code;
}

QString hrefPath(const QString &href)
{
    QString path = QUrl(href.trimmed()).path(QUrl::FullyDecoded);
    while (path.endsWith(u'/'))
        path.chop(1);
    return path;
}

bool isDav(const QXmlStreamReader &xml, QLatin1String name)
{
    return xml.namespaceUri() == dav && xml.name() == name;
}

DavPropStat readPropStat(QXmlStreamReader &xml, const QString &url)
{
    DavPropStat propStat;
    bool hasStatus = false;
    while (xml.readNextStartElement()) {
        if (isDav(xml, QLatin1String("prop"))) {
            while (xml.readNextStartElement()) {
                const QString name = xml.namespaceUri().toString() + xml.name().toString();
                propStat.properties.append(
                    {name, xml.readElementText(QXmlStreamReader::IncludeChildElements)});
            }
        } else if (isDav(xml, QLatin1String("status"))) {
            propStat.status = statusCode(xml.readElementText(), url);
            hasStatus = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!hasStatus && !xml.hasError())
        malformed(url, QStringLiteral("a propstat without a status"));
    return propStat;
}

} // namespace

bool DavResponse::succeeded() const
{
    if (status != 0)
        return is2xx(status);
    for (const DavPropStat &propStat : propStats) {
        if (!is2xx(propStat.status))
            return false;
    }
    return !propStats.isEmpty();
}

QList<DavProperty> DavResponse::properties() const
{
    QList<DavProperty> found;
    for (const DavPropStat &propStat : propStats) {
        if (is2xx(propStat.status))
            found += propStat.properties;
    }
    return found;
}

QString DavResponse::failureText() const
{
    if (status != 0)
        return QStringLiteral("HTTP %1").arg(status);
    QStringList failures;
    for (const DavPropStat &propStat : propStats) {
        if (is2xx(propStat.status))
            continue;
        QStringList names;
        for (const DavProperty &property : propStat.properties)
            names.append(property.name);
        failures.append(QStringLiteral("HTTP %1 %2").arg(propStat.status).arg(names.join(u' ')));
    }
    return failures.isEmpty() ? QStringLiteral("no property reported") : failures.join(u';');
}

DavResponse parseMultiStatus(const QByteArray &body, const QString &path, const QString &url)
{
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !isDav(xml, QLatin1String("multistatus"))) {
        if (xml.hasError())
            malformed(url, xml.errorString());
        malformed(url, QStringLiteral("not a DAV:multistatus document"));
    }
    std::optional<DavResponse> answer;
    while (xml.readNextStartElement()) {
        if (!isDav(xml, QLatin1String("response"))) {
            xml.skipCurrentElement();
            continue;
        }
        DavResponse response;
        bool ours = false;
        while (xml.readNextStartElement()) {
            if (isDav(xml, QLatin1String("href")))
                ours = hrefPath(xml.readElementText()) == path || ours;
            else if (isDav(xml, QLatin1String("status")))
                response.status = statusCode(xml.readElementText(), url);
            else if (isDav(xml, QLatin1String("propstat")))
                response.propStats.append(readPropStat(xml, url));
            else
                xml.skipCurrentElement();
        }
        if (ours && !answer)
            answer = response;
    }
    if (xml.hasError())
        malformed(url, QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString()));
    if (!answer)
        malformed(url, QStringLiteral("the multistatus says nothing about %1").arg(path));
    return *answer;
}

QByteArray propertyUpdate(const QList<std::pair<QString, QVariant>> &values)
{
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(dav, QStringLiteral("D"));
    xml.writeStartElement(dav, QStringLiteral("propertyupdate"));
    xml.writeStartElement(dav, QStringLiteral("set"));
    xml.writeStartElement(dav, QStringLiteral("prop"));
    for (const auto &[name, value] : values) {
        // The local name follows the namespace's last ':' or '/': "DAV:" "ishidden",
        // "http://schemas.example.com/exchange/events/" "EventMethod".
        const qsizetype split = std::max(name.lastIndexOf(u':'), name.lastIndexOf(u'/')) + 1;
        if (split <= 0 || split >= name.size())
            throw platform::PlatformError(
                platform::error::InvalidArgument,
                QStringLiteral("\"%1\" is not a property name with a namespace").arg(name));
        const bool flag = value.typeId() == QMetaType::Bool;
        if (!flag && !value.canConvert<QString>())
            throw platform::PlatformError(platform::error::InvalidArgument,
                                          QStringLiteral("%1: a value of type %2 has no text form")
                                              .arg(name, QString::fromLatin1(value.typeName())));
        const QString text = flag ? QString(value.toBool() ? u'1' : u'0') : value.toString();
        // XML 1.0 has no way to carry these, escaped or not.
        for (QChar c : text) {
            if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
                throw platform::PlatformError(
                    platform::error::InvalidArgument,
                    QStringLiteral("%1: the value holds a control character").arg(name));
        }
        xml.writeTextElement(name.left(split), name.mid(split), text);
    }
    xml.writeEndDocument();
    return body;
}

} // namespace webdav

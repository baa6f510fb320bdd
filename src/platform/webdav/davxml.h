#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace webdav {

// A property by its full name: namespace URI and local name run together
// ("urn:schemas:httpmail:" + "inbox"), as the store's fields are named.
struct DavProperty
{
    QString name;
    QString value;
};

struct DavPropStat
{
    int status = 0;
    QList<DavProperty> properties;
};

// What a 207 Multi-Status answer says about one resource.
struct DavResponse
{
    int status = 0; // the response's own status; 0 when it reports per property instead
    QList<DavPropStat> propStats;

    // True when the server reported success for the resource and for every property.
    bool succeeded() const;
    QList<DavProperty> properties() const; // of the 2xx propstats only
    QString failureText() const;           // "HTTP 409 DAV:getcontentlength; HTTP 424 ..."
};

// The response for `path` (decoded, without trailing slash) in a 207 body; answers about
// other resources are ignored. Throws MalformedAnswer naming `url` when the body is not a
// well-formed multistatus or says nothing about the path.
DavResponse parseMultiStatus(const QByteArray &body, const QString &path, const QString &url);

// A PROPPATCH body setting each property, values escaped. Booleans are written "1" and "0";
// other values as their text. Throws InvalidArgument for a value with no text form.
QByteArray propertyUpdate(const QList<std::pair<QString, QVariant>> &values);

} // namespace webdav

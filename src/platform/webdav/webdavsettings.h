#pragma once

#include <QString>

namespace webdav {

// Where the store's WebDAV server is and how to sign in to it.
struct WebDavSettings
{
    // Scheme, host, port and path prefix that take the place of the store URLs' own
    // "http://host" (e.g. https://mail.corp.example.com:8443/dav); empty: the URLs as given.
    QString baseUrl;
    QString user;            // empty: no sign-in
    QString password;        // never logged
    int timeoutSeconds = 30; // for each request, from sending it to the end of its answer
    QString caFile;          // empty: the system's trusted certificates
    // Basic sign-in over plain http:// sends the password readable by anyone on the way.
    bool allowPlainHttp = false;
};

} // namespace webdav

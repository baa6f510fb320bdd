#pragma once

#include <QString>
#include <QStringList>

// Certificates for the private servers of the service tests: a CA, a server certificate it
// signed, and a second CA that signed nothing, all made with openssl in a folder.
namespace TestCertificates {

// Writes ca.pem, other-ca.pem, server.pem and server.key (owner-only) into folder; the
// server's certificate names 127.0.0.1 and each of hostNames. Empty when done, else what
// went wrong.
QString make(const QString &folder, const QStringList &hostNames);

// Where program is, also in the system folders a non-root PATH lacks.
QString program(const QString &name);

} // namespace TestCertificates

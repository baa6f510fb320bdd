#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(ldapLog)

namespace ldapbackend {

// The PlatformError number of an LDAP result code (client codes negative, as libldap has
// them), following the directory error codes of the Windows platform.
qint32 errorNumber(int ldapCode);

// Throws the PlatformError of a failed LDAP operation: the server, what was being done, the
// LDAP error text and code, the server's diagnostic message when it gave one, and what to do
// about it when that is known.
[[noreturn]] void failLdap(const QString &server, int ldapCode, const QString &doing,
                           const QString &diagnostic = QString(),
                           const QString &advice = QString());

} // namespace ldapbackend

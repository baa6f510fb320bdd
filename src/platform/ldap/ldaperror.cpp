#include "platform/ldap/ldaperror.h"

#include "platform/platformerror.h"

#include <ldap.h>

// Off unless switched on, e.g. QT_LOGGING_RULES="kestrelon.ldap.debug=true".
Q_LOGGING_CATEGORY(ldapLog, "kestrelon.ldap", QtWarningMsg)

namespace ldapbackend {

namespace {

// HRESULT of a Win32 error code.
constexpr qint32 win32(quint32 code)
{
    return static_cast<qint32>(0x80070000u | code);
}

} // namespace

qint32 errorNumber(int ldapCode)
{
    switch (ldapCode) {
    case LDAP_OPERATIONS_ERROR:
        return win32(8224);
    case LDAP_PROTOCOL_ERROR:
        return win32(8225);
    case LDAP_TIMELIMIT_EXCEEDED:
        return win32(8226);
    case LDAP_SIZELIMIT_EXCEEDED:
        return win32(8227);
    case LDAP_ADMINLIMIT_EXCEEDED:
        return win32(8228);
    case LDAP_AUTH_METHOD_NOT_SUPPORTED:
        return win32(8231);
    case LDAP_STRONG_AUTH_REQUIRED:
        return win32(8232);
    case LDAP_INAPPROPRIATE_AUTH:
        return win32(8233);
    case LDAP_REFERRAL:
        return win32(8235);
    case LDAP_UNAVAILABLE_CRITICAL_EXTENSION:
        return win32(8236);
    case LDAP_CONFIDENTIALITY_REQUIRED:
        return win32(8237);
    case LDAP_INAPPROPRIATE_MATCHING:
        return win32(8238);
    case LDAP_NO_SUCH_OBJECT:
        return win32(8240);
    case LDAP_INVALID_DN_SYNTAX:
        return win32(8242);
    case LDAP_UNWILLING_TO_PERFORM:
        return win32(8245);
    case LDAP_INVALID_CREDENTIALS:
        return win32(1326); // logon failure: unknown user name or bad password
    case LDAP_INSUFFICIENT_ACCESS:
        return platform::error::AccessDenied;
    case LDAP_BUSY:
        return win32(8206);
    case LDAP_UNAVAILABLE:
        return win32(8207);
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
        return platform::error::ServerUnreachable;
    case LDAP_LOCAL_ERROR:
        return win32(8251);
    case LDAP_ENCODING_ERROR:
        return win32(8252);
    case LDAP_DECODING_ERROR:
        return win32(8253);
    case LDAP_TIMEOUT:
        return win32(1460); // the operation timed out
    case LDAP_FILTER_ERROR:
        return win32(8254);
    case LDAP_PARAM_ERROR:
        return win32(8255);
    case LDAP_NOT_SUPPORTED:
        return win32(8256);
    case LDAP_CLIENT_LOOP:
        return win32(8259);
    case LDAP_REFERRAL_LIMIT_EXCEEDED:
        return win32(8260);
    default:
        return win32(8224);
    }
}

void failLdap(const QString &server, int ldapCode, const QString &doing, const QString &diagnostic,
              const QString &advice)
{
    QString description = QStringLiteral("Directory server %1: %2 (LDAP error %3) while %4")
                              .arg(server, QString::fromUtf8(ldap_err2string(ldapCode)))
                              .arg(ldapCode)
                              .arg(doing);
    if (!diagnostic.isEmpty())
        description += QStringLiteral(": %1").arg(diagnostic);
    if (!advice.isEmpty())
        description += QStringLiteral(". %1").arg(advice);
    qCDebug(ldapLog).noquote() << "failed:" << description;
    throw platform::PlatformError(errorNumber(ldapCode), description);
}

} // namespace ldapbackend

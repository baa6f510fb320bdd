#pragma once

#include "platform/lab/directoryquery.h"

#include <QByteArray>
#include <QString>

namespace ldapbackend {

// How a bare object category ('person') reaches a server: as it is, for servers that
// expand it themselves, or also as its full name below the schema naming context.
struct CategoryNaming
{
    QString schemaNamingContext; // empty: the bare word only
};

// The RFC 4515 filter of a parsed WHERE clause; "(objectClass=*)" for none. Every value is
// escaped; '*' alone asks for presence, elsewhere it is a wildcard. Throws PlatformError
// (QuerySyntax) for an attribute name that LDAP cannot carry.
QByteArray ldapFilter(const lab::FilterNode *filter, const CategoryNaming &categories);

// Whether a name is an LDAP attribute description (a name or an OID, with options).
bool isAttributeDescription(const QString &name);

// A value escaped for an LDAP filter by libldap.
QByteArray escapedFilterValue(const QString &value);

} // namespace ldapbackend

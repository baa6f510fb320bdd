#pragma once

#include <QString>

namespace ldapbackend {

// An entry's name as mail directories write it, attribute types in upper case
// ("CN=Jane Doe,CN=Users,DC=corp"); a name libldap cannot read is returned as it is.
QString presentedDn(const char *dn);

} // namespace ldapbackend

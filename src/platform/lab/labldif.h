#pragma once

#include <QByteArray>
#include <QString>

namespace lab {

// A lab's directory as LDIF (RFC 2849) for an LDAP server that loads the shipped mail schema.
struct DirectoryLdif
{
    QByteArray entries; // the domain's entry, then every object, each after its containers
    QByteArray rootDse; // the root DSE facts the server is to publish about itself
    int objects = 0;
    int containers = 0; // entries added for containers the lab names but does not hold
};

// Reads the lab file (checked as openLab does) and writes its directory: ADsPath and
// distinguishedName are left out, as a server answers them from each entry's name; a person
// without a surname gets its common name as one, as the standard person class requires.
// Throws PlatformError naming the file and the object a server could not take.
DirectoryLdif exportDirectoryLdif(const QString &labPath);

// The same directory as change records for an Active Directory domain whose schema holds
// data/ad/kestrelon-schema.ldif, for ldapadd: what the server derives itself (name,
// objectCategory, sAMAccountType, ADsPath, distinguishedName) is left out, a group's account
// type becomes its groupType, a mailbox GUID its 16 bytes, and the objects that homeMDB and
// homeMTA name are added as containers. Entries every domain holds (the domain, CN=Users,
// the configuration's Services, the built-in Administrator) are not added: an object of
// the lab by such a name has its attributes replaced. Throws PlatformError as above.
DirectoryLdif exportActiveDirectoryLdif(const QString &labPath);

} // namespace lab

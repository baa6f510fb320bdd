#pragma once

#include "platform/ldap/ldapsettings.h"
#include "platform/webdav/webdavsettings.h"

#include <optional>
#include <QString>

namespace platform {

// Machine facts a Linux host lacks, as configured; each unset one has its default.
struct MachineSettings
{
    std::optional<QString> computerName;
    std::optional<QString> domainDnsName;
    std::optional<bool> clusterNode;
    std::optional<QString> lanGroup;
    std::optional<QString> userName;
};

// The servers the program runs against, read from the file KESTRELON_CONFIG names.
struct ServerConfig
{
    QString path;
    QString labFile; // empty: KESTRELON_LAB, else the default lab
    std::optional<ldapbackend::LdapSettings> directory; // unset: the lab's directory
    std::optional<webdav::WebDavSettings> store;        // unset: the lab's store
    MachineSettings machine;
};

// Reads and checks an INI file; throws PlatformError naming the file and the key at fault.
// Relative paths in it are taken from the file's folder; passwords come from files that
// only their owner may read.
ServerConfig readServerConfig(const QString &path);

} // namespace platform

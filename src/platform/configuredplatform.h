#pragma once

#include "platform/platform.h"
#include "platform/serverconfig.h"

#include <memory>
#include <QProcessEnvironment>

namespace platform {

// The platform the program runs on: without KESTRELON_CONFIG the lab (KESTRELON_LAB or the
// default lab); with it, the servers its file names, and the lab for everything else.
// Throws PlatformError naming the file and key of a bad setting, or the lab file.
std::unique_ptr<Platform> createConfiguredPlatform(const QProcessEnvironment &environment);

// A platform of configured servers over an opened lab.
std::unique_ptr<Platform> createConfiguredPlatform(const ServerConfig &config,
                                                   std::unique_ptr<Platform> lab);

// What the program lets a directory server's backend do: run pending events while it waits
// on the server, and say what a search left out. Applies to the connections made before and
// after; the lab's directory never waits and leaves nothing out.
using DirectoryHooks = ldapbackend::LdapHooks;
void setDirectoryHooks(Platform &platform, DirectoryHooks hooks);

// Opens the platform's directory as the program does and reads through it what the program
// needs; one line per fact and one per part of the directory it could not read, for
// --check-directory. Throws PlatformError when it cannot.
QString directoryCheck(Platform &platform);

// Opens the platform's store on the mailbox root the program's http:// URLs start from, as
// the program does; for --check-store. Throws PlatformError when it cannot.
QString storeCheck(Platform &platform);

} // namespace platform

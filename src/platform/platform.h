#pragma once

#include "platform/catalog.h"
#include "platform/directory.h"
#include "platform/machine.h"
#include "platform/store.h"

#include <memory>

namespace platform {

// The environment the program runs on: makes its connections and answers its facts.
class Platform
{
public:
    virtual ~Platform() = default;

    // One line saying which environment this is, for the window and the logs.
    virtual QString description() const = 0;
    virtual std::unique_ptr<DirectoryConnection> createDirectoryConnection() = 0;
    virtual std::unique_ptr<StoreConnection> createStoreConnection() = 0;
    virtual std::unique_ptr<ComponentCatalog> createCatalog() = 0;
    virtual MachineFacts &machine() = 0;
};

} // namespace platform

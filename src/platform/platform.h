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

    // Says that many small store writes follow, each in its own connection (an apply): a
    // backend may group their commits. Every begin is matched by an end; the end throws
    // PlatformError when grouped writes could not be kept, and they are then undone.
    virtual void beginWriteBurst() {}
    virtual void endWriteBurst() {}
};

// Holds a write burst for a scope; finish() ends it and reports, the destructor ends it
// quietly on the way out of an exception.
class WriteBurst
{
public:
    explicit WriteBurst(Platform &platform) : m_platform(platform) { platform.beginWriteBurst(); }
    ~WriteBurst()
    {
        if (m_open)
            try {
                m_platform.endWriteBurst();
            } catch (...) {
                // Already leaving through another error.
            }
    }
    WriteBurst(const WriteBurst &) = delete;
    WriteBurst &operator=(const WriteBurst &) = delete;
    void finish()
    {
        m_open = false;
        m_platform.endWriteBurst();
    }

private:
    Platform &m_platform;
    bool m_open = true;
};

} // namespace platform

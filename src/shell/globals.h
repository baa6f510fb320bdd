#pragma once

#include "platform/directory.h"
#include "platform/store.h"

#include <memory>
#include <QString>

// Program state shared by every part besides the main window's own fields.
struct Globals
{
    QString globalCatalogPath; // "GC://" + the global catalog's host: the base of every query
    std::unique_ptr<platform::DirectoryConnection> directoryConnection;
    std::unique_ptr<platform::StoreConnection> storeConnection;
    qint32 progressCount = 0;
};

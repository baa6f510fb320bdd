#pragma once

#include "platform/directory.h"
#include "platform/store.h"

#include <memory>
#include <QString>

// Program state shared by every part besides the main window's own fields.
struct Globals
{
    QString GCPath; // "GC://" + the global catalog's host: the base of every query
    std::unique_ptr<platform::DirectoryConnection> DirectoryConnection;
    std::unique_ptr<platform::StoreConnection> StoreConnection;
    qint32 ProgressCount = 0;
};

#pragma once

#include "platform/lab/labdatabase.h"
#include "platform/lab/storeurl.h"
#include "platform/store.h"

#include <memory>

namespace lab {

// Opens the mailbox root, a folder or an item of a resolved store URL as a record;
// throws ObjectNotFound when the folder or (without Overwrite) the item is missing.
std::unique_ptr<platform::StoreRecord> openLabRecord(const std::shared_ptr<LabDatabase> &db,
                                                     const MailboxInfo &mailbox,
                                                     const StoreUrl &parsed, const QString &url,
                                                     platform::RecordMode mode,
                                                     platform::CreateOption createOption);

} // namespace lab

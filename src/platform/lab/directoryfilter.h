#pragma once

#include "platform/lab/directoryquery.h"
#include "platform/lab/labdatabase.h"

namespace lab {

// Whether a directory object matches a parsed filter (a null filter matches every object).
bool matchesFilter(const FilterNode *filter, const DirectoryEntry &entry);

// The values of an attribute (name compared ignoring case), in stored order.
QStringList attributeValues(const DirectoryEntry &entry, const QString &attribute);

} // namespace lab

#pragma once

#include "platform/lab/directoryquery.h"
#include "platform/lab/labdatabase.h"

#include <QVariant>

namespace lab {

// Resolves the filter's attribute names against the loaded directory's attribute table.
void bindAttributes(FilterNode *filter, const LabDatabase &db);

// Whether a directory object matches a bound filter (a null filter matches every object).
bool matchesFilter(const FilterNode *filter, const DirectoryEntry &entry);

// The first value of an attribute; a null view when the object lacks it.
QStringView firstValue(const DirectoryEntry &entry, int attribute);

// A row field: null when absent, a QString for one value, a QStringList for several.
QVariant fieldValue(const DirectoryEntry &entry, int attribute);

} // namespace lab

#pragma once

#include <QList>

class QHeaderView;

// The sort arrows of list headers, drawn by Qt's own header sort indicator.
namespace SortIndicator {

// Shows the arrow for a sort order (0 ascending, 1 descending) on the sorted column's
// header and none on the others; an excluded column, or column -1, shows no arrow at all.
void showSortIndicator(QHeaderView &header, int sortedColumn, int sortOrder,
                       const QList<int> &excludedColumns = {});

} // namespace SortIndicator

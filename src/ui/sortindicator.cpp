#include "ui/sortindicator.h"

#include <QHeaderView>

namespace SortIndicator {

void showSortIndicator(QHeaderView &header, int sortedColumn, int sortOrder,
                       const QList<int> &excludedColumns)
{
    // The indicator stays switched on, so every header keeps room for the arrow and a
    // column fitted to its header never clips its caption; section -1 shows no arrow.
    header.setSortIndicatorShown(true);
    const bool shown = sortedColumn >= 0 && !excludedColumns.contains(sortedColumn);
    header.setSortIndicator(shown ? sortedColumn : -1,
                            sortOrder == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

} // namespace SortIndicator

#include "ui/listextentdelegate.h"

QSize ListExtentDelegate::sizeHint(const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    return QSize(m_extent, QStyledItemDelegate::sizeHint(option, index).height());
}

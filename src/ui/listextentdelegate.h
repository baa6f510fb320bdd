#pragma once

#include <QStyledItemDelegate>

// Sizes every row of a list to one width, the list's horizontal extent, so that the list
// scrolls horizontally exactly that far; rows keep the height their text needs.
class ListExtentDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    int extent() const { return m_extent; }
    // Takes effect at the view's next item layout.
    void setExtent(int pixels) { m_extent = pixels; }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_extent = 0;
};

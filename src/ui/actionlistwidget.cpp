#include "ui/actionlistwidget.h"

#include <QEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Draws every item plain, never selected; the item in view carries the focus frame while
// the list has the focus, so a keyboard user sees where the focus is.
class PlainItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        const auto *list = qobject_cast<const ActionListWidget *>(option->widget);
        if (list && list->hasFocus() && index.row() == list->topIndex())
            option->state |= QStyle::State_HasFocus;
    }
};

} // namespace

ActionListWidget::ActionListWidget(QWidget *parent) : QListWidget(parent)
{
    // The action is what is in view, never a selection, so nothing is ever highlighted.
    setSelectionMode(QAbstractItemView::NoSelection);
    setItemDelegate(new PlainItemDelegate(this));
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    fitOneRow();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (m_settingTop)
            return;
        m_wantedTop = value;
        emit scrolled(value);
    });
    // A new range (the first layout, items added) first clamps the value; the wanted
    // top index comes back before that clamp can count as a step of the user's.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { showWantedTop(); });
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { emit actionClicked(index.row()); });
}

int ActionListWidget::topIndex() const
{
    return verticalScrollBar()->value();
}

void ActionListWidget::setTopIndex(int index)
{
    m_wantedTop = index;
    showWantedTop();
}

void ActionListWidget::showWantedTop()
{
    m_settingTop = true;
    verticalScrollBar()->setValue(m_wantedTop);
    m_settingTop = false;
}

void ActionListWidget::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QListWidget::rowsInserted(parent, start, end);
    fitOneRow();
}

void ActionListWidget::changeEvent(QEvent *event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitOneRow();
}

void ActionListWidget::fitOneRow()
{
    const int row = count() > 0 ? sizeHintForRow(0) : fontMetrics().height() + 2;
    setFixedHeight(row + 2 * frameWidth());
}

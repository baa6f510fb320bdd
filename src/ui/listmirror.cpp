#include "ui/listmirror.h"

#include "ui/listextentdelegate.h"

#include <QItemSelection>
#include <QListWidget>

ListMirror::ListMirror(QListWidget *widget, ListBoxModel &model)
    : m_widget(widget), m_model(model), m_delegate(new ListExtentDelegate(widget))
{
    m_widget->setItemDelegate(m_delegate);
    // Every row is as wide as the extent and as high as the first: laying out 30,000
    // rows then needs no text measuring.
    m_widget->setUniformItemSizes(true);
}

void ListMirror::apply()
{
    applyEntries();
    applySelection();
    if (m_widget->currentRow() != m_model.currentIndex())
        m_widget->setCurrentRow(m_model.currentIndex(), QItemSelectionModel::NoUpdate);
    applyExtent();
}

void ListMirror::applyEntries()
{
    const quint64 revision = m_model.entriesRevision();
    if (revision == m_entriesRevision)
        return;
    const int shown = m_widget->count();
    const int count = m_model.count();
    // The model counts one revision per added entry and one per clear: a revision that
    // moved by exactly the number of new entries, over an unchanged last shown entry,
    // means entries were only appended.
    const bool appendedOnly =
        count >= shown && revision - m_entriesRevision == quint64(count - shown) &&
        (shown == 0 || m_widget->item(shown - 1)->text() == m_model.entry(shown - 1));
    if (appendedOnly) {
        if (count > shown)
            m_widget->addItems(m_model.entries().mid(shown));
        m_shownSelection.resize(count, false);
    } else {
        m_widget->clear();
        m_widget->addItems(m_model.entries());
        m_shownSelection = QList<bool>(count, false);
    }
    m_entriesRevision = revision;
}

void ListMirror::applySelection()
{
    const int count = m_model.count();
    int first = 0;
    while (first < count && m_model.selected(first) == m_shownSelection.at(first))
        ++first;
    if (first == count)
        return;
    // One selection of contiguous runs: selecting rows one by one would leave the
    // selection model with a range per row, and every later look-up pays for them all.
    QItemSelection selection;
    for (int row = 0; row < count;) {
        if (!m_model.selected(row)) {
            ++row;
            continue;
        }
        const int top = row;
        while (row < count && m_model.selected(row))
            ++row;
        selection.select(m_widget->model()->index(top, 0), m_widget->model()->index(row - 1, 0));
    }
    m_widget->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    for (int row = 0; row < count; ++row)
        m_shownSelection[row] = m_model.selected(row);
}

void ListMirror::applyExtent()
{
    if (m_delegate->extent() == m_model.horizontalExtent())
        return;
    m_delegate->setExtent(m_model.horizontalExtent());
    m_widget->doItemsLayout();
}

void ListMirror::readSelection()
{
    const int count = qMin(m_model.count(), m_widget->count());
    QList<bool> selected(count, false);
    const QItemSelection selection = m_widget->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection)
        for (int row = qMax(0, range.top()); row <= range.bottom() && row < count; ++row)
            selected[row] = true;
    for (int row = 0; row < count; ++row)
        m_model.setSelected(row, selected.at(row));
    m_shownSelection = selected;
    m_shownSelection.resize(m_model.count(), false);
    m_model.setCurrentIndex(m_widget->currentRow());
}

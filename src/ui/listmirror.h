#pragma once

#include "shell/controls.h"

#include <QList>

class ListExtentDelegate;
class QListWidget;

// Keeps a QListWidget showing a ListBoxModel: entries, selection, current entry and
// horizontal extent. Work is proportional to what changed, so a list that grows by one
// entry per row of a 30,000-row walk is not refilled each time.
class ListMirror
{
public:
    ListMirror(QListWidget *widget, ListBoxModel &model);

    // Model to widget.
    void apply();
    // Widget to model, after the user changed the selection or the current entry.
    void readSelection();

private:
    void applyEntries();
    void applySelection();
    void applyExtent();

    QListWidget *m_widget;
    ListBoxModel &m_model;
    ListExtentDelegate *m_delegate;
    quint64 m_entriesRevision = 0;
    QList<bool> m_shownSelection; // what the widget shows selected, by entry
};

#pragma once

#include "recipients/recipiententry.h"
#include "shell/controls.h"

#include <QList>
#include <QSet>

// The recipient picker's list in report view: its columns, its rows in the order shown,
// the sort, the selected row and the row to scroll into view.
class RecipientViewModel : public ControlModel
{
public:
    enum Column { NameColumn = 0, DistinguishedNameColumn = 1, AddressColumn = 2 };
    // Column widths besides pixels: the view's default, or as wide as the header and the
    // widest text of the column.
    static constexpr int DefaultWidth = -1;
    static constexpr int FitToContent = -2;

    struct ColumnHeader
    {
        QString caption;
        int width = DefaultWidth; // 0: the column exists but is not shown
        bool operator==(const ColumnHeader &) const = default;
    };

    using ControlModel::ControlModel;

    const QList<ColumnHeader> &columns() const { return m_columns; }
    void addColumn(const QString &caption, int width);
    void setColumnWidth(int column, int width);

    int count() const { return int(m_rows.size()); }
    // The row shown at a position.
    const RecipientEntry &row(int position) const { return m_rows.at(position); }
    // The text a column shows for a row.
    static QString text(const RecipientEntry &entry, int column);
    // Appends a row; adds nothing and returns false when another row already has its
    // address (ignoring case). Rows without an address have no key and are always added.
    bool addRow(const RecipientEntry &entry);

    // Sorts the rows by a column's text in the locale's collation, ignoring case; order 0
    // ascending, 1 descending.
    // Rows with equal texts keep their order.
    void sortBy(int column, int order);
    bool sorted() const { return m_sorted; }
    int sortKey() const { return m_sortKey; }
    int sortOrder() const { return m_sortOrder; }

    // The selected row's position, -1 for none.
    int selectedPosition() const { return m_selected; }
    void select(int position);
    // Asks the view to scroll a row into view; each request counts, so a view can tell
    // a new request for the same row from one it has served.
    void ensureVisible(int position);
    int visibleRequestPosition() const { return m_visibleRequest; }
    quint64 visibleRequests() const { return m_visibleRequests; }

    // Changes when rows change other than by being appended, so a view knows when to
    // show them afresh.
    quint64 layoutRevision() const { return m_layoutRevision; }

private:
    QList<ColumnHeader> m_columns;
    QList<RecipientEntry> m_rows;
    QSet<QString> m_keys; // lower-cased addresses
    bool m_sorted = false;
    int m_sortKey = 0;
    int m_sortOrder = 0;
    int m_selected = -1;
    int m_visibleRequest = -1;
    quint64 m_visibleRequests = 0;
    quint64 m_layoutRevision = 0;
};

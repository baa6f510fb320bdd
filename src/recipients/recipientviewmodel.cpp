#include "recipients/recipientviewmodel.h"

#include <algorithm>
#include <numeric>

void RecipientViewModel::addColumn(const QString &caption, int width)
{
    m_columns.append({caption, width});
    touch();
}

void RecipientViewModel::setColumnWidth(int column, int width)
{
    if (column < 0 || column >= m_columns.size() || m_columns[column].width == width)
        return;
    m_columns[column].width = width;
    touch();
}

QString RecipientViewModel::text(const RecipientEntry &entry, int column)
{
    switch (column) {
    case NameColumn:
        return entry.name;
    case DistinguishedNameColumn:
        return entry.distinguishedName;
    case AddressColumn:
        return entry.address;
    default:
        return {};
    }
}

bool RecipientViewModel::addRow(const RecipientEntry &entry)
{
    if (!entry.address.isEmpty()) {
        const QString key = entry.address.toLower();
        if (m_keys.contains(key))
            return false;
        m_keys.insert(key);
    }
    m_rows.append(entry);
    touch();
    return true;
}

void RecipientViewModel::sortBy(int column, int order)
{
    m_sorted = true;
    m_sortKey = column;
    m_sortOrder = order;
    // Folded once, the texts compare as plain text: ignoring case per comparison is what
    // sorting 30,000 rows would cost.
    std::vector<QString> texts;
    texts.reserve(size_t(m_rows.size()));
    for (const RecipientEntry &entry : std::as_const(m_rows))
        texts.push_back(text(entry, column).toCaseFolded());
    std::vector<int> positions(size_t(m_rows.size()));
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
        const int compared = texts[size_t(a)].compare(texts[size_t(b)]);
        return order == 0 ? compared < 0 : compared > 0;
    });
    QList<RecipientEntry> rows;
    rows.reserve(m_rows.size());
    int selected = -1;
    for (int from : positions) {
        if (from == m_selected)
            selected = int(rows.size());
        rows.append(std::move(m_rows[from]));
    }
    m_rows = std::move(rows);
    m_selected = selected;
    ++m_layoutRevision;
    touch();
}

void RecipientViewModel::select(int position)
{
    const int selected = position >= 0 && position < count() ? position : -1;
    if (selected != m_selected) {
        m_selected = selected;
        touch();
    }
}

void RecipientViewModel::ensureVisible(int position)
{
    m_visibleRequest = position;
    ++m_visibleRequests;
    touch();
}

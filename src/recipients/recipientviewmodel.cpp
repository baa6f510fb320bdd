#include "recipients/recipientviewmodel.h"

#include <algorithm>
#include <numeric>
#include <QCollator>

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
    // Names and addresses sort as people of the user's locale expect ("Émile" among the
    // E's), ignoring case. Each text's collation key is made once: comparing keys is what
    // sorting 30,000 rows can afford, comparing texts through the collator is not.
    // The C locale has no collation of its own (it would sort by character code, "Émile"
    // after "Zoë"); under it the language-neutral English order applies.
    const QLocale locale =
        QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(m_rows.size()));
    for (const RecipientEntry &entry : std::as_const(m_rows))
        keys.push_back(collator.sortKey(text(entry, column)));
    std::vector<int> positions(size_t(m_rows.size()));
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
        const int compared = keys[size_t(a)].compare(keys[size_t(b)]);
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

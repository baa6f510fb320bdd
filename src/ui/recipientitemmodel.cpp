#include "ui/recipientitemmodel.h"

#include <array>

// Resources of a static library are registered by hand, once, outside any namespace.
static void registerRecipientIcons()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(recipienticons);
        return true;
    }();
    Q_UNUSED(registered);
}

RecipientItemModel::RecipientItemModel(const RecipientViewModel &model, QObject *parent)
    : QAbstractTableModel(parent), m_model(model)
{
    registerRecipientIcons();
    m_layoutRevision = m_model.layoutRevision();
    refresh();
}

QIcon RecipientItemModel::kindIcon(RecipientKind kind)
{
    registerRecipientIcons();
    static std::array<QIcon, 5> icons;
    QIcon &icon = icons[size_t(kind)];
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/recipients/%1.svg").arg(recipientKindKey(kind)));
    return icon;
}

void RecipientItemModel::refresh()
{
    if (m_model.columns().size() != m_columns) {
        beginResetModel();
        m_columns = int(m_model.columns().size());
        m_rows = m_model.count();
        m_layoutRevision = m_model.layoutRevision();
        endResetModel();
        return;
    }
    if (m_model.layoutRevision() != m_layoutRevision || m_model.count() < m_rows) {
        beginResetModel();
        m_rows = m_model.count();
        m_layoutRevision = m_model.layoutRevision();
        endResetModel();
        return;
    }
    if (m_model.count() > m_rows) {
        beginInsertRows({}, m_rows, m_model.count() - 1);
        m_rows = m_model.count();
        endInsertRows();
    }
}

int RecipientItemModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RecipientItemModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant RecipientItemModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const RecipientEntry &entry = m_model.row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return RecipientViewModel::text(entry, index.column());
    case Qt::DecorationRole:
        if (index.column() == RecipientViewModel::NameColumn)
            return kindIcon(entry.kind);
        return {};
    case Qt::UserRole:
        return entry.tag;
    default:
        return {};
    }
}

QVariant RecipientItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= m_columns)
        return {};
    return m_model.columns().at(section).caption;
}

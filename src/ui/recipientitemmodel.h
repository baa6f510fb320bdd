#pragma once

#include "recipients/recipientviewmodel.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>

// Shows a RecipientViewModel in a Qt item view: its columns, its rows in their order and
// an icon per recipient kind. refresh() catches up with the model's changes.
class RecipientItemModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RecipientItemModel(const RecipientViewModel &model, QObject *parent = nullptr);

    // The icon of a recipient kind; the five icons ship with the program.
    static QIcon kindIcon(RecipientKind kind);

    // Appends rows that only grew, shows them afresh when they were sorted or replaced.
    void refresh();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const RecipientViewModel &m_model;
    int m_rows = 0;
    int m_columns = 0;
    quint64 m_layoutRevision = 0;
};

#include "platform/lab/labdirectory.h"

#include "platform/lab/directoryfilter.h"
#include "platform/lab/directoryquery.h"
#include "platform/lab/laberrors.h"

#include <algorithm>

namespace lab {

namespace {

using platform::error::ItemNotFound;

const QStringList knownSearchProperties = {
    QStringLiteral("searchscope"),     QStringLiteral("cache results"),
    QStringLiteral("Chase Referrals"), QStringLiteral("Page Size"),
    QStringLiteral("Size Limit"),      QStringLiteral("Timeout")};

// Every row is materialised when the query runs; the row set only walks them.
class LabDirectoryRowSet : public platform::DirectoryRowSet
{
public:
    LabDirectoryRowSet(QStringList attributes, QList<QList<QVariant>> rows)
        : m_attributes(std::move(attributes)), m_rows(std::move(rows))
    {
    }

    bool atEnd() const override { return !m_open || m_index >= m_rows.size(); }
    int rowCount() const override { return int(m_rows.size()); }

    QVariant field(const QString &attribute) const override
    {
        if (!m_open)
            fail(platform::error::NotOpen, QStringLiteral("The directory result is closed"));
        if (atEnd())
            fail(ItemNotFound, QStringLiteral("No current row to read \"%1\" from: the directory "
                                              "result is at its end")
                                   .arg(attribute));
        for (qsizetype i = 0; i < m_attributes.size(); ++i) {
            if (m_attributes[i].compare(attribute, Qt::CaseInsensitive) == 0)
                return m_rows[m_index][i];
        }
        fail(ItemNotFound, QStringLiteral("The attribute \"%1\" is not among the query's "
                                          "selected attributes (%2)")
                               .arg(attribute, m_attributes.join(QStringLiteral(", "))));
    }

    void moveNext() override
    {
        if (atEnd())
            fail(ItemNotFound, QStringLiteral("Cannot move past the end of the directory result"));
        ++m_index;
    }

    void moveLast() override
    {
        if (!m_open)
            fail(platform::error::NotOpen, QStringLiteral("The directory result is closed"));
        if (!m_rows.isEmpty())
            m_index = m_rows.size() - 1;
    }

    void close() override { m_open = false; }

private:
    QStringList m_attributes;
    QList<QList<QVariant>> m_rows;
    qsizetype m_index = 0;
    bool m_open = true;
};

int sizeLimit(const platform::SearchProperties &properties)
{
    int limit = 0;
    for (const auto &[name, value] : properties) {
        if (!knownSearchProperties.contains(name, Qt::CaseInsensitive))
            fail(ItemNotFound, QStringLiteral("Unknown search property \"%1\" (known: %2)")
                                   .arg(name, knownSearchProperties.join(QStringLiteral(", "))));
        if (name.compare(QLatin1String("Size Limit"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            limit = value.toInt(&ok);
            if (!ok || limit < 0)
                fail(platform::error::InvalidArgument,
                     QStringLiteral("Search property \"Size Limit\": \"%1\" is not a row count")
                         .arg(value.toString()));
        }
    }
    return limit;
}

} // namespace

LabDirectoryConnection::LabDirectoryConnection(std::shared_ptr<LabDatabase> db)
    : m_db(std::move(db))
{
}

void LabDirectoryConnection::open(const QString &connectionString, const QString &, const QString &)
{
    if (!m_db->machine().directoryProviderInstalled)
        fail(platform::error::ProviderNotFound,
             QStringLiteral("Provider cannot be found. It may not be properly installed. (opening "
                            "\"%1\")")
                 .arg(connectionString));
    m_open = true;
}

std::unique_ptr<platform::DirectoryRowSet>
LabDirectoryConnection::execute(const QString &commandText,
                                const platform::SearchProperties &properties)
{
    if (!m_open)
        fail(platform::error::NotOpen, QStringLiteral("The directory connection is not open"));
    const DirectoryQuery query = parseDirectoryQuery(commandText);
    const int limit = sizeLimit(properties);
    const QString gcHost = m_db->machine().globalCatalogHost;
    if (gcHost.isEmpty())
        fail(platform::error::ServerUnreachable,
             QStringLiteral("No global catalog answers for '%1'").arg(query.host));
    if (query.host.compare(gcHost, Qt::CaseInsensitive) != 0)
        fail(platform::error::QuerySyntax,
             QStringLiteral("Directory query: the search base host \"%1\" at character %2 is not "
                            "this directory's global catalog (%3)")
                 .arg(query.host)
                 .arg(query.hostPosition)
                 .arg(gcHost));

    m_db->checkForChanges();
    // Loading the directory first fills the attribute table the filter binds against.
    const QList<DirectoryEntry> &directory = m_db->directory();
    bindAttributes(query.filter.get(), *m_db);
    const int order = query.orderBy.isEmpty() ? -1 : m_db->attributeIndex(query.orderBy);
    // Ascending cn is the order the lab keeps; filtering that order keeps it.
    const bool keptOrder = order >= 0 && order == m_db->cnIndex() && !query.descending;
    QList<const DirectoryEntry *> matches;
    if (keptOrder) {
        for (const DirectoryEntry *entry : m_db->directoryByCn()) {
            if (matchesFilter(query.filter.get(), *entry))
                matches.append(entry);
        }
    } else {
        for (const DirectoryEntry &entry : directory) {
            if (matchesFilter(query.filter.get(), entry))
                matches.append(&entry);
        }
    }
    if (!query.orderBy.isEmpty() && !keptOrder) {
        QList<QPair<QStringView, const DirectoryEntry *>> keyed;
        keyed.reserve(matches.size());
        for (const DirectoryEntry *entry : std::as_const(matches))
            keyed.append({firstValue(*entry, order), entry});
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
            return query.descending ? directoryKeyLess(b.first, a.first)
                                    : directoryKeyLess(a.first, b.first);
        });
        for (qsizetype i = 0; i < keyed.size(); ++i)
            matches[i] = keyed[i].second;
    }
    if (limit > 0 && matches.size() > limit)
        matches.resize(limit);

    QList<int> columns;
    for (const QString &attribute : query.attributes)
        columns.append(m_db->attributeIndex(attribute));
    QList<QList<QVariant>> rows;
    rows.reserve(matches.size());
    for (const DirectoryEntry *entry : std::as_const(matches)) {
        QList<QVariant> row;
        row.reserve(columns.size());
        for (int column : std::as_const(columns))
            row.append(column < 0 ? QVariant() : fieldValue(*entry, column));
        rows.append(std::move(row));
    }
    return std::make_unique<LabDirectoryRowSet>(query.attributes, std::move(rows));
}

} // namespace lab

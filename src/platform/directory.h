#pragma once

#include <memory>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace platform {

// Search properties of a directory query, by name, in the order they were set.
using SearchProperties = QList<QPair<QString, QVariant>>;

// The answer to a directory query: rows in the requested order, read forward.
class DirectoryRowSet
{
public:
    virtual ~DirectoryRowSet() = default;

    virtual bool atEnd() const = 0;
    virtual int rowCount() const = 0;
    // The current row's value of an attribute (name compared ignoring case);
    // a null QVariant when the object lacks it. Throws when atEnd().
    virtual QVariant field(const QString &attribute) const = 0;
    virtual void moveNext() = 0;
    virtual void moveLast() = 0;
    virtual void close() = 0;
};

// The one open connection to the directory, through which every query runs.
class DirectoryConnection
{
public:
    virtual ~DirectoryConnection() = default;

    virtual void open(const QString &connectionString, const QString &user,
                      const QString &password) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // Runs a query in the directory's SQL dialect:
    // SELECT attrs FROM 'GC://host' WHERE filter [ORDER BY attr].
    virtual std::unique_ptr<DirectoryRowSet> execute(const QString &commandText,
                                                     const SearchProperties &properties) = 0;
};

} // namespace platform

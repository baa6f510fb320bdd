#pragma once

#include <memory>
#include <QString>
#include <QVariant>

namespace platform {

// Record open arguments, with the values the store provider gives them.
enum class RecordMode : int { Read = 1, ReadWrite = 3 };
enum class CreateOption : int { FailIfNotExists = -1, Overwrite = 67108864 };
enum RecordOption : int { OptionsUnspecified = -1, DelayFetchFields = 32768 };

// A folder or item of the store, opened by URL; its fields are its properties.
class StoreRecord
{
public:
    virtual ~StoreRecord() = default;

    virtual QString url() const = 0;
    virtual bool isOpen() const = 0;
    virtual int fieldCount() const = 0;
    // A property by name (exact case); throws ItemNotFound when the record lacks it.
    virtual QVariant field(const QString &name) const = 0;
    // Stages a property value (its type is the QVariant's); update() writes what is staged.
    virtual void setField(const QString &name, const QVariant &value) = 0;
    virtual void update() = 0;
    virtual void close() = 0;
    // Deletes the opened item from the store.
    virtual void deleteRecord() = 0;
};

// A connection to one mailbox of the store, opened by the mailbox root's URL.
class StoreConnection
{
public:
    virtual ~StoreConnection() = default;

    virtual QString connectionString() const = 0;
    virtual void setConnectionString(const QString &url) = 0;
    // An empty url opens the connection string set before.
    virtual void open(const QString &url, const QString &user, const QString &password) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;

    virtual std::unique_ptr<StoreRecord> openRecord(const QString &url, RecordMode mode,
                                                    CreateOption createOption, int options) = 0;

    virtual void beginTransaction() = 0;
    virtual void commitTransaction() = 0;
    // Also what closing or destroying the connection does to an uncommitted transaction.
    virtual void rollbackTransaction() = 0;
};

} // namespace platform

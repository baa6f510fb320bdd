#pragma once

#include <memory>
#include <QString>
#include <QVariant>

namespace platform {

// One application or component of the component catalog.
class CatalogObject
{
public:
    virtual ~CatalogObject() = default;

    virtual QString name() const = 0;
    // The object's key: its "ID" for applications and components.
    virtual QVariant key() const = 0;
    virtual QVariant value(const QString &property) const = 0;
    // Stages a property; the owning collection's saveChanges() writes it.
    virtual void setValue(const QString &property, const QVariant &value) = 0;
};

// A collection of the catalog ("Applications", or an application's "Components").
class CatalogCollection
{
public:
    virtual ~CatalogCollection() = default;

    virtual void populate() = 0;
    virtual int count() const = 0;
    // The item at an index from 0, owned by the collection; null when there is none.
    virtual CatalogObject *item(int index) = 0;
    // A new, unsaved object in the collection, owned by it.
    virtual CatalogObject *add() = 0;
    virtual void remove(int index) = 0;
    // Writes staged additions, changes and removals; returns how many objects changed.
    virtual int saveChanges() = 0;
    virtual std::unique_ptr<CatalogCollection> getCollection(const QString &name,
                                                             const QVariant &key) = 0;
};

// The component-hosting application's catalog: applications and their components.
class ComponentCatalog
{
public:
    virtual ~ComponentCatalog() = default;

    virtual std::unique_ptr<CatalogCollection> getCollection(const QString &name) = 0;
    // Registers every component of the library file in the named application.
    virtual void installComponent(const QString &applicationName, const QString &dllPath,
                                  const QString &typeLibraryPath, const QString &proxyStubPath) = 0;
    virtual void refreshComponents() = 0;
};

} // namespace platform

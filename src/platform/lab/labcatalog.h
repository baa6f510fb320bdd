#pragma once

#include "platform/catalog.h"
#include "platform/lab/labdatabase.h"

#include <memory>

namespace lab {

// The component catalog of a lab: applications and their components in the lab file.
class LabCatalog : public platform::ComponentCatalog
{
public:
    explicit LabCatalog(std::shared_ptr<LabDatabase> db);

    std::unique_ptr<platform::CatalogCollection> getCollection(const QString &name) override;
    void installComponent(const QString &applicationName, const QString &dllPath,
                          const QString &typeLibraryPath, const QString &proxyStubPath) override;
    void refreshComponents() override {}

private:
    std::shared_ptr<LabDatabase> m_db;
};

// The text a secret property reads back as: the clear text is never kept.
inline constexpr char HiddenSecret[] = "********";

} // namespace lab

#pragma once

#include "platform/lab/labdatabase.h"
#include "platform/lab/labmachine.h"
#include "platform/platform.h"

#include <memory>

namespace lab {

// The platform of a lab file: every connection it makes shares the file's one database.
class LabPlatform : public platform::Platform
{
public:
    explicit LabPlatform(std::shared_ptr<LabDatabase> db);

    QString description() const override;
    std::unique_ptr<platform::DirectoryConnection> createDirectoryConnection() override;
    std::unique_ptr<platform::StoreConnection> createStoreConnection() override;
    std::unique_ptr<platform::ComponentCatalog> createCatalog() override;
    platform::MachineFacts &machine() override { return m_machine; }
    void beginWriteBurst() override { m_db->beginWriteBurst(); }
    void endWriteBurst() override { m_db->endWriteBurst(); }

    LabDatabase &database() { return *m_db; }

private:
    std::shared_ptr<LabDatabase> m_db;
    LabMachineFacts m_machine;
};

} // namespace lab

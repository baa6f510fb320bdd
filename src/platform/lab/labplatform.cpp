#include "platform/lab/labplatform.h"

#include "platform/lab/labcatalog.h"
#include "platform/lab/labdirectory.h"
#include "platform/lab/labstore.h"

namespace lab {

LabPlatform::LabPlatform(std::shared_ptr<LabDatabase> db)
    : m_db(std::move(db)), m_machine(m_db->machine())
{
}

QString LabPlatform::description() const
{
    return QStringLiteral("Lab %1").arg(m_db->path());
}

std::unique_ptr<platform::DirectoryConnection> LabPlatform::createDirectoryConnection()
{
    return std::make_unique<LabDirectoryConnection>(m_db);
}

std::unique_ptr<platform::StoreConnection> LabPlatform::createStoreConnection()
{
    return std::make_unique<LabStoreConnection>(m_db);
}

std::unique_ptr<platform::ComponentCatalog> LabPlatform::createCatalog()
{
    return std::make_unique<LabCatalog>(m_db);
}

} // namespace lab

#pragma once

#include "platform/directory.h"
#include "platform/lab/labdatabase.h"

#include <memory>

namespace lab {

// The directory connection of a lab: answers the SQL dialect from the lab's directory objects.
class LabDirectoryConnection : public platform::DirectoryConnection
{
public:
    explicit LabDirectoryConnection(std::shared_ptr<LabDatabase> db);

    void open(const QString &connectionString, const QString &user,
              const QString &password) override;
    bool isOpen() const override { return m_open; }
    void close() override { m_open = false; }
    std::unique_ptr<platform::DirectoryRowSet>
    execute(const QString &commandText, const platform::SearchProperties &properties) override;

private:
    std::shared_ptr<LabDatabase> m_db;
    bool m_open = false;
};

} // namespace lab

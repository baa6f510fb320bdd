#pragma once

#include "platform/lab/labdatabase.h"
#include "platform/lab/labscenario.h"

namespace lab {

// Creates the tables of an empty lab file and fills them from a scenario, in one transaction.
void writeScenario(LabDatabase &db, const Scenario &scenario);

// Throws LabFile naming the file when a table or column of the schema is missing, as when
// someone dropped or renamed one: nothing would be read right from such a lab.
void checkSchema(LabDatabase &db);

// One row of the catalog's object table (an application or component), properties apart.
void insertCatalogObject(LabDatabase &db, const QString &id, const QString &parentId,
                         const QString &kind, int position, const QString &name);

// Hashes a password for the catalog ("sha256:<salt>:<hash>"); the clear text is not kept.
QString hashPassword(const QString &password);

} // namespace lab

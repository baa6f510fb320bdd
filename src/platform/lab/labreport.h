#pragma once

#include <QJsonObject>
#include <QString>

namespace lab {

// What `kestrelon-lab show` prints: machine facts, every mailbox with the items of its inbox
// and of StoreEvents/GlobalEvents (all their properties), and the catalog's applications.
// Opens the file with openLab's checks; throws PlatformError naming the file.
QJsonObject labReport(const QString &path);

// The report as indented text for a person.
QString labReportText(const QJsonObject &report);

} // namespace lab

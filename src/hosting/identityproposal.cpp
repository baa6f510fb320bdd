#include "hosting/sinkinstallation.h"
#include "platform/platformerror.h"

namespace {

// The dotted DNS name of the domain components in an object category's distinguished
// name ("CN=Person,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=com" gives
// "corp.example.com"); "" when it names none.
QString domainOfCategory(QString category)
{
    const qsizetype first = category.indexOf(QLatin1String("DC="), 0, Qt::CaseInsensitive);
    if (first < 0)
        return {};
    category = category.mid(first + 3);
    while (category.startsWith(QLatin1Char(' ')))
        category.remove(0, 1);
    if (category.isEmpty())
        return {};
    // Whatever follows the last domain component is not part of the name.
    const qsizetype last = qMax(category.lastIndexOf(QLatin1String("DC=")), qsizetype(0));
    const qsizetype comma = category.indexOf(QLatin1Char(','), last);
    if (comma > 1)
        category.truncate(comma);
    category.remove(QLatin1Char(' '));
    category.replace(QLatin1String(",DC="), QLatin1String("."));
    return category;
}

} // namespace

QString SinkInstallation::workstationDomain()
{
    platform::MachineFacts &machine = m_environment.platform().machine();
    try {
        return machine.workstationLanGroup(
            QStringLiteral("\\\\") + machine.environmentVariable(QStringLiteral("COMPUTERNAME")));
    } catch (const platform::PlatformError &) {
        return {};
    }
}

void SinkInstallation::proposeIdentity()
{
    const QString user = m_environment.logonUserName();
    QString identity;
    std::unique_ptr<platform::DirectoryRowSet> rows =
        m_environment.queryLogonAccount(QStringLiteral("sAMAccountName, cn, objectCategory"));
    if (!rows->atEnd()) {
        const QString domain =
            domainOfCategory(rows->field(QStringLiteral("objectcategory")).toString());
        if (!domain.isEmpty())
            identity = domain + QLatin1Char('\\') + user;
    }
    rows->close();

    // The workstation's own domain membership is the better answer when there is one.
    const QString lanGroup = workstationDomain();
    if (!lanGroup.isEmpty())
        identity = lanGroup + QLatin1Char('\\') + user;
    identityEdit.setText(identity);
}

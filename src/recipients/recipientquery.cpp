#include "mailboxes/mailboxentry.h"
#include "platform/platformerror.h"
#include "recipients/recipientpickerform.h"
#include "shell/progress.h"
#include "shell/repaintlock.h"

#include <optional>

namespace {

// Every mail-enabled user, contact, group and public folder of the forest, by cn. The
// attribute list and its spacing are kept as the directory has always been asked.
QString recipientsQuery(const QString &gcPath)
{
    return QStringLiteral("SELECT name, adspath, cn, homeMDB, homeMTA, mail,  mailNickName, "
                          "distinguishedName, sAMAccountType,mAPIRecipient,userAccountControl "
                          "FROM '") +
           gcPath +
           QStringLiteral("' WHERE mail='*' AND ((objectcategory='publicFolder') OR "
                          "(objectcategory='group') OR (objectcategory='person' AND "
                          "(objectclass='user' OR objectclass='contact')))   ORDER BY cn");
}

// Pages of 100 with cached results keep a large forest quick; at most 30,000 recipients
// and two minutes.
platform::SearchProperties recipientsSearch()
{
    return {{QStringLiteral("searchscope"), QVariant::fromValue<qint32>(2)},
            {QStringLiteral("cache results"), true},
            {QStringLiteral("Chase Referrals"), QVariant::fromValue<qint32>(96)},
            {QStringLiteral("Page Size"), QVariant::fromValue<qint16>(100)},
            {QStringLiteral("Size Limit"), QVariant::fromValue<qint16>(30000)},
            {QStringLiteral("Timeout"), QVariant::fromValue<qint16>(120)}};
}

// The fill goes on past every failure: a step that fails is skipped.
template<typename Step> bool ignoringErrors(Step step)
{
    try {
        step();
        return true;
    } catch (const platform::PlatformError &) {
        return false;
    }
}

// One value of an attribute: nothing when it is absent, unreadable or has several values.
std::optional<QString> singleText(const platform::DirectoryRowSet &rows, const QString &attribute)
{
    QVariant value;
    ignoringErrors([&] { value = rows.field(attribute); });
    if (value.isNull() || value.typeId() == QMetaType::QStringList)
        return std::nullopt;
    return value.toString();
}

QVariant valueOf(const platform::DirectoryRowSet &rows, const QString &attribute)
{
    QVariant value;
    ignoringErrors([&] { value = rows.field(attribute); });
    return value;
}

// The row of the current record; nothing for a system mailbox, and nothing for a record
// whose row cannot be made: its name or its address, the row's key, is missing or has
// several values.
std::optional<RecipientEntry> entryOf(const platform::DirectoryRowSet &rows)
{
    if (MailboxEntry::isSystemMailboxAlias(
            singleText(rows, QStringLiteral("mailNickName")).value_or(QString())))
        return std::nullopt;
    const std::optional<QString> name = singleText(rows, QStringLiteral("name"));
    const std::optional<QString> address = singleText(rows, QStringLiteral("mail"));
    if (!name || !address)
        return std::nullopt;
    RecipientEntry entry;
    entry.name = *name;
    entry.address = *address;
    entry.distinguishedName =
        singleText(rows, QStringLiteral("distinguishedName")).value_or(QString());
    entry.kind = recipientKind(valueOf(rows, QStringLiteral("sAMAccountType")),
                               valueOf(rows, QStringLiteral("userAccountControl")),
                               valueOf(rows, QStringLiteral("mAPIRecipient")));
    if (entry.kind == RecipientKind::PublicFolder)
        entry.tag = recipientKindKey(RecipientKind::PublicFolder);
    return entry;
}

} // namespace

void RecipientPickerForm::loadRecipients()
{
    Screen &screen = m_screen;
    screen.setWaitCursor(true);
    const RepaintLock freeze(screen, recipientView.name());

    // The picker only reads from a directory start-up has opened, and keeps it while it does.
    const ProgramEnvironment::Use use(m_environment);
    std::unique_ptr<platform::DirectoryRowSet> rows;
    if (platform::DirectoryConnection *directory = m_environment.existingDirectoryConnection())
        ignoringErrors([&] {
            rows = directory->execute(recipientsQuery(m_environment.globalCatalogPath),
                                      recipientsSearch());
        });
    if (rows && !rows->atEnd()) {
        progressCount = 0;
        progressBox.setScaleWidth(rows->rowCount());
        progressBox.setVisible(true);
        bool more = true;
        while (more && !rows->atEnd()) {
            ignoringErrors([&] { advanceProgress(progressCount, 1, progressBox); });
            screen.doEvents();
            if (const std::optional<RecipientEntry> entry = entryOf(*rows))
                recipientView.addRow(*entry);
            // A row set that cannot move on ends the walk rather than repeating a row.
            more = ignoringErrors([&] { rows->moveNext(); });
        }
        progressBox.clearDrawing();
        progressBox.setVisible(false);
    }
    if (rows)
        ignoringErrors([&] { rows->close(); });

    recipientView.setColumnWidth(RecipientViewModel::NameColumn, RecipientViewModel::FitToContent);
    recipientView.setColumnWidth(RecipientViewModel::AddressColumn,
                                 RecipientViewModel::FitToContent);
    screen.setWaitCursor(false);
}

#include "directorycomparison.h"

#include "mailboxes/mailboxqueries.h"
#include "platform/lab/directoryquery.h"
#include "recipients/recipientpickerform.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"

#include <QtTest>
#include <QUuid>

namespace DirectoryComparison {

namespace {

lab::DirectoryObject contact(const QString &rdnValue, const QString &cn)
{
    return {QStringLiteral("CN=%1,CN=Users,%2").arg(rdnValue, suffix),
            {{QStringLiteral("objectClass"), QStringLiteral("contact")},
             {QStringLiteral("cn"), cn},
             {QStringLiteral("objectCategory"),
              QStringLiteral("CN=Person,CN=Schema,CN=Configuration,") + suffix}}};
}

// A GUID stored as bytes, its first three fields little-endian, in braces.
QString guidText(QByteArray bytes)
{
    std::reverse(bytes.begin(), bytes.begin() + 4);
    std::reverse(bytes.begin() + 4, bytes.begin() + 6);
    std::reverse(bytes.begin() + 6, bytes.begin() + 8);
    return QUuid::fromRfc4122(bytes).toString(QUuid::WithBraces).toUpper();
}

} // namespace

platform::SearchProperties pagedSearch(int pageSize, int sizeLimit)
{
    return {{QStringLiteral("searchscope"), 2},
            {QStringLiteral("Chase Referrals"), 96},
            {QStringLiteral("Page Size"), pageSize},
            {QStringLiteral("Size Limit"), sizeLimit}};
}

lab::Scenario demoScenario()
{
    lab::Scenario demo = lab::demoScenario();
    demo.machine.lanGroup.clear();
    // A domain controller gives every user an account type, system mailboxes too.
    for (lab::DirectoryObject &object : demo.directory) {
        const auto has = [&](const QString &name, const QString &value = {}) {
            return std::any_of(
                object.attributes.cbegin(), object.attributes.cend(), [&](const auto &attribute) {
                    return attribute.first == name && (value.isNull() || attribute.second == value);
                });
        };
        if (has(QStringLiteral("objectClass"), QStringLiteral("user")) &&
            !has(QStringLiteral("sAMAccountType")))
            object.attributes.append(
                {QStringLiteral("sAMAccountType"), QStringLiteral("805306368")});
    }
    demo.directory << contact(QStringLiteral("Paren (Test)"), QStringLiteral("Paren (Test)"))
                   << contact(QStringLiteral("Back\\\\slash"), QStringLiteral("Back\\slash"))
                   << contact(QStringLiteral("Star*Name"), QStringLiteral("Star*Name"));
    return demo;
}

std::unique_ptr<platform::DirectoryConnection> opened(platform::Platform &platform)
{
    auto directory = platform.createDirectoryConnection();
    directory->open(QStringLiteral("Active Directory Provider"), QString(), QString());
    return directory;
}

QStringList rowsOf(platform::DirectoryConnection &directory, const QString &query,
                   const platform::SearchProperties &properties)
{
    const QStringList columns = lab::parseDirectoryQuery(query).attributes;
    auto rows = directory.execute(query, properties);
    QStringList result;
    for (; !rows->atEnd(); rows->moveNext()) {
        QStringList fields;
        for (const QString &column : columns) {
            const QVariant value = rows->field(column);
            if (value.isNull())
                fields << QStringLiteral("<null>");
            else if (value.typeId() == QMetaType::QByteArray && value.toByteArray().size() == 16)
                fields << guidText(value.toByteArray());
            else
                fields << value.toStringList().join(QLatin1Char('|'));
        }
        result << fields.join(QStringLiteral(" ; "));
    }
    return result;
}

void addQueryRows()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("sizeLimit");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("large");
    const QString from = QStringLiteral(" FROM 'GC://%1' ").arg(gcHost);
    const auto row = [&](const char *name, const QString &where, int count,
                         const QString &select = QStringLiteral("SELECT cn"),
                         int sizeLimit = 30000) {
        QTest::newRow(name) << select + from + where << sizeLimit << 100 << count << false;
    };
    row("system mailboxes",
        QStringLiteral("WHERE objectcategory='person' AND MsExchMailboxGuid='*' And "
                       "mailNickName='SystemMailbox{*' ORDER BY cn"),
        3, QStringLiteral("SELECT msExchHomeServerName"));
    QTest::newRow("mailboxes of EXCH01")
        << MailboxQueries::mailboxesOfServer(QStringLiteral("GC://") + gcHost,
                                             lab::homeServerValue(QStringLiteral("EXCH01")))
        << 30000 << 100 << 14 << false;
    row("cluster lookup",
        QStringLiteral("WHERE objectcategory='person' AND sAMAccountName='Administrator'"), 1,
        QStringLiteral("SELECT msExchHomeServerName"));
    row("identity", QStringLiteral("WHERE objectcategory='person' AND sAMAccountName='aarcher'"), 1,
        QStringLiteral("SELECT sAMAccountName, cn, objectCategory"));
    row("recipients",
        QStringLiteral("WHERE mail='*' AND ((objectcategory='publicFolder') OR "
                       "(objectcategory='group') OR (objectcategory='person' AND "
                       "(objectclass='user' OR objectclass='contact')))   ORDER BY cn"),
        27,
        QStringLiteral("SELECT name, adspath, cn, homeMDB, homeMTA, mail,  mailNickName, "
                       "distinguishedName, sAMAccountType,mAPIRecipient,userAccountControl"));
    row("sorted by the server, descending",
        QStringLiteral("WHERE mailNickName='*' ORDER BY mailNickName DESC"), 24,
        QStringLiteral("SELECT cn, mailNickName"));
    row("sorted here, descending, limited",
        QStringLiteral("WHERE objectcategory='person' AND mail='*' ORDER BY cn DESC"), 4,
        QStringLiteral("SELECT cn, mail"), 4);
    row("sorted by the server, limited",
        QStringLiteral("WHERE mailNickName='*' ORDER BY mailNickName"), 3,
        QStringLiteral("SELECT cn"), 3);
    // Values with the characters a filter gives meaning to cannot widen it.
    for (const auto &[name, value, count] : {std::tuple{"parentheses", "Paren (Test)", 1},
                                             {"closing and presence", "x)(cn=*", 0},
                                             {"or of everything", "x)(|(cn=*", 0},
                                             {"backslash", "Back\\slash", 1},
                                             {"escaped star", "\\2a", 0},
                                             {"wildcard stays one", "Star*", 1}})
        row(name, QStringLiteral("WHERE cn='%1'").arg(QLatin1String(value)), count);
    const QString ofExch01 = MailboxQueries::mailboxesOfServer(
        QStringLiteral("GC://") + gcHost, lab::homeServerValue(QStringLiteral("EXCH01")));
    QTest::newRow("large, sorted here") << ofExch01 << 30000 << 100 << 2502 << true;
    QTest::newRow("large, sorted by the server")
        << QString(ofExch01).replace(QLatin1String(" ORDER BY cn"),
                                     QLatin1String(" ORDER BY mailNickName DESC"))
        << 30000 << 100 << 2502 << true;
    // Pages larger than a Windows domain controller serves (1,000 rows; it sends fewer than
    // asked for, Samba 4.17 all of them) and than the walk's second page.
    QTest::newRow("large, pages above the server's maximum")
        << ofExch01 << 30000 << 2000 << 2502 << true;
}

void compareQueryRow(platform::Platform &lab, platform::Platform &server)
{
    QFETCH(QString, query);
    QFETCH(int, sizeLimit);
    QFETCH(int, pageSize);
    QFETCH(int, count);
    const platform::SearchProperties properties = pagedSearch(pageSize, sizeLimit);
    const QStringList expected = rowsOf(*opened(lab), query, properties);
    QCOMPARE(rowsOf(*opened(server), query, properties), expected);
    QCOMPARE(expected.size(), count);
}

void compareWindows(platform::Platform &lab, platform::Platform &server, bool showDisabled)
{
    const auto listsOf = [&](platform::Platform &platform) {
        RecordingScreen screen;
        InstallForm form(platform, screen);
        form.onLoad();
        form.lists.showDisabledCheck.setValue(showDisabled ? 1 : 0);
        form.lists.refreshMailboxLists();
        form.environment.findClusterName();
        form.sink.proposeIdentity();
        RecipientPickerForm picker(form.environment, form.screen(), form.rule, 0);
        picker.onLoad();
        picker.loadRecipients();
        QStringList recipients;
        for (int i = 0; i < picker.recipientView.count(); ++i) {
            const RecipientEntry &row = picker.recipientView.row(i);
            recipients << QStringList{row.name, row.distinguishedName, row.address,
                                      recipientKindKey(row.kind), row.tag}
                              .join(u'|');
        }
        return QList<QStringList>{form.lists.unboundStoreList.entries(),
                                  form.lists.boundStoreList.entries(),
                                  form.lists.unboundMailboxList.entries(),
                                  form.lists.boundMailboxList.entries(),
                                  {form.environment.clusterName, form.environment.globalCatalogPath,
                                   form.sink.identityEdit.text()},
                                  recipients};
    };
    const QList<QStringList> expected = listsOf(lab);
    QCOMPARE(listsOf(server), expected);
    QCOMPARE(expected[2].size() + expected[3].size(), showDisabled ? 12 : 11);
    // Without a LAN group the identity's domain is read from the account's category.
    QCOMPARE(expected[4].last(), QStringLiteral("corp.example.local\\Administrator"));
    QCOMPARE(expected[5].size(), 25);
}

} // namespace DirectoryComparison

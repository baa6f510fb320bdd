#include "labfixture.h"
#include "platform/platformerror.h"

#include <QDateTime>
#include <QFile>
#include <QTest>

using platform::CreateOption;
using platform::RecordMode;

namespace {

QByteArray fixture(const QString &name)
{
    QFile file(qEnvironmentVariable("KESTRELON_TEST_DATA") + QStringLiteral("/lab/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList column(platform::DirectoryConnection &directory, const QString &query,
                   const QString &attribute)
{
    auto rows = directory.execute(query, {});
    QStringList out;
    for (; !rows->atEnd(); rows->moveNext())
        out.append(rows->field(attribute).toString());
    return out;
}

bool itemExists(platform::Platform &p, const QString &root, const QString &path)
{
    auto connection = p.createStoreConnection();
    try {
        connection->open(root, QString(), QString());
        connection->openRecord(root + QLatin1Char('/') + path, RecordMode::Read,
                               CreateOption::FailIfNotExists, -1);
        return true;
    } catch (const platform::PlatformError &) {
        return false;
    }
}

const QString gc = QStringLiteral("GC://dc01.corp.example.local");
const QString fileRoot = QStringLiteral("file://./backofficestorage/corp.example.local/mbx/");
const QString smtpFileRoot = QStringLiteral("file://./backofficestorage/example.com/mbx/");
const QString httpRoot =
    QStringLiteral("http://exch01.corp.example.local/exadmin/corp.example.local/mbx/");

} // namespace

class TestLabScenario : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_demo = std::make_unique<LabFixture>(lab::demoScenario());
        m_directory = m_demo->platform->createDirectoryConnection();
        m_directory->open(QStringLiteral("Active Directory Provider"), QString(), QString());
    }

    void demoSystemMailboxesOfThisServer()
    {
        const QStringList homes =
            column(*m_directory,
                   QStringLiteral(
                       "SELECT msExchHomeServerName FROM '%1' WHERE objectcategory='person' AND "
                       "MsExchMailboxGuid='*' And mailNickName='SystemMailbox{*' ORDER BY cn")
                       .arg(gc),
                   QStringLiteral("msExchHomeServerName"));
        QCOMPARE(homes.size(), 3);
        QCOMPARE(homes.count(lab::homeServerValue(QStringLiteral("EXCH01"))), 2);
        QCOMPARE(homes.count(lab::homeServerValue(QStringLiteral("EXCH02"))), 1);
    }

    void demoMailboxesOfThisServer()
    {
        const QString query =
            QStringLiteral("SELECT adspath, cn, "
                           "msExchHomeServerName,mailNickName,mail,homeMDB,userAccountControl,"
                           "msExchMailboxGUID FROM '%1' WHERE objectcategory='person' AND "
                           "MsExchMailboxGuid='*' And "
                           "msExchHomeServerName='%2' ORDER BY cn")
                .arg(gc, lab::homeServerValue(QStringLiteral("EXCH01")));
        const QStringList names = column(*m_directory, query, QStringLiteral("cn"));
        QVERIFY(names.size() >= 12);
        QVERIFY(names.contains(QStringLiteral("Jane Doe")));
        QVERIFY(!names.contains(QStringLiteral("Oscar Olsen")));
        QVERIFY(!names.contains(QStringLiteral("Xavier Partner")));
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(names, sorted);
        const QStringList uac = column(*m_directory, query, QStringLiteral("userAccountControl"));
        QVERIFY(uac.contains(QStringLiteral("514")));
        const QStringList mail = column(*m_directory, query, QStringLiteral("mail"));
        QVERIFY(mail.contains(QString()));
    }

    void demoAdministrator()
    {
        auto rows = m_directory->execute(
            QStringLiteral(
                "SELECT sAMAccountName, cn, objectCategory, msExchHomeServerName FROM '%1' WHERE "
                "objectcategory='person' AND sAMAccountName='administrator'")
                .arg(gc),
            {});
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(rows->field(QStringLiteral("sAMAccountName")).toString(),
                 QStringLiteral("Administrator"));
        QCOMPARE(
            rows->field(QStringLiteral("objectCategory")).toString(),
            QStringLiteral("CN=Person,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=local"));
        QVERIFY(rows->field(QStringLiteral("msExchHomeServerName"))
                    .toString()
                    .endsWith(QStringLiteral("cn=EXCH01")));
    }

    void demoRecipients_data()
    {
        QTest::addColumn<QString>("cn");
        QTest::addColumn<QString>("samAccountType");
        QTest::addColumn<bool>("mapiRecipient");
        QTest::newRow("contact") << "Xavier Partner" << QString() << true;
        QTest::newRow("global group") << "All Staff"
                                      << "268435456" << true;
        QTest::newRow("universal group") << "Sales Team"
                                         << "268435457" << true;
        QTest::newRow("domain local group") << "Helpdesk Local"
                                            << "536870912" << true;
        QTest::newRow("public folder") << "Public Announcements" << QString() << false;
        QTest::newRow("user") << "Alice Archer"
                              << "805306368" << true;
    }

    void demoRecipients()
    {
        QFETCH(QString, cn);
        QFETCH(QString, samAccountType);
        QFETCH(bool, mapiRecipient);
        const QString query =
            QStringLiteral(
                "SELECT name, adspath, cn, homeMDB, homeMTA, mail,  mailNickName, "
                "distinguishedName, "
                "sAMAccountType,mAPIRecipient,userAccountControl FROM '%1' WHERE mail='*' AND "
                "((objectcategory='publicFolder') OR (objectcategory='group') OR "
                "(objectcategory='person' AND "
                "(objectclass='user' OR objectclass='contact')))   ORDER BY cn")
                .arg(gc);
        auto rows = m_directory->execute(query, {});
        for (; !rows->atEnd(); rows->moveNext()) {
            if (rows->field(QStringLiteral("cn")).toString() != cn)
                continue;
            QCOMPARE(rows->field(QStringLiteral("sAMAccountType")).toString(), samAccountType);
            QCOMPARE(rows->field(QStringLiteral("sAMAccountType")).isNull(),
                     samAccountType.isEmpty());
            QCOMPARE(!rows->field(QStringLiteral("mAPIRecipient")).isNull(), mapiRecipient);
            QVERIFY(!rows->field(QStringLiteral("mail")).toString().isEmpty());
            return;
        }
        QFAIL("the recipient query did not list the object");
    }

    void demoStore_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("exists");
        QTest::newRow("bound by alias, file form") << fileRoot + "aarcher"
                                                   << "Inbox/Kestrelon.reg" << true;
        QTest::newRow("bound by address domain") << smtpFileRoot + "aarcher"
                                                 << "Inbox/Kestrelon.reg" << true;
        QTest::newRow("unbound") << fileRoot + "cchen"
                                 << "Inbox/Kestrelon.reg" << false;
        QTest::newRow("localised inbox") << httpRoot + "hhuber"
                                         << "Posteingang/Kestrelon.reg" << true;
        QTest::newRow("named by address local part") << fileRoot + "erik.eriksen"
                                                     << "Inbox" << true;
        QTest::newRow("not by alias") << fileRoot + "eeriksen"
                                      << "Inbox" << false;
        QTest::newRow("unreachable mailbox") << fileRoot + "iivanov"
                                             << "Inbox" << false;
        QTest::newRow("unreachable by http") << httpRoot + "iivanov"
                                             << "Inbox" << false;
        QTest::newRow("no address, bound") << fileRoot + "jdoe"
                                           << "Inbox/Kestrelon.reg" << true;
        QTest::newRow("http only") << httpRoot + "kking"
                                   << "Inbox" << true;
        QTest::newRow("http only, not file") << fileRoot + "kking"
                                             << "Inbox" << false;
        QTest::newRow("file only, not http") << httpRoot + "llee"
                                             << "Inbox" << false;
        QTest::newRow("store-wide binding")
            << fileRoot + "SystemMailbox{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}"
            << "StoreEvents/GlobalEvents/Kestrelon.reg" << true;
        QTest::newRow("second store unbound")
            << fileRoot + "SystemMailbox{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}"
            << "StoreEvents/GlobalEvents/Kestrelon.reg" << false;
        QTest::newRow("second store folder")
            << fileRoot + "SystemMailbox{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}"
            << "StoreEvents/GlobalEvents" << true;
        QTest::newRow("other server's mailbox") << fileRoot + "oolsen"
                                                << "Inbox" << false;
    }

    void demoStore()
    {
        QFETCH(QString, root);
        QFETCH(QString, path);
        QFETCH(bool, exists);
        QCOMPARE(itemExists(*m_demo->platform, root, path), exists);
    }

    void demoStoreWideItem()
    {
        auto connection = m_demo->platform->createStoreConnection();
        const QString root = fileRoot + "SystemMailbox{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}";
        connection->open(root, QString(), QString());
        auto item = connection->openRecord(root + "/StoreEvents/GlobalEvents/Kestrelon.reg",
                                           RecordMode::Read, CreateOption::FailIfNotExists, -1);
        const QString ns = QStringLiteral("http://schemas.microsoft.com/exchange/events/");
        QCOMPARE(item->field(ns + "MatchScope").toString(), QStringLiteral("ANY"));
        QCOMPARE(item->field(ns + "EventMethod").toString(), QStringLiteral("onsyncsave"));
        QCOMPARE(item->field(ns + "SinkClass").toString(),
                 QStringLiteral("Kestrelon.KestrelonCls"));
        QCOMPARE(item->field(ns + "criteria").toString(),
                 QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE"));
        QCOMPARE(item->field(QStringLiteral("DAV:ishidden")).typeId(), QMetaType::Bool);
    }

    void jsonScenario()
    {
        const lab::Scenario s = lab::scenarioFromJson(
            fixture(QStringLiteral("small-scenario.json")), QStringLiteral("small-scenario.json"));
        LabFixture lab(s);
        platform::MachineFacts &m = lab.platform->machine();
        QCOMPARE(m.computerName(), QStringLiteral("MAIL7"));
        QVERIFY(m.localMachineKeyExists(QStringLiteral("Cluster")));
        QCOMPARE(m.logonUserName(), QStringLiteral("Administrator"));
        const QString root = QStringLiteral("file://./backofficestorage/mail.test/mbx/");
        QVERIFY(itemExists(*lab.platform, root + "ann",
                           QStringLiteral("Boîte de réception/Kestrelon.reg")));
        QVERIFY(!itemExists(*lab.platform, root + "aalder", QStringLiteral("Boîte de réception")));
        QVERIFY(itemExists(*lab.platform,
                           root + "SystemMailbox{AAAAAAAA-0000-0000-0000-000000000001}",
                           QStringLiteral("StoreEvents/GlobalEvents/Kestrelon.reg")));
        QVERIFY(itemExists(*lab.platform, root + "old", QStringLiteral("Inbox")));
        QVERIFY(!itemExists(*lab.platform,
                            QStringLiteral("http://mail7.lab.test/exadmin/lab.test/mbx/old"),
                            QStringLiteral("Inbox")));

        auto store = lab.platform->createStoreConnection();
        store->open(root + "shared", QString(), QString());
        auto note = store->openRecord(root + "shared/inbox/projects/note.eml",
                                      RecordMode::ReadWrite, CreateOption::FailIfNotExists, -1);
        QCOMPARE(note->field(QStringLiteral("urn:schemas:mailheader:subject")),
                 QVariant(QStringLiteral("Hello")));
        QCOMPARE(note->field(QStringLiteral("size")), QVariant(qint64(1200)));
        QCOMPARE(note->field(QStringLiteral("ratio")), QVariant(0.5));
        QCOMPARE(note->field(QStringLiteral("flag")), QVariant(true));
        QCOMPARE(note->field(QStringLiteral("received")).toDateTime(),
                 QDateTime(QDate(2026, 12, 5), QTime(10, 0), Qt::UTC));
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError, note->deleteRecord());
        QVERIFY(itemExists(*lab.platform, root + "shared",
                           QStringLiteral("Inbox/Projects/Kestrelon.reg")));

        auto directory = lab.platform->createDirectoryConnection();
        directory->open(QString(), QString(), QString());
        QCOMPARE(
            column(*directory,
                   QStringLiteral("SELECT cn FROM 'GC://gc.lab.test' WHERE objectClass='group'"),
                   QStringLiteral("cn")),
            QStringList{QStringLiteral("Team")});
        QCOMPARE(
            column(*directory,
                   QStringLiteral(
                       "SELECT userAccountControl FROM 'GC://gc.lab.test' WHERE cn='Old Account'"),
                   QStringLiteral("userAccountControl")),
            QStringList{QStringLiteral("514")});

        auto apps = lab.platform->createCatalog()->getCollection(QStringLiteral("Applications"));
        apps->populate();
        QCOMPARE(apps->count(), 1);
        QCOMPARE(apps->item(0)->value(QStringLiteral("Password")).toString(),
                 QStringLiteral("********"));
    }

    void badJson_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("where");
        QTest::newRow("syntax error")
            << QByteArray("{\"users\": [ {\"cn\": \"a\" ]}") << "offset 24";
        QTest::newRow("top level array") << QByteArray("[]") << "top level";
        QTest::newRow("unknown top key") << QByteArray("{\"user\": []}") << ": user:";
        QTest::newRow("users not array") << QByteArray("{\"users\": {}}") << "users:";
        QTest::newRow("missing cn")
            << QByteArray("{\"users\": [{\"alias\": \"x\"}]}") << "users[0].cn";
        QTest::newRow("wrong type")
            << QByteArray("{\"users\": [{\"cn\": \"a\", \"bound\": \"yes\"}]}") << "users[0].bound";
        QTest::newRow("typo in user key")
            << QByteArray("{\"users\": [{\"cn\": \"a\", \"alais\": \"x\"}]}") << "users[0].alais";
        QTest::newRow("machine list type")
            << QByteArray("{\"machine\": {\"storeHosts\": \"h\"}}") << "machine.storeHosts";
        QTest::newRow("guid without braces")
            << QByteArray("{\"systemMailboxes\": [{\"storeName\": \"s\", \"guid\": \"1234\"}]}")
            << "systemMailboxes[0].guid";
        QTest::newRow("bad property value")
            << QByteArray("{\"mailboxes\": [{\"folders\": [{\"path\": \"Inbox\", \"items\": "
                          "[{\"name\": \"i\", "
                          "\"properties\": {\"p\": [1]}}]}]}]}")
            << "mailboxes[0].folders[0].items[0].properties.p";
        QTest::newRow("bad datetime")
            << QByteArray("{\"applications\": [{\"name\": \"a\", \"properties\": {\"when\": "
                          "{\"datetime\": \"soon\"}}}]}")
            << "applications[0].properties.when.datetime";
        QTest::newRow("attribute value type")
            << QByteArray(
                   "{\"directoryObjects\": [{\"dn\": \"CN=x\", \"attributes\": {\"cn\": 5}}]}")
            << "directoryObjects[0].attributes.cn";
    }

    void badJson()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, where);
        try {
            lab::scenarioFromJson(json, QStringLiteral("bad.json"));
            QFAIL("a bad scenario was accepted");
        } catch (const platform::PlatformError &e) {
            QVERIFY2(e.description.startsWith(QStringLiteral("bad.json: ")),
                     qPrintable(e.description));
            QVERIFY2(e.description.contains(where), qPrintable(e.description));
        }
    }

    void emptyJsonIsTheDefaultMachine()
    {
        const lab::Scenario s = lab::scenarioFromJson("{}", QStringLiteral("empty.json"));
        QCOMPARE(s.machine.computerName, QStringLiteral("EXCH01"));
        QVERIFY(s.directory.isEmpty());
        QVERIFY(s.mailboxes.isEmpty());
    }

private:
    std::unique_ptr<LabFixture> m_demo;
    std::unique_ptr<platform::DirectoryConnection> m_directory;
};

QTEST_GUILESS_MAIN(TestLabScenario)
#include "tst_labscenario.moc"

#include "labhelpers.h"

#include <QDateTime>
#include <QTest>

using platform::CreateOption;
using platform::RecordMode;

namespace {

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
    return errorOf([&] {
               connection->open(root, QString(), QString());
               connection->openRecord(root + QLatin1Char('/') + path, RecordMode::Read,
                                      CreateOption::FailIfNotExists, -1);
           }) == 0;
}

const QString gc = QStringLiteral("GC://dc01.corp.example.local");
const QString smtpFileRoot = QStringLiteral("file://./backofficestorage/example.com/mbx/");
const QString storeWide = QStringLiteral("StoreEvents/GlobalEvents/Kestrelon.reg");

} // namespace

class TestLabScenario : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_demo = std::make_unique<TestLab>(lab::demoScenario());
        m_directory = m_demo->platform->createDirectoryConnection();
        m_directory->open(QStringLiteral("Active Directory Provider"), QString(), QString());
    }

    // The two queries of the mailbox walk, and the administrator, as the program reads them.
    void demoDirectory()
    {
        const QStringList homes =
            column(*m_directory,
                   "SELECT msExchHomeServerName FROM '" + gc +
                       "' WHERE objectcategory='person' AND MsExchMailboxGuid='*' And "
                       "mailNickName='SystemMailbox{*' ORDER BY cn",
                   "msExchHomeServerName");
        QCOMPARE(homes.size(), 3);
        QCOMPARE(homes.count(lab::homeServerValue("EXCH01")), 2);
        QCOMPARE(homes.count(lab::homeServerValue("EXCH02")), 1);

        const QString query = "SELECT adspath, cn, msExchHomeServerName,mailNickName,mail,homeMDB,"
                              "userAccountControl,msExchMailboxGUID FROM '" +
                              gc +
                              "' WHERE objectcategory='person' AND MsExchMailboxGuid='*' And "
                              "msExchHomeServerName='" +
                              lab::homeServerValue("EXCH01") + "' ORDER BY cn";
        const QStringList names = column(*m_directory, query, "cn");
        QVERIFY(names.size() >= 12);
        QVERIFY(names.contains("Jane Doe"));
        QVERIFY(!names.contains("Oscar Olsen"));
        QVERIFY(!names.contains("Xavier Partner"));
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(names, sorted);
        QVERIFY(column(*m_directory, query, "userAccountControl").contains("514"));
        QVERIFY(column(*m_directory, query, "mail").contains(QString()));

        auto rows = m_directory->execute(
            "SELECT sAMAccountName, cn, objectCategory, msExchHomeServerName FROM '" + gc +
                "' WHERE objectcategory='person' AND sAMAccountName='administrator'",
            {});
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(rows->field("sAMAccountName").toString(), QStringLiteral("Administrator"));
        QCOMPARE(
            rows->field("objectCategory").toString(),
            QStringLiteral("CN=Person,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=local"));
        QVERIFY(rows->field("msExchHomeServerName").toString().endsWith("cn=EXCH01"));
    }

    void demoRecipients_data()
    {
        QTest::addColumn<QString>("cn");
        QTest::addColumn<QString>("samAccountType");
        QTest::addColumn<bool>("mapiRecipient");
        const auto row = [](const char *name, const QString &cn, const QString &type, bool mapi) {
            QTest::newRow(name) << cn << type << mapi;
        };
        row("contact", "Xavier Partner", QString(), true);
        row("global group", "All Staff", "268435456", true);
        row("universal group", "Sales Team", "268435457", true);
        row("domain local group", "Helpdesk Local", "536870912", true);
        row("public folder", "Public Announcements", QString(), false);
        row("user", "Alice Archer", "805306368", true);
    }

    void demoRecipients()
    {
        QFETCH(QString, cn);
        QFETCH(QString, samAccountType);
        QFETCH(bool, mapiRecipient);
        auto rows = m_directory->execute(
            "SELECT name, adspath, cn, homeMDB, homeMTA, mail,  mailNickName, distinguishedName, "
            "sAMAccountType,mAPIRecipient,userAccountControl FROM '" +
                gc +
                "' WHERE mail='*' AND ((objectcategory='publicFolder') OR "
                "(objectcategory='group') OR (objectcategory='person' AND "
                "(objectclass='user' OR objectclass='contact')))   ORDER BY cn",
            {});
        for (; !rows->atEnd(); rows->moveNext()) {
            if (rows->field("cn").toString() != cn)
                continue;
            QCOMPARE(rows->field("sAMAccountType").toString(), samAccountType);
            QCOMPARE(rows->field("sAMAccountType").isNull(), samAccountType.isEmpty());
            QCOMPARE(!rows->field("mAPIRecipient").isNull(), mapiRecipient);
            QVERIFY(!rows->field("mail").toString().isEmpty());
            return;
        }
        QFAIL("the recipient query did not list the object");
    }

    void demoStore_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("exists");
        const auto row = [](const char *name, const QString &root, const QString &path,
                            bool exists) {
            QTest::newRow(name) << root << path << exists;
        };
        const QString store1 = fileRoot + "SystemMailbox{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}";
        const QString store2 = fileRoot + "SystemMailbox{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}";
        row("bound by alias, file form", fileRoot + "aarcher", "Inbox/Kestrelon.reg", true);
        row("bound by address domain", smtpFileRoot + "aarcher", "Inbox/Kestrelon.reg", true);
        row("unbound", fileRoot + "cchen", "Inbox/Kestrelon.reg", false);
        row("localised inbox", httpRoot + "hhuber", "Posteingang/Kestrelon.reg", true);
        row("named by address local part", fileRoot + "erik.eriksen", "Inbox", true);
        row("not by alias", fileRoot + "eeriksen", "Inbox", false);
        row("unreachable mailbox", fileRoot + "iivanov", "Inbox", false);
        row("unreachable by http", httpRoot + "iivanov", "Inbox", false);
        row("no address, bound", fileRoot + "jdoe", "Inbox/Kestrelon.reg", true);
        row("http only", httpRoot + "kking", "Inbox", true);
        row("http only, not file", fileRoot + "kking", "Inbox", false);
        row("file only, not http", httpRoot + "llee", "Inbox", false);
        row("store-wide binding", store1, storeWide, true);
        row("second store unbound", store2, storeWide, false);
        row("second store folder", store2, "StoreEvents/GlobalEvents", true);
        row("other server's mailbox", fileRoot + "oolsen", "Inbox", false);
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
        auto item = connection->openRecord(root + "/" + storeWide, RecordMode::Read,
                                           CreateOption::FailIfNotExists, -1);
        const QString ns = QStringLiteral("http://schemas.microsoft.com/exchange/events/");
        QCOMPARE(item->field(ns + "MatchScope").toString(), QStringLiteral("ANY"));
        QCOMPARE(item->field(ns + "EventMethod").toString(), QStringLiteral("onsyncsave"));
        QCOMPARE(item->field(ns + "SinkClass").toString(),
                 QStringLiteral("Kestrelon.KestrelonCls"));
        QCOMPARE(item->field(ns + "criteria").toString(),
                 QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE"));
        QCOMPARE(item->field("DAV:ishidden").typeId(), QMetaType::Bool);
    }

    void jsonScenario()
    {
        const lab::Scenario empty = lab::scenarioFromJson("{}", QStringLiteral("empty.json"));
        QCOMPARE(empty.machine.computerName, QStringLiteral("EXCH01"));
        QVERIFY(empty.directory.isEmpty() && empty.mailboxes.isEmpty());

        const QByteArray json =
            readAll(qEnvironmentVariable("KESTRELON_TEST_DATA") + "/lab/small-scenario.json");
        TestLab lab(lab::scenarioFromJson(json, QStringLiteral("small-scenario.json")));
        platform::MachineFacts &m = lab.platform->machine();
        QCOMPARE(m.computerName(), QStringLiteral("MAIL7"));
        QVERIFY(m.localMachineKeyExists("Cluster"));
        QCOMPARE(m.logonUserName(), QStringLiteral("Administrator"));
        const QString root = QStringLiteral("file://./backofficestorage/mail.test/mbx/");
        platform::Platform &p = *lab.platform;
        QVERIFY(itemExists(p, root + "ann", "Boîte de réception/Kestrelon.reg"));
        QVERIFY(!itemExists(p, root + "aalder", "Boîte de réception"));
        QVERIFY(
            itemExists(p, root + "SystemMailbox{AAAAAAAA-0000-0000-0000-000000000001}", storeWide));
        QVERIFY(itemExists(p, root + "old", "Inbox"));
        QVERIFY(!itemExists(p, "http://mail7.lab.test/exadmin/lab.test/mbx/old", "Inbox"));
        QVERIFY(itemExists(p, root + "shared", "Inbox/Projects/Kestrelon.reg"));

        auto store = p.createStoreConnection();
        store->open(root + "shared", QString(), QString());
        auto note = store->openRecord(root + "shared/inbox/projects/note.eml",
                                      RecordMode::ReadWrite, CreateOption::FailIfNotExists, -1);
        QCOMPARE(note->field("urn:schemas:mailheader:subject"), QVariant(QStringLiteral("Hello")));
        QCOMPARE(note->field("size"), QVariant(qint64(1200)));
        QCOMPARE(note->field("ratio"), QVariant(0.5));
        QCOMPARE(note->field("flag"), QVariant(true));
        QCOMPARE(note->field("received").toDateTime(),
                 QDateTime(QDate(2026, 12, 5), QTime(10, 0), Qt::UTC));
        QVERIFY(errorOf([&] { note->deleteRecord(); }) != 0);

        auto directory = p.createDirectoryConnection();
        directory->open(QString(), QString(), QString());
        QCOMPARE(
            column(*directory, "SELECT cn FROM 'GC://gc.lab.test' WHERE objectClass='group'", "cn"),
            QStringList{"Team"});
        QCOMPARE(column(*directory,
                        "SELECT userAccountControl FROM 'GC://gc.lab.test' WHERE cn='Old Account'",
                        "userAccountControl"),
                 QStringList{"514"});

        auto apps = p.createCatalog()->getCollection(QStringLiteral("Applications"));
        apps->populate();
        QCOMPARE(apps->count(), 1);
        QCOMPARE(apps->item(0)->value("Password").toString(), QStringLiteral("********"));
    }

    void badJson_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("where");
        const auto row = [](const char *json, const char *where) {
            QTest::newRow(where) << QByteArray(json) << QString::fromLatin1(where);
        };
        row(R"({"users": [ {"cn": "a" ]})", "offset 24");
        row("[]", "top level");
        row(R"({"user": []})", ": user:");
        row(R"({"users": {}})", "users:");
        row(R"({"users": [{"alias": "x"}]})", "users[0].cn");
        row(R"({"users": [{"cn": "a", "bound": "yes"}]})", "users[0].bound");
        row(R"({"users": [{"cn": "a", "alais": "x"}]})", "users[0].alais");
        row(R"({"machine": {"storeHosts": "h"}})", "machine.storeHosts");
        row(R"({"systemMailboxes": [{"storeName": "s", "guid": "1234"}]})",
            "systemMailboxes[0].guid");
        row(R"({"mailboxes": [{"folders": [{"path": "Inbox", "items": [{"name": "i",)"
            R"( "properties": {"p": [1]}}]}]}]})",
            "mailboxes[0].folders[0].items[0].properties.p");
        row(R"({"applications": [{"name": "a", "properties": {"when": {"datetime": "soon"}}}]})",
            "applications[0].properties.when.datetime");
        row(R"({"directoryObjects": [{"dn": "CN=x", "attributes": {"cn": 5}}]})",
            "directoryObjects[0].attributes.cn");
        // Duplicates: a key given twice in one object, and names a lab holds once.
        row(R"({"users": [], "machine": {}, "users": [{"cn": "a"}]})",
            ": users: the key is given twice");
        row(R"({"machine": {"lanGroup": "A", "lan\u0047roup": "B"}})", "machine.lanGroup: the key");
        row(R"({"mailboxes": [{"folders": [{"path": "Inbox", "items": [{"name": "i",)"
            R"( "properties": {"p": 1, "q": 2, "p": 3}}]}]}]})",
            "mailboxes[0].folders[0].items[0].properties.p: the key");
        row(R"({"users": [{"cn": "Ann"}, {"cn": "ann"}]})", "users[1].cn: the directory object");
        row(R"({"mailboxes": [{"folders": [{"path": "Inbox/", "items": [{"registration": "ANY"},)"
            R"( {"name": "kestrelon.REG"}]}]}]})",
            "mailboxes[0].folders[0].items[1].name: an item named \"kestrelon.REG\"");
        row(R"({"mailboxes": [{"folders": [{"path": "Inbox/x"}, {"path": "inbox/X/"}]}]})",
            "mailboxes[0].folders[1].path: the folder");
        row(R"({"applications": [{"id": "{A}", "name": "a"}, {"id": "{a}", "name": "b"}]})",
            "applications[1].id: the catalog id \"{a}\" is already given at applications[0].id");
    }

    // Properties given with a registration item replace its own of the same name.
    void registrationOverride()
    {
        const lab::Scenario s = lab::scenarioFromJson(
            R"({"mailboxes": [{"folders": [{"path": "Inbox", "items": [{"registration": "ANY",)"
            R"( "properties": {"DAV:ishidden": false}}]}]}]})",
            QStringLiteral("override.json"));
        const QList<lab::Property> &properties = s.mailboxes[0].folders[0].items[0].properties;
        QCOMPARE(properties.size(), lab::registrationItem("ANY").properties.size());
        QCOMPARE(properties.last().value, QVariant(false));
    }

    void badJson()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, where);
        const platform::PlatformError e =
            failureOf([&] { lab::scenarioFromJson(json, QStringLiteral("bad.json")); });
        QVERIFY2(e.description.startsWith("bad.json: "), qPrintable(e.description));
        QVERIFY2(e.description.contains(where), qPrintable(e.description));
    }

private:
    std::unique_ptr<TestLab> m_demo;
    std::unique_ptr<platform::DirectoryConnection> m_directory;
};

QTEST_GUILESS_MAIN(TestLabScenario)
#include "tst_labscenario.moc"

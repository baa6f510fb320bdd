#include "support/datarow.h"
#include "support/labfixture.h"

#include <QTest>

using platform::CreateOption;
using platform::RecordMode;

namespace {

bool itemExists(platform::Platform &p, const QString &root, const QString &path)
{
    auto connection = p.createStoreConnection();
    return errorOf([&] {
               connection->open(root, QString(), QString());
               connection->openRecord(root + QLatin1Char('/') + path, RecordMode::Read,
                                      CreateOption::FailIfNotExists, -1);
           }) == 0;
}

const QString storeWide = QStringLiteral("StoreEvents/GlobalEvents/Kestrelon.reg");

} // namespace

class TestLabScenario : public QObject
{
    Q_OBJECT

private slots:
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
        row(R"({"user": []})", ": user:");
        row(R"({"users": [{"cn": "a", "bound": "yes"}]})", "users[0].bound");
        row(R"({"users": [{"cn": "a", "alais": "x"}]})", "users[0].alais");
        row(R"({"systemMailboxes": [{"storeName": "s", "guid": "1234"}]})",
            "systemMailboxes[0].guid");
        row(R"({"mailboxes": [{"folders": [{"path": "Inbox", "items": [{"name": "i",)"
            R"( "properties": {"p": [1]}}]}]}]})",
            "mailboxes[0].folders[0].items[0].properties.p");
        row(R"({"directoryObjects": [{"dn": "CN=x", "attributes": {"cn": 5}}]})",
            "directoryObjects[0].attributes.cn");
        row(R"({"directoryObjects": [{"dn": "CN=x", "attributes": {"cn\nmail": "a"}}]})",
            "directoryObjects[0].attributes.cn\nmail: not an attribute name");
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

    // A user's name goes into its distinguished name escaped, so that an LDAP server takes
    // the name back as it stands.
    void distinguishedNames_data()
    {
        QTest::addColumn<QString>("cn");
        QTest::addColumn<QString>("rdn");
        row("comma", "Doe, John", "CN=Doe\\, John,");
        row("plus, semicolon, angles", "x+y;z<w>", "CN=x\\+y\\;z\\<w\\>,");
        row("backslash, quotes", "back\\\"q\"", "CN=back\\\\\\\"q\\\",");
        row("hash and blanks at the edges", "#h a ", "CN=\\#h a\\ ,");
        row("blank first, hash inside", " a#", "CN=\\ a#,");
        row("NUL", QString("a") + QChar(0) + "b", "CN=a\\00b,");
    }
    void distinguishedNames()
    {
        QFETCH(QString, cn);
        QFETCH(QString, rdn);
        lab::Scenario scenario;
        lab::MailboxUser user;
        user.cn = cn;
        lab::addMailboxUser(scenario, user);
        QVERIFY2(scenario.directory.last().dn.startsWith(rdn),
                 qPrintable(scenario.directory.last().dn));
    }

    // Properties given with a registration item replace its own of the same name.
    void registrationOverride()
    {
        const lab::Scenario s = lab::scenarioFromJson(
            R"({"mailboxes": [{"folders": [{"path": "Inbox", "items": [{"registration": "ANY",)"
            R"( "properties": {"DAV:ishidden": false}}]}]}]})",
            QStringLiteral("override.json"));
        const QList<lab::Property> &properties = s.mailboxes[0].folders[0].items[0].properties;
        QCOMPARE(properties.size(), 7);
        QCOMPARE(properties.last().name, QStringLiteral("DAV:ishidden"));
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
};

QTEST_GUILESS_MAIN(TestLabScenario)
#include "tst_labscenario.moc"

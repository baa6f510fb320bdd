#include "platform/platformerror.h"
#include "shell/installform.h"
#include "shell/labfixture.h"
#include "shell/recordingscreen.h"

#include <QTest>

namespace {

// An account with a directory object only: what the cluster lookup reads.
void addAccount(lab::Scenario &scenario, const QString &account, const QString &homeServer)
{
    lab::MailboxUser user;
    user.cn = account + QStringLiteral(" account");
    user.alias = account.toLower();
    user.homeServer = homeServer;
    user.hasMailbox = false;
    user.samAccountName = account;
    lab::addMailboxUser(scenario, user);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void environment_data();
    void environment();
    void batchCaption_data();
    void batchCaption();
    void noClusterKey();
    void clusterName_data();
    void clusterName();
    void failingStep_data();
    void failingStep();
    void unloadReleasesConnections();
    void firstActivationOnlyOnce();
};

void TestStartup::environment_data()
{
    QTest::addColumn<QString>("computer");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QStringList>("listing");
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QString>("fullName");
    QTest::addColumn<QString>("domainName");
    QTest::addColumn<QString>("fileUrl");
    QTest::addColumn<QString>("httpUrl");

    QTest::newRow("EXCH01 in Corp.Example.Local, nothing listed")
        << "EXCH01"
        << "Corp.Example.Local" << QStringList() << "exch01"
        << "exch01.corp.example.local"
        << "corp.example.local"
        << "file://./backofficestorage/corp.example.local/mbx"
        << "http://exch01.corp.example.local/exadmin/corp.example.local/mbx";
    QTest::newRow("listed folder replaces the directory's spelling")
        << "EXCH01"
        << "CORP.example.LOCAL.lan" << QStringList{"corp.example.local", "other"} << "exch01"
        << "exch01.corp.example.local.lan"
        << "corp.example.local.lan"
        << "file://./backofficestorage/corp.example.local/mbx"
        << "http://exch01.corp.example.local.lan/exadmin/corp.example.local/mbx";
    QTest::newRow("listed folder kept as listed")
        << "Mail2"
        << "ad.example.org" << QStringList{"Example.ORG"} << "mail2"
        << "mail2.ad.example.org"
        << "ad.example.org"
        << "file://./backofficestorage/Example.ORG/mbx"
        << "http://mail2.ad.example.org/exadmin/Example.ORG/mbx";
    QTest::newRow("empty first entry keeps the DNS name")
        << "EXCH01"
        << "corp.example.local" << QStringList{"", "late.example"} << "exch01"
        << "exch01.corp.example.local"
        << "corp.example.local"
        << "file://./backofficestorage/corp.example.local/mbx"
        << "http://exch01.corp.example.local/exadmin/corp.example.local/mbx";
}

void TestStartup::environment()
{
    QFETCH(QString, computer);
    QFETCH(QString, domain);
    QFETCH(QStringList, listing);
    QFETCH(QString, shortName);
    QFETCH(QString, fullName);
    QFETCH(QString, domainName);
    QFETCH(QString, fileUrl);
    QFETCH(QString, httpUrl);

    lab::Scenario scenario;
    scenario.machine.computerName = computer;
    scenario.machine.domainDnsName = domain;
    scenario.machine.storeRootListing = listing;
    LabFixture lab(scenario);
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.Form_Load();

    QCOMPARE(form.ShortComputerName, shortName);
    QCOMPARE(form.ComputerName, fullName);
    QCOMPARE(form.DomainDNSName, domainName);
    QCOMPARE(form.FileFolderURL, fileUrl);
    QCOMPARE(form.FolderURL, httpUrl);
    QCOMPARE(form.globals.GCPath, QStringLiteral("GC://dc01.corp.example.local"));
    QVERIFY(!form.blnNotFirstTime);
    QVERIFY(form.globals.DirectoryConnection->isOpen());
    // Prepared for the inbox probes, which open it per mailbox.
    QVERIFY(!form.globals.StoreConnection->isOpen());
    QCOMPARE(form.GetLogonUserName(), QStringLiteral("Administrator"));
}

void TestStartup::batchCaption_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<QString>("caption");

    QTest::newRow("/B") << "/B" << true << "Kestrelon setup - batch mode";
    QTest::newRow("-batch") << "-batch" << true << "Kestrelon setup - batch mode";
    QTest::newRow("-b") << "-b" << true << "Kestrelon setup - batch mode";
    QTest::newRow("b") << "b" << false << "Kestrelon setup";
    QTest::newRow("empty") << "" << false << "Kestrelon setup";
}

void TestStartup::batchCaption()
{
    QFETCH(QString, commandLine);
    QFETCH(bool, batch);
    QFETCH(QString, caption);

    LabFixture lab{lab::Scenario()};
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen, commandLine);
    form.Form_Load();
    QCOMPARE(form.blnBatchMode, batch);
    QCOMPARE(form.caption, caption);
}

void TestStartup::noClusterKey()
{
    lab::Scenario scenario;
    scenario.machine.localMachineKeys = {QStringLiteral("SOFTWARE")};
    addAccount(scenario, QStringLiteral("Administrator"),
               lab::homeServerValue(QStringLiteral("EVS1")));
    LabFixture lab(scenario);
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.Form_Load();
    QVERIFY(!form.blnIsClusterNode);
    QCOMPARE(form.ClusterName, QString());
    form.Form_Activate();
    // Not a cluster node: the home server of the account is never asked for.
    QCOMPARE(form.ClusterName, QString());
}

void TestStartup::clusterName_data()
{
    QTest::addColumn<bool>("hasRow");
    QTest::addColumn<QString>("homeServer");
    QTest::addColumn<QString>("clusterName");

    QTest::newRow("full home server value")
        << true << "/o=Org/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=EVS1"
        << "EVS1";
    QTest::newRow("lab's home server value")
        << true << lab::homeServerValue(QStringLiteral("evs2")) << "EVS2";
    QTest::newRow("no CN= keeps the whole value upper-cased") << true << "/o=Org/ou=Servers/evs3"
                                                              << "/O=ORG/OU=SERVERS/EVS3";
    QTest::newRow("CN= at the very end keeps the whole value") << true << "/o=Org/cn="
                                                               << "/O=ORG/CN=";
    QTest::newRow("one character after CN= keeps the whole value") << true << "/o=Org/cn=X"
                                                                   << "/O=ORG/CN=X";
    QTest::newRow("two characters after CN=") << true << "/o=Org/cn=XY"
                                              << "XY";
    QTest::newRow("no row") << false << ""
                            << "";
}

void TestStartup::clusterName()
{
    QFETCH(bool, hasRow);
    QFETCH(QString, homeServer);
    QFETCH(QString, clusterName);

    lab::Scenario scenario;
    scenario.machine.localMachineKeys = {QStringLiteral("Cluster")};
    scenario.machine.logonUserName = QStringLiteral("setupadmin");
    // Another account homed elsewhere, which the query must not pick up.
    addAccount(scenario, QStringLiteral("otheradmin"),
               lab::homeServerValue(QStringLiteral("WRONG")));
    if (hasRow)
        addAccount(scenario, QStringLiteral("setupadmin"), homeServer);
    LabFixture lab(scenario);
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.Form_Load();
    QVERIFY(form.blnIsClusterNode);
    QCOMPARE(form.ClusterName, QString());

    form.ClusterName = QStringLiteral("stale");
    form.GetClusterName();
    QCOMPARE(form.ClusterName, clusterName);
}

void TestStartup::failingStep_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("catalogHost");
    QTest::addColumn<int>("number");

    QTest::newRow("not in a domain")
        << ""
        << "dc01.corp.example.local" << int(platform::error::NotInDomain);
    QTest::newRow("no global catalog answers") << "corp.example.local"
                                               << "" << int(platform::error::ServerUnreachable);
}

void TestStartup::failingStep()
{
    QFETCH(QString, domain);
    QFETCH(QString, catalogHost);
    QFETCH(int, number);

    lab::Scenario scenario;
    scenario.machine.domainDnsName = domain;
    scenario.machine.globalCatalogHost = catalogHost;
    LabFixture lab(scenario);
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    try {
        form.Form_Load();
        QFAIL("start-up must fail");
    } catch (const platform::PlatformError &error) {
        QCOMPARE(error.number, number);
        QVERIFY(!error.description.isEmpty());
    }
    QVERIFY(!form.globals.DirectoryConnection);
    QVERIFY(form.globals.GCPath.isEmpty());
    form.Form_Unload();
    QVERIFY(form.unloaded);
}

void TestStartup::unloadReleasesConnections()
{
    LabFixture lab{lab::Scenario()};
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.Form_Load();
    form.Command2_Click();
    QVERIFY(form.unloaded);
    QVERIFY(!form.globals.DirectoryConnection);
    QVERIFY(!form.globals.StoreConnection);
}

void TestStartup::firstActivationOnlyOnce()
{
    lab::Scenario scenario;
    scenario.machine.localMachineKeys = {QStringLiteral("Cluster")};
    addAccount(scenario, QStringLiteral("Administrator"),
               lab::homeServerValue(QStringLiteral("EVS1")));
    LabFixture lab(scenario);
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.Form_Load();
    form.Form_Activate();
    QVERIFY(form.blnNotFirstTime);
    QCOMPARE(form.ClusterName, QStringLiteral("EVS1"));

    form.ClusterName = QStringLiteral("kept");
    form.Form_Activate();
    QCOMPARE(form.ClusterName, QStringLiteral("kept"));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"

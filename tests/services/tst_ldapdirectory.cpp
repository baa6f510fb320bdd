// The ldap directory backend against a real slapd serving the lab's own organization:
// every query must answer exactly the rows the lab answers.

#include "mailboxes/mailboxqueries.h"
#include "platform/configuredplatform.h"
#include "platform/lab/directoryquery.h"
#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "platform/labhelpers.h"
#include "platform/platformerror.h"
#include "recipients/recipientpickerform.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"
#include "slapdserver.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QtTest>

namespace {

using platform::SearchProperties;

const QString labTool = qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-lab");
const QString gcHost = QStringLiteral("dc01.corp.example.local");
const QString suffix = QStringLiteral("DC=corp,DC=example,DC=local");
const SearchProperties paged{{QStringLiteral("searchscope"), 2},
                             {QStringLiteral("Chase Referrals"), 96},
                             {QStringLiteral("Page Size"), 100},
                             {QStringLiteral("Size Limit"), 30000}};

// Objects whose names hold the characters a filter gives meaning to.
lab::DirectoryObject contact(const QString &rdnValue, const QString &cn)
{
    return {QStringLiteral("CN=%1,CN=Users,%2").arg(rdnValue, suffix),
            {{QStringLiteral("objectClass"), QStringLiteral("contact")},
             {QStringLiteral("cn"), cn},
             {QStringLiteral("objectCategory"),
              QStringLiteral("CN=Person,CN=Schema,CN=Configuration,") + suffix}}};
}

QString writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.toUtf8());
    return path;
}

// Every row of a query, each as its fields in text, "<null>" for an absent one.
QStringList rowsOf(platform::DirectoryConnection &directory, const QString &query,
                   const SearchProperties &properties = paged)
{
    const QStringList columns = lab::parseDirectoryQuery(query).attributes;
    auto rows = directory.execute(query, properties);
    QStringList result;
    for (; !rows->atEnd(); rows->moveNext()) {
        QStringList fields;
        for (const QString &column : columns) {
            const QVariant value = rows->field(column);
            fields << (value.isNull() ? QStringLiteral("<null>")
                                      : value.toStringList().join(QLatin1Char('|')));
        }
        result << fields.join(QStringLiteral(" ; "));
    }
    return result;
}

// A lab and a slapd serving its directory, with the platforms of both.
struct Organization
{
    explicit Organization(const lab::Scenario &scenario)
        : labPath(dir.filePath(QStringLiteral("lab.sqlite")))
    {
        lab::createLab(labPath, scenario);
    }

    // Starts the server with the lab's directory, extra entries after it, and a second
    // database when given one.
    void start(const QByteArray &extraEntries = {}, const QString &otherSuffix = {},
               const QByteArray &otherLdif = {})
    {
        if (!server.addLab(labTool, labPath, extraEntries) ||
            (!otherSuffix.isEmpty() && !server.addDatabase(otherSuffix, otherLdif)) ||
            !server.start())
            qFatal("%s", qPrintable(server.failure()));
        labPlatform = lab::openLab(labPath);
        ldapPlatform = platformWith();
    }

    // A configuration of this server's directory over the same lab, as EXCH01.
    QString configFile(const QString &user = QStringLiteral("Administrator"),
                       const QString &uri = {})
    {
        const QString config = QStringLiteral("[lab]\nfile=%1\n[directory]\nbackend=ldap\n"
                                              "uri=%2\nbindDn=\"%3\"\npasswordFile=%4\n"
                                              "timeout=1\n[machine]\ncomputerName=EXCH01\n"
                                              "userName=\"%5\"\n")
                                   .arg(labPath, uri.isEmpty() ? server.uri() : uri,
                                        server.adminDn(), server.passwordFile(), user);
        return writeFile(dir.filePath(QStringLiteral("config%1.ini").arg(++configs)), config);
    }

    std::unique_ptr<platform::Platform>
    platformWith(const QString &user = QStringLiteral("Administrator"), const QString &uri = {})
    {
        return platform::createConfiguredPlatform(platform::readServerConfig(configFile(user, uri)),
                                                  lab::openLab(labPath));
    }

    static std::unique_ptr<platform::DirectoryConnection> opened(platform::Platform &platform)
    {
        auto directory = platform.createDirectoryConnection();
        directory->open(QStringLiteral("Active Directory Provider"), QString(), QString());
        return directory;
    }

    QTemporaryDir dir;
    QString labPath;
    SlapdServer server;
    std::unique_ptr<platform::Platform> labPlatform;
    std::unique_ptr<platform::Platform> ldapPlatform;
    int configs = 0;
};

} // namespace

class TestLdapDirectory : public QObject
{
    Q_OBJECT

    std::unique_ptr<Organization> m_demo;
    std::unique_ptr<Organization> m_large;

    // The generated organization of 2,500 mailboxes, made when first needed.
    Organization &large()
    {
        if (!m_large) {
            m_large = std::make_unique<Organization>(lab::generatedScenario(2500, 7));
            m_large->start();
        }
        return *m_large;
    }

private slots:
    void initTestCase()
    {
        lab::Scenario demo = lab::demoScenario();
        demo.machine.lanGroup.clear();
        demo.directory << contact(QStringLiteral("Paren (Test)"), QStringLiteral("Paren (Test)"))
                       << contact(QStringLiteral("Back\\\\slash"), QStringLiteral("Back\\slash"))
                       << contact(QStringLiteral("Star*Name"), QStringLiteral("Star*Name"));
        m_demo = std::make_unique<Organization>(demo);
        // A referral to a second naming context that only signed-in accounts may read; the
        // host is spelt differently so that libldap opens a new connection to follow it.
        const QByteArray referral =
            QStringLiteral("dn: CN=Partner,%1\nobjectClass: referral\n"
                           "objectClass: extensibleObject\ncn: Partner\n"
                           "ref: ldap://localhost:%2/DC=partner,DC=example\n")
                .arg(suffix)
                .arg(m_demo->server.port())
                .toUtf8();
        m_demo->start(referral, QStringLiteral("DC=partner,DC=example"),
                      "dn: DC=partner,DC=example\nobjectClass: domain\ndc: partner\n\n"
                      "dn: CN=Pat Partner,DC=partner,DC=example\nobjectClass: contact\n"
                      "cn: Pat Partner\nsn: Partner\nmail: pat@partner.example\n");
    }

    void sameRowsAsLab_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("sizeLimit");
        QTest::addColumn<int>("count");
        const QString from = QStringLiteral(" FROM 'GC://%1' ").arg(gcHost);
        QTest::newRow("system mailboxes")
            << QStringLiteral("SELECT msExchHomeServerName") + from +
                   QStringLiteral("WHERE objectcategory='person' AND MsExchMailboxGuid='*' And "
                                  "mailNickName='SystemMailbox{*' ORDER BY cn")
            << 30000 << 3;
        QTest::newRow("mailboxes of EXCH01")
            << MailboxQueries::mailboxesOfServer(QStringLiteral("GC://") + gcHost,
                                                 lab::homeServerValue(QStringLiteral("EXCH01")))
            << 30000 << 14;
        QTest::newRow("cluster lookup") << QStringLiteral("SELECT msExchHomeServerName") + from +
                                               QStringLiteral("WHERE objectcategory='person' AND "
                                                              "sAMAccountName='Administrator'")
                                        << 30000 << 1;
        QTest::newRow("identity")
            << QStringLiteral("SELECT sAMAccountName, cn, objectCategory") + from +
                   QStringLiteral("WHERE objectcategory='person' AND sAMAccountName='aarcher'")
            << 30000 << 1;
        QTest::newRow("recipients")
            << QStringLiteral("SELECT name, adspath, cn, homeMDB, homeMTA, mail,  mailNickName, "
                              "distinguishedName, sAMAccountType,mAPIRecipient,"
                              "userAccountControl") +
                   from +
                   QStringLiteral("WHERE mail='*' AND ((objectcategory='publicFolder') OR "
                                  "(objectcategory='group') OR (objectcategory='person' AND "
                                  "(objectclass='user' OR objectclass='contact')))   ORDER BY cn")
            << 30000 << 27;
        QTest::newRow("sorted by the server, descending")
            << QStringLiteral("SELECT cn, sAMAccountName") + from +
                   QStringLiteral("WHERE sAMAccountName='*' ORDER BY sAMAccountName DESC")
            << 30000 << 15;
        QTest::newRow("sorted here, descending, limited")
            << QStringLiteral("SELECT cn, mail") + from +
                   QStringLiteral("WHERE objectcategory='person' AND mail='*' ORDER BY cn DESC")
            << 4 << 4;
        QTest::newRow("sorted by the server, limited")
            << QStringLiteral("SELECT cn") + from +
                   QStringLiteral("WHERE sAMAccountName='*' ORDER BY sAMAccountName")
            << 3 << 3;
    }

    void sameRowsAsLab()
    {
        QFETCH(QString, query);
        QFETCH(int, sizeLimit);
        QFETCH(int, count);
        SearchProperties properties = paged;
        properties.last().second = sizeLimit;
        const QStringList expected =
            rowsOf(*Organization::opened(*m_demo->labPlatform), query, properties);
        QCOMPARE(rowsOf(*Organization::opened(*m_demo->ldapPlatform), query, properties), expected);
        QCOMPARE(expected.size(), count);
    }

    void valuesCannotWidenFilter_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("count");
        QTest::newRow("parentheses") << QStringLiteral("Paren (Test)") << 1;
        QTest::newRow("closing and presence") << QStringLiteral("x)(cn=*") << 0;
        QTest::newRow("or of everything") << QStringLiteral("x)(|(cn=*") << 0;
        QTest::newRow("backslash") << QStringLiteral("Back\\slash") << 1;
        QTest::newRow("escaped star") << QStringLiteral("\\2a") << 0;
        QTest::newRow("wildcard stays one") << QStringLiteral("Star*") << 1;
    }

    void valuesCannotWidenFilter()
    {
        QFETCH(QString, value);
        QFETCH(int, count);
        const QString query =
            QStringLiteral("SELECT cn FROM 'GC://%1' WHERE cn='%2'").arg(gcHost, value);
        const QStringList rows = rowsOf(*Organization::opened(*m_demo->ldapPlatform), query);
        QCOMPARE(rows, rowsOf(*Organization::opened(*m_demo->labPlatform), query));
        QCOMPARE(rows.size(), count);
    }

    void windowsOnDirectory_data()
    {
        QTest::addColumn<bool>("showDisabled");
        QTest::newRow("disabled hidden") << false;
        QTest::newRow("disabled shown") << true;
    }

    void windowsOnDirectory()
    {
        QFETCH(bool, showDisabled);
        const auto listsOf = [&](platform::Platform &platform) {
            RecordingScreen screen;
            InstallForm form(platform, screen);
            form.onLoad();
            form.showDisabledCheck.setValue(showDisabled ? 1 : 0);
            form.refreshMailboxLists();
            form.findClusterName();
            form.proposeIdentity();
            RecipientPickerForm picker(form, 0);
            picker.onLoad();
            picker.loadRecipients();
            QStringList recipients;
            for (int i = 0; i < picker.recipientView.count(); ++i) {
                const RecipientEntry &row = picker.recipientView.row(i);
                recipients << QStringList{row.name, row.distinguishedName, row.address,
                                          recipientKindKey(row.kind), row.tag}
                                  .join(u'|');
            }
            return QList<QStringList>{
                form.unboundStoreList.entries(),
                form.boundStoreList.entries(),
                form.unboundMailboxList.entries(),
                form.boundMailboxList.entries(),
                {form.clusterName, form.globals.globalCatalogPath, form.identityEdit.text()},
                recipients};
        };
        const QList<QStringList> lab = listsOf(*m_demo->labPlatform);
        QCOMPARE(listsOf(*m_demo->ldapPlatform), lab);
        QCOMPARE(lab[2].size() + lab[3].size(), showDisabled ? 12 : 11);
        // Without a LAN group the identity's domain is read from the account's category.
        QCOMPARE(lab[4].last(), QStringLiteral("corp.example.local\\Administrator"));
        QCOMPARE(lab[5].size(), 25);
    }

    void referralsFollowedWithTheSameAccount_data()
    {
        QTest::addColumn<int>("chase");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("followed") << 96 << QStringList{QStringLiteral("Pat Partner")};
        QTest::newRow("not followed") << 0 << QStringList{};
    }

    void referralsFollowedWithTheSameAccount()
    {
        QFETCH(int, chase);
        QFETCH(QStringList, rows);
        const QString query =
            QStringLiteral("SELECT cn FROM 'GC://%1' WHERE mail='pat@partner.example'").arg(gcHost);
        QCOMPARE(rowsOf(*Organization::opened(*m_demo->ldapPlatform), query,
                        {{QStringLiteral("Chase Referrals"), chase}}),
                 rows);
    }

    void tracesSearchesWithoutPassword()
    {
        static QStringList messages;
        messages.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("kestrelon.ldap.debug=true"));
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { messages << text; });
        const QStringList rows =
            rowsOf(*Organization::opened(*m_demo->ldapPlatform),
                   QStringLiteral("SELECT cn FROM 'GC://%1/CN=Users,%2' WHERE cn='A*'")
                       .arg(gcHost, suffix));
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QStringLiteral("kestrelon.ldap.debug=false"));
        const QString log = messages.join(u'\n');
        // The base below the host holds the users, not the system mailboxes' container.
        const QStringList users{QStringLiteral("Administrator"), QStringLiteral("Alice Archer"),
                                QStringLiteral("All Staff")};
        QCOMPARE(rows, users);
        QVERIFY2(log.contains(QLatin1String("base CN=Users,DC=corp")) &&
                     log.contains(QLatin1String("(cn=A*)")) &&
                     log.contains(QLatin1String("with 3 rows")),
                 qPrintable(log));
        QVERIFY(!log.contains(SlapdServer::password()));
    }

    void largeDirectoryWholeAndInOrder_data()
    {
        QTest::addColumn<QString>("order");
        QTest::newRow("sorted here") << QStringLiteral(" ORDER BY cn");
        QTest::newRow("sorted by the server") << QStringLiteral(" ORDER BY mailNickName DESC");
    }

    void largeDirectoryWholeAndInOrder()
    {
        QFETCH(QString, order);
        const QString query =
            MailboxQueries::mailboxesOfServer(QStringLiteral("GC://") + gcHost,
                                              lab::homeServerValue(QStringLiteral("EXCH01")))
                .replace(QLatin1String(" ORDER BY cn"), order);
        const QStringList rows = rowsOf(*Organization::opened(*large().ldapPlatform), query);
        QCOMPARE(rows.size(), 2502);
        QCOMPARE(rows, rowsOf(*Organization::opened(*large().labPlatform), query));
    }

    void serverStoppedMidWalk()
    {
        Organization &organization = large();
        auto directory = Organization::opened(*organization.ldapPlatform);
        const QString query =
            QStringLiteral("SELECT cn FROM 'GC://%1' WHERE MsExchMailboxGuid='*'").arg(gcHost);
        auto rows = directory->execute(query, paged);
        for (int i = 0; i < 150; ++i)
            rows->moveNext();
        organization.server.kill();
        const platform::PlatformError error = failureOf([&] {
            while (!rows->atEnd())
                rows->moveNext();
        });
        QCOMPARE(error.number, platform::error::ServerUnreachable);
        QVERIFY2(error.description.contains(organization.server.uri()),
                 qPrintable(error.description));
        // Once the server is back the same connection answers again.
        QVERIFY2(organization.server.start(), qPrintable(organization.server.failure()));
        QCOMPARE(rowsOf(*directory, query).size(), 2502);
    }

    void setupProgram_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("output");
        QTest::newRow("check") << QStringLiteral("--check-directory") << true << 0
                               << QStringList{QStringLiteral("GC://") + gcHost,
                                              QStringLiteral("Domain: corp.example.local"),
                                              QStringLiteral("Mailboxes in the directory: 18")};
        QTest::newRow("batch, server gone")
            << QStringLiteral("-b") << false << 3
            << QStringList{QStringLiteral("run-time error -2147016646"),
                           QStringLiteral("ldap://127.0.0.1:9")};
    }

    void setupProgram()
    {
        QFETCH(QString, argument);
        QFETCH(bool, reachable);
        QFETCH(int, status);
        QFETCH(QStringList, output);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(
            QStringLiteral("KESTRELON_CONFIG"),
            m_demo->configFile(QStringLiteral("Administrator"),
                               reachable ? QString() : QStringLiteral("ldap://127.0.0.1:9")));
        program.setProcessEnvironment(environment);
        program.start(qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-setup"),
                      {argument});
        QVERIFY(program.waitForFinished(30000));
        const QString text =
            QString::fromLocal8Bit(program.readAll() + program.readAllStandardError());
        QCOMPARE(program.exitCode(), status);
        for (const QString &line : output)
            QVERIFY2(text.contains(line), qPrintable(text));
    }

    void startUpFailures_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("server"); // 0 slapd, 1 nothing listens, 2 never answers
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("named");
        QTest::newRow("apostrophe in the account")
            << QStringLiteral("O'Brien") << 0 << platform::error::QuerySyntax
            << QStringLiteral("O'Brien");
        QTest::newRow("nothing listens")
            << QStringLiteral("Administrator") << 1 << platform::error::ServerUnreachable
            << QStringLiteral("ldap://127.0.0.1:");
        QTest::newRow("never answers")
            << QStringLiteral("Administrator") << 2 << qint32(0x800705B4u)
            << QStringLiteral("ldap://127.0.0.1:");
    }

    // Start-up and the cluster lookup, which have no trap of their own: a clean error that
    // names the cause, within the configured time-out of 1 s.
    void startUpFailures()
    {
        QFETCH(QString, user);
        QFETCH(int, server);
        QFETCH(qint32, number);
        QFETCH(QString, named);
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QString uri = QStringLiteral("ldap://127.0.0.1:%1").arg(silent.serverPort());
        if (server == 1)
            silent.close();
        auto configured = m_demo->platformWith(user, server == 0 ? QString() : uri);
        RecordingScreen screen;
        InstallForm form(*configured, screen);
        QElapsedTimer clock;
        clock.start();
        const platform::PlatformError error = failureOf([&] {
            form.onLoad();
            form.findClusterName();
        });
        QCOMPARE(error.number, number);
        QVERIFY2(error.description.contains(named), qPrintable(error.description));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestLdapDirectory)
#include "tst_ldapdirectory.moc"

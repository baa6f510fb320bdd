// The ldap directory backend against a real slapd serving the lab's own organization:
// every query must answer exactly the rows the lab answers; referrals, time-outs and TLS
// keep the account's password where it belongs.

#include "directorycomparison.h"
#include "platform/configuredplatform.h"
#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "platform/platformerror.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"
#include "slapdserver.h"
#include "support/labfixture.h"

#include <arpa/inet.h>
#include <cctype>
#include <csignal>
#include <netinet/in.h>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace DirectoryComparison;

const QString labTool = qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-lab");

QString writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.toUtf8());
    return path;
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
               const QByteArray &otherLdif = {}, bool tls = false)
    {
        if (!server.addLab(labTool, labPath, extraEntries) ||
            (!otherSuffix.isEmpty() && !server.addDatabase(otherSuffix, otherLdif)) ||
            (tls && !server.enableTls()) || !server.start())
            qFatal("%s", qPrintable(server.failure()));
        labPlatform = lab::openLab(labPath);
        ldapPlatform = platformWith();
    }

    // A configuration of this server's directory over the same lab, as EXCH01, with more
    // [directory] lines when given.
    QString configFile(const QString &user = QStringLiteral("Administrator"),
                       const QString &uri = {}, const QString &directoryLines = {})
    {
        const QString config =
            QStringLiteral("[lab]\nfile=%1\n[directory]\nbackend=ldap\n"
                           "uri=%2\nbindDn=\"%3\"\npasswordFile=%4\n"
                           "timeout=1\n%6[machine]\ncomputerName=EXCH01\n"
                           "userName=\"%5\"\n")
                .arg(labPath, uri.isEmpty() ? server.uri() : uri, server.adminDn(),
                     server.passwordFile(), user, directoryLines);
        return writeFile(dir.filePath(QStringLiteral("config%1.ini").arg(++configs)), config);
    }

    // What the directory says it left out goes to notices.
    std::unique_ptr<platform::Platform>
    platformWith(const QString &user = QStringLiteral("Administrator"), const QString &uri = {},
                 const QString &directoryLines = {})
    {
        auto configured = platform::createConfiguredPlatform(
            platform::readServerConfig(configFile(user, uri, directoryLines)),
            lab::openLab(labPath));
        platform::setDirectoryHooks(*configured,
                                    {nullptr, [this](const QString &, qint32, const QString &text) {
                                         notices << text;
                                     }});
        return configured;
    }

    QTemporaryDir dir;
    QString labPath;
    SlapdServer server;
    std::unique_ptr<platform::Platform> labPlatform;
    std::unique_ptr<platform::Platform> ldapPlatform;
    QStringList notices;
    int configs = 0;
};

// Names with the characters a distinguished name gives meaning to.
const QStringList &hostileNames()
{
    static const QStringList names{QStringLiteral("Doe, John"),   QStringLiteral("x+y"),
                                   QStringLiteral("back\\slash"), QStringLiteral("#hash"),
                                   QStringLiteral("semi;colon"),  QStringLiteral("lt<gt>"),
                                   QStringLiteral("\"quoted\""),  QStringLiteral(" leading"),
                                   QStringLiteral("trailing "),   QStringLiteral("a=b # c")};
    return names;
}

// The value of a distinguished name's first component, its escapes (\, and \2C) undone.
QString firstRdnValue(const QString &dn)
{
    const QByteArray bytes = dn.toUtf8();
    QByteArray value;
    for (qsizetype i = bytes.indexOf('=') + 1; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == ',' || c == '+')
            break;
        const QByteArray hex = bytes.mid(i + 1, 2);
        if (c != '\\') {
            value += c;
        } else if (hex.size() == 2 && std::isxdigit(uchar(hex[0])) &&
                   std::isxdigit(uchar(hex[1]))) {
            value += char(hex.toInt(nullptr, 16));
            i += 2;
        } else if (++i < bytes.size()) {
            value += bytes[i];
        }
    }
    return QString::fromUtf8(value);
}

// The entries of slapcat's unwrapped LDIF by mailNickName: the first component's value of
// the entry's name, and its cn.
QMap<QString, QPair<QString, QString>> entriesByAlias(const QByteArray &ldif)
{
    QMap<QString, QPair<QString, QString>> entries;
    QMap<QByteArray, QString> values; // the entry's first of each attribute, by lower-case name
    const QList<QByteArray> lines = ldif.split('\n') << QByteArray();
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (line.isEmpty() && values.contains("mailnickname"))
            entries.insert(values.value("mailnickname"),
                           {firstRdnValue(values.value("dn")), values.value("cn")});
        if (line.isEmpty())
            values.clear();
        if (colon <= 0)
            continue;
        const bool base64 = line.mid(colon + 1).startsWith(':');
        QByteArray raw = line.mid(colon + (base64 ? 2 : 1));
        while (raw.startsWith(' '))
            raw.remove(0, 1);
        const QByteArray key = line.left(colon).toLower();
        if (!values.contains(key))
            values.insert(key, QString::fromUtf8(base64 ? QByteArray::fromBase64(raw) : raw));
    }
    return entries;
}

// Everything a listener heard since the last call: the number of connections and the bytes.
QPair<int, QByteArray> heardBy(QTcpServer &listener)
{
    QPair<int, QByteArray> heard;
    while (listener.waitForNewConnection(100)) {
        while (QTcpSocket *socket = listener.nextPendingConnection()) {
            ++heard.first;
            socket->waitForReadyRead(200);
            heard.second += socket->readAll();
            delete socket;
        }
    }
    return heard;
}

// A TCP listener on 127.0.0.1 with a queue of one, filled by a connection of its own.
struct FullListener
{
    int listener = -1;
    int filler = -1;
    quint16 listen()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::listen(listener, 0) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return 0;
        filler = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(filler, reinterpret_cast<sockaddr *>(&address), length) != 0)
            return 0;
        return ntohs(address.sin_port);
    }
    ~FullListener()
    {
        for (int fd : {filler, listener})
            if (fd >= 0)
                ::close(fd);
    }
};

} // namespace

class TestLdapDirectory : public QObject
{
    Q_OBJECT

    std::unique_ptr<Organization> m_demo;
    std::unique_ptr<Organization> m_large;
    // A port on the server's host where no directory answers: it accepts and stays silent.
    QTcpServer m_silent;
    QMap<QString, QPair<QString, QString>> m_catalogued; // of hostile names, by alias

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
        // As kestrelon-setup does: a connection the server closed is an error, not a signal.
        std::signal(SIGPIPE, SIG_IGN);
        m_demo = std::make_unique<Organization>(DirectoryComparison::demoScenario());
        QVERIFY(m_silent.listen(QHostAddress::LocalHost));
        // Referrals to a second naming context of the same server, spelt with another host
        // name, and two to the silent port.
        QByteArray referrals;
        for (const auto &[cn, url] :
             {std::pair{"Partner", QStringLiteral("ldap://localhost:%1/DC=partner,DC=example")
                                       .arg(m_demo->server.port())},
              std::pair{"Elsewhere", QStringLiteral("ldap://127.0.0.1:%1/DC=elsewhere,DC=example")
                                         .arg(m_silent.serverPort())},
              std::pair{"Elsewhere Too", QStringLiteral("ldap://127.0.0.1:%1/DC=too,DC=example")
                                             .arg(m_silent.serverPort())}})
            referrals += QStringLiteral("dn: CN=%1,%2\nobjectClass: referral\n"
                                        "objectClass: extensibleObject\ncn: %1\nref: %3\n\n")
                             .arg(QLatin1String(cn), suffix, url)
                             .toUtf8();
        m_demo->start(referrals, QStringLiteral("DC=partner,DC=example"),
                      "dn: DC=partner,DC=example\nobjectClass: domain\ndc: partner\n\n"
                      "dn: CN=Pat Partner,DC=partner,DC=example\nobjectClass: contact\n"
                      "cn: Pat Partner\nsn: Partner\nmail: pat@partner.example\n",
                      true);
    }

    void sameRowsAsLab_data() { addQueryRows(); }

    void sameRowsAsLab()
    {
        QFETCH(bool, large);
        Organization &organization = large ? this->large() : *m_demo;
        compareQueryRow(*organization.labPlatform, *organization.ldapPlatform);
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
        compareWindows(*m_demo->labPlatform, *m_demo->ldapPlatform, showDisabled);
    }

    void referrals_data()
    {
        QTest::addColumn<QString>("hosts"); // referralHosts
        QTest::addColumn<bool>("tls");
        QTest::addColumn<int>("chase");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("notices"); // each names its referral
        QTest::addColumn<int>(
            "heard"); // at the silent port: 0 nothing, 1 no secret, 2 the password
        const QString partner = QStringLiteral("localhost:%1").arg(m_demo->server.port());
        const QString silent = QStringLiteral("127.0.0.1:%1").arg(m_silent.serverPort());
        // slapd names the scope of each search reference.
        const QString skipped = QStringLiteral("The referral to ldap://%1/DC=%2,DC=example??sub "
                                               "was skipped");
        const QString lost =
            QStringLiteral("The referral to ldap://%1/DC=elsewhere,DC=example??sub "
                           "could not be followed");
        const QStringList pat{QStringLiteral("Pat Partner")};
        QTest::newRow("not followed")
            << QString() << false << 0 << QStringList() << QStringList() << 0;
        QTest::newRow("hosts not named: skipped")
            << QString() << false << 96 << QStringList()
            << QStringList{skipped.arg(partner, QStringLiteral("partner")),
                           skipped.arg(silent, QStringLiteral("elsewhere")),
                           skipped.arg(silent, QStringLiteral("too"))}
            << 0;
        QTest::newRow("named host followed")
            << partner << false << 96 << pat
            << QStringList{skipped.arg(silent, QStringLiteral("elsewhere")),
                           skipped.arg(silent, QStringLiteral("too"))}
            << 0;
        QTest::newRow("silent host: said once, the rest read")
            << partner + u',' + silent << false << 96 << pat << QStringList{lost.arg(silent)} << 2;
        QTest::newRow("after TLS only TLS")
            << partner + u' ' + silent << true << 96 << pat << QStringList{lost.arg(silent)} << 1;
    }

    // The account signs in only where the configuration allows it, never with less
    // protection than the configured server's; what is missing is said once in the log.
    void referrals()
    {
        QFETCH(QString, hosts);
        QFETCH(bool, tls);
        QFETCH(int, chase);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, notices);
        QFETCH(int, heard);
        heardBy(m_silent);
        auto platform = m_demo->platformWith(
            QStringLiteral("Administrator"), QString(),
            QStringLiteral("referralHosts=\"%1\"\n").arg(hosts) +
                (tls ? QStringLiteral("startTls=true\ncaFile=%1\n").arg(m_demo->server.caFile())
                     : QString()));
        RecordingScreen screen;
        InstallForm form(*platform, screen);
        form.onLoad();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(rowsOf(form.environment.directoryConnection(),
                        QStringLiteral("SELECT cn FROM 'GC://%1' WHERE mail='pat@partner.example'")
                            .arg(gcHost),
                        {{QStringLiteral("Chase Referrals"), chase}}),
                 rows);
        // Each silent referral waits the configured second at most.
        QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
        const QString log = form.errorLogEdit.text();
        QCOMPARE(log.count(QLatin1String(" - ERROR: ")), notices.size());
        for (const QString &notice : notices)
            QVERIFY2(log.contains(notice, Qt::CaseInsensitive), qPrintable(log));
        const auto [connections, bytes] = heardBy(m_silent);
        QCOMPARE(connections > 0, heard > 0);
        QCOMPARE(bytes.contains(SlapdServer::password().toUtf8()), heard == 2);
        QCOMPARE(bytes.contains(m_demo->server.adminDn().toUtf8()), heard == 2);
    }

    void tracesSearchesWithoutPassword()
    {
        static QStringList messages;
        messages.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("kestrelon.ldap.debug=true"));
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { messages << text; });
        const QStringList rows =
            rowsOf(*opened(*m_demo->ldapPlatform),
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

    void serverStoppedMidWalk()
    {
        Organization &organization = large();
        auto directory = opened(*organization.ldapPlatform);
        const QString query =
            QStringLiteral("SELECT cn FROM 'GC://%1' WHERE MsExchMailboxGuid='*'").arg(gcHost);
        auto rows = directory->execute(query, pagedSearch());
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
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("lines"); // more [directory] settings
        QTest::addColumn<QString>("environment");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("output");
        const QString silent = QStringLiteral("127.0.0.1:%1").arg(m_silent.serverPort());
        const QStringList found{QStringLiteral("GC://") + gcHost,
                                QStringLiteral("Domain: corp.example.local"),
                                QStringLiteral("Mailboxes in the directory: 18")};
        QTest::newRow("check") << QStringLiteral("--check-directory") << QString() << QString()
                               << QString() << 0 << found;
        QTest::newRow("check, referral unreachable")
            << QStringLiteral("--check-directory") << QString()
            << QStringLiteral("referralHosts=%1\n").arg(silent) << QString() << 0
            << found + QStringList{QStringLiteral("Warning: %1: The referral to ldap://%2/DC="
                                                  "elsewhere,DC=example??sub could not be followed")
                                       .arg(m_demo->server.uri(), silent)};
        QTest::newRow("check, certificate checks not weakened")
            << QStringLiteral("--check-directory") << QString()
            << QStringLiteral("startTls=true\ncaFile=%1\n").arg(m_demo->server.otherCaFile())
            << QStringLiteral("LDAPTLS_REQCERT=never") << 3
            << QStringList{QStringLiteral("against the CA file ") + m_demo->server.otherCaFile()};
        QTest::newRow("batch, server gone")
            << QStringLiteral("-b") << QStringLiteral("ldap://127.0.0.1:9") << QString()
            << QString() << 3
            << QStringList{QStringLiteral("run-time error -2147016646"),
                           QStringLiteral("ldap://127.0.0.1:9")};
    }

    void setupProgram()
    {
        QFETCH(QString, argument);
        QFETCH(QString, uri);
        QFETCH(QString, lines);
        QFETCH(QString, environment);
        QFETCH(int, status);
        QFETCH(QStringList, output);
        QProcess program;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(QStringLiteral("KESTRELON_CONFIG"),
                         m_demo->configFile(QStringLiteral("Administrator"), uri, lines));
        if (!environment.isEmpty())
            variables.insert(environment.section(u'=', 0, 0), environment.section(u'=', 1));
        program.setProcessEnvironment(variables);
        program.start(qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-setup"),
                      {argument});
        QVERIFY(program.waitForFinished(30000));
        const QString text =
            QString::fromLocal8Bit(program.readAll() + program.readAllStandardError());
        QCOMPARE(program.exitCode(), status);
        for (const QString &line : output)
            QVERIFY2(text.contains(line, Qt::CaseInsensitive), qPrintable(text));
    }

    void startUpFailures_data()
    {
        QTest::addColumn<QString>("user");
        // 0 slapd, 1 nothing listens, 2 never answers, 3 never completes the connection
        QTest::addColumn<int>("server");
        QTest::addColumn<QString>("lines"); // more [directory] settings
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("apostrophe in the account")
            << QStringLiteral("O'Brien") << 0 << QString() << platform::error::QuerySyntax
            << QStringList{QStringLiteral("O'Brien")};
        QTest::newRow("nothing listens") << QStringLiteral("Administrator") << 1 << QString()
                                         << platform::error::ServerUnreachable
                                         << QStringList{QStringLiteral("ldap://127.0.0.1:")};
        QTest::newRow("never answers")
            << QStringLiteral("Administrator") << 2 << QString() << qint32(0x800705B4u)
            << QStringList{QStringLiteral("ldap://127.0.0.1:")};
        QTest::newRow("connection never completes")
            << QStringLiteral("Administrator") << 3 << QString() << qint32(0x800705B4u)
            << QStringList{QStringLiteral("ldap://127.0.0.1:")};
        QTest::newRow("certificate of another CA")
            << QStringLiteral("Administrator") << 0
            << QStringLiteral("startTls=true\ncaFile=%1\n").arg(m_demo->server.otherCaFile())
            << platform::error::ServerUnreachable
            << QStringList{QStringLiteral("starting TLS"),
                           QStringLiteral("against the CA file ") + m_demo->server.otherCaFile(),
                           QStringLiteral("untrusted")};
    }

    // Start-up and the cluster lookup, which have no trap of their own: a clean error that
    // names the cause, within the configured time-out of 1 s.
    void startUpFailures()
    {
        QFETCH(QString, user);
        QFETCH(int, server);
        QFETCH(QString, lines);
        QFETCH(qint32, number);
        QFETCH(QStringList, named);
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        quint16 port = silent.serverPort();
        // A listener whose queue of one is full: the kernel drops the next connection's SYN.
        FullListener full;
        if (server == 3)
            QVERIFY((port = full.listen()) != 0);
        const QString uri = QStringLiteral("ldap://127.0.0.1:%1").arg(port);
        if (server == 1)
            silent.close();
        auto configured = m_demo->platformWith(user, server == 0 ? QString() : uri, lines);
        RecordingScreen screen;
        InstallForm form(*configured, screen);
        QElapsedTimer clock;
        clock.start();
        const platform::PlatformError error = failureOf([&] {
            form.onLoad();
            form.environment.findClusterName();
        });
        // Waiting on a server that does not answer, the window's events keep running.
        if (server >= 2)
            QVERIFY2(screen.eventsLetThrough >= 5,
                     qPrintable(QString::number(screen.eventsLetThrough)));
        QCOMPARE(error.number, number);
        for (const QString &text : named)
            QVERIFY2(error.description.contains(text), qPrintable(error.description));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

    // A server that stops answering after sign-in: the configured second bounds the wait,
    // whatever the query asks for, and the window's events run meanwhile.
    void stalledServer()
    {
        auto platform = m_demo->platformWith();
        RecordingScreen screen;
        InstallForm form(*platform, screen);
        form.onLoad();
        m_demo->server.pause(true);
        const auto resume = qScopeGuard([&] { m_demo->server.pause(false); });
        const int before = screen.eventsLetThrough;
        QElapsedTimer clock;
        clock.start();
        const platform::PlatformError error = failureOf([&] {
            rowsOf(form.environment.directoryConnection(),
                   QStringLiteral("SELECT cn FROM 'GC://%1' WHERE cn='*'").arg(gcHost),
                   {{QStringLiteral("Timeout"), 120}});
        });
        QCOMPARE(error.number, qint32(0x800705B4u));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(screen.eventsLetThrough - before >= 5,
                 qPrintable(QString::number(screen.eventsLetThrough - before)));
    }

    void namesThroughSlapaddAndSlapcat_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : hostileNames())
            QTest::newRow(qPrintable(name)) << name;
    }

    // Users' names go out through export-ldif into slapd's database and come back unchanged,
    // as the entry's name and as its cn.
    void namesThroughSlapaddAndSlapcat()
    {
        QFETCH(QString, name);
        if (m_catalogued.isEmpty()) {
            lab::Scenario scenario = lab::demoScenario();
            for (qsizetype i = 0; i < hostileNames().size(); ++i) {
                lab::MailboxUser user;
                user.cn = hostileNames()[i];
                user.alias = QStringLiteral("hostile%1").arg(i);
                user.mail = user.alias + QStringLiteral("@corp.example.local");
                user.homeServer = lab::homeServerValue(QStringLiteral("EXCH01"));
                lab::addMailboxUser(scenario, user);
            }
            Organization names(scenario);
            QVERIFY2(names.server.addLab(labTool, names.labPath) && names.server.load(),
                     qPrintable(names.server.failure()));
            m_catalogued = entriesByAlias(names.server.catalog(suffix));
        }
        const auto [rdn, cn] =
            m_catalogued.value(QStringLiteral("hostile%1").arg(hostileNames().indexOf(name)));
        QCOMPARE(rdn, name);
        QCOMPARE(cn, name);
    }
};

QTEST_GUILESS_MAIN(TestLdapDirectory)
#include "tst_ldapdirectory.moc"

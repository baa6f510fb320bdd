// The ldap directory backend against a real Active Directory domain controller (Samba)
// serving the lab's organization: the same rows as the lab, over the catalog's TLS ports;
// what the server refuses is said with the remedy or the server's own words; continuation
// references from the forest root follow the referral rules.

#include "directorycomparison.h"
#include "platform/configuredplatform.h"
#include "platform/lab/labfile.h"
#include "platform/platformerror.h"
#include "sambaserver.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"
#include "support/labfixture.h"

#include <QtTest>

using namespace DirectoryComparison;

namespace {

const QString labTool = qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-lab");

} // namespace

class TestSambaDirectory : public QObject
{
    Q_OBJECT

public:
    explicit TestSambaDirectory(const QString &withoutNetwork) : m_withoutNetwork(withoutNetwork) {}

private:
    const QString m_withoutNetwork; // why the process has no network of its own, if it has not
    QTemporaryDir m_dir;
    SambaServer m_server;
    QString m_labs[2]; // the demo's, the generated organization's
    int m_loaded = -1; // which of them the server holds
    QStringList m_notices;
    int m_configs = 0;

    QString writeFile(const QString &name, const QByteArray &content)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
            file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    // The server holding the demo (0) or the generated organization (1).
    bool load(int lab)
    {
        if (m_loaded == lab)
            return true;
        // The demo goes in as an administrator would add it; the generated organization,
        // thousands of entries, offline.
        if (m_loaded < 0 && lab == 0 ? !m_server.addLab(labTool, m_labs[lab])
                                     : !m_server.reset(labTool, m_labs[lab]))
            return false;
        m_loaded = lab;
        return true;
    }

    QString trusted() const { return QStringLiteral("caFile=%1\n").arg(m_server.caFile()); }

    // The server's directory over the lab it holds, as EXCH01 signed in as the administrator,
    // by default through the catalog's TLS port; what the directory leaves out goes to
    // m_notices.
    std::unique_ptr<platform::Platform> platformWith(const QString &uri = {},
                                                     const QString &lines = {},
                                                     const QString &passwordFile = {})
    {
        const QString config =
            QStringLiteral("[lab]\nfile=%1\n[directory]\nbackend=ldap\nuri=%2\nbindDn=\"%3\"\n"
                           "passwordFile=%4\ntimeout=10\n%5[machine]\ncomputerName=EXCH01\n"
                           "userName=Administrator\n")
                .arg(m_labs[m_loaded],
                     uri.isEmpty() ? QStringLiteral("ldaps://%1:3269").arg(gcHost) : uri,
                     SambaServer::adminDn(),
                     passwordFile.isEmpty() ? m_server.passwordFile() : passwordFile,
                     uri.isEmpty() ? trusted() : lines);
        auto configured = platform::createConfiguredPlatform(
            platform::readServerConfig(
                writeFile(QStringLiteral("config%1.ini").arg(++m_configs), config.toUtf8())),
            lab::openLab(m_labs[m_loaded]));
        platform::setDirectoryHooks(*configured,
                                    {nullptr, [this](const QString &, qint32, const QString &text) {
                                         m_notices << text;
                                     }});
        return configured;
    }

private slots:
    void initTestCase()
    {
        if (!m_withoutNetwork.isEmpty())
            QSKIP(qPrintable(QStringLiteral("Samba's ports are fixed, so it runs only in a "
                                            "network namespace of the test's own: ") +
                             m_withoutNetwork));
        m_labs[0] = m_dir.filePath(QStringLiteral("demo.sqlite"));
        m_labs[1] = m_dir.filePath(QStringLiteral("large.sqlite"));
        lab::createLab(m_labs[0], DirectoryComparison::demoScenario());
        lab::createLab(m_labs[1], lab::generatedScenario(2500, 7));
        QVERIFY2(m_server.start() && load(0), qPrintable(m_server.failure()));
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
        QVERIFY2(load(0), qPrintable(m_server.failure()));
        compareWindows(*lab::openLab(m_labs[0]), *platformWith(), showDisabled);
    }

    void connections_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("lines"); // more [directory] settings
        QTest::addColumn<bool>("wrongPassword");
        QTest::addColumn<qint32>("number"); // 0: signed in
        QTest::addColumn<QStringList>("said");
        const QString catalog = QStringLiteral("ldap://%1:3268").arg(gcHost);
        QTest::newRow("ldaps, catalog") << QStringLiteral("ldaps://%1:3269").arg(gcHost)
                                        << trusted() << false << 0 << QStringList();
        QTest::newRow("StartTLS, catalog")
            << catalog << trusted() + QStringLiteral("startTls=true\n") << false << 0
            << QStringList();
        QTest::newRow("ldaps, domain")
            << QStringLiteral("ldaps://%1").arg(gcHost) << trusted() << false << 0 << QStringList();
        QTest::newRow("plain LDAP refused")
            << catalog << QString() << false << qint32(0x80072028u)
            << QStringList{QStringLiteral("Transport encryption required"),
                           QStringLiteral("use an ldaps:// address, or startTls=true")};
        QTest::newRow("wrong password")
            << QStringLiteral("ldaps://%1:3269").arg(gcHost) << trusted() << true
            << qint32(0x8007052Eu)
            << QStringList{QStringLiteral("AcceptSecurityContext error, data 52e")};
        QTest::newRow("certificate of another CA")
            << QStringLiteral("ldaps://%1:3269").arg(gcHost)
            << QStringLiteral("caFile=%1\n").arg(m_server.otherCaFile()) << false
            << platform::error::ServerUnreachable
            << QStringList{QStringLiteral("against the CA file ") + m_server.otherCaFile()};
    }

    // The catalog over TLS either way signs in and answers; what the server refuses is
    // said with the remedy, or in the server's own words.
    void connections()
    {
        QFETCH(QString, uri);
        QFETCH(QString, lines);
        QFETCH(bool, wrongPassword);
        QFETCH(qint32, number);
        QFETCH(QStringList, said);
        QVERIFY2(load(0), qPrintable(m_server.failure()));
        auto platform = platformWith(
            uri, lines,
            wrongPassword ? writeFile(QStringLiteral("wrong.pw"), "not-the-password") : QString());
        RecordingScreen screen;
        InstallForm form(*platform, screen);
        try {
            form.onLoad();
            QCOMPARE(rowsOf(form.environment.directoryConnection(),
                            QStringLiteral("SELECT cn FROM 'GC://%1' WHERE mailNickName='aarcher'")
                                .arg(gcHost)),
                     QStringList{QStringLiteral("Alice Archer")});
            QCOMPARE(0, number);
        } catch (const platform::PlatformError &error) {
            QCOMPARE(error.number, number);
            for (const QString &text : said)
                QVERIFY2(error.description.contains(text), qPrintable(error.description));
            QFile password(m_server.passwordFile());
            QVERIFY(password.open(QIODevice::ReadOnly));
            QVERIFY(!error.description.contains(QString::fromUtf8(password.readAll())));
        }
    }

    void referralsFromForestRoot_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("hosts"); // referralHosts
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("notice");
        const QString domainPort = QStringLiteral("ldaps://%1").arg(gcHost);
        const QStringList store{QStringLiteral("Mailbox Store (EXCH01)")};
        const QString referral =
            QStringLiteral("The referral to ldaps://corp.example.local/CN=Configuration,") + suffix;
        QTest::newRow("host not named: skipped") << domainPort << QString() << QStringList()
                                                 << referral + QStringLiteral(" was skipped");
        QTest::newRow("host named: followed")
            << domainPort << QStringLiteral("corp.example.local") << store << QString();
        QTest::newRow("the catalog holds the forest")
            << QStringLiteral("ldaps://%1:3269").arg(gcHost) << QString() << store << QString();
    }

    // A domain controller's own port answers a search of the whole domain with a
    // continuation reference to the configuration, which holds the mailbox stores; the
    // global catalog holds the forest and needs none.
    void referralsFromForestRoot()
    {
        QFETCH(QString, uri);
        QFETCH(QString, hosts);
        QFETCH(QStringList, rows);
        QFETCH(QString, notice);
        QVERIFY2(load(0), qPrintable(m_server.failure()));
        m_notices.clear();
        auto platform =
            platformWith(uri, trusted() + QStringLiteral("referralHosts=%1\n").arg(hosts));
        QCOMPARE(rowsOf(*opened(*platform),
                        QStringLiteral("SELECT cn FROM 'GC://%1' WHERE cn='Mailbox Store (EXCH01)'")
                            .arg(gcHost)),
                 rows);
        QCOMPARE(m_notices.size(), notice.isEmpty() ? 0 : 1);
        if (!notice.isEmpty())
            QVERIFY2(m_notices.first().contains(notice), qPrintable(m_notices.first()));
    }

    void sameRowsAsLab_data() { addQueryRows(); }

    // Last, as the generated organization takes the demo's place on the server.
    void sameRowsAsLab()
    {
        QFETCH(bool, large);
        QVERIFY2(load(large ? 1 : 0), qPrintable(m_server.failure()));
        compareQueryRow(*lab::openLab(m_labs[m_loaded]), *platformWith());
    }
};

int main(int argc, char *argv[])
{
    // Before Qt starts any thread: namespaces are entered by the calling thread alone.
    const QString withoutNetwork = SambaServer::enterPrivateNetwork();
    QCoreApplication app(argc, argv);
    TestSambaDirectory test(withoutNetwork);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sambadirectory.moc"

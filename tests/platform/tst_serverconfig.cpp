// The server configuration file: what a good one gives, and that every bad setting is
// refused with the file and key named.

#include "platform/platformerror.h"
#include "platform/serverconfig.h"
#include "support/datarow.h"

#include <QtTest>

class TestServerConfig : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    QString write(const QString &name, const QByteArray &content,
                  QFileDevice::Permissions others = {})
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | others);
        return path;
    }

private slots:
    // The password files the settings below name.
    void initTestCase()
    {
        write("good.pw", "s3cret\n");
        write("shared.pw", "s3cret", QFileDevice::ReadOther);
        write("group.pw", "s3cret", QFileDevice::ReadGroup);
        write("writable.pw", "s3cret", QFileDevice::WriteGroup);
        write("empty.pw", "\n");
        write("two.pw", "s3cret\nand more\n");
        write("large.pw", QByteArray(1025, 'x'));
    }

    void goodFile()
    {
        const platform::ServerConfig config = platform::readServerConfig(write(
            QStringLiteral("good.ini"),
            "[lab]\nfile=labs/my.sqlite\n"
            "[directory]  ; the real one\nbackend=LDAP\nuri=ldaps://dc1.corp.example.com:636\n"
            "bindDn=CN=svc,CN=Users,DC=corp,DC=example,DC=com   ; a service account\n"
            "passwordFile=good.pw\nbaseDn=\ntimeout=7\n"
            "[store]\nbackend=WebDAV\nbaseUrl=https://mail.corp.example.com:8443/dav\n"
            "user=svc-store\npasswordFile=good.pw\ntimeout=9\n"
            "[machine]\ncomputerName=EXCH01\nclusterNode=yes\nuserName=\"CORP\\\\admin\"\n"));
        QVERIFY(config.directory);
        const ldapbackend::LdapSettings &directory = *config.directory;
        QCOMPARE(config.labFile, m_dir.filePath(QStringLiteral("labs/my.sqlite")));
        QCOMPARE(directory.uri, QStringLiteral("ldaps://dc1.corp.example.com:636"));
        QCOMPARE(directory.bindDn, QStringLiteral("CN=svc,CN=Users,DC=corp,DC=example,DC=com"));
        QCOMPARE(directory.password, QStringLiteral("s3cret"));
        QCOMPARE(directory.baseDn, std::optional<QString>(QString()));
        QCOMPARE(directory.timeoutSeconds, 7);
        QCOMPARE(config.machine.computerName, std::optional<QString>(QStringLiteral("EXCH01")));
        QCOMPARE(config.machine.clusterNode, std::optional<bool>(true));
        QCOMPARE(config.machine.userName, std::optional<QString>(QStringLiteral("CORP\\admin")));
        QVERIFY(!config.machine.domainDnsName);
        QVERIFY(config.store);
        QCOMPARE(config.store->baseUrl, QStringLiteral("https://mail.corp.example.com:8443/dav"));
        QCOMPARE(config.store->user, QStringLiteral("svc-store"));
        QCOMPARE(config.store->password, QStringLiteral("s3cret"));
        QCOMPARE(config.store->timeoutSeconds, 9);
        QVERIFY(!config.store->allowPlainHttp);
    }

    void badSetting_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fault");
        const QByteArray ldap = "[directory]\nbackend=ldap\nuri=ldap://dc1\n";
        const QByteArray bind = ldap + "bindDn=CN=svc\n";
        const QByteArray dav = "[store]\nbackend=webdav\n";
        const QByteArray davUser = dav + "baseUrl=http://x\nuser=svc\n";
        const auto bad = [](const char *tag, const QByteArray &content, const char *fault) {
            row(tag, content, QString::fromUtf8(fault));
        };
        bad("unknown key", ldap + "bindDN=x\n", "[directory] bindDN: unknown key");
        bad("unknown section", "[dircetory]\nbackend=ldap\n", "[dircetory]: unknown section");
        bad("unknown backend", "[directory]\nbackend=ad\n", "directory/backend: \"ad\"");
        bad("no address", "[directory]\nbackend=ldap\n", "directory/uri: missing");
        bad("not ldap", "[directory]\nbackend=ldap\nuri=http://dc1\n",
            "directory/uri: \"http://dc1\"");
        bad("TLS twice", "[directory]\nbackend=ldap\nuri=ldaps://dc1\nstartTls=true\n",
            "directory/startTls");
        bad("no seconds", ldap + "timeout=0\n", "directory/timeout");
        bad("referral host as an address", ldap + "referralHosts=\"dc2, ldap://dc3\"\n",
            "directory/referralHosts: \"ldap://dc3\" is not a host");
        bad("name without password", bind, "directory/bindDn: needs passwordFile");
        bad("password readable by the group", bind + "passwordFile=group.pw\n",
            "can be read by other users");
        // Between two contents of one size: QSettings would take the second, written in the
        // same second, from its cache of the first.
        bad("referral host's port too large", ldap + "referralHosts=dc2:65536\n",
            "directory/referralHosts: \"dc2:65536\"");
        bad("empty password", bind + "passwordFile=empty.pw\n", "empty.pw is empty");
        bad("password others may change", bind + "passwordFile=writable.pw\n",
            "writable.pw can be changed by other users");
        bad("password of two lines", bind + "passwordFile=two.pw\n",
            "two.pw holds more than one line");
        bad("password file too large", bind + "passwordFile=large.pw\n",
            "large.pw is larger than 1024 bytes");
        bad("backslash unquoted", "[machine]\nlanGroup=CORP\\admin\n",
            "machine/lanGroup: holds a control");
        bad("not a flag", "[machine]\nclusterNode=maybe\n", "machine/clusterNode: \"maybe\"");
        bad("store: unknown key", dav + "url=https://x\n", "[store] url: unknown key");
        bad("store: unknown backend", "[store]\nbackend=imap\n", "store/backend: \"imap\"");
        bad("store: not http", dav + "baseUrl=ftp://x\n", "store/baseUrl: \"ftp://x\"");
        bad("store: account in the address", dav + "baseUrl=https://svc:pw@x\n", "store/baseUrl");
        bad("store: user without password", dav + "baseUrl=https://x\nuser=svc\n",
            "store/user: needs passwordFile");
        bad("store: password readable by others",
            dav + "baseUrl=https://x\nuser=svc\npasswordFile=shared.pw\n",
            "can be read by other users");
        bad("store: empty password", davUser + "passwordFile=empty.pw\n", "empty.pw is empty");
        bad("store: password over http", davUser + "passwordFile=good.pw\n",
            "store/user: the password would travel readable");
        bad("store: no seconds", dav + "timeout=-1\n", "store/timeout");
        bad("key given twice", "[machine]\nlanGroup=A\n\nLANGROUP=B\n",
            "line 4: [machine] LANGROUP is given twice");
        bad("line without =", "[machine]\nlanGroup CORP\n",
            "line 2: \"lanGroup CORP\" is no setting");
        bad("nothing set", "; only a comment\n\n", "no setting in the file");
    }

    void badSetting()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fault);
        // A file of its own per row: QSettings keeps what it read of a path, and a rewrite
        // of the same size within its clock's step looks unchanged to it.
        const QString path = write(QStringLiteral("bad%1.ini").arg(++m_files), content);
        try {
            platform::readServerConfig(path);
            QFAIL("the bad setting was taken");
        } catch (const platform::PlatformError &error) {
            QVERIFY2(error.description.startsWith(path) && error.description.contains(fault),
                     qPrintable(error.description));
        }
    }
};

QTEST_GUILESS_MAIN(TestServerConfig)
#include "tst_serverconfig.moc"

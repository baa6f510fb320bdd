// The server configuration file: what a good one gives, and that every bad setting is
// refused with the file and key named.

#include "platform/platformerror.h"
#include "platform/serverconfig.h"

#include <QtTest>

class TestServerConfig : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &content,
                  QFileDevice::Permissions permissions = QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
        file.close();
        file.setPermissions(permissions);
        return path;
    }

private slots:
    void goodFile()
    {
        write(QStringLiteral("good.pw"), "s3cret\n");
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
        QTest::newRow("unknown key") << ldap + "bindDN=x\n"
                                     << QStringLiteral("[directory] bindDN: unknown key");
        QTest::newRow("unknown section") << QByteArray("[dircetory]\nbackend=ldap\n")
                                         << QStringLiteral("[dircetory]: unknown section");
        QTest::newRow("unknown backend") << QByteArray("[directory]\nbackend=ad\n")
                                         << QStringLiteral("directory/backend: \"ad\"");
        QTest::newRow("no address") << QByteArray("[directory]\nbackend=ldap\n")
                                    << QStringLiteral("directory/uri: missing");
        QTest::newRow("not ldap") << QByteArray("[directory]\nbackend=ldap\nuri=http://dc1\n")
                                  << QStringLiteral("directory/uri: \"http://dc1\"");
        QTest::newRow("TLS twice")
            << QByteArray("[directory]\nbackend=ldap\nuri=ldaps://dc1\nstartTls=true\n")
            << QStringLiteral("directory/startTls");
        QTest::newRow("no seconds") << ldap + "timeout=0\n" << QStringLiteral("directory/timeout");
        QTest::newRow("referral host as an address")
            << ldap + "referralHosts=\"dc2, ldap://dc3\"\n"
            << QStringLiteral("directory/referralHosts: \"ldap://dc3\" is not a host");
        QTest::newRow("referral host's port too large")
            << ldap + "referralHosts=dc2:65536\n"
            << QStringLiteral("directory/referralHosts: \"dc2:65536\"");
        QTest::newRow("name without password")
            << ldap + "bindDn=CN=svc\n"
            << QStringLiteral("directory/bindDn: needs passwordFile");
        QTest::newRow("password readable by the group")
            << ldap + "bindDn=CN=svc\npasswordFile=group.pw\n"
            << QStringLiteral("can be read by other users");
        QTest::newRow("empty password") << ldap + "bindDn=CN=svc\npasswordFile=empty.pw\n"
                                        << QStringLiteral("empty.pw is empty");
        QTest::newRow("backslash unquoted") << QByteArray("[machine]\nlanGroup=CORP\\admin\n")
                                            << QStringLiteral("machine/lanGroup: holds a control");
        const QByteArray dav = "[store]\nbackend=webdav\n";
        QTest::newRow("store: unknown key") << dav + "url=https://x\n"
                                            << QStringLiteral("[store] url: unknown key");
        QTest::newRow("store: unknown backend")
            << QByteArray("[store]\nbackend=imap\n") << QStringLiteral("store/backend: \"imap\"");
        QTest::newRow("store: not http") << dav + "baseUrl=ftp://x\n"
                                         << QStringLiteral("store/baseUrl: \"ftp://x\"");
        QTest::newRow("store: account in the address") << dav + "baseUrl=https://svc:pw@x\n"
                                                       << QStringLiteral("store/baseUrl");
        QTest::newRow("store: user without password")
            << dav + "baseUrl=https://x\nuser=svc\n"
            << QStringLiteral("store/user: needs passwordFile");
        QTest::newRow("store: password readable by others")
            << dav + "baseUrl=https://x\nuser=svc\npasswordFile=shared.pw\n"
            << QStringLiteral("can be read by other users");
        QTest::newRow("store: empty password")
            << dav + "baseUrl=http://x\nuser=svc\npasswordFile=empty.pw\n"
            << QStringLiteral("empty.pw is empty");
        QTest::newRow("store: password over http")
            << dav + "baseUrl=http://x\nuser=svc\npasswordFile=good.pw\n"
            << QStringLiteral("store/user: the password would travel readable");
        QTest::newRow("store: no seconds") << dav + "timeout=-1\n"
                                           << QStringLiteral("store/timeout");
        QTest::newRow("key given twice")
            << QByteArray("[machine]\nlanGroup=A\n\nLANGROUP=B\n")
            << QStringLiteral("line 4: [machine] LANGROUP is given twice");
        QTest::newRow("line without =")
            << QByteArray("[machine]\nlanGroup CORP\n")
            << QStringLiteral("line 2: \"lanGroup CORP\" is no setting");
        QTest::newRow("nothing set")
            << QByteArray("; only a comment\n\n") << QStringLiteral("no setting in the file");
        QTest::newRow("password others may change")
            << ldap + "bindDn=CN=svc\npasswordFile=writable.pw\n"
            << QStringLiteral("writable.pw can be changed by other users");
        QTest::newRow("password of two lines") << ldap + "bindDn=CN=svc\npasswordFile=two.pw\n"
                                               << QStringLiteral("two.pw holds more than one line");
        QTest::newRow("password file too large")
            << ldap + "bindDn=CN=svc\npasswordFile=large.pw\n"
            << QStringLiteral("large.pw is larger than 1024 bytes");
        QTest::newRow("not a flag") << QByteArray("[machine]\nclusterNode=maybe\n")
                                    << QStringLiteral("machine/clusterNode: \"maybe\"");
    }

    void badSetting()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fault);
        write(QStringLiteral("shared.pw"), "s3cret",
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        write(QStringLiteral("group.pw"), "s3cret",
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        write(QStringLiteral("empty.pw"), "\n");
        write(QStringLiteral("good.pw"), "s3cret\n");
        write(QStringLiteral("two.pw"), "s3cret\nand more\n");
        write(QStringLiteral("large.pw"), QByteArray(1025, 'x'));
        write(QStringLiteral("writable.pw"), "s3cret",
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::WriteGroup);
        write(QStringLiteral("two.pw"), "s3cret\nand more\n");
        write(QStringLiteral("large.pw"), QByteArray(1025, 'x'));
        write(QStringLiteral("writable.pw"), "s3cret",
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::WriteGroup);
        const QString path = write(QStringLiteral("bad.ini"), content);
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

#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private Samba Active Directory domain controller for tests and benchmarks: provisioned
// in its own folder, serving only LDAP with a certificate of its own CA, its schema extended
// by data/ad/kestrelon-schema.ldif. Samba's ports are fixed (389, 636, 3268, 3269), so it
// runs in the network namespace the process made for itself (enterPrivateNetwork), where
// nothing else listens. It ends when the object goes or the process dies.
class SambaServer
{
public:
    SambaServer();
    ~SambaServer();
    SambaServer(const SambaServer &) = delete;
    SambaServer &operator=(const SambaServer &) = delete;

    // Moves the process, before it starts any thread, into network and mount namespaces of
    // its own: loopback up, and the domain's names (hostName(), domainDnsName()) on
    // 127.0.0.1 in its own /etc/hosts. Empty when done, else why it could not.
    static QString enterPrivateNetwork();

    // Provisions the domain, makes the certificates, starts the server and extends its
    // schema; the state then is kept, for reset().
    bool start();
    // Stops the server, puts the domain back as start() left it, adds the lab's organization
    // when given one (offline, with ldbmodify in one transaction: many times faster than
    // over LDAP), and starts the server again.
    bool reset(const QString &labTool = {}, const QString &labPath = {});
    void stop();
    // The lab's organization through `kestrelon-lab export-ad`, added over TLS with one
    // ldapmodify, as an administrator would.
    bool addLab(const QString &labTool, const QString &labPath);
    // An LDIF of change records, applied by the administrator with ldapmodify over TLS.
    bool modify(const QByteArray &ldif);

    static QString hostName() { return QStringLiteral("dc01.corp.example.local"); }
    static QString domainDnsName() { return QStringLiteral("corp.example.local"); }
    static QString suffix() { return QStringLiteral("DC=corp,DC=example,DC=local"); }
    static QString adminDn() { return QStringLiteral("CN=Administrator,CN=Users,") + suffix(); }
    // A private file with the administrator's password, which provisioning chose.
    QString passwordFile() const;
    // The CA that signed the server's certificate, and one that did not.
    QString caFile() const;
    QString otherCaFile() const;
    // What went wrong when a call answered false.
    const QString &failure() const { return m_failure; }

private:
    bool fail(const QString &what);
    bool run(const QString &program, const QStringList &arguments, const QByteArray &input = {},
             int timeoutMs = 300000);
    bool launch();
    QString exportLab(const QString &labTool, const QString &labPath);

    QTemporaryDir m_dir;
    QProcess m_samba;
    QString m_failure;
    QString m_output; // of the last program run
};

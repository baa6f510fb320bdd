#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private slapd for tests and benchmarks: its own folder, configuration and free port on
// 127.0.0.1, loaded with slapadd before it starts, killed when the object goes. It never
// touches the system's slapd service. Databases only let signed-in accounts read them.
class SlapdServer
{
public:
    SlapdServer();
    ~SlapdServer();
    SlapdServer(const SlapdServer &) = delete;
    SlapdServer &operator=(const SlapdServer &) = delete;

    // A database of its own for a suffix, loaded with the LDIF. Before start(); the first
    // one's suffix names the admin account.
    bool addDatabase(const QString &suffix, const QByteArray &ldif);
    // The lab's directory through `kestrelon-lab export-ldif`, with its root DSE facts, and
    // extra LDIF entries after it.
    bool addLab(const QString &labTool, const QString &labPath,
                const QByteArray &extraEntries = {});

    // Makes a CA and a certificate it signed for 127.0.0.1 and localhost, and serves StartTLS
    // with it. Before start().
    bool enableTls();
    // The CA that signed the server's certificate, and one that did not.
    QString caFile() const;
    QString otherCaFile() const;

    // Loads the databases with slapadd; start() does so when not done yet.
    bool load();
    bool start();
    // Ends the server at once, as a crash or a pulled cable would.
    void kill();
    // Stops and goes on, as a server that hangs would: connections stay open, nothing answers.
    void pause(bool paused);
    // The database of the suffix as slapcat writes it, after load().
    QByteArray catalog(const QString &suffix);

    QString uri() const;
    quint16 port() const { return m_port; }
    // The account that reads every database, and a private file with its password.
    QString adminDn() const { return m_adminDn; }
    QString passwordFile() const;
    static QString password();
    // What went wrong when a call answered false.
    const QString &failure() const { return m_failure; }

private:
    bool fail(const QString &what);
    bool writeConfig();

    QTemporaryDir m_dir;
    quint16 m_port = 0;
    QString m_adminDn;
    QString m_databases; // slapd.conf lines of the databases
    QStringList m_loads; // database suffix, LDIF path, in pairs
    bool m_hasRootDse = false;
    bool m_tls = false;
    bool m_loaded = false;
    QProcess m_slapd;
    QString m_failure;
};

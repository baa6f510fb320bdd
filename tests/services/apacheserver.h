#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private Apache httpd with mod_dav for tests and benchmarks: its own folder, configuration
// and free port on 127.0.0.1, ended when the object goes or the test process dies. It never
// touches the system's apache2 service. It serves documentRoot() at url().
class ApacheServer
{
public:
    ApacheServer();
    ~ApacheServer();
    ApacheServer(const ApacheServer &) = delete;
    ApacheServer &operator=(const ApacheServer &) = delete;

    // Every request must then sign in with this account (HTTP Basic). Before start().
    void requireAccount(const QString &user, const QString &password);
    // Serves https:// with a self-signed certificate for 127.0.0.1, made now. Before start().
    bool enableTls();
    // The certificate, for clients to trust.
    QString certificateFile() const;
    // Lines added at the end of the server's configuration. Before start().
    void addConfig(const QStringList &lines) { m_extraConfig += lines; }
    // A collection below the document root, with its parents, writable by the server.
    bool addCollection(const QString &path);

    bool start();
    // Serves a lab's store: `kestrelon-lab export-dav` (from KESTRELON_BIN) into documentRoot().
    bool exportLab(const QString &labPath);
    // Writes folder/servers.ini: the lab folder/lab.sqlite, the store this server; its path.
    QString writeStoreConfig(const QString &folder) const;
    // Ends the server at once, as a crash or a pulled cable would.
    void kill();

    QString url() const;
    QString documentRoot() const;
    quint16 port() const { return m_port; }
    const QString &failure() const { return m_failure; }

private:
    bool fail(const QString &what);
    bool writeConfig();

    QTemporaryDir m_dir;
    quint16 m_port = 0;
    QString m_account; // "user:{SHA}digest", empty: no sign-in
    bool m_tls = false;
    QStringList m_extraConfig;
    QProcess m_watcher;
    QString m_failure;
};

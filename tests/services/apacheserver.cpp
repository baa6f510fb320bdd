#include "apacheserver.h"

#include <pwd.h>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <unistd.h>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// As root the server drops to www-data, which must own what it writes.
bool handOver(const QString &path)
{
    if (geteuid() != 0)
        return true;
    const passwd *account = getpwnam("www-data");
    return account &&
           chown(QFile::encodeName(path).constData(), account->pw_uid, account->pw_gid) == 0;
}

} // namespace

ApacheServer::ApacheServer() : m_port(freePort())
{
    // The server's account must reach the folders below the private temporary one.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                            QFileDevice::ExeOther);
    QDir(m_dir.path()).mkpath(QStringLiteral("root"));
    QDir(m_dir.path()).mkpath(QStringLiteral("lock"));
    handOver(documentRoot());
    handOver(m_dir.filePath(QStringLiteral("lock")));
}

ApacheServer::~ApacheServer()
{
    kill();
}

bool ApacheServer::fail(const QString &what)
{
    m_failure = what;
    return false;
}

QString ApacheServer::url() const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_tls ? QLatin1String("https") : QLatin1String("http"))
        .arg(m_port);
}

QString ApacheServer::certificateFile() const
{
    return m_dir.filePath(QStringLiteral("cert.pem"));
}

bool ApacheServer::enableTls()
{
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                   QStringLiteral("-keyout"), m_dir.filePath(QStringLiteral("key.pem")),
                   QStringLiteral("-out"), certificateFile()});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
        return fail(QStringLiteral("openssl could not make a certificate: %1")
                        .arg(QString::fromLocal8Bit(openssl.readAll())));
    m_tls = true;
    return true;
}

QString ApacheServer::documentRoot() const
{
    return m_dir.filePath(QStringLiteral("root"));
}

void ApacheServer::requireAccount(const QString &user, const QString &password)
{
    m_account =
        user + QStringLiteral(":{SHA}") +
        QString::fromLatin1(
            QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha1).toBase64());
}

bool ApacheServer::addCollection(const QString &path)
{
    QString folder = documentRoot();
    for (const QString &segment : path.split(u'/', Qt::SkipEmptyParts)) {
        folder += u'/' + segment;
        if (!QDir().mkpath(folder) || !handOver(folder))
            return fail(QStringLiteral("cannot create %1").arg(folder));
    }
    return true;
}

bool ApacheServer::writeConfig()
{
    const QString modules = QStringLiteral("/usr/lib/apache2/modules/");
    QStringList lines{
        QStringLiteral("ServerName 127.0.0.1"),
        QStringLiteral("Listen 127.0.0.1:%1").arg(m_port),
        QStringLiteral("PidFile %1/httpd.pid").arg(m_dir.path()),
        QStringLiteral("DefaultRuntimeDir %1").arg(m_dir.path()),
        QStringLiteral("ErrorLog %1/error.log").arg(m_dir.path()),
        QStringLiteral("TypesConfig /etc/mime.types"),
        QStringLiteral("DavLockDB %1/lock/DavLock").arg(m_dir.path()),
        QStringLiteral("DocumentRoot %1").arg(documentRoot()),
        // One connection however many requests a test or benchmark sends.
        QStringLiteral("MaxKeepAliveRequests 0"),
    };
    if (geteuid() == 0)
        lines << QStringLiteral("User www-data") << QStringLiteral("Group www-data");
    QStringList loaded{QStringLiteral("mpm_event"), QStringLiteral("authz_core"),
                       QStringLiteral("mime"), QStringLiteral("dav"), QStringLiteral("dav_fs")};
    if (m_tls)
        loaded << QStringLiteral("ssl");
    if (!m_account.isEmpty())
        loaded << QStringLiteral("auth_basic") << QStringLiteral("authn_core")
               << QStringLiteral("authn_file") << QStringLiteral("authz_user");
    for (const QString &module : loaded)
        lines << QStringLiteral("LoadModule %1_module %2mod_%1.so").arg(module, modules);
    if (m_tls)
        lines << QStringLiteral("SSLEngine on")
              << QStringLiteral("SSLCertificateFile %1").arg(certificateFile())
              << QStringLiteral("SSLCertificateKeyFile %1")
                     .arg(m_dir.filePath(QStringLiteral("key.pem")));
    lines << QStringLiteral("<Directory %1>").arg(documentRoot()) << QStringLiteral("Dav On");
    if (m_account.isEmpty()) {
        lines << QStringLiteral("Require all granted");
    } else {
        const QString users = m_dir.filePath(QStringLiteral("users"));
        QFile file(users);
        if (!file.open(QIODevice::WriteOnly) || file.write(m_account.toUtf8() + '\n') <= 0)
            return false;
        lines << QStringLiteral("AuthType Basic") << QStringLiteral("AuthName kestrelon")
              << QStringLiteral("AuthUserFile %1").arg(users)
              << QStringLiteral("Require valid-user");
    }
    lines << QStringLiteral("</Directory>") << m_extraConfig;
    QFile config(m_dir.filePath(QStringLiteral("httpd.conf")));
    return config.open(QIODevice::WriteOnly) &&
           config.write((lines.join(u'\n') + u'\n').toUtf8()) > 0;
}

bool ApacheServer::start()
{
    const QString apache = QStandardPaths::findExecutable(
        QStringLiteral("apache2"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (apache.isEmpty())
        return fail(QStringLiteral("apache2 is not installed (scripts/setup.sh installs it)"));
    if (!m_dir.isValid() || !writeConfig())
        return fail(QStringLiteral("cannot write the configuration in %1").arg(m_dir.path()));
    // One process (-X) under a shell that ends it when our end of its input closes: when this
    // object goes, and when the test dies in any way. A death signal would not do: the server
    // loses it when it drops to www-data.
    m_watcher.setProcessChannelMode(QProcess::MergedChannels);
    m_watcher.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("\"$0\" -f \"$1\" -X </dev/null & read line; kill $!; wait $!"),
                     apache, m_dir.filePath(QStringLiteral("httpd.conf"))});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (m_watcher.state() == QProcess::NotRunning)
            break;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(20);
    }
    QFile log(m_dir.filePath(QStringLiteral("error.log")));
    log.open(QIODevice::ReadOnly);
    const QString output = QString::fromLocal8Bit(m_watcher.readAll() + log.readAll());
    kill();
    return fail(QStringLiteral("apache2 did not answer on port %1: %2").arg(m_port).arg(output));
}

void ApacheServer::kill()
{
    if (m_watcher.state() == QProcess::NotRunning)
        return;
    m_watcher.closeWriteChannel();
    if (!m_watcher.waitForFinished(5000))
        m_watcher.kill();
    m_watcher.waitForFinished(1000);
}

bool ApacheServer::exportLab(const QString &labPath)
{
    QProcess tool;
    tool.start(
        qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-lab"),
        {QStringLiteral("export-dav"), labPath, documentRoot(), QStringLiteral("--url"), url()});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return fail(QStringLiteral("export-dav: ") +
                    QString::fromLocal8Bit(tool.readAllStandardError()));
    return true;
}

QString ApacheServer::writeStoreConfig(const QString &folder) const
{
    const QString path = QDir(folder).filePath(QStringLiteral("servers.ini"));
    QFile ini(path);
    if (!ini.open(QIODevice::WriteOnly))
        return QString();
    ini.write(QStringLiteral("[lab]\nfile=lab.sqlite\n[store]\nbackend=webdav\nbaseUrl=%1\n"
                             "timeout=5\n")
                  .arg(url())
                  .toUtf8());
    return path;
}

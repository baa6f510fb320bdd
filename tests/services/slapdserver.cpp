#include "slapdserver.h"

#include "testcertificates.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <signal.h>
#include <sys/prctl.h>

namespace {

using TestCertificates::program;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
           file.write(content) == content.size();
}

} // namespace

SlapdServer::SlapdServer() : m_port(freePort()) {}

SlapdServer::~SlapdServer()
{
    kill();
}

bool SlapdServer::fail(const QString &what)
{
    m_failure = what;
    return false;
}

QString SlapdServer::uri() const
{
    return QStringLiteral("ldap://127.0.0.1:%1").arg(m_port);
}

QString SlapdServer::password()
{
    return QStringLiteral("kestrelon-test-secret");
}

QString SlapdServer::passwordFile() const
{
    return m_dir.filePath(QStringLiteral("admin.pw"));
}

bool SlapdServer::addDatabase(const QString &suffix, const QByteArray &ldif)
{
    const int index = int(m_loads.size() / 2);
    const QString directory = m_dir.filePath(QStringLiteral("db%1").arg(index));
    const QString ldifPath = m_dir.filePath(QStringLiteral("db%1.ldif").arg(index));
    if (!QDir().mkpath(directory) || !writeFile(ldifPath, ldif))
        return fail(QStringLiteral("cannot write %1").arg(ldifPath));
    m_databases += QStringLiteral("database mdb\nsuffix \"%1\"\ndirectory %2\nmaxsize 1073741824\n"
                                  "overlay sssvlv\naccess to * by users read by * none\n")
                       .arg(suffix, directory);
    if (m_adminDn.isEmpty()) {
        m_adminDn = QStringLiteral("CN=kestrelon-test,") + suffix;
        m_databases += QStringLiteral("rootdn \"%1\"\nrootpw %2\n").arg(m_adminDn, password());
    }
    m_loads << suffix << ldifPath;
    return true;
}

bool SlapdServer::addLab(const QString &labTool, const QString &labPath,
                         const QByteArray &extraEntries)
{
    const QString ldif = m_dir.filePath(QStringLiteral("lab.ldif"));
    const QString rootDse = m_dir.filePath(QStringLiteral("rootdse.ldif"));
    QProcess exporter;
    exporter.start(labTool, {QStringLiteral("export-ldif"), labPath, QStringLiteral("--output"),
                             ldif, QStringLiteral("--root-dse"), rootDse});
    if (!exporter.waitForFinished(120000) || exporter.exitCode() != 0)
        return fail(QStringLiteral("%1 export-ldif failed: %2")
                        .arg(labTool, QString::fromLocal8Bit(exporter.readAllStandardError())));
    QFile file(ldif);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(ldif));
    const QByteArray content = file.readAll();
    // The first entry is the domain's, the suffix of the database.
    const QString suffix = QString::fromUtf8(content.left(content.indexOf('\n')).mid(4));
    m_hasRootDse = true;
    return addDatabase(suffix, content + '\n' + extraEntries);
}

bool SlapdServer::writeConfig()
{
    QString config = QStringLiteral("include /etc/ldap/schema/core.schema\n"
                                    "include /etc/ldap/schema/cosine.schema\n"
                                    "include " KESTRELON_LDAP_SCHEMA "\n"
                                    "modulepath /usr/lib/ldap\nmoduleload back_mdb\n"
                                    "moduleload sssvlv\n"
                                    "pidfile %1/slapd.pid\nargsfile %1/slapd.args\n"
                                    "sizelimit unlimited\n"
                                    "access to dn.base=\"\" by * read\n"
                                    "access to dn.base=\"cn=Subschema\" by * read\n")
                         .arg(m_dir.path());
    if (m_hasRootDse)
        config +=
            QStringLiteral("rootDSE %1\n").arg(m_dir.filePath(QStringLiteral("rootdse.ldif")));
    if (m_tls)
        config += QStringLiteral("TLSCACertificateFile %1\nTLSCertificateFile %2\n"
                                 "TLSCertificateKeyFile %3\n")
                      .arg(caFile(), m_dir.filePath(QStringLiteral("server.pem")),
                           m_dir.filePath(QStringLiteral("server.key")));
    return writeFile(m_dir.filePath(QStringLiteral("slapd.conf")),
                     (config + m_databases).toUtf8()) &&
           writeFile(passwordFile(), password().toUtf8() + '\n');
}

bool SlapdServer::enableTls()
{
    // libldap checks a certificate for "localhost" against this machine's own name.
    const QString failure = TestCertificates::make(
        m_dir.path(), {QStringLiteral("localhost"), QSysInfo::machineHostName()});
    if (!failure.isEmpty())
        return fail(failure);
    m_tls = true;
    return true;
}

QString SlapdServer::caFile() const
{
    return m_dir.filePath(QStringLiteral("ca.pem"));
}

QString SlapdServer::otherCaFile() const
{
    return m_dir.filePath(QStringLiteral("other-ca.pem"));
}

bool SlapdServer::load()
{
    if (m_loaded)
        return true;
    const QString slapadd = program(QStringLiteral("slapadd"));
    if (slapadd.isEmpty())
        return fail(QStringLiteral("slapd is not installed (scripts/setup.sh installs it)"));
    if (!m_dir.isValid() || m_loads.isEmpty() || !writeConfig())
        return fail(QStringLiteral("cannot write the configuration in %1").arg(m_dir.path()));
    const QString config = m_dir.filePath(QStringLiteral("slapd.conf"));
    for (qsizetype i = 0; i < m_loads.size(); i += 2) {
        QProcess loader;
        loader.start(slapadd,
                     {QStringLiteral("-q"), QStringLiteral("-f"), config, QStringLiteral("-b"),
                      m_loads[i], QStringLiteral("-l"), m_loads[i + 1]});
        if (!loader.waitForFinished(300000) || loader.exitCode() != 0)
            return fail(
                QStringLiteral("slapadd of %1 failed: %2")
                    .arg(m_loads[i + 1], QString::fromLocal8Bit(loader.readAllStandardError())));
    }
    m_loaded = true;
    return true;
}

QByteArray SlapdServer::catalog(const QString &suffix)
{
    QProcess slapcat;
    slapcat.start(program(QStringLiteral("slapcat")),
                  {QStringLiteral("-f"), m_dir.filePath(QStringLiteral("slapd.conf")),
                   QStringLiteral("-b"), suffix, QStringLiteral("-o"),
                   QStringLiteral("ldif-wrap=no")});
    if (!slapcat.waitForFinished(60000) || slapcat.exitCode() != 0) {
        fail(QStringLiteral("slapcat of %1 failed: %2")
                 .arg(suffix, QString::fromLocal8Bit(slapcat.readAllStandardError())));
        return {};
    }
    return slapcat.readAllStandardOutput();
}

void SlapdServer::pause(bool paused)
{
    if (m_slapd.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(m_slapd.processId()), paused ? SIGSTOP : SIGCONT);
    // The signal reaches each thread in its own time; one still running could answer.
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(m_slapd.processId()));
    QElapsedTimer clock;
    clock.start();
    while (paused && clock.elapsed() < 5000) {
        bool allStopped = true;
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks.filePath(task + QStringLiteral("/stat")));
            // "pid (name) state ...": T when stopped.
            const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
            allStopped = allStopped && line.mid(line.lastIndexOf(')') + 2, 1) == "T";
        }
        if (allStopped)
            return;
        QThread::msleep(5);
    }
}

bool SlapdServer::start()
{
    const QString slapd = program(QStringLiteral("slapd"));
    if (slapd.isEmpty())
        return fail(QStringLiteral("slapd is not installed (scripts/setup.sh installs it)"));
    if (!load())
        return false;
    const QString config = m_dir.filePath(QStringLiteral("slapd.conf"));
    m_slapd.setProcessChannelMode(QProcess::MergedChannels);
    // The server ends with the test even when the test is killed or aborts.
    m_slapd.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_slapd.start(slapd, {QStringLiteral("-f"), config, QStringLiteral("-h"), uri() + u'/',
                          QStringLiteral("-d"), QStringLiteral("0")});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (m_slapd.state() == QProcess::NotRunning)
            return fail(QStringLiteral("slapd ended at once: %1")
                            .arg(QString::fromLocal8Bit(m_slapd.readAll())));
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(20);
    }
    kill();
    return fail(QStringLiteral("slapd did not answer on port %1 within 10 s").arg(m_port));
}

void SlapdServer::kill()
{
    if (m_slapd.state() == QProcess::NotRunning)
        return;
    m_slapd.kill();
    m_slapd.waitForFinished(5000);
}

#include "sambaserver.h"

#include "testcertificates.h"

#include <csignal>
#include <cstring>
#include <net/if.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QThread>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using TestCertificates::program;

namespace {

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writePrivate(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
           file.write(content) == content.size();
}

// Copies a folder with its owners and modes (the domain's databases and keys).
bool copyTree(const QString &from, const QString &to)
{
    QProcess copy;
    copy.start(QStringLiteral("cp"), {QStringLiteral("-a"), from, to});
    return copy.waitForFinished(120000) && copy.exitCode() == 0;
}

} // namespace

QString SambaServer::enterPrivateNetwork()
{
    if (::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0)
        return QStringLiteral("cannot make network and mount namespaces (%1); run as root where "
                              "namespaces are allowed")
            .arg(errnoText());
    // The hosts file below is this namespace's alone, never the machine's.
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("cannot make the mounts private: %1").arg(errnoText());
    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq loopback{};
    std::strncpy(loopback.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = socket >= 0 && ::ioctl(socket, SIOCGIFFLAGS, &loopback) == 0 &&
                    (loopback.ifr_flags |= IFF_UP, ::ioctl(socket, SIOCSIFFLAGS, &loopback) == 0);
    if (socket >= 0)
        ::close(socket);
    if (!up)
        return QStringLiteral("cannot bring up the loopback interface: %1").arg(errnoText());
    char hostsPath[] = "/tmp/kestrelon-hosts-XXXXXX";
    const int hosts = ::mkstemp(hostsPath);
    const QByteArray names = "127.0.0.1 localhost " + hostName().toUtf8() + ' ' +
                             hostName().section(u'.', 0, 0).toUtf8() + ' ' +
                             domainDnsName().toUtf8() + '\n';
    const bool written =
        hosts >= 0 && ::fchmod(hosts, 0644) == 0 &&
        ::write(hosts, names.constData(), size_t(names.size())) == ssize_t(names.size());
    if (hosts >= 0)
        ::close(hosts);
    const bool mounted =
        written && ::mount(hostsPath, "/etc/hosts", nullptr, MS_BIND, nullptr) == 0;
    ::unlink(hostsPath);
    if (!mounted)
        return QStringLiteral("cannot put the domain's names into /etc/hosts: %1").arg(errnoText());
    return {};
}

SambaServer::SambaServer() = default;

SambaServer::~SambaServer()
{
    stop();
}

bool SambaServer::fail(const QString &what)
{
    m_failure = what;
    return false;
}

QString SambaServer::passwordFile() const
{
    return m_dir.filePath(QStringLiteral("admin.pw"));
}

QString SambaServer::caFile() const
{
    return m_dir.filePath(QStringLiteral("ca.pem"));
}

QString SambaServer::otherCaFile() const
{
    return m_dir.filePath(QStringLiteral("other-ca.pem"));
}

bool SambaServer::run(const QString &name, const QStringList &arguments, const QByteArray &input,
                      int timeoutMs)
{
    const QString path = program(name);
    if (path.isEmpty())
        return fail(QStringLiteral("%1 is not installed (scripts/setup.sh installs it)").arg(name));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LDAPTLS_CACERT"), caFile());
    process.setProcessEnvironment(environment);
    process.start(path, arguments);
    process.write(input);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(timeoutMs);
    const QByteArray errors = process.readAllStandardError();
    m_output = QString::fromLocal8Bit(process.readAllStandardOutput() + errors);
    const QString said = errors.isEmpty() ? m_output : QString::fromLocal8Bit(errors);
    if (!finished || process.exitCode() != 0)
        return fail(
            QStringLiteral("%1 %2 failed: %3").arg(name, arguments.value(0), said.right(2000)));
    return true;
}

bool SambaServer::start()
{
    const QString domain = m_dir.filePath(QStringLiteral("domain"));
    if (!run(QStringLiteral("samba-tool"),
             {QStringLiteral("domain"), QStringLiteral("provision"),
              QStringLiteral("--targetdir=") + domain,
              QStringLiteral("--realm=") + domainDnsName().toUpper(),
              QStringLiteral("--domain=CORP"), QStringLiteral("--server-role=dc"),
              QStringLiteral("--dns-backend=NONE"),
              QStringLiteral("--host-name=") + hostName().section(u'.', 0, 0),
              QStringLiteral("--option=interfaces=lo"),
              QStringLiteral("--option=bind interfaces only=yes")}))
        return false;
    // Provisioning chooses the administrator's password and says it once.
    const QString said = m_output.section(QLatin1String("Admin password:"), 1).section(u'\n', 0, 0);
    if (said.trimmed().isEmpty() || !writePrivate(passwordFile(), said.trimmed().toUtf8()))
        return fail(QStringLiteral("provisioning named no administrator's password"));
    const QString failure = TestCertificates::make(
        m_dir.path(), {hostName(), hostName().section(u'.', 0, 0), domainDnsName()});
    if (!failure.isEmpty())
        return fail(failure);
    QFile schema(QStringLiteral(KESTRELON_AD_SCHEMA));
    if (!schema.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(schema.fileName()));
    // The lab's accounts have no passwords, as on a mail server's test domain: the domain's
    // policy must let an enabled account go without one.
    const QByteArray policy = "dn: " + suffix().toUtf8() +
                              "\nchangetype: modify\nreplace: minPwdLength\nminPwdLength: 0\n-\n"
                              "replace: pwdProperties\npwdProperties: 0\n-\n\n";
    if (!launch() || !modify(policy + schema.readAll().replace("DC=X\n", suffix().toUtf8() + '\n')))
        return false;
    stop();
    return copyTree(domain, m_dir.filePath(QStringLiteral("provisioned")))
               ? launch()
               : fail(QStringLiteral("cannot keep a copy of %1").arg(domain));
}

bool SambaServer::reset(const QString &labTool, const QString &labPath)
{
    stop();
    const QString domain = m_dir.filePath(QStringLiteral("domain"));
    if (!QDir(domain).removeRecursively() ||
        !copyTree(m_dir.filePath(QStringLiteral("provisioned")), domain))
        return fail(QStringLiteral("cannot put the provisioned domain back in %1").arg(domain));
    if (!labPath.isEmpty()) {
        const QString ldif = exportLab(labTool, labPath);
        if (ldif.isEmpty() ||
            !run(QStringLiteral("ldbmodify"),
                 {QStringLiteral("-H"), domain + QStringLiteral("/private/sam.ldb"),
                  QStringLiteral("--nosync"), ldif},
                 {}, 3600000))
            return false;
    }
    return launch();
}

bool SambaServer::launch()
{
    const QString samba = program(QStringLiteral("samba"));
    if (samba.isEmpty())
        return fail(QStringLiteral("samba is not installed (scripts/setup.sh installs "
                                   "samba-ad-dc)"));
    const QString domain = m_dir.filePath(QStringLiteral("domain"));
    // The pid file's default place, /run/samba, is shared with every other Samba on the
    // machine (another test run's, or the host's own): a second one there never comes up.
    const QString pidDirectory = m_dir.filePath(QStringLiteral("run"));
    if (!QDir().mkpath(pidDirectory))
        return fail(QStringLiteral("cannot make %1").arg(pidDirectory));
    m_samba.setProcessChannelMode(QProcess::MergedChannels);
    // One process in a group of its own, which ends with the test however the test ends.
    m_samba.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    m_samba.start(
        samba,
        {QStringLiteral("-i"), QStringLiteral("-M"), QStringLiteral("single"), QStringLiteral("-s"),
         domain + QStringLiteral("/etc/smb.conf"), QStringLiteral("--option=server services=ldap"),
         QStringLiteral("--option=dsdb:schema update allowed=true"),
         QStringLiteral("--option=tls keyfile=") + m_dir.filePath(QStringLiteral("server.key")),
         QStringLiteral("--option=tls certfile=") + m_dir.filePath(QStringLiteral("server.pem")),
         QStringLiteral("--option=tls cafile=") + caFile(),
         QStringLiteral("--option=pid directory=") + pidDirectory});
    QElapsedTimer clock;
    clock.start();
    // On a machine busy with builds, a domain just loaded with thousands of entries can take
    // minutes to open its ports.
    while (clock.elapsed() < 300000) {
        if (m_samba.state() == QProcess::NotRunning)
            return fail(QStringLiteral("samba ended at once: %1")
                            .arg(QString::fromLocal8Bit(m_samba.readAll().right(2000))));
        // The catalog's port opens last.
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, 3269);
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(100);
    }
    stop();
    return fail(QStringLiteral("samba did not answer on 127.0.0.1:3269 within 300 s"));
}

void SambaServer::stop()
{
    if (m_samba.state() == QProcess::NotRunning)
        return;
    ::kill(-pid_t(m_samba.processId()), SIGTERM);
    if (!m_samba.waitForFinished(10000)) {
        ::kill(-pid_t(m_samba.processId()), SIGKILL);
        m_samba.waitForFinished(5000);
    }
}

bool SambaServer::modify(const QByteArray &ldif)
{
    return run(QStringLiteral("ldapmodify"),
               {QStringLiteral("-H"), QStringLiteral("ldaps://%1").arg(hostName()),
                QStringLiteral("-x"), QStringLiteral("-D"), adminDn(), QStringLiteral("-y"),
                passwordFile()},
               ldif);
}

QString SambaServer::exportLab(const QString &labTool, const QString &labPath)
{
    const QString ldif = m_dir.filePath(QStringLiteral("lab.ldif"));
    QFile::remove(ldif);
    return run(labTool, {QStringLiteral("export-ad"), labPath, QStringLiteral("--output"), ldif})
               ? ldif
               : QString();
}

bool SambaServer::addLab(const QString &labTool, const QString &labPath)
{
    QFile file(exportLab(labTool, labPath));
    if (file.fileName().isEmpty())
        return false;
    return file.open(QIODevice::ReadOnly)
               ? modify(file.readAll())
               : fail(QStringLiteral("cannot read %1").arg(file.fileName()));
}

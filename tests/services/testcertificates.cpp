#include "testcertificates.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace TestCertificates {

QString program(const QString &name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(
                                 name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                           : found;
}

QString make(const QString &folder, const QStringList &hostNames)
{
    const QString openssl = program(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        return QStringLiteral("openssl is not installed");
    const QDir dir(folder);
    const auto path = [&](const char *name) {
        return dir.filePath(QLatin1String(name));
    };
    QFile extensions(path("server.ext"));
    QByteArray names = "subjectAltName=IP:127.0.0.1";
    for (const QString &host : hostNames)
        names += ",DNS:" + host.toUtf8();
    if (!extensions.open(QIODevice::WriteOnly) || extensions.write(names + '\n') < 0)
        return QStringLiteral("cannot write %1").arg(extensions.fileName());
    extensions.close();
    const QString ec = QStringLiteral("ec");
    const QString curve = QStringLiteral("ec_paramgen_curve:prime256v1");
    const QList<QStringList> steps{
        {"req", "-x509", "-newkey", ec, "-pkeyopt", curve, "-nodes", "-days", "2", "-subj",
         "/CN=Kestrelon test CA", "-keyout", path("ca.key"), "-out", path("ca.pem")},
        {"req", "-x509", "-newkey", ec, "-pkeyopt", curve, "-nodes", "-days", "2", "-subj",
         "/CN=Another CA", "-keyout", path("other.key"), "-out", path("other-ca.pem")},
        {"req", "-newkey", ec, "-pkeyopt", curve, "-nodes", "-subj", "/CN=127.0.0.1", "-keyout",
         path("server.key"), "-out", path("server.csr")},
        {"x509", "-req", "-in", path("server.csr"), "-CA", path("ca.pem"), "-CAkey", path("ca.key"),
         "-CAcreateserial", "-days", "2", "-extfile", path("server.ext"), "-out",
         path("server.pem")}};
    for (const QStringList &arguments : steps) {
        QProcess step;
        step.setProcessChannelMode(QProcess::MergedChannels);
        step.start(openssl, arguments);
        if (!step.waitForFinished(30000) || step.exitCode() != 0)
            return QStringLiteral("openssl %1 failed: %2")
                .arg(arguments.join(u' '), QString::fromLocal8Bit(step.readAll()));
    }
    // Samba refuses a key that others may read.
    QFile::setPermissions(path("server.key"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return {};
}

} // namespace TestCertificates

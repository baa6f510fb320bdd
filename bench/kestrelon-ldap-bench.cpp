// Times the directory part of the mailbox walk against a real slapd (or, with --samba, a
// Samba Active Directory domain controller over the catalog's TLS port) serving a generated
// organization (pages of 100), and the whole walk with the store on the same lab. Best of
// three runs each. Run it by hand, as root for Samba:
//   build/bin/kestrelon-ldap-bench [mailboxes] [--samba]

#include "mailboxes/mailboxqueries.h"
#include "platform/configuredplatform.h"
#include "platform/lab/labfile.h"
#include "platform/platformerror.h"
#include "sambaserver.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"
#include "slapdserver.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <sys/resource.h>

namespace {

constexpr int Runs = 3;

long peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void report(const char *what, int mailboxes, double seconds, int rows)
{
    std::printf("%-36s %6d mailboxes  %6d rows  %8.3f s  %7.1f us/mailbox  peak %.1f MiB\n", what,
                mailboxes, rows, seconds, seconds * 1e6 / mailboxes, peakMemoryKiB() / 1024.0);
    std::fflush(stdout);
}

// Queries A and B as the walk runs them, every field the walk reads read once.
int directoryPart(platform::Platform &platform)
{
    const QString gcPath = QStringLiteral("GC://") + platform.machine().globalCatalogHostName();
    auto directory = platform.createDirectoryConnection();
    directory->open(QStringLiteral("Active Directory Provider"), QString(), QString());
    auto homes = directory->execute(
        QStringLiteral("SELECT msExchHomeServerName FROM '") + gcPath +
            QStringLiteral("' WHERE objectcategory='person' AND MsExchMailboxGuid='*' And "
                           "mailNickName='SystemMailbox{*' ORDER BY cn"),
        {{QStringLiteral("Timeout"), 120}});
    const QString home = homes->field(QStringLiteral("msExchHomeServerName")).toString();
    homes->moveLast();
    homes->close();
    auto rows = directory->execute(MailboxQueries::mailboxesOfServer(gcPath, home),
                                   {{QStringLiteral("searchscope"), 2},
                                    {QStringLiteral("cache results"), true},
                                    {QStringLiteral("Chase Referrals"), 96},
                                    {QStringLiteral("Page Size"), 100},
                                    {QStringLiteral("Size Limit"), 30000},
                                    {QStringLiteral("Timeout"), 120}});
    const int count = rows->rowCount();
    for (; !rows->atEnd(); rows->moveNext()) {
        for (const char *field : {"mailNickName", "cn", "mail", "userAccountControl"})
            rows->field(QString::fromLatin1(field));
    }
    rows->close();
    return count;
}

int wholeWalk(platform::Platform &platform)
{
    RecordingScreen screen;
    InstallForm form(platform, screen);
    form.onLoad();
    form.lists.refreshMailboxLists();
    return form.lists.unboundStoreList.count() + form.lists.boundStoreList.count() +
           form.lists.unboundMailboxList.count() + form.lists.boundMailboxList.count();
}

template<typename Walk> void best(const char *what, int mailboxes, Walk walk)
{
    double fastest = 1e9;
    int rows = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        rows = walk();
        fastest = std::min(fastest, clock.nsecsElapsed() / 1e9);
    }
    report(what, mailboxes, fastest, rows);
}

} // namespace

int main(int argc, char **argv)
{
    const bool samba = argc > 1 && QByteArray(argv[argc - 1]) == "--samba";
    // Samba's ports are fixed: it runs in a network of the benchmark's own.
    const QString withoutNetwork = samba ? SambaServer::enterPrivateNetwork() : QString();
    QCoreApplication app(argc, argv);
    if (!withoutNetwork.isEmpty()) {
        std::fprintf(stderr, "kestrelon-ldap-bench: %s\n", qPrintable(withoutNetwork));
        return 1;
    }
    const int mailboxes = argc > (samba ? 2 : 1) ? QString::fromLocal8Bit(argv[1]).toInt() : 30000;
    if (mailboxes <= 0 || argc > (samba ? 3 : 2)) {
        std::fprintf(stderr, "usage: kestrelon-ldap-bench [MAILBOXES, above 0; default 30000] "
                             "[--samba]\n");
        return 2;
    }
    try {
        QTemporaryDir dir;
        const QString labPath = dir.filePath(QStringLiteral("lab.sqlite"));
        QElapsedTimer clock;
        clock.start();
        // Made by kestrelon-lab, so that the peak memory shown is the walks' own.
        const QString labTool =
            QCoreApplication::applicationDirPath() + QStringLiteral("/kestrelon-lab");
        QProcess creator;
        creator.start(labTool,
                      {QStringLiteral("create"), labPath, QStringLiteral("--mailboxes"),
                       QString::number(mailboxes), QStringLiteral("--seed"), QStringLiteral("4")});
        SlapdServer slapd;
        SambaServer domainController;
        const bool created = creator.waitForFinished(600000) && creator.exitCode() == 0;
        const bool started =
            created && (samba ? domainController.start() && domainController.reset(labTool, labPath)
                              : slapd.addLab(labTool, labPath) && slapd.start());
        if (!started) {
            std::fprintf(stderr, "kestrelon-ldap-bench: %s\n",
                         qPrintable(samba ? domainController.failure() : slapd.failure()));
            return 1;
        }
        report(samba ? "lab, LDIF and Samba (not timed)" : "lab, LDIF and slapd (not timed)",
               mailboxes, clock.nsecsElapsed() / 1e9, 0);

        QFile config(dir.filePath(QStringLiteral("kestrelon.ini")));
        config.open(QIODevice::WriteOnly);
        const QString directory =
            samba ? QStringLiteral("uri=ldaps://%1:3269\nbindDn=\"%2\"\npasswordFile=%3\n"
                                   "caFile=%4\n")
                        .arg(SambaServer::hostName(), SambaServer::adminDn(),
                             domainController.passwordFile(), domainController.caFile())
                  : QStringLiteral("uri=%1\nbindDn=\"%2\"\npasswordFile=%3\n")
                        .arg(slapd.uri(), slapd.adminDn(), slapd.passwordFile());
        config.write(QStringLiteral("[lab]\nfile=%1\n[directory]\nbackend=ldap\n%2[machine]\n"
                                    "computerName=EXCH01\nuserName=Administrator\n")
                         .arg(labPath, directory)
                         .toUtf8());
        config.close();
        auto platform = platform::createConfiguredPlatform(
            platform::readServerConfig(config.fileName()), lab::openLab(labPath));

        best("directory part (queries A and B)", mailboxes,
             [&] { return directoryPart(*platform); });
        best("whole walk, store on the lab", mailboxes, [&] { return wholeWalk(*platform); });
    } catch (const platform::PlatformError &error) {
        std::fprintf(stderr, "kestrelon-ldap-bench: %s\n", qPrintable(error.description));
        return 1;
    }
    return 0;
}

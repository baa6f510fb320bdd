// Times the directory part of the mailbox walk against a real slapd serving a generated
// organization (pages of 100), and the whole walk with the store on the same lab. Best of
// three runs each. Run it by hand: build/bin/kestrelon-ldap-bench [mailboxes]

#include "mailboxes/mailboxqueries.h"
#include "platform/configuredplatform.h"
#include "platform/lab/labfile.h"
#include "platform/platformerror.h"
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
    form.refreshMailboxLists();
    return form.unboundStoreList.count() + form.boundStoreList.count() +
           form.unboundMailboxList.count() + form.boundMailboxList.count();
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
    QCoreApplication app(argc, argv);
    const int mailboxes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 30000;
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
        SlapdServer server;
        if (!creator.waitForFinished(600000) || creator.exitCode() != 0 ||
            !server.addLab(labTool, labPath) || !server.start()) {
            std::fprintf(stderr, "kestrelon-ldap-bench: %s\n", qPrintable(server.failure()));
            return 1;
        }
        report("lab, LDIF and slapd (not timed)", mailboxes, clock.nsecsElapsed() / 1e9, 0);

        QFile config(dir.filePath(QStringLiteral("kestrelon.ini")));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("[lab]\nfile=%1\n[directory]\nbackend=ldap\nuri=%2\n"
                                    "bindDn=\"%3\"\npasswordFile=%4\n[machine]\n"
                                    "computerName=EXCH01\nuserName=Administrator\n")
                         .arg(labPath, server.uri(), server.adminDn(), server.passwordFile())
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

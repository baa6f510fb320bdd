// Times the inbox probe of every mailbox against a private Apache httpd with mod_dav serving
// a generated organization (half the mailboxes bound), over one store connection, and counts
// the requests each probe sends. Best of three. Run it by hand:
// build/bin/kestrelon-dav-bench [mailboxes]

#include "apacheserver.h"
#include "mailboxes/storefolders.h"
#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "platform/platformerror.h"
#include "platform/webdav/labexport.h"
#include "platform/webdav/webdavstore.h"
#include "shell/controls.h"
#include "shell/errorlog.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>

namespace {

constexpr int Runs = 3;
int requests = 0;

// Every request is one debug line of kestrelon.webdav: counting them counts requests.
void countRequests(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg && qstrcmp(context.category, "kestrelon.webdav") == 0)
        ++requests;
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int mailboxes = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (mailboxes <= 0 || mailboxes > lab::MaxGeneratedMailboxes) {
        std::fprintf(stderr, "usage: kestrelon-dav-bench [mailboxes, 1 to %d]\n",
                     lab::MaxGeneratedMailboxes);
        return 2;
    }
    try {
        QElapsedTimer clock;
        clock.start();
        QTemporaryDir dir;
        const lab::Scenario scenario = lab::generatedScenario(mailboxes, 7);
        const QString labPath = dir.filePath(QStringLiteral("bench.sqlite"));
        lab::createLab(labPath, scenario);
        ApacheServer server;
        if (!server.start()) {
            std::fprintf(stderr, "%s\n", qPrintable(server.failure()));
            return 1;
        }
        webdav::WebDavSettings settings;
        settings.baseUrl = server.url();
        const webdav::DavExport exported =
            webdav::exportLabStore(labPath, server.documentRoot(), settings);
        std::printf("lab, export-dav and httpd (not timed)  %6d mailboxes %6d items  %8.3f s\n",
                    exported.mailboxes, exported.items, clock.elapsed() / 1000.0);

        QStringList roots;
        const QString host = scenario.machine.storeHosts.first();
        const QString domain = scenario.machine.storeDomainFolders.first();
        for (const lab::Mailbox &mailbox : scenario.mailboxes) {
            if (mailbox.httpForm && !mailbox.names.isEmpty())
                roots << QStringLiteral("http://%1/exadmin/%2/mbx/%3")
                             .arg(host, domain, mailbox.names.first());
        }
        QLoggingCategory::setFilterRules(QStringLiteral("kestrelon.webdav.debug=true"));
        qInstallMessageHandler(countRequests);
        webdav::WebDavStoreConnection store(settings);
        TextBoxModel logEdit;
        ErrorLog log(logEdit);
        double best = 0;
        int bound = 0;
        for (int run = 0; run < Runs; ++run) {
            requests = 0;
            bound = 0;
            clock.restart();
            for (const QString &root : roots) {
                QString url = root;
                bound += StoreFolders::folderItemExists(url, QStringLiteral("inbox"),
                                                        QStringLiteral("Kestrelon.reg"), true,
                                                        store, log) == 1;
            }
            const double seconds = clock.elapsed() / 1000.0;
            best = run == 0 ? seconds : std::min(best, seconds);
        }
        std::printf("inbox probes, one connection           %6lld mailboxes %6d bound  %8.3f s  "
                    "%6.0f mailboxes/s  %.2f requests/probe\n",
                    static_cast<long long>(roots.size()), bound, best, roots.size() / best,
                    double(requests) / roots.size());
        if (!logEdit.text().isEmpty())
            std::fprintf(stderr, "errors logged:\n%s\n", qPrintable(logEdit.text()));
    } catch (const platform::PlatformError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description));
        return 1;
    }
    return 0;
}

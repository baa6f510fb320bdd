// kestrelon-lab: creates, fills and inspects lab files.

#include "platform/lab/labfile.h"
#include "platform/lab/labldif.h"
#include "platform/lab/labreport.h"
#include "platform/lab/labscenario.h"
#include "platform/platformerror.h"
#include "platform/webdav/labexport.h"
#include "version.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextStream>

namespace {

const char *const toolHelp =
    "Usage: kestrelon-lab COMMAND [options]\n"
    "\n"
    "Creates and inspects lab files: one SQLite file that holds a whole mail organization\n"
    "(computer, directory, mailbox store, component catalog) for kestrelon-setup.\n"
    "\n"
    "Commands:\n"
    "  create FILE --demo                    the demo organization\n"
    "  create FILE --mailboxes N [--seed S]  N generated mailboxes, half of them bound\n"
    "  create FILE --from SCENARIO.json      from a scenario file (docs/lab-scenario.md)\n"
    "  show FILE [--json]                    machine facts, mailboxes with their registration\n"
    "                                        items, and the catalog's applications\n"
    "  export-ldif FILE [--output LDIF] [--root-dse LDIF] [--force]\n"
    "                                        the directory as LDIF for an LDAP server\n"
    "                                        (data/ldap/kestrelon.schema)\n"
    "  export-ad FILE --output LDIF [--force]\n"
    "                                        the directory as change records for an Active\n"
    "                                        Directory domain (data/ad/kestrelon-schema.ldif)\n"
    "  export-dav FILE FOLDER --url URL      the store as collections and properties for a\n"
    "                                        WebDAV server that serves FOLDER at URL\n"
    "\n"
    "'kestrelon-lab COMMAND --help' describes a command. create never overwrites a file.\n";

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int refuse(const QString &message)
{
    print(stderr, QStringLiteral("kestrelon-lab: %1\n").arg(message.simplified()));
    return 1;
}

// Output lost to a full disk or a closed pipe must not pass for complete: 0 when all of it
// was written, else the refusal's status.
int flushOutput(const QString &file, const QString &what)
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    return refuse(QStringLiteral("%1: cannot write %2 to standard output: %3")
                      .arg(file, what, QString::fromLocal8Bit(std::strerror(errno))));
}

// An interrupted create takes its unfinished file with it.
void endInterrupted(int signal)
{
    lab::removeUnfinishedLab();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Parses a command's arguments. Returns the exit status when the command ends here
// (a parse error, --help, not exactly one FILE); otherwise -1 and the FILE.
int parseCommand(QCommandLineParser &parser, const QStringList &arguments, const QString &command,
                 QString &file)
{
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return refuse(QStringLiteral("%1 needs exactly one FILE (see %1 --help)").arg(command));
    file = files.first();
    return -1;
}

// Whether two paths name the same file, also through links.
bool samePath(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() ||
           (QFileInfo::exists(a) &&
            QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath());
}

// Writes beside the name and renames when complete, so the name holds a whole export; an
// existing file is replaced only when asked to.
int saveExport(const QString &path, const QByteArray &content, bool force)
{
    if (QFileInfo::exists(path) && !force)
        return refuse(QStringLiteral("%1: exists already; give --force to replace it").arg(path));
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly) || target.write(content) != content.size() ||
        !target.commit())
        return refuse(QStringLiteral("%1: cannot write: %2").arg(path, target.errorString()));
    return 0;
}

int create(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a new lab file; refuses when FILE exists. Give exactly one of --demo, "
        "--mailboxes or --from."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The lab file to create."),
                                 QStringLiteral("create FILE"));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("The demo organization (EXCH01, corp.example.local)."));
    const QCommandLineOption mailboxes(
        QStringLiteral("mailboxes"),
        QStringLiteral("N generated user mailboxes, half bound (N at most %1).")
            .arg(lab::MaxGeneratedMailboxes),
        QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the generated names (default 1)."),
                                  QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("A scenario file (see docs/lab-scenario.md)."),
                                  QStringLiteral("SCENARIO.json"));
    parser.addOptions({demo, mailboxes, seed, from});
    QString file;
    if (const int status = parseCommand(parser, arguments, QStringLiteral("create"), file);
        status >= 0)
        return status;
    const int sources =
        int(parser.isSet(demo)) + int(parser.isSet(mailboxes)) + int(parser.isSet(from));
    if (sources != 1)
        return refuse(QStringLiteral("%1: give exactly one of --demo, --mailboxes N, --from "
                                     "SCENARIO.json")
                          .arg(file));
    lab::Scenario scenario;
    if (parser.isSet(demo)) {
        scenario = lab::demoScenario();
    } else if (parser.isSet(mailboxes)) {
        bool countOk = false;
        bool seedOk = false;
        const qint64 count = parser.value(mailboxes).toLongLong(&countOk);
        const quint32 seedValue = parser.value(seed).toUInt(&seedOk);
        if (!countOk || count < 0 || count > lab::MaxGeneratedMailboxes)
            return refuse(QStringLiteral("%1: --mailboxes \"%2\": give a count from 0 to %3, "
                                         "the most mailboxes a generated lab holds")
                              .arg(file, parser.value(mailboxes))
                              .arg(lab::MaxGeneratedMailboxes));
        if (!seedOk)
            return refuse(
                QStringLiteral("%1: --seed \"%2\" is not a number").arg(file, parser.value(seed)));
        scenario = lab::generatedScenario(int(count), seedValue);
    } else {
        QFile source(parser.value(from));
        if (!source.open(QIODevice::ReadOnly))
            return refuse(QStringLiteral("%1: cannot read the scenario: %2")
                              .arg(parser.value(from), source.errorString()));
        // A scenario of the largest lab is a few MiB; a bound keeps a wrong file (a device,
        // a disk image) from filling the memory.
        constexpr qint64 MaxScenarioBytes = 64 << 20;
        const QByteArray json = source.read(MaxScenarioBytes + 1);
        if (json.size() > MaxScenarioBytes)
            return refuse(QStringLiteral("%1: larger than the %2 MiB a scenario file may have")
                              .arg(parser.value(from))
                              .arg(MaxScenarioBytes >> 20));
        scenario = lab::scenarioFromJson(json, parser.value(from));
    }
    lab::createLab(file, scenario);
    print(stdout, QStringLiteral("Created %1: %2 directory objects, %3 mailboxes, %4 "
                                 "applications\n")
                      .arg(file)
                      .arg(scenario.directory.size())
                      .arg(scenario.mailboxes.size())
                      .arg(scenario.applications.size()));
    return flushOutput(file, QStringLiteral("the summary"));
}

int show(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the machine facts, every mailbox with the items of its inbox and of "
        "StoreEvents/GlobalEvents (every property), and the catalog's applications with their "
        "components. The file is only read."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The lab file to show."),
                                 QStringLiteral("show FILE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print JSON instead of text."));
    parser.addOption(json);
    QString file;
    if (const int status = parseCommand(parser, arguments, QStringLiteral("show"), file);
        status >= 0)
        return status;
    const QJsonObject report = lab::labReport(file);
    if (parser.isSet(json))
        print(stdout, QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Indented)));
    else
        print(stdout, lab::labReportText(report));
    return flushOutput(file, QStringLiteral("the report"));
}

int exportLdif(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the lab's directory as LDIF, for an LDAP server that loads "
        "data/ldap/kestrelon.schema (with core and cosine): the domain's entry and the "
        "containers first, then every object. ADsPath and distinguishedName are left out, as "
        "the server answers them from each entry's name; a person without a surname gets its "
        "common name as one. The file is only read."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The lab file to export."),
                                 QStringLiteral("export-ldif FILE"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Write the LDIF here (default: standard "
                                                   "output)."),
                                    QStringLiteral("LDIF"));
    const QCommandLineOption rootDse(
        QStringLiteral("root-dse"),
        QStringLiteral("Also write the root DSE facts (global catalog host name, naming "
                       "contexts) here, for slapd's rootDSE directive."),
        QStringLiteral("LDIF"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace output files that exist already."));
    parser.addOptions({output, rootDse, force});
    QString file;
    if (const int status = parseCommand(parser, arguments, QStringLiteral("export-ldif"), file);
        status >= 0)
        return status;
    // Outputs never land on the lab they are read from, nor on each other.
    const auto same = samePath;
    for (const QCommandLineOption *option : {&output, &rootDse}) {
        if (parser.isSet(*option) && same(parser.value(*option), file))
            return refuse(QStringLiteral("%1: is the lab being exported; write the export "
                                         "elsewhere")
                              .arg(parser.value(*option)));
    }
    if (parser.isSet(output) && parser.isSet(rootDse) &&
        same(parser.value(output), parser.value(rootDse)))
        return refuse(QStringLiteral("%1: given for both --output and --root-dse; give two files")
                          .arg(parser.value(output)));
    const lab::DirectoryLdif ldif = lab::exportDirectoryLdif(file);
    const auto save = [&](const QString &path, const QByteArray &content) {
        return saveExport(path, content, parser.isSet(force));
    };
    if (parser.isSet(rootDse)) {
        if (const int status = save(parser.value(rootDse), ldif.rootDse); status != 0)
            return status;
    }
    if (!parser.isSet(output)) {
        std::fwrite(ldif.entries.constData(), 1, size_t(ldif.entries.size()), stdout);
        return 0;
    }
    if (const int status = save(parser.value(output), ldif.entries); status != 0)
        return status;
    print(stdout, QStringLiteral("Exported %1 to %2: %3 directory objects, %4 containers added\n")
                      .arg(file, parser.value(output))
                      .arg(ldif.objects)
                      .arg(ldif.containers));
    return 0;
}

int exportActiveDirectory(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the lab's organization as LDIF change records for an Active Directory domain "
        "whose schema holds data/ad/kestrelon-schema.ldif, to load with ldapadd over TLS as an "
        "administrator: users with their logon names, account control and mailbox "
        "attributes, contacts, groups with their group types, public folders and the system "
        "mailboxes, and containers for the mailbox stores they name. The domain's own "
        "entries (CN=Users, the built-in Administrator) get the lab's attributes as changes. "
        "The file is only read."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The lab file to export."),
                                 QStringLiteral("export-ad FILE"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Write the LDIF here."), QStringLiteral("LDIF"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace the output file if it exists."));
    parser.addOptions({output, force});
    QString file;
    if (const int status = parseCommand(parser, arguments, QStringLiteral("export-ad"), file);
        status >= 0)
        return status;
    if (!parser.isSet(output))
        return refuse(QStringLiteral("%1: export-ad needs --output LDIF").arg(file));
    if (samePath(parser.value(output), file))
        return refuse(QStringLiteral("%1: is the lab being exported; write the export elsewhere")
                          .arg(parser.value(output)));
    const lab::DirectoryLdif ldif = lab::exportActiveDirectoryLdif(file);
    if (const int status = saveExport(parser.value(output), ldif.entries, parser.isSet(force));
        status != 0)
        return status;
    print(stdout, QStringLiteral("Exported %1 to %2: %3 directory objects, %4 containers added\n")
                      .arg(file, parser.value(output))
                      .arg(ldif.objects)
                      .arg(ldif.containers));
    return 0;
}

int exportDav(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lays out the lab's store below FOLDER for a WebDAV server (Apache httpd with mod_dav) "
        "that already serves FOLDER at URL: a collection exadmin/<domain folder>/mbx/<name> per "
        "mailbox, its folders and its items. The server keeps properties in a database of its "
        "own, so they are written over HTTP: each mailbox root's inbox URL and each item's "
        "properties. Run as root, the folders go to FOLDER's owner. The lab is only read."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The lab file to export."),
                                 QStringLiteral("export-dav FILE"));
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("The server's document root."));
    const QCommandLineOption url(QStringLiteral("url"),
                                 QStringLiteral("Where the server serves FOLDER."),
                                 QStringLiteral("URL"));
    parser.addOption(url);
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    const QStringList places = parser.positionalArguments();
    if (places.size() != 2 || !parser.isSet(url))
        return refuse(QStringLiteral("export-dav needs FILE, FOLDER and --url (see export-dav "
                                     "--help)"));
    webdav::WebDavSettings server;
    server.baseUrl = parser.value(url);
    const webdav::DavExport done = webdav::exportLabStore(places[0], places[1], server);
    print(stdout, QStringLiteral("Exported %1 to %2 (%3): %4 mailboxes, %5 folders, %6 items\n")
                      .arg(places[0], places[1], server.baseUrl)
                      .arg(done.mailboxes)
                      .arg(done.folders)
                      .arg(done.items));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, endInterrupted);
    QCoreApplication::setApplicationName(QStringLiteral("kestrelon-lab"));
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments[1] == QLatin1String("--help") ||
        arguments[1] == QLatin1String("-h") || arguments[1] == QLatin1String("help")) {
        print(arguments.size() < 2 ? stderr : stdout, QString::fromLatin1(toolHelp));
        return arguments.size() < 2 ? 2 : 0;
    }
    if (arguments[1] == QLatin1String("--version")) {
        print(stdout, QStringLiteral("kestrelon-lab %1\n").arg(QLatin1String(programVersion)));
        return 0;
    }
    const QString command = arguments.takeAt(1);
    try {
        if (command == QLatin1String("create"))
            return create(arguments);
        if (command == QLatin1String("show"))
            return show(arguments);
        if (command == QLatin1String("export-ldif"))
            return exportLdif(arguments);
        if (command == QLatin1String("export-ad"))
            return exportActiveDirectory(arguments);
        if (command == QLatin1String("export-dav"))
            return exportDav(arguments);
    } catch (const platform::PlatformError &error) {
        return refuse(error.description);
    }
    return refuse(QStringLiteral("unknown command \"%1\" (try --help)").arg(command));
}

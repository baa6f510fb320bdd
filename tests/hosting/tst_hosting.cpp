#include "hosting/sinkhosting.h"
#include "hosting/sinkinstallation.h"
#include "platform/lab/labplatform.h"
#include "platform/lab/standinlibrary.h"
#include "platform/platformerror.h"
#include "support/datarow.h"
#include "support/labfixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString config = QStringLiteral("Spam\t\rX-Spam-Flag: YES\t\r65535");
const QString threeRows = QStringLiteral("Inbox\\Spam\t[Null]\tfwd@example.com\t\r"
                                         "Subject: [SPAM]\tX-Spam-Flag: YES\tIMFSCL: {> 3}\t\r100");

QByteArray standIn(const QStringList &components)
{
    return lab::StandInMarker + ('\n' + components.join(u'\n')).toUtf8();
}

// The sink installation alone on a lab, run from a folder of its own that holds the given
// Kestrelon.dll (none when null).
struct HostingLab : EnvironmentLab<>, LibraryFolder
{
    HostingLab(const lab::Scenario &scenario, const QByteArray &library)
        : EnvironmentLab(scenario), LibraryFolder(library)
    {
    }

    lab::LabDatabase &database() { return static_cast<lab::LabPlatform &>(*platform).database(); }
    const QString &log() const { return errorLogEdit.text(); }

    RuleEditor rule{screen};
    SinkInstallation sink{environment, errorLog, rule};
};

// "name[identity]{component, constructed component*}" per application, whether a password
// is stored and is the given one, and the numbers of the log's catalog entries.
QString outcomeOf(HostingLab &lab, const QString &password)
{
    QStringList out;
    auto apps = lab.platform->createCatalog()->getCollection("Applications");
    apps->populate();
    for (int i = 0; i < apps->count(); ++i) {
        auto components = apps->getCollection("Components", apps->item(i)->key());
        components->populate();
        QStringList names;
        for (int c = 0; c < components->count(); ++c) {
            const bool on = components->item(c)->value("ConstructionEnabled").toBool();
            const QString string = components->item(c)->value("ConstructorString").toString();
            names << components->item(c)->name() + (on ? "*" : "") +
                         (string == (on ? config : "") ? "" : "?");
        }
        out << apps->item(i)->name() + '[' + apps->item(i)->value("Identity").toString() + "]{" +
                   names.join(", ") + '}';
    }
    QSqlQuery stored(lab.database().database());
    stored.exec("SELECT value FROM catalog_property WHERE name = 'Password'");
    if (stored.next()) {
        const QStringList salted = stored.value(0).toString().split(u':');
        const QByteArray hash = QCryptographicHash::hash(
            QByteArray::fromHex(salted.value(1).toLatin1()) + password.toUtf8(),
            QCryptographicHash::Sha256);
        out << (hash.toHex() == salted.value(2) ? "password" : "another password");
    }
    static const QRegularExpression entry(QStringLiteral("\\]  - ERROR: (-?\\d+) "));
    for (const QRegularExpressionMatch &match : entry.globalMatch(lab.log()))
        out << match.captured(1);
    return out.join(' ');
}

// Check boxes (value, enabled), identity and password boxes (enabled; password visible), the
// eight captions, per row condition, action, target (L locked grey, U open) and "..." (E
// enabled, - disabled), the priority box; then identity, password caption and the rule.
QString windowOf(const SinkInstallation &sink, const RuleEditor &rule)
{
    const auto on = [](const ControlModel &c) {
        return c.enabled() ? u'E' : u'-';
    };
    QString s = QString::number(sink.installSinkCheck.value()) + on(sink.installSinkCheck) + ' ' +
                QString::number(sink.uninstallSinkCheck.value()) + on(sink.uninstallSinkCheck) +
                ' ' + on(sink.identityEdit) + on(sink.passwordEdit) +
                (sink.passwordEdit.visible() ? 'v' : 'h') + ' ';
    for (const LabelModel *caption :
         {&sink.passwordLabel, &sink.identityLabel, &rule.conditionLabel, &rule.actionLabel,
          &rule.targetLabel, &rule.priorityLabel, &rule.conditionExampleLabel,
          &rule.targetExampleLabel})
        s += on(*caption);
    QStringList rows;
    for (const RuleRow &row : rule.rows) {
        const bool grey = row.targetEdit.foreColor() == ColorRole::GrayText;
        const bool locked = row.targetEdit.locked();
        s += QString(' ') + on(row.conditionEdit) + on(row.actionList) +
             (locked && grey     ? 'L'
              : !locked && !grey ? 'U'
                                 : '?') +
             on(row.browseRecipientButton);
        rows << row.conditionEdit.text() + '>' + row.targetEdit.text();
    }
    return s + ' ' + on(rule.priorityEdit) + ' ' + sink.identityEdit.text() + '|' +
           sink.passwordLabel.caption() + '|' + rows.join('|') + ' ' + rule.priorityEdit.text();
}

} // namespace

class TestHosting : public QObject
{
    Q_OBJECT

private slots:
    // Where the sink library is looked for: the current folder, whatever its name holds;
    // only a regular file of a sane size counts, and nothing waits on a FIFO.
    void libraryPlaces_data()
    {
        QTest::addColumn<QString>("folder");  // the current folder, below a temporary one
        QTest::addColumn<QString>("library"); // where Kestrelon.dll is put, and what it is
        QTest::addColumn<QString>("outcome"); // of refreshing and installing
        const QString installed = u"installed"_s, notInstallable = u"not installable"_s;
        row("folder with a backslash", u"a\\b"_s, u"a\\b/Kestrelon.dll"_s, installed);
        row("not where the backslash splits", u"a\\b"_s, u"a/b/Kestrelon.dll"_s, notInstallable);
        row("a FIFO", u"f"_s, u"f/Kestrelon.dll fifo"_s, notInstallable);
        row("too large to be whole", u"big"_s, u"big/Kestrelon.dll large"_s,
            u"installed, component refused"_s);
    }
    void libraryPlaces()
    {
        QFETCH(QString, folder);
        QFETCH(QString, library);
        QFETCH(QString, outcome);
        QTemporaryDir top;
        const QString file = top.filePath(library.section(' ', 0, 0));
        QVERIFY(QDir().mkpath(top.filePath(folder)) && QDir().mkpath(QFileInfo(file).path()));
        if (library.endsWith(" fifo")) {
            QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        } else {
            QFile dll(file);
            QVERIFY(dll.open(QIODevice::WriteOnly));
            dll.write(standIn({"Kestrelon.KestrelonCls"}));
            if (library.endsWith(" large"))
                dll.write(QByteArray(1 << 20, '#'));
        }
        HostingLab lab({}, QByteArray());
        QDir::setCurrent(top.filePath(folder));
        lab.environment.discover();
        lab.sink.readInstallState();
        if (lab.sink.installSinkCheck.enabled()) {
            SinkHosting::installSinkApplication("Kestrelon", "CORP\\svc", "pw", config,
                                                *lab.platform, lab.errorLog);
            lab.sink.readInstallState();
        }
        const QString actual =
            QString(lab.sink.uninstallSinkCheck.enabled() ? "installed" : "not installable") +
            (lab.log().contains("is larger than the 1 MiB") ? ", component refused" : "");
        QCOMPARE(actual, outcome);
    }

    void install_data()
    {
        QTest::addColumn<QString>("identity");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("configuration");
        QTest::addColumn<QByteArray>("library");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("outcome");

        const QByteArray sink = standIn({"Kestrelon.Cls"});
        const QString svc = u"CORP\\svc"_s, none;
        row("identity and password trimmed", u" CORP\\svc  "_s, u"  pa ss "_s, config, sink, none,
            u"Kestrelon[CORP\\svc]{Kestrelon.Cls*} password"_s);
        row("identity without password: neither set", svc, u"   "_s, config, sink, none,
            u"Kestrelon[]{Kestrelon.Cls*}"_s);
        row("empty configuration: construction stays off", none, none, none, sink, none,
            u"Kestrelon[]{Kestrelon.Cls}"_s);
        row("no component named Kestrelon.<class> in that case", none, none, config,
            standIn({"Other.Cls", "kestrelon.Lower"}), none,
            u"Kestrelon[]{Other.Cls, kestrelon.Lower}"_s);
        row("only the first matching component", none, none, config,
            standIn({"Other.Cls", "Kestrelon.One", "Kestrelon.Two"}), none,
            u"Kestrelon[]{Other.Cls, Kestrelon.One*, Kestrelon.Two}"_s);
        row("not a component library: failing after the save", svc, u"pw"_s, config,
            QByteArray("MZ\x90"), none, u"Kestrelon[CORP\\svc]{} password -2147024703"_s);
        row("failing save: no half-saved application", svc, u"pw"_s, config, sink,
            u"BEFORE INSERT ON catalog_property WHEN NEW.name = 'Password'"_s, u"1002"_s);
    }

    void install()
    {
        QFETCH(QString, identity);
        QFETCH(QString, password);
        QFETCH(QString, configuration);
        QFETCH(QByteArray, library);
        QFETCH(QString, failing);

        HostingLab lab({}, library);
        if (!failing.isEmpty())
            lab.database().execute("CREATE TRIGGER injected " + failing +
                                   " BEGIN SELECT RAISE(ABORT, 'injected failure'); END");
        SinkHosting::installSinkApplication("Kestrelon", identity, password, configuration,
                                            *lab.platform, lab.errorLog);
        QTEST(outcomeOf(lab, password.trimmed()), "outcome");
        QVERIFY(password.trimmed().isEmpty() || !lab.log().contains(password.trimmed()));
    }

    void uninstall_data()
    {
        QTest::addColumn<QStringList>("applications");
        QTest::addColumn<QString>("remaining");

        QTest::newRow("name in other letter case")
            << QStringList{"Other", "Kestrelon"} << "Other[]{}";
        QTest::newRow("of two, the first")
            << QStringList{"KESTRELON", "kestrelon"} << "kestrelon[]{}";
        QTest::newRow("none of that name") << QStringList{"Other"} << "Other[]{}";
    }

    void uninstall()
    {
        QFETCH(QStringList, applications);

        lab::Scenario scenario;
        for (const QString &name : applications)
            scenario.applications.append({{}, name, {}, {}});
        HostingLab lab(scenario, {});
        SinkHosting::uninstallSinkApplication("kestrelon", *lab.platform, lab.errorLog);
        QTEST(outcomeOf(lab, {}), "remaining");
    }

    void refresh_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("library");
        QTest::addColumn<bool>("uninstall");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("logged");

        const QString storedRule = "Subject: [SPAM]>Inbox\\Spam|X-Spam-Flag: YES>[Null]|"
                                   "IMFSCL: {> 3}>fwd@example.com|> 100";
        const QString defaults = "X-Spam-Flag: YES>Spam|>|>|> 65535";
        const QString installable = "1E 0- EEv EEEEEEEE EEU- E-L- E-L- E-L- E ";
        QTest::newRow("installed, three-row rule, name in other case")
            << "KESTRELON" << true << false << "Administrator"
            << "0- 0E --h -------- --L- --L- --L- --L- - CORP\\svc|Password: ********|" + storedRule
            << QStringList();
        QTest::newRow("installable, identity proposed")
            << "" << true << false << "Administrator"
            << installable + "CORP\\Administrator|Password:|" + defaults << QStringList();
        QTest::newRow("not installable")
            << "" << false << false << "Administrator"
            << "0- 0- --v -------- --L- --L- --L- --L- - |Password:|" + defaults
            << QStringList{"[%1] File %2\\Kestrelon.dll not found. COM+ object installation is "
                           "impossible.\r\n\r\n"};
        QTest::newRow("installable again after an uninstall")
            << "Kestrelon" << true << true << "Administrator"
            << "1E 0- EEv EEEEEEEE EEU- EEL- EELE E-L- E CORP\\Administrator|Password:|" +
                   storedRule
            << QStringList();
        QTest::newRow("identity and cluster lookups fail: logged, window ready")
            << "" << true << false << "o'brien" << installable + "|Password:|" + defaults
            << QStringList{"[%1] Finding the cluster name - ERROR: -2147217900 ",
                           "[%1] Proposing the identity - ERROR: -2147217900 "};
    }

    void refresh()
    {
        QFETCH(QString, stored);
        QFETCH(bool, library);
        QFETCH(QString, user);
        QFETCH(QStringList, logged);

        lab::Scenario scenario;
        scenario.machine.logonUserName = user;
        scenario.machine.localMachineKeys = {"Cluster"};
        if (!stored.isEmpty())
            scenario.applications.append(
                {{},
                 stored,
                 {{"Identity", "CORP\\svc"}, {"Password", "pw"}},
                 {{{},
                   "Kestrelon.Cls",
                   {{"ConstructionEnabled", true}, {"ConstructorString", threeRows}}}}});
        // The window's reload: the sink's state, then the cluster name, lists and log.
        const LibraryFolder folder(library ? standIn({"Kestrelon.Cls"}) : QByteArray());
        LabFixture<> lab(scenario);
        InstallForm &form = lab.form;
        const QString &log = form.errorLogEdit.text();
        form.onLoad();
        form.sink.passwordEdit.setText("typed");
        form.refreshInstallState();
        QFETCH(bool, uninstall);
        if (uninstall) {
            SinkHosting::uninstallSinkApplication("Kestrelon", *lab.platform, form.errorLog);
            form.refreshInstallState();
        }
        QTEST(windowOf(form.sink, form.rule), "window");
        QCOMPARE(form.sink.passwordEdit.text(), QString());
        QCOMPARE(form.rule.rows[0].targetEdit.toolTip(), form.rule.rows[0].targetEdit.text());
        QVERIFY(form.rule.editorReady);
        QCOMPARE(log.count("\r\n\r\n"), logged.size());
        for (QString entry : logged)
            QVERIFY2(log.contains(entry.replace("%1", form.errorLog.timestamp())
                                      .replace("%2", QDir::currentPath())),
                     qPrintable(log));
        QCOMPARE(form.errorLogEdit.visible(), !logged.isEmpty());
    }

    void identityProposal_data()
    {
        QTest::addColumn<QString>("lanGroup");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("identity");

        const QString person = "CN=Person,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=com";
        const QString none;
        row("LAN group wins", u"CORP"_s, person, u"CORP\\admin"_s);
        row("directory domain, blanks and a trailing part", none,
            u"CN=Person,dc= corp, DC=example,DC=com,O=Extra"_s, u"corp.example.com\\admin"_s);
        row("category without DC=", none, u"CN=Person,CN=Schema"_s, none);
        row("no directory entry, no LAN group", none, none, none);
    }

    void identityProposal()
    {
        QFETCH(QString, lanGroup);
        QFETCH(QString, category);

        lab::Scenario scenario;
        scenario.machine.logonUserName = "admin";
        scenario.machine.lanGroup = lanGroup;
        if (!category.isEmpty())
            scenario.directory.append(
                {"CN=admin,CN=Users,DC=corp,DC=example,DC=com",
                 {{"sAMAccountName", "admin"}, {"objectCategory", category}}});
        HostingLab lab(scenario, {});
        lab.environment.discover();
        lab.sink.identityEdit.setText("stale");
        lab.sink.proposeIdentity();
        QTEST(lab.sink.identityEdit.text(), "identity");
    }
};

QTEST_GUILESS_MAIN(TestHosting)
#include "tst_hosting.moc"

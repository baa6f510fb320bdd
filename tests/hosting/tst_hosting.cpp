#include "hosting/sinkhosting.h"
#include "platform/lab/labplatform.h"
#include "platform/lab/standinlibrary.h"
#include "platform/platformerror.h"
#include "shell/labfixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString config = QStringLiteral("Spam\t\rX-Spam-Flag: YES\t\r65535");
const QString threeRows = QStringLiteral("Inbox\\Spam\t[Null]\tfwd@example.com\t\r"
                                         "Subject: [SPAM]\tX-Spam-Flag: YES\tIMFSCL: {> 3}\t\r100");

QByteArray standIn(const QStringList &components)
{
    return QByteArray(lab::StandInMarker) + '\n' + components.join(u'\n').toUtf8();
}

// The window's model on a lab, run from a folder of its own holding the given
// Kestrelon.dll (none when null).
struct HostingLab : LabFixture<>
{
    QTemporaryDir folder;
    QString previousFolder = QDir::currentPath();

    HostingLab(const lab::Scenario &scenario, const QByteArray &library) : LabFixture(scenario)
    {
        QDir::setCurrent(folder.path());
        QFile file(folder.filePath("Kestrelon.dll"));
        if (!library.isNull() && file.open(QIODevice::WriteOnly))
            file.write(library);
    }
    ~HostingLab() { QDir::setCurrent(previousFolder); }

    lab::LabDatabase &database() { return static_cast<lab::LabPlatform &>(*platform).database(); }
    const QString &log() const { return form.errorLogEdit.text(); }
    // Makes the statements the trigger event names fail, as a full disk would.
    void failOn(const QString &event)
    {
        if (!event.isEmpty())
            database().execute("CREATE TRIGGER injected " + event +
                               " BEGIN SELECT RAISE(ABORT, 'injected failure'); END");
    }
};

// "name[identity]{component, constructed component*}" per application.
QStringList catalogOf(HostingLab &lab)
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
    return out;
}

// Whether the stored password hash is that of the text; a null text: none is stored.
bool storedPasswordIs(HostingLab &lab, const QString &text)
{
    QSqlQuery query(lab.database().database());
    query.exec("SELECT value FROM catalog_property WHERE name = 'Password'");
    if (!query.next())
        return text.isNull();
    const QStringList salted = query.value(0).toString().split(u':');
    return QCryptographicHash::hash(QByteArray::fromHex(salted.value(1).toLatin1()) + text.toUtf8(),
                                    QCryptographicHash::Sha256)
               .toHex() == salted.value(2);
}

// Check boxes (value, enabled), identity and password boxes (enabled; password visible), the
// eight captions, per row condition, action, target (L locked grey, U open) and "...", and
// the priority; E enabled, - disabled.
QString controlsOf(const InstallForm &f)
{
    const auto on = [](const ControlModel &c) {
        return c.enabled() ? u'E' : u'-';
    };
    QString s = QString::number(f.installSinkCheck.value()) + on(f.installSinkCheck) + ' ' +
                QString::number(f.uninstallSinkCheck.value()) + on(f.uninstallSinkCheck) + ' ' +
                on(f.identityEdit) + on(f.passwordEdit) + (f.passwordEdit.visible() ? 'v' : 'h') +
                ' ';
    for (const LabelModel *caption :
         {&f.passwordLabel, &f.identityLabel, &f.conditionLabel, &f.actionLabel, &f.targetLabel,
          &f.priorityLabel, &f.conditionExampleLabel, &f.targetExampleLabel})
        s += on(*caption);
    for (const RuleRow &row : f.rule.rows) {
        const bool grey = row.targetEdit.foreColor() == ColorRole::GrayText;
        const bool locked = row.targetEdit.locked();
        s += QString(' ') + on(row.conditionEdit) + on(row.actionList) +
             (locked && grey     ? 'L'
              : !locked && !grey ? 'U'
                                 : '?') +
             on(row.browseRecipientButton);
    }
    return s + ' ' + on(f.rule.priorityEdit);
}

// "condition>target" per row, then the priority.
QString ruleOf(const RuleEditor &rule)
{
    QStringList rows;
    for (const RuleRow &row : rule.rows)
        rows << row.conditionEdit.text() + '>' + row.targetEdit.text();
    return rows.join('|') + ' ' + rule.priorityEdit.text();
}

} // namespace

class TestHosting : public QObject
{
    Q_OBJECT

private slots:
    void install_data()
    {
        QTest::addColumn<QString>("identity");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("configuration");
        QTest::addColumn<QStringList>("components");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QStringList>("catalog");
        QTest::addColumn<QString>("storedPassword");
        QTest::addColumn<qint32>("logged");

        const QStringList sink{"Kestrelon.KestrelonCls"};
        QTest::newRow("identity and password trimmed")
            << " CORP\\svc  "
            << "  pa ss " << config << sink << ""
            << QStringList{"Kestrelon[CORP\\svc]{Kestrelon.KestrelonCls*}"} << "pa ss" << 0;
        QTest::newRow("identity without password: neither set")
            << "CORP\\svc"
            << "   " << config << sink << "" << QStringList{"Kestrelon[]{Kestrelon.KestrelonCls*}"}
            << QString() << 0;
        QTest::newRow("empty configuration: construction stays off")
            << ""
            << ""
            << "" << sink << "" << QStringList{"Kestrelon[]{Kestrelon.KestrelonCls}"} << QString()
            << 0;
        QTest::newRow("no component named Kestrelon.<class> in that case")
            << ""
            << "" << config << QStringList{"Other.Cls", "kestrelon.Lower"} << ""
            << QStringList{"Kestrelon[]{Other.Cls, kestrelon.Lower}"} << QString() << 0;
        QTest::newRow("only the first matching component")
            << ""
            << "" << config << QStringList{"Other.Cls", "Kestrelon.One", "Kestrelon.Two"} << ""
            << QStringList{"Kestrelon[]{Other.Cls, Kestrelon.One*, Kestrelon.Two}"} << QString()
            << 0;
        QTest::newRow("not a component library, after the save")
            << "CORP\\svc"
            << "pw" << config << QStringList() << "" << QStringList{"Kestrelon[CORP\\svc]{}"}
            << "pw" << qint32(0x800700C1u);
        QTest::newRow("failing save: no half-saved application")
            << "CORP\\svc"
            << "pw" << config << sink
            << "BEFORE INSERT ON catalog_property WHEN NEW.name = 'Password'" << QStringList()
            << QString() << platform::error::LabIo;
    }

    void install()
    {
        QFETCH(QString, identity);
        QFETCH(QString, password);
        QFETCH(QString, configuration);
        QFETCH(QStringList, components);
        QFETCH(QString, failing);
        QFETCH(QString, storedPassword);
        QFETCH(qint32, logged);

        HostingLab lab({}, components.isEmpty() ? QByteArray("MZ\x90") : standIn(components));
        lab.failOn(failing);
        SinkHosting::installSinkApplication("Kestrelon", identity, password, configuration,
                                            *lab.platform, lab.form.errorLog);
        QTEST(catalogOf(lab), "catalog");
        QVERIFY(storedPasswordIs(lab, storedPassword));
        const QString entry =
            QStringLiteral("[%1]  - ERROR: %2 ").arg(lab.form.errorLog.timestamp()).arg(logged);
        QCOMPARE(lab.log().count("\r\n\r\n"), logged ? 1 : 0);
        QVERIFY2(!logged || lab.log().startsWith(entry), qPrintable(lab.log()));
        QVERIFY(!lab.log().contains(password.trimmed()) || password.trimmed().isEmpty());
    }

    void uninstall_data()
    {
        QTest::addColumn<QStringList>("applications");
        QTest::addColumn<QStringList>("remaining");

        QTest::newRow("name in other letter case")
            << QStringList{"Other", "Kestrelon"} << QStringList{"Other[]{}"};
        QTest::newRow("of two, the first")
            << QStringList{"KESTRELON", "kestrelon"} << QStringList{"kestrelon[]{}"};
        QTest::newRow("none of that name") << QStringList{"Other"} << QStringList{"Other[]{}"};
    }

    void uninstall()
    {
        QFETCH(QStringList, applications);

        lab::Scenario scenario;
        for (const QString &name : applications)
            scenario.applications.append({{}, name, {}, {}});
        HostingLab lab(scenario, {});
        SinkHosting::uninstallSinkApplication("kestrelon", *lab.platform, lab.form.errorLog);
        QTEST(catalogOf(lab), "remaining");
        QCOMPARE(lab.log(), QString());
    }

    void refresh_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("library");
        QTest::addColumn<bool>("uninstall");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("controls");
        QTest::addColumn<QString>("identity");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("logged");

        const QString stored = "Subject: [SPAM]>Inbox\\Spam|X-Spam-Flag: YES>[Null]|"
                               "IMFSCL: {> 3}>fwd@example.com|> 100";
        const QString defaults = "X-Spam-Flag: YES>Spam|>|>|> 65535";
        const QString admin = "CORP\\Administrator";
        QTest::newRow("installed, three-row rule, name in other case")
            << "KESTRELON" << true << false << "Administrator"
            << "0- 0E --h -------- --L- --L- --L- --L- -"
            << "CORP\\svc"
            << "Password: ********" << stored << QStringList();
        QTest::newRow("installable, identity proposed")
            << "" << true << false << "Administrator"
            << "1E 0- EEv EEEEEEEE EEU- E-L- E-L- E-L- E" << admin << "Password:" << defaults
            << QStringList();
        QTest::newRow("not installable")
            << "" << false << false << "Administrator"
            << "0- 0- --v -------- --L- --L- --L- --L- -"
            << ""
            << "Password:" << defaults
            << QStringList{"[%1] File %2\\Kestrelon.dll not found. COM+ object installation is "
                           "impossible.\r\n\r\n"};
        QTest::newRow("installable again after an uninstall")
            << "Kestrelon" << true << true << "Administrator"
            << "1E 0- EEv EEEEEEEE EEU- EEL- EELE E-L- E" << admin << "Password:" << stored
            << QStringList();
        QTest::newRow("identity and cluster lookups fail: logged, window ready")
            << "" << true << false << "o'brien"
            << "1E 0- EEv EEEEEEEE EEU- E-L- E-L- E-L- E"
            << ""
            << "Password:" << defaults
            << QStringList{"[%1] Finding the cluster name - ERROR: -2147217900 ",
                           "[%1] Proposing the identity - ERROR: -2147217900 "};
    }

    void refresh()
    {
        QFETCH(QString, stored);
        QFETCH(bool, library);
        QFETCH(bool, uninstall);
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
                   "Kestrelon.KestrelonCls",
                   {{"ConstructionEnabled", true}, {"ConstructorString", threeRows}}}}});
        HostingLab lab(scenario, library ? standIn({"Kestrelon.KestrelonCls"}) : QByteArray());
        InstallForm &form = lab.form;
        form.onLoad();
        form.passwordEdit.setText("typed");
        form.refreshInstallState();
        if (uninstall) {
            SinkHosting::uninstallSinkApplication("Kestrelon", *lab.platform, form.errorLog);
            form.refreshInstallState();
        }
        QTEST(controlsOf(form), "controls");
        QTEST(form.identityEdit.text(), "identity");
        QTEST(form.passwordLabel.caption(), "caption");
        QTEST(ruleOf(form.rule), "rule");
        QCOMPARE(form.passwordEdit.text(), QString());
        QCOMPARE(form.rule.rows[0].targetEdit.toolTip(), form.rule.rows[0].targetEdit.text());
        QVERIFY(form.rule.editorReady);
        QCOMPARE(lab.log().count("\r\n\r\n"), logged.size());
        for (const QString &entry : logged)
            QVERIFY2(lab.log().contains(QString(entry)
                                            .replace("%1", form.errorLog.timestamp())
                                            .replace("%2", QDir::currentPath())),
                     qPrintable(lab.log()));
        QCOMPARE(form.errorLogEdit.visible(), !logged.isEmpty());
    }

    void identityProposal_data()
    {
        QTest::addColumn<QString>("lanGroup");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("identity");

        const QString person = "CN=Person,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=com";
        QTest::newRow("LAN group wins") << "CORP" << person << "CORP\\admin";
        QTest::newRow("directory domain") << "" << person << "corp.example.com\\admin";
        QTest::newRow("blanks and a trailing part")
            << ""
            << "CN=Person,dc= corp, DC=example,DC=com,O=Extra"
            << "corp.example.com\\admin";
        QTest::newRow("category without DC=") << ""
                                              << "CN=Person,CN=Schema"
                                              << "";
        QTest::newRow("no directory entry, no LAN group") << ""
                                                          << ""
                                                          << "";
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
        lab.form.onLoad();
        lab.form.identityEdit.setText("stale");
        lab.form.proposeIdentity();
        QTEST(lab.form.identityEdit.text(), "identity");
    }
};

QTEST_GUILESS_MAIN(TestHosting)
#include "tst_hosting.moc"

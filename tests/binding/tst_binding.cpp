#include "binding/bindingattempts.h"
#include "binding/registrationitems.h"
#include "mailboxes/mailboxlab.h"
#include "platform/lab/labreport.h"
#include "platform/lab/standinlibrary.h"
#include "support/datarow.h"

#include <QDir>
#include <QJsonArray>
#include <QTest>

using namespace mailboxtest;
using namespace Qt::StringLiterals;

namespace {

const QString ItemName = QStringLiteral("Kestrelon.reg");
const QString Inbox = QStringLiteral("inbox");
const QString GlobalEvents = QStringLiteral("StoreEvents/GlobalEvents");

// A store whose transactions fail at commit, after everything else was written.
class CommitFailingStore : public RecordingStore
{
public:
    using RecordingStore::RecordingStore;
    void commitTransaction() override
    {
        throw platform::PlatformError(platform::error::AccessDenied, "commit refused");
    }
};

// The lab platform with CommitFailingStore connections.
class CommitFailingPlatform : public platform::Platform
{
public:
    explicit CommitFailingPlatform(platform::Platform &inner) : m_inner(inner) {}
    QString description() const override { return m_inner.description(); }
    std::unique_ptr<platform::DirectoryConnection> createDirectoryConnection() override
    {
        return m_inner.createDirectoryConnection();
    }
    std::unique_ptr<platform::StoreConnection> createStoreConnection() override
    {
        return std::make_unique<CommitFailingStore>(m_inner.createStoreConnection());
    }
    std::unique_ptr<platform::ComponentCatalog> createCatalog() override
    {
        return m_inner.createCatalog();
    }
    platform::MachineFacts &machine() override { return m_inner.machine(); }

private:
    platform::Platform &m_inner;
};

// The window's model on a lab, run from a folder that holds the sink library.
struct BindingLab : WindowLab<>, LibraryFolder
{
    platform::Platform *used = nullptr; // what create() writes through; the lab when null

    explicit BindingLab(const lab::Scenario &scenario = mixedScenario())
        : WindowLab(scenario),
          LibraryFolder(QByteArray(lab::StandInMarker) + "\nKestrelon.KestrelonCls\n")
    {
        form.refreshInstallState();
    }

    // "name=value" per property of the named mailbox's items, in stored order; the folder is
    // "inbox" or "global".
    QStringList items(const QString &mailbox, const QString &folder = QStringLiteral("inbox"))
    {
        const QString key = folder == "inbox" ? "inboxItems" : "globalEventsItems";
        QStringList out;
        for (const QJsonValue box : lab::labReport(path())["mailboxes"].toArray()) {
            if (!box["names"].toArray().contains(mailbox))
                continue;
            for (const QJsonValue item : box[key].toArray()) {
                out << item["name"].toString();
                for (const QJsonValue p : item["properties"].toArray())
                    out << p["name"].toString().section('/', -1) + '=' +
                               p["value"].toVariant().toString();
            }
        }
        return out;
    }
    QString lists() { return listAliases(form.lists); }
    void select(ListBoxModel &list, const QStringList &aliases)
    {
        for (int i = 0; i < list.count(); ++i)
            list.setSelected(i, aliases.contains(list.entry(i).section(" / ", -1).left(15)) ||
                                    (aliases.contains("-") && list.entry(i).endsWith(" / ")));
    }
    int logEntries() const { return form.errorLogEdit.text().count(" - ERROR: "); }
    QString create(const QString &mailbox, const QString &folder, bool log,
                   const QString &priority = "100")
    {
        return RegistrationItems::createRegistrationItem(
            mailbox, folder, ItemName, "onsyncsave", "Kestrelon.KestrelonCls",
            folder.compare(Inbox, Qt::CaseInsensitive) == 0 ? "SHALLOW" : "ANY",
            " WHERE \"DAV:ishidden\" = FALSE", priority, log, used ? *used : *platform,
            form.errorLog);
    }
};

QString urls(const QList<RegistrationProbe::Attempt> &attempts)
{
    QStringList out;
    for (const RegistrationProbe::Attempt &a : attempts)
        out << QString(a.url)
                       .replace(HttpMailboxRoot, "H")
                       .replace(FileMailboxRoot, "F")
                       .replace("http://exch01." + Domain + "/exadmin/", "h:")
                       .replace("file://./backofficestorage/", "f:") +
                   (a.logFailure ? "!" : "");
    return out.join(' ');
}

} // namespace

class TestBinding : public QObject
{
    Q_OBJECT

private slots:
    void attempts_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("deletes"); // "!" marks an attempt that logs its failure
        QTest::addColumn<QString>("creates");

        row("alias and address", "Carol Chen / EXCH01 / carol.chen@mail.test / cchen",
            "H/carol.chen H/cchen! F/cchen! F/carol.chen",
            "f:mail.test/mbx/carol.chen h:mail.test/mbx/carol.chen F/carol.chen H/carol.chen "
            "F/cchen H/cchen!");
        row("no address: the alias stands in", "Jane Doe / EXCH01 /  / jdoe",
            "H/ H/jdoe! F/jdoe! F/", "F/jdoe H/jdoe!");
        row("no alias: the local part logs", "X / EXCH01 / x@mail.test / ", "H/x F/x",
            "f:mail.test/mbx/x h:mail.test/mbx/x F/x H/x!");
        row("last @, blanks trimmed", "a / b /  o@dd@mail.test  /  al  ",
            "H/o@dd H/al! F/al! F/o@dd",
            "f:mail.test/mbx/o@dd h:mail.test/mbx/o@dd F/o@dd H/o@dd F/al H/al!");
        row("@ first: whole address on both sides", "a / b / @mail.test / al",
            "H/@mail.test H/al! F/al! F/@mail.test",
            "f:@mail.test/mbx/@mail.test h:@mail.test/mbx/@mail.test F/@mail.test "
            "H/@mail.test F/al H/al!");
        row("no separator: all address", "x@mail.test", "H/x F/x",
            "f:mail.test/mbx/x h:mail.test/mbx/x F/x H/x!");
        row("two segments", "x@mail.test / al", "H/x H/al! F/al! F/x",
            "f:mail.test/mbx/x h:mail.test/mbx/x F/x H/x F/al H/al!");
        row("nothing to go by", "Nobody / EXCH01 /  / ", "H/ F/", "");
    }
    void attempts()
    {
        QFETCH(QString, entry);
        QFETCH(QString, deletes);
        QFETCH(QString, creates);
        const RegistrationProbe::MailboxRoots roots{"exch01." + Domain, HttpMailboxRoot,
                                                    FileMailboxRoot};
        const BindingAttempts::EntryParts parts = BindingAttempts::readEntry(entry);
        QCOMPARE(urls(BindingAttempts::deleteAttempts(roots, parts)), deletes);
        QCOMPARE(urls(BindingAttempts::createAttempts(roots, parts)), creates);
    }

    void createRegistrationItem_data()
    {
        QTest::addColumn<QString>("mailbox");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("result"); // after the mailbox URL
        QTest::addColumn<QString>("stored"); // mailbox name:folder of the item written
        QTest::addColumn<bool>("commitRefused");

        const QString none;
        row("inbox", u"cchen"_s, Inbox, u"/Inbox"_s, u"cchen:inbox"_s, false);
        row("INBOX, localised", u"hhuber"_s, u"INBOX"_s, u"/Posteingang"_s, u"hhuber:inbox"_s,
            false);
        row("store-wide", StoreAlias, GlobalEvents, "/" + GlobalEvents, StoreAlias + ":global",
            false);
        // Failures log once, and leave nothing behind.
        row("no such folder", u"cchen"_s, u"Calendar/None"_s, none, none, false);
        row("no such mailbox", u"nobody"_s, Inbox, none, none, false);
        row("read-only mailbox", u"rro"_s, Inbox, none, none, false);
        row("commit refused", u"cchen"_s, Inbox, none, none, true);
    }
    void createRegistrationItem()
    {
        QFETCH(QString, mailbox);
        QFETCH(QString, result);
        QFETCH(QString, stored);
        QFETCH(QString, folder);
        QFETCH(bool, commitRefused);
        lab::Scenario scenario = baseScenario();
        lab::addMailboxUser(scenario, person("Rita Ro", "rro", ""));
        scenario.mailboxes.last().writable = false;
        lab::addMailboxUser(scenario, person("Carol Chen", "cchen", "cchen@" + Domain));
        lab::addMailboxUser(scenario, person("Hans Huber", "hhuber", "", "localised"));
        BindingLab lab(scenario);
        CommitFailingPlatform failing(*lab.platform);
        if (commitRefused)
            lab.used = &failing;
        const QString url = FileMailboxRoot + '/' + mailbox;
        // Twice: the second write replaces the first.
        lab.create(url, folder, false, "7");
        for (bool log : {false, true})
            QCOMPARE(lab.create(url, folder, log), result.isEmpty() ? QString() : url + result);
        if (stored.isEmpty()) {
            QCOMPARE(lab.logEntries(), 1);
            QVERIFY(lab.form.errorLogEdit.text().contains("] " + url + " - ERROR: "));
            QCOMPARE(lab.items(mailbox), QStringList());
            return;
        }
        QCOMPARE(lab.logEntries(), 0);
        QCOMPARE(
            lab.items(stored.section(':', 0, 0), stored.section(':', 1)),
            QStringList({ItemName, "DAV:contentclass=urn:content-class:storeeventreg",
                         "EventMethod=onsyncsave", "SinkClass=Kestrelon.KestrelonCls",
                         QString("MatchScope=") + (stored.endsWith("inbox") ? "SHALLOW" : "ANY"),
                         "criteria= WHERE \"DAV:ishidden\" = FALSE", "priority=100",
                         "DAV:ishidden=true"}));
    }

    void apply_data()
    {
        QTest::addColumn<QString>("ticked");   // check box names
        QTest::addColumn<QString>("selected"); // "list:alias"
        QTest::addColumn<QString>("lists");    // after the apply
        QTest::addColumn<int>("logEntries");
        QTest::addColumn<QString>("goneBefore"); // its binding vanishes after the lists filled

        const char *bind = "registerMailboxesCheck", *unbind = "unregisterMailboxesCheck";
        row("nothing ticked: reload only", "", "um:cchen", "S7|S0|cchen,hhuber,llang,-|jdoe", 0,
            "hhuber");
        row("bind one mailbox", bind, "um:cchen bm:jdoe", "S7|S0|llang,-|cchen,hhuber,jdoe", 0, "");
        // Reached by its address's local part only: the first attempt binds, and the
        // attempts by alias, which would fail and log, never run.
        row("bind by local part", bind, "um:llang", "S7|S0|cchen,-|hhuber,jdoe,llang", 0, "");
        row("unbind a localised inbox", unbind, "bm:hhuber", "S7|S0|cchen,hhuber,llang,-|jdoe", 0,
            "");
        row("swap both stores", "registerStoresCheck unregisterStoresCheck",
            "us:SystemMailbox{7 bs:SystemMailbox{0", "S0|S7|cchen,llang,-|hhuber,jdoe", 0, "");
        // The entry has neither alias nor address: no attempt, nothing logged.
        row("bind what has no name", bind, "um:-", "S7|S0|cchen,llang,-|hhuber,jdoe", 0, "");
        // Already gone: the delete attempts by alias log, those by address do not.
        row("unbind twice", unbind, "bm:jdoe", "S7|S0|cchen,jdoe,llang,-|hhuber", 2, "jdoe");
    }
    void apply()
    {
        QFETCH(QString, selected);
        QFETCH(QString, ticked);
        QFETCH(QString, goneBefore);
        QFETCH(QString, lists);
        QFETCH(int, logEntries);
        lab::Scenario scenario = mixedScenario();
        lab::addMailboxUser(scenario, person("Nomail", "", ""));
        lab::addMailboxUser(scenario, person("Lena Lang", "llang", "lena@" + Domain, "local-part"));
        BindingLab lab(scenario);
        const QHash<QString, ListBoxModel *> byName{{"us", &lab.form.lists.unboundStoreList},
                                                    {"bs", &lab.form.lists.boundStoreList},
                                                    {"um", &lab.form.lists.unboundMailboxList},
                                                    {"bm", &lab.form.lists.boundMailboxList}};
        for (auto it = byName.begin(); it != byName.end(); ++it) {
            QStringList aliases;
            for (const QString &s : selected.split(' '))
                if (s.startsWith(it.key() + ':'))
                    aliases << s.mid(3);
            lab.select(**it, aliases);
        }
        for (CheckBoxModel *check :
             {&lab.form.lists.registerStoresCheck, &lab.form.lists.registerMailboxesCheck,
              &lab.form.lists.unregisterMailboxesCheck, &lab.form.lists.unregisterStoresCheck})
            check->setValue(ticked.split(u' ').contains(check->name()) ? 1 : 0);
        lab.form.sink.installSinkCheck.setValue(0);
        if (!goneBefore.isEmpty())
            QVERIFY(RegistrationItems::deleteRegistrationItem(FileMailboxRoot + '/' + goneBefore,
                                                              Inbox, ItemName, true, *lab.platform,
                                                              lab.form.errorLog));
        lab.form.errorLog.add("an earlier apply", 1, "its failure");
        // A second CHANGE while the reload walks is ignored: the cursor stays busy.
        bool stillWaiting = true;
        lab.screen.onEvents = [&, clicked = false]() mutable {
            if (!clicked) {
                clicked = true;
                lab.form.bindings.onApplyClicked();
                stillWaiting = lab.screen.waitCursor;
            }
        };
        lab.form.bindings.onApplyClicked();
        QVERIFY(stillWaiting);
        QCOMPARE(lab.lists(), lists);
        QCOMPARE(lab.logEntries(), logEntries);
        QCOMPARE(lab.form.errorLogEdit.visible(), lab.logEntries() > 0);
        QVERIFY(!lab.screen.waitCursor);
        QCOMPARE(lab.screen.messages.size(), 0);
    }

    void selectionGuards_data()
    {
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("alias"); // selected in the box's list; empty: none
        QTest::addColumn<QString>("message");
        const QString registration = u"Please select the mailbox(es) for registration"_s;
        const QString unregistration = u"Please select the mailbox(es) for unregistration"_s;
        row("register stores", u"registerStoresCheck"_s, QString(), registration);
        row("register mailboxes", u"registerMailboxesCheck"_s, QString(), registration);
        row("unregister mailboxes", u"unregisterMailboxesCheck"_s, QString(), unregistration);
        row("unregister stores", u"unregisterStoresCheck"_s, QString(), unregistration);
        // The four boxes share one guard: a selection in the box's own list lets it pass.
        row("unregister mailboxes, selected", u"unregisterMailboxesCheck"_s, u"jdoe"_s, QString());
    }
    void selectionGuards()
    {
        QFETCH(QString, check);
        QFETCH(QString, alias);
        QFETCH(QString, message);
        BindingLab lab;
        InstallForm &f = lab.form;
        // Each box with the list it works on; the others' lists have selections, which
        // must not count.
        const QList<QPair<CheckBoxModel *, ListBoxModel *>> boxes{
            {&f.lists.registerStoresCheck, &f.lists.unboundStoreList},
            {&f.lists.registerMailboxesCheck, &f.lists.unboundMailboxList},
            {&f.lists.unregisterMailboxesCheck, &f.lists.boundMailboxList},
            {&f.lists.unregisterStoresCheck, &f.lists.boundStoreList}};
        for (auto [box, list] : boxes) {
            if (box->name() == check)
                lab.select(*list, {alias});
            else
                list->setSelected(0, true);
        }
        for (auto [box, list] : boxes) {
            if (box->name() != check)
                continue;
            box->setValue(1);
            QCOMPARE(box->value(), message.isEmpty() ? 1 : 0);
            box->setValue(0); // unticking asks nothing
        }
        QCOMPARE(lab.screen.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(lab.screen.messages[0].text, message);
            QCOMPARE(lab.screen.messages[0].icon, Screen::Icon::Information);
            QCOMPARE(lab.screen.messages[0].title, f.environment.caption);
        }
    }

    // What an apply with "Install COM+ object" ticked refuses, before anything changed,
    // and the order of install and uninstall.
    void install_data()
    {
        QTest::addColumn<QString>("identity");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("uninstallToo");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("installed");
        const QString fill = u"Please fill the Identity and Password fields"_s;
        const QString sink = u"CORP\\sink"_s, spam = u"X-Spam: yes"_s, pw = u"pw"_s, none;
        row("installs", sink, u" pw "_s, spam, false, none, true);
        row("blank identity", u"  "_s, pw, spam, false, fill, false);
        row("blank password", sink, u"  "_s, none, false, fill, false);
        row("empty rule", sink, pw, none, false,
            u"Please fill the Spam header and Target folder fields"_s, false);
        row("install, then uninstall last", sink, pw, spam, true, none, false);
    }
    void install()
    {
        QFETCH(QString, identity);
        QFETCH(QString, password);
        QFETCH(QString, condition);
        QFETCH(bool, uninstallToo);
        QFETCH(QString, message);
        QFETCH(bool, installed);
        BindingLab lab;
        InstallForm &f = lab.form;
        QCOMPARE(f.sink.installSinkCheck.value(), 1);
        f.sink.identityEdit.setText(identity);
        f.sink.passwordEdit.setText(password);
        f.rule.rows[0].conditionEdit.setText(condition);
        f.rule.rows[0].targetEdit.setText("Junk");
        lab.select(f.lists.unboundMailboxList, {"cchen"});
        f.lists.registerMailboxesCheck.setValue(1);
        f.sink.uninstallSinkCheck.setValue(uninstallToo ? 1 : 0);
        f.bindings.onApplyClicked();

        QCOMPARE(lab.screen.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(lab.screen.messages[0].text, message);
            QCOMPARE(lab.screen.messages[0].icon, Screen::Icon::Exclamation);
            QCOMPARE(lab.screen.messages[0].title, f.environment.caption);
        }
        QCOMPARE(lab.items("cchen").isEmpty(), !message.isEmpty());
        QCOMPARE(f.sink.uninstallSinkCheck.enabled(), installed);
        QVERIFY(!lab.screen.waitCursor);
        QCOMPARE(lab.logEntries(), 0);
    }

    // A batch run after the priority changed: every binding carries the new one, nothing
    // unbound gets one, and the program ends.
    void batchRewritesEveryBinding_data()
    {
        QTest::addColumn<bool>("closedDuringLoad");
        QTest::newRow("rewrites") << false;
        QTest::newRow("window closed while the lists load: nothing applied") << true;
    }
    void batchRewritesEveryBinding()
    {
        QFETCH(bool, closedDuringLoad);
        BindingLab lab;
        InstallForm &f = lab.form;
        // The rule, priority included, lives in the installed sink: install it with 42.
        f.sink.identityEdit.setText("CORP\\sink");
        f.sink.passwordEdit.setText("pw");
        f.rule.rows[0].conditionEdit.setText("X-Spam: yes");
        f.rule.rows[0].targetEdit.setText("Junk");
        f.rule.priorityEdit.setText("42");
        f.bindings.onApplyClicked();
        QCOMPARE(lab.items("jdoe").filter("priority="), QStringList{"priority=65535"});
        f.rule.priorityEdit.setText("7"); // not installed: the batch run must not use it

        f.environment.batchMode = true;
        f.firstActivationDone = false;
        if (closedDuringLoad)
            lab.screen.onEvents = [&f, rows = 0]() mutable {
                if (++rows == 5) // the walk has listed the bindings by now
                    f.onUnload();
            };
        f.onActivate();
        const QStringList priority{closedDuringLoad ? "priority=65535" : "priority=42"};
        QCOMPARE(lab.items("jdoe").filter("priority="), priority);
        QCOMPARE(lab.items("hhuber").filter("priority="), priority);
        QCOMPARE(lab.items(BoundStoreAlias, "global").filter("priority="), priority);
        QVERIFY(f.unloaded);
        if (closedDuringLoad)
            return;
        QCOMPARE(lab.items("cchen"), QStringList());
        QCOMPARE(lab.items(StoreAlias, "global"), QStringList());
        QCOMPARE(lab.lists(), "S7|S0|cchen|hhuber,jdoe");
        QCOMPARE(lab.logEntries(), 0);
        QVERIFY(f.unloaded);
    }
};

QTEST_GUILESS_MAIN(TestBinding)
#include "tst_binding.moc"

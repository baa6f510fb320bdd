#include "mailboxlab.h"
#include "support/datarow.h"

#include <QtTest>

using namespace mailboxtest;
using namespace Qt::StringLiterals;

// The four mailbox lists filled from a lab's directory and store.
class TestMailboxEnumeration : public QObject
{
    Q_OBJECT
private slots:
    void userMailbox_data()
    {
        // The row's one user is the one its entry describes: "cn / server / mail / alias".
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("traits"); // see person(); "shown": "Show disabled" ticked
        QTest::addColumn<QString>("list");   // "bound", "unbound" or none
        // The mailbox URLs tried, in order: "H:" and "F:" for this server's http and file roots,
        // "http:" and "file:" for the address domain's forms; "!" marks the one logged.
        QTest::addColumn<QString>("attempts");

        row("bound, no address", "Jane Doe / EXCH01 /  / jdoe", "bound", "bound", "H:jdoe");
        row("disabled, hidden", "Jane Doe [***DISABLED***] / EXCH01 /  / jdoe", "bound disabled",
            "", "");
        row("disabled, shown unprobed", "Jane Doe [***DISABLED***] / EXCH01 /  / jdoe",
            "bound disabled shown", "unbound", "");
        row("by the address's domain", "Carol Chen / EXCH01 / cchen@corp.example.local / cchen", "",
            "unbound", "F:cchen");
        row("only by the local part", "John Smith / EXCH01 / john.smith@other.test / jsmith",
            "bound local-part", "bound",
            "file:other.test/mbx/jsmith http:other.test/mbx/jsmith H:jsmith F:jsmith H:john.smith");
        row("only by the http form", "Karen King / EXCH01 / kking@corp.example.local / kking",
            "bound http-only", "bound", "F:kking H:kking");
        row("by none: the last attempt logs",
            "Ivan Ivanov / EXCH01 / ivan@corp.example.local / iivanov", "unreachable", "unbound",
            "F:iivanov H:iivanov H:iivanov F:iivanov H:ivan F:ivan!");
        row("no address, by none", "Gil Gray / EXCH01 /  / ggray", "unreachable", "unbound",
            "H:ggray F:ggray!");
        row("no alias", "Lee Low / EXCH01 / lee@corp.example.local / ", "unreachable", "unbound",
            "H:lee F:lee!");
        row("at sign first", "Fay First / EXCH01 / @d / ffirst", "unreachable", "unbound",
            "file:@d/mbx/ffirst http:@d/mbx/ffirst H:ffirst F:ffirst H:@d F:@d!");
        row("at sign last: no domain forms", "Ed Last / EXCH01 / ed@ / elast", "unreachable",
            "unbound", "H:elast F:elast H:ed F:ed!");
    }

    void userMailbox()
    {
        QFETCH(QString, entry);
        QFETCH(QString, traits);
        QFETCH(QString, list);
        QFETCH(QString, attempts);

        const QStringList parts = entry.split(u" / "_s);
        lab::Scenario scenario = baseScenario();
        lab::addMailboxUser(scenario,
                            person(parts[0].section(u" ["_s, 0, 0), parts[3], parts[2], traits));
        MailboxLab lab(scenario);
        MailboxLists &lists = lab.lists;
        lists.showDisabledCheck.setValue(traits.contains(u"shown"_s) ? 1 : 0);
        lists.refreshMailboxLists();

        QCOMPARE(lists.unboundMailboxList.entries(),
                 list == u"unbound"_s ? QStringList{entry} : QStringList());
        QCOMPARE(lists.boundMailboxList.entries(),
                 list == u"bound"_s ? QStringList{entry} : QStringList());
        // Each box is enabled by its own list; this server's unbound store fills the first.
        QCOMPARE(lists.registerMailboxesCheck.enabled(), list == u"unbound"_s);
        QCOMPARE(lists.unregisterMailboxesCheck.enabled(), list == u"bound"_s);
        QVERIFY(lists.registerStoresCheck.enabled() && !lists.unregisterStoresCheck.enabled());

        const QString log = lab.errorLogEdit.text();
        QStringList tried;
        for (QString url : std::as_const(lab.store().opened)) {
            if (url.contains(StoreAlias))
                continue;
            const bool logged = log.contains("] " + url + " - ERROR: ");
            url.replace(HttpMailboxRoot + '/', "H:").replace(FileMailboxRoot + '/', "F:");
            url.replace("http://exch01." + Domain + "/exadmin/", "http:");
            tried.append(url.replace("file://./backofficestorage/", "file:") + (logged ? "!" : ""));
        }
        QCOMPARE(tried.join(' '), attempts);
        QCOMPARE(log.count(u" - ERROR: "_s), attempts.count('!'));
    }

    void mixedLists()
    {
        MailboxLab lab(mixedScenario());
        MailboxLists &lists = lab.lists;
        const std::array boxes{&lists.registerStoresCheck, &lists.registerMailboxesCheck,
                               &lists.unregisterMailboxesCheck, &lists.unregisterStoresCheck};
        for (CheckBoxModel *box : boxes) {
            box->setEnabled(false);
            box->setValue(1);
        }
        lists.onSelectAllBoundMailboxesClicked();
        lists.refreshMailboxLists();

        QCOMPARE(lists.unboundStoreList.entries(),
                 QStringList{StoreAlias + " / EXCH01 /  / " + StoreAlias});
        QCOMPARE(lists.boundStoreList.entries(),
                 QStringList{BoundStoreAlias + " / EXCH01 / " + BoundStoreAlias +
                             "@nowhere.test / " + BoundStoreAlias});
        QCOMPARE(lists.unboundMailboxList.entries(),
                 QStringList{"Carol Chen / EXCH01 / cchen@corp.example.local / cchen"});
        QCOMPARE(lists.boundMailboxList.entries(),
                 (QStringList{"Hans Huber / EXCH01 /  / hhuber", "Jane Doe / EXCH01 /  / jdoe"}));
        QVERIFY2(lab.errorLogEdit.text().isEmpty(), qPrintable(lab.errorLogEdit.text()));
        for (CheckBoxModel *box : boxes)
            QVERIFY2(box->value() == 0 && box->enabled(), qPrintable(box->name()));
        for (const ListBoxModel *list : {&lists.unboundStoreList, &lists.boundStoreList,
                                         &lists.unboundMailboxList, &lists.boundMailboxList})
            QVERIFY2(list->horizontalExtent() > 17, qPrintable(list->name()));
        // A refill leaves the select-all captions as they were. The bound store's entry says
        // the registration item was found below StoreEvents/GlobalEvents.
        QCOMPARE(lists.selectAllBoundMailboxesButton.caption(), u"Deselect All"_s);
    }

    // The two queries word for word, with their search properties and types.
    void queries()
    {
        MailboxLab lab(baseScenario());
        lab.lists.refreshMailboxLists();
        const auto &queries = lab.directory().queries;
        QCOMPARE(queries.size(), 2);
        const QString from =
            u"FROM 'GC://dc01.corp.example.local' WHERE objectcategory='person' AND "
            "MsExchMailboxGuid='*' And "_s;
        QCOMPARE(queries[0].first, "SELECT msExchHomeServerName " + from +
                                       "mailNickName='SystemMailbox{*' ORDER BY cn");
        QCOMPARE(queries[1].first, "SELECT adspath, cn, msExchHomeServerName,mailNickName,mail,"
                                   "homeMDB,userAccountControl,msExchMailboxGUID " +
                                       from + "msExchHomeServerName='" + Exch01 + "' ORDER BY cn");
        const auto shown = [](const platform::SearchProperties &properties) {
            QStringList out;
            for (const auto &[name, value] : properties)
                out << name + '=' + value.metaType().name() + ':' + value.toString();
            return out.join(u", "_s);
        };
        QCOMPARE(shown(queries[0].second), u"Timeout=short:120"_s);
        QCOMPARE(shown(queries[1].second),
                 u"searchscope=int:2, cache results=bool:true, Chase Referrals=int:96, "
                 "Page Size=short:100, Size Limit=short:30000, Timeout=short:120"_s);
    }

    void thisServerByName_data()
    {
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("clusterName"); // empty: no cluster node
        QTest::addColumn<QString>("listed");      // the user listed, "" for none

        row("own name on a cluster node", "EXCH01", "EXCH03", "Ann");
        row("cluster node, its virtual server", "node1", "exch01", "Ann");
        row("name is only a prefix", "exch0", "", "");
        // Two stores name this server in different organizations: the first by cn counts.
        row("first matching store", "exch09", "", "Bob");
    }

    void thisServerByName()
    {
        QFETCH(QString, shortName);
        QFETCH(QString, clusterName);
        QFETCH(QString, listed);

        lab::Scenario scenario = baseScenario();
        const QString first = lab::homeServerValue("EXCH09", "First");
        const QString second = lab::homeServerValue("EXCH09", "Second");
        lab::addSystemMailbox(scenario, systemMailbox("B", "SystemMailbox{B}", second));
        lab::addSystemMailbox(scenario, systemMailbox("A", "SystemMailbox{A}", first));
        for (const auto &[cn, home] : {std::pair{"Ann", Exch01}, {"Bob", first}, {"Cid", second}}) {
            lab::MailboxUser user = person(cn, cn, QString());
            user.homeServer = home;
            lab::addMailboxUser(scenario, user);
        }
        MailboxLab lab(scenario);
        lab.environment.shortComputerName = shortName;
        lab.environment.runsOnClusterNode = !clusterName.isEmpty();
        lab.environment.clusterName = clusterName.isEmpty() ? u"EXCH01"_s : clusterName;
        lab.lists.refreshMailboxLists();
        QCOMPARE(lab.lists.unboundMailboxList.entries().join(u""_s).section(' ', 0, 0), listed);
        QCOMPARE(lab.directory().queries.size(), listed.isEmpty() ? 1 : 2);
    }

    void directoryFailures_data()
    {
        QTest::addColumn<int>("failFrom");       // the first query that fails
        QTest::addColumn<bool>("answerNothing"); // or answers without rows
        QTest::newRow("query A fails") << 1 << false;
        QTest::newRow("query B fails") << 2 << false;
        QTest::newRow("query B without rows") << 2 << true;
    }

    void directoryFailures()
    {
        QFETCH(int, failFrom);
        QFETCH(bool, answerNothing);
        MailboxLab lab(mixedScenario());
        MailboxLists &lists = lab.lists;
        lab.directory().failFrom = failFrom;
        lab.directory().answerNothing = answerNothing;
        const std::array boxes{&lists.registerStoresCheck, &lists.registerMailboxesCheck,
                               &lists.unregisterMailboxesCheck, &lists.unregisterStoresCheck};
        for (CheckBoxModel *box : boxes) {
            box->onToggled = nullptr; // ticked as a walk found them, past the selection guards
            box->setValue(1);
        }
        try {
            lists.refreshMailboxLists();
            QVERIFY2(answerNothing, "the failure did not reach the caller");
        } catch (const platform::PlatformError &error) {
            QCOMPARE(error.number, platform::error::ServerUnreachable);
        }
        QCOMPARE(lab.entryCount(), 0);
        // A failure ends the walk where it stands: the store boxes were unticked first, the
        // others wait for the end, where empty lists disable them all.
        QCOMPARE(lists.registerStoresCheck.value() + lists.unregisterStoresCheck.value(), 0);
        QCOMPARE(lists.registerMailboxesCheck.value(), answerNothing ? 0 : 1);
        for (CheckBoxModel *box : boxes)
            QCOMPARE(box->enabled(), !answerNothing);
        QCOMPARE(lab.screen.eventsLetThrough, 0);
        QVERIFY(lab.errorLogEdit.text().isEmpty());
    }

    void unreadableValues_data()
    {
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<QStringList>("values"); // none: the attribute is absent
        QTest::addColumn<int>("error");          // 0: the row is listed

        const QString control = u"userAccountControl"_s;
        QTest::newRow("control absent") << control << QStringList() << 94;
        QTest::newRow("control not a number") << control << QStringList{"disabled"} << 13;
        QTest::newRow("control too large") << control << QStringList{"4294967296"} << 6;
        QTest::newRow("control as spaced text") << control << QStringList{" 512 "} << 0;
        QTest::newRow("cn twice") << u"cn"_s << QStringList{"a", "b"} << 13;
    }

    void unreadableValues()
    {
        QFETCH(QString, attribute);
        QFETCH(QStringList, values);
        QFETCH(int, error);

        lab::Scenario scenario = baseScenario();
        lab::addMailboxUser(scenario, person("Zoe Zed", "zzed", "zzed@" + Domain));
        auto &attributes = scenario.directory.last().attributes;
        attributes.removeIf([&](const auto &a) { return a.first == attribute; });
        for (const QString &value : std::as_const(values))
            attributes.append({attribute, value});
        MailboxLab lab(scenario);
        try {
            lab.lists.refreshMailboxLists();
            QCOMPARE(error, 0);
        } catch (const platform::PlatformError &failure) {
            QCOMPARE(failure.number, error);
        }
        QCOMPARE(lab.lists.unboundMailboxList.count() + lab.lists.boundMailboxList.count(),
                 error ? 0 : 1);
    }

    // "Show disabled" ticked while a walk waits for events: the new walk fills the lists, the
    // old one stops without adding a row, and the lists end as one walk from nothing.
    void walkDuringWalk()
    {
        MailboxLab lab(mixedScenario());
        MailboxLists &lists = lab.lists;
        const auto entries = [&lists] {
            return QList<QStringList>{
                lists.unboundStoreList.entries(), lists.boundStoreList.entries(),
                lists.unboundMailboxList.entries(), lists.boundMailboxList.entries()};
        };
        lists.showDisabledCheck.setValue(1);
        lists.refreshMailboxLists();
        const QList<QStringList> fresh = entries();
        lists.showDisabledCheck.setValue(0);
        lists.showDisabledCheck.onToggled = [&lists] {
            lists.onShowDisabledToggled();
        };
        lab.screen.eventsLetThrough = 0;
        lab.screen.onEvents = [&] {
            if (lab.screen.eventsLetThrough == 3)
                lists.showDisabledCheck.setValue(1);
        };
        lists.refreshMailboxLists();
        QCOMPARE(entries(), fresh);
        QVERIFY(lists.registerMailboxesCheck.enabled() && !lists.progressBox.visible());
        QVERIFY(!lab.screen.waitCursor && lab.screen.waitCursorChanges == 2);
    }

    // Exit while a walk waits for events: the walk stops there, and the connections are
    // released once it has, not under it.
    void unloadDuringWalk()
    {
        WindowLab<> lab(mixedScenario());
        InstallForm &form = lab.form;
        lab.screen.onEvents = [&] {
            if (lab.screen.eventsLetThrough == 2) {
                form.onExitClicked();
                QVERIFY(form.environment.existingStoreConnection() &&
                        form.environment.existingDirectoryConnection());
            }
        };
        form.lists.refreshMailboxLists();
        QCOMPARE(lab.screen.eventsLetThrough, 2);
        QCOMPARE(entryCount(form.lists), 1);
        QVERIFY(form.unloaded);
        QVERIFY(!form.environment.existingStoreConnection() &&
                !form.environment.existingDirectoryConnection());
        // Created again on first use, a closed directory refuses the next walk.
        try {
            form.lists.refreshMailboxLists();
            QFAIL("a walk after unloading ran on a closed directory");
        } catch (const platform::PlatformError &error) {
            QCOMPARE(error.number, platform::error::NotOpen);
        }
    }

    // A server with more mailboxes than the directory returns: the walk stops at the limit and
    // says so once. Disabled users without a store mailbox keep the walk quick.
    void sizeLimit()
    {
        lab::Scenario scenario = baseScenario();
        for (int i = 0; i < 30000; ++i)
            lab::addMailboxUser(scenario,
                                person(u"User %1"_s.arg(i, 5, 10, QChar(u'0')), u"u%1"_s.arg(i),
                                       QString(), u"disabled unreachable"_s));
        MailboxLab lab(scenario);
        lab.lists.refreshMailboxLists();
        QCOMPARE(lab.lists.unboundStoreList.count(), 1);
        const QString log = lab.errorLogEdit.text();
        QCOMPARE(log.count(u" - ERROR: "_s), 1);
        QVERIFY2(
            log.contains(u"GC://dc01.corp.example.local - ERROR: -2147016669 The size limit"_s),
            qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(TestMailboxEnumeration)
#include "tst_mailboxenumeration.moc"

#include "mailboxes/mailboxentry.h"
#include "mailboxlab.h"

#include <QtTest>

using namespace mailboxtest;

Q_DECLARE_METATYPE(lab::MailboxUser)

namespace {

const QString StoreGuid = QStringLiteral("{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}");
const QString BoundStoreGuid = QStringLiteral("{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}");
const QString OtherStoreGuid = QStringLiteral("{11111111-2222-3333-4444-555555555555}");

QString http(const QString &domainFolder, const QString &name)
{
    return QStringLiteral("http://exch01.corp.example.local/exadmin/") + domainFolder +
           QStringLiteral("/mbx/") + name;
}

QString file(const QString &domainFolder, const QString &name)
{
    return QStringLiteral("file://./backofficestorage/") + domainFolder + QStringLiteral("/mbx/") +
           name;
}

QString listHolding(const InstallForm &form, const QString &entry)
{
    for (const ListBoxModel *list :
         {&form.SysMbxInstList, &form.SysMbxUninstList, &form.MbxInstList, &form.MbxUninstList})
        if (list->entries().contains(entry))
            return list->name();
    return QString();
}

int entryCount(const InstallForm &form)
{
    return form.SysMbxInstList.count() + form.SysMbxUninstList.count() + form.MbxInstList.count() +
           form.MbxUninstList.count();
}

// Three mailbox stores: this server's unbound one and bound one, and another server's.
lab::Scenario storesScenario()
{
    lab::Scenario scenario = baseScenario();
    lab::SystemMailboxSpec bound;
    bound.storeName = QStringLiteral("Second Mailbox Store (EXCH01)");
    bound.guid = BoundStoreGuid;
    bound.homeServer = lab::homeServerValue(QStringLiteral("EXCH01"));
    bound.storeWideBound = true;
    lab::addSystemMailbox(scenario, bound);
    lab::SystemMailboxSpec other;
    other.storeName = QStringLiteral("Mailbox Store (EXCH02)");
    other.guid = OtherStoreGuid;
    other.homeServer = lab::homeServerValue(QStringLiteral("EXCH02"));
    other.hasMailbox = false;
    lab::addSystemMailbox(scenario, other);
    return scenario;
}

// The demo-like mix: users of every kind on this server and one on another.
lab::Scenario mixedScenario()
{
    lab::Scenario scenario = storesScenario();
    lab::MailboxUser jane = user(QStringLiteral("Jane Doe"), QStringLiteral("jdoe"), QString());
    jane.bound = true;
    lab::addMailboxUser(scenario, jane);
    lab::addMailboxUser(scenario, user(QStringLiteral("Carol Chen"), QStringLiteral("cchen"),
                                       QStringLiteral("cchen@corp.example.local")));
    lab::MailboxUser dave = user(QStringLiteral("Dave Dunn"), QStringLiteral("ddunn"),
                                 QStringLiteral("ddunn@corp.example.local"));
    dave.disabled = true;
    dave.bound = true;
    lab::addMailboxUser(scenario, dave);
    lab::MailboxUser remote = user(QStringLiteral("Oscar Olsen"), QStringLiteral("oolsen"),
                                   QStringLiteral("oolsen@corp.example.local"));
    remote.homeServer = lab::homeServerValue(QStringLiteral("EXCH02"));
    remote.hasMailbox = false;
    lab::addMailboxUser(scenario, remote);
    return scenario;
}

} // namespace

// The four mailbox lists filled from a lab's directory and store.
class TestMailboxEnumeration : public QObject
{
    Q_OBJECT
private slots:
    void userMailbox_data();
    void userMailbox();
    void mixedLists();
    void systemMailboxesByStoreWideBinding();
    void storeWideProbeUsesTheUrlForms();
    void boxesUntickedAndEnabledByTheirLists();
    void progressShownDuringTheWalk();
    void thisServerByName_data();
    void thisServerByName();
    void queryTexts();
    void queryBWithoutRows();
    void failingQueryRises_data();
    void failingQueryRises();
    void showDisabledRefills();
    void missingAttributesGiveEmptySegments();
    void demoLab();
};

void TestMailboxEnumeration::userMailbox_data()
{
    QTest::addColumn<lab::MailboxUser>("mailbox");
    QTest::addColumn<bool>("showDisabled");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("attempts");
    QTest::addColumn<QString>("loggedSubject");

    const QString corp = Domain;
    auto make = [](const char *cn, const char *alias, const char *mail) {
        return user(QString::fromLatin1(cn), QString::fromLatin1(alias), QString::fromLatin1(mail));
    };

    lab::MailboxUser jane = make("Jane Doe", "jdoe", "");
    jane.bound = true;
    QTest::newRow("bound, no address")
        << jane << false << "MbxUninstList"
        << "Jane Doe / EXCH01 /  / jdoe" << QStringList{http(corp, "jdoe")} << QString();
    lab::MailboxUser janeDisabled = jane;
    janeDisabled.disabled = true;
    QTest::newRow("disabled, hidden")
        << janeDisabled << false << QString() << "Jane Doe [***DISABLED***] / EXCH01 /  / jdoe"
        << QStringList{} << QString();
    QTest::newRow("disabled, shown whatever its inbox holds")
        << janeDisabled << true << "MbxInstList"
        << "Jane Doe [***DISABLED***] / EXCH01 /  / jdoe" << QStringList{} << QString();
    QTest::newRow("bound, shown disabled does not matter")
        << jane << true << "MbxUninstList"
        << "Jane Doe / EXCH01 /  / jdoe" << QStringList{http(corp, "jdoe")} << QString();

    QTest::newRow("unbound, by the address's domain")
        << make("Carol Chen", "cchen", "cchen@corp.example.local") << false << "MbxInstList"
        << "Carol Chen / EXCH01 / cchen@corp.example.local / cchen"
        << QStringList{file(corp, "cchen")} << QString();

    lab::MailboxUser john = make("John Smith", "jsmith", "john.smith@elsewhere.test");
    john.storeNames = {QStringLiteral("john.smith")};
    john.bound = true;
    QTest::newRow("reachable only by the local part")
        << john << false << "MbxUninstList"
        << "John Smith / EXCH01 / john.smith@elsewhere.test / jsmith"
        << QStringList{file("elsewhere.test", "jsmith"), http("elsewhere.test", "jsmith"),
                       http(corp, "jsmith"), file(corp, "jsmith"), http(corp, "john.smith")}
        << QString();

    lab::MailboxUser karen = make("Karen King", "kking", "kking@corp.example.local");
    karen.fileForm = false;
    karen.bound = true;
    QTest::newRow("reachable only by the http form")
        << karen << false << "MbxUninstList"
        << "Karen King / EXCH01 / kking@corp.example.local / kking"
        << QStringList{file(corp, "kking"), http(corp, "kking")} << QString();

    lab::MailboxUser ivan = make("Ivan Ivanov", "iivanov", "ivan@corp.example.local");
    ivan.hasMailbox = false;
    QTest::newRow("reachable by none: the last attempt logs")
        << ivan << false << "MbxInstList"
        << "Ivan Ivanov / EXCH01 / ivan@corp.example.local / iivanov"
        << QStringList{file(corp, "iivanov"), http(corp, "iivanov"), http(corp, "iivanov"),
                       file(corp, "iivanov"), http(corp, "ivan"),    file(corp, "ivan")}
        << file(corp, "ivan");

    lab::MailboxUser ghost = make("Ghost", "ghost", "");
    ghost.hasMailbox = false;
    QTest::newRow("no address, reachable by none: attempt 4 logs")
        << ghost << false << "MbxInstList"
        << "Ghost / EXCH01 /  / ghost" << QStringList{http(corp, "ghost"), file(corp, "ghost")}
        << file(corp, "ghost");

    lab::MailboxUser bare = make("Nat Bare", "nbare", "nat");
    bare.hasMailbox = false;
    QTest::newRow("address without at sign")
        << bare << false << "MbxInstList"
        << "Nat Bare / EXCH01 / nat / nbare"
        << QStringList{file("nat", "nbare"), http("nat", "nbare"), http(corp, "nbare"),
                       file(corp, "nbare"),  http(corp, "nat"),    file(corp, "nat")}
        << file(corp, "nat");

    lab::MailboxUser first = make("Fay First", "ffirst", "@corp.example.local");
    first.bound = true;
    QTest::newRow("address with at sign first")
        << first << false << "MbxUninstList"
        << "Fay First / EXCH01 / @corp.example.local / ffirst"
        << QStringList{file("@corp.example.local", "ffirst"), http("@corp.example.local", "ffirst"),
                       http(corp, "ffirst")}
        << QString();

    lab::MailboxUser remote = make("Oscar Olsen", "oolsen", "oolsen@corp.example.local");
    remote.homeServer = lab::homeServerValue(QStringLiteral("EXCH02"));
    QTest::newRow("another server's mailbox")
        << remote << true << QString()
        << "Oscar Olsen / EXCH01 / oolsen@corp.example.local / oolsen" << QStringList{}
        << QString();
}

void TestMailboxEnumeration::userMailbox()
{
    QFETCH(lab::MailboxUser, mailbox);
    QFETCH(bool, showDisabled);
    QFETCH(QString, list);
    QFETCH(QString, entry);
    QFETCH(QStringList, attempts);
    QFETCH(QString, loggedSubject);

    lab::Scenario scenario = baseScenario();
    lab::addMailboxUser(scenario, mailbox);
    MailboxLab lab(scenario);
    InstallForm &form = *lab.form;
    form.Check7.setValue(showDisabled ? 1 : 0);
    form.GetUsersWithMailboxes();

    QCOMPARE(listHolding(form, entry), list);
    QCOMPARE(form.MbxInstList.count() + form.MbxUninstList.count(), list.isEmpty() ? 0 : 1);

    QStringList userAttempts;
    for (const QString &url : std::as_const(lab.store().opened))
        if (!url.contains(QLatin1String("SystemMailbox{")))
            userAttempts.append(url);
    QCOMPARE(userAttempts, attempts);

    const QString log = form.txtErr.text();
    if (loggedSubject.isEmpty()) {
        QVERIFY2(log.isEmpty(), qPrintable(log));
    } else {
        QCOMPARE(int(log.count(QStringLiteral(" - ERROR: "))), 1);
        QVERIFY2(log.contains(QStringLiteral("] ") + loggedSubject + QStringLiteral(" - ERROR: ")),
                 qPrintable(log));
    }
}

void TestMailboxEnumeration::mixedLists()
{
    MailboxLab lab(mixedScenario());
    InstallForm &form = *lab.form;
    form.GetUsersWithMailboxes();

    const QString store = QStringLiteral("SystemMailbox") + StoreGuid;
    const QString boundStore = QStringLiteral("SystemMailbox") + BoundStoreGuid;
    QCOMPARE(form.SysMbxInstList.entries(),
             QStringList{store + QStringLiteral(" / EXCH01 /  / ") + store});
    QCOMPARE(form.SysMbxUninstList.entries(),
             QStringList{boundStore + QStringLiteral(" / EXCH01 /  / ") + boundStore});
    QCOMPARE(form.MbxInstList.entries(),
             QStringList{QStringLiteral("Carol Chen / EXCH01 / cchen@corp.example.local / cchen")});
    QCOMPARE(form.MbxUninstList.entries(),
             QStringList{QStringLiteral("Jane Doe / EXCH01 /  / jdoe")});
    QVERIFY(form.txtErr.text().isEmpty());

    form.Check7.setValue(1);
    form.GetUsersWithMailboxes();
    // Sorted by common name, the disabled account between the others.
    QCOMPARE(form.MbxInstList.entries(),
             (QStringList{QStringLiteral("Carol Chen / EXCH01 / cchen@corp.example.local / cchen"),
                          QStringLiteral("Dave Dunn [***DISABLED***] / EXCH01 / "
                                         "ddunn@corp.example.local / ddunn")}));
}

void TestMailboxEnumeration::systemMailboxesByStoreWideBinding()
{
    MailboxLab lab(storesScenario());
    InstallForm &form = *lab.form;
    form.GetUsersWithMailboxes();
    QCOMPARE(form.SysMbxInstList.count(), 1);
    QVERIFY(form.SysMbxInstList.entry(0).startsWith(QStringLiteral("SystemMailbox") + StoreGuid));
    QCOMPARE(form.SysMbxUninstList.count(), 1);
    QVERIFY(form.SysMbxUninstList.entry(0).startsWith(QStringLiteral("SystemMailbox") +
                                                      BoundStoreGuid));
    QCOMPARE(form.MbxInstList.count() + form.MbxUninstList.count(), 0);
    for (const ListBoxModel *list : {&form.SysMbxInstList, &form.SysMbxUninstList})
        for (const QString &entry : list->entries())
            QVERIFY2(!entry.contains(OtherStoreGuid), qPrintable(entry));
}

void TestMailboxEnumeration::storeWideProbeUsesTheUrlForms()
{
    lab::Scenario scenario = baseScenario();
    lab::SystemMailboxSpec addressed;
    addressed.storeName = QStringLiteral("Addressed Store (EXCH01)");
    addressed.guid = BoundStoreGuid;
    addressed.homeServer = lab::homeServerValue(QStringLiteral("EXCH01"));
    addressed.storeWideBound = true;
    addressed.mail =
        QStringLiteral("SystemMailbox") + BoundStoreGuid + QStringLiteral("@nowhere.test");
    lab::addSystemMailbox(scenario, addressed);
    MailboxLab lab(scenario);
    InstallForm &form = *lab.form;
    form.GetUsersWithMailboxes();

    const QString alias = QStringLiteral("SystemMailbox") + BoundStoreGuid;
    QStringList tried;
    for (const QString &url : std::as_const(lab.store().opened))
        if (url.endsWith(alias))
            tried.append(url);
    QCOMPARE(tried,
             (QStringList{file(QStringLiteral("nowhere.test"), alias),
                          http(QStringLiteral("nowhere.test"), alias), http(Domain, alias)}));
    QVERIFY(lab.store().records.contains(http(Domain, alias) +
                                         QStringLiteral("/StoreEvents/GlobalEvents/") + ItemName));
    QCOMPARE(form.SysMbxUninstList.entries(),
             QStringList{alias + QStringLiteral(" / EXCH01 / ") + addressed.mail +
                         QStringLiteral(" / ") + alias});
}

void TestMailboxEnumeration::boxesUntickedAndEnabledByTheirLists()
{
    MailboxLab lab(mixedScenario());
    InstallForm &form = *lab.form;
    for (CheckBoxModel *box : {&form.Check2, &form.Check3, &form.Check4, &form.Check5}) {
        box->setEnabled(true);
        box->setValue(1);
    }
    form.GetUsersWithMailboxes();
    for (CheckBoxModel *box : {&form.Check2, &form.Check3, &form.Check4, &form.Check5}) {
        QCOMPARE(box->value(), 0);
        QVERIFY2(box->enabled(), qPrintable(box->name()));
    }

    // Only this server's unbound store and an unbound user: the "with" boxes go grey.
    lab::Scenario scenario = baseScenario();
    lab::addMailboxUser(scenario,
                        user(QStringLiteral("Carol Chen"), QStringLiteral("cchen"), QString()));
    MailboxLab plain(scenario);
    InstallForm &other = *plain.form;
    other.GetUsersWithMailboxes();
    QVERIFY(other.Check2.enabled());
    QVERIFY(other.Check3.enabled());
    QVERIFY(!other.Check4.enabled());
    QVERIFY(!other.Check5.enabled());
}

void TestMailboxEnumeration::progressShownDuringTheWalk()
{
    MailboxLab lab(mixedScenario());
    InstallForm &form = *lab.form;
    QList<bool> shown;
    QList<int> counts;
    lab.screen.onEvents = [&] {
        shown.append(form.Picture1.visible());
        counts.append(form.globals.ProgressCount);
    };
    form.GetUsersWithMailboxes();
    // Query B answers the two stores of this server, Jane, Carol and Dave.
    QCOMPARE(lab.screen.eventsLetThrough, 5);
    QCOMPARE(shown, QList<bool>(5, true));
    QCOMPARE(counts, (QList<int>{1, 2, 3, 4, 5}));
    QCOMPARE(form.Picture1.scaleWidth(), 5.0);
    QVERIFY(!form.Picture1.visible());
    QVERIFY(form.Picture1.text().isEmpty());
}

void TestMailboxEnumeration::thisServerByName_data()
{
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<bool>("clusterNode");
    QTest::addColumn<QString>("clusterName");
    QTest::addColumn<bool>("listed");

    QTest::newRow("own name") << "exch01" << false << "" << true;
    QTest::newRow("own name, other case") << "EXCH01" << false << "" << true;
    QTest::newRow("cluster node, virtual server") << "node1" << true << "EXCH01" << true;
    QTest::newRow("cluster name in other case") << "node1" << true << "exch01" << true;
    QTest::newRow("cluster name ignored off a cluster") << "node1" << false << "EXCH01" << false;
    QTest::newRow("cluster node, other server") << "node1" << true << "EXCH03" << false;
    QTest::newRow("cluster node, no cluster name") << "node1" << true << "" << false;
    QTest::newRow("name is only a prefix") << "exch0" << false << "" << false;
}

void TestMailboxEnumeration::thisServerByName()
{
    QFETCH(QString, shortName);
    QFETCH(bool, clusterNode);
    QFETCH(QString, clusterName);
    QFETCH(bool, listed);

    MailboxLab lab(mixedScenario());
    InstallForm &form = *lab.form;
    form.ShortComputerName = shortName;
    form.blnIsClusterNode = clusterNode;
    form.ClusterName = clusterName;
    ScriptedDirectory &directory = lab.scriptDirectory(2, ScriptedDirectory::Then::Fail);
    form.GetUsersWithMailboxes();
    QCOMPARE(entryCount(form) > 0, listed);
    QCOMPARE(int(directory.queries.size()), listed ? 2 : 1);
    if (!listed) {
        for (CheckBoxModel *box : {&form.Check2, &form.Check3, &form.Check4, &form.Check5})
            QVERIFY(!box->enabled());
        QCOMPARE(lab.screen.eventsLetThrough, 0);
    }
}

void TestMailboxEnumeration::queryTexts()
{
    MailboxLab lab(mixedScenario());
    InstallForm &form = *lab.form;
    ScriptedDirectory &directory = lab.scriptDirectory(2, ScriptedDirectory::Then::Fail);
    form.GetUsersWithMailboxes();
    QCOMPARE(directory.queries.size(), 2);
    QCOMPARE(directory.queries.at(0),
             QStringLiteral("SELECT msExchHomeServerName FROM 'GC://dc01.corp.example.local' "
                            "WHERE objectcategory='person' AND MsExchMailboxGuid='*' And "
                            "mailNickName='SystemMailbox{*' ORDER BY cn"));
    QCOMPARE(directory.queries.at(1),
             QStringLiteral("SELECT adspath, cn, msExchHomeServerName,mailNickName,mail,homeMDB,"
                            "userAccountControl,msExchMailboxGUID FROM "
                            "'GC://dc01.corp.example.local' WHERE objectcategory='person' AND "
                            "MsExchMailboxGuid='*' And msExchHomeServerName='") +
                 lab::homeServerValue(QStringLiteral("EXCH01")) + QStringLiteral("' ORDER BY cn"));
}

void TestMailboxEnumeration::queryBWithoutRows()
{
    MailboxLab lab(mixedScenario());
    InstallForm &form = *lab.form;
    lab.scriptDirectory(1, ScriptedDirectory::Then::AnswerNothing);
    form.MbxInstList.addItem(QStringLiteral("left over"));
    const double scaleBefore = form.Picture1.scaleWidth();
    bool everShown = false;
    lab.screen.onEvents = [&] {
        everShown = everShown || form.Picture1.visible();
    };
    form.GetUsersWithMailboxes();
    QCOMPARE(entryCount(form), 0);
    for (CheckBoxModel *box : {&form.Check2, &form.Check3, &form.Check4, &form.Check5})
        QVERIFY(!box->enabled());
    QVERIFY(!everShown);
    QVERIFY(!form.Picture1.visible());
    QCOMPARE(form.Picture1.scaleWidth(), scaleBefore);
    QCOMPARE(lab.screen.eventsLetThrough, 0);
}

void TestMailboxEnumeration::failingQueryRises_data()
{
    QTest::addColumn<int>("answered");
    QTest::newRow("query A fails") << 0;
    QTest::newRow("query B fails") << 1;
}

void TestMailboxEnumeration::failingQueryRises()
{
    QFETCH(int, answered);
    MailboxLab lab(mixedScenario());
    InstallForm &form = *lab.form;
    lab.scriptDirectory(answered, ScriptedDirectory::Then::Fail);
    form.MbxInstList.addItem(QStringLiteral("left over"));
    form.Check3.setEnabled(true);
    try {
        form.GetUsersWithMailboxes();
        QFAIL("the failure did not reach the caller");
    } catch (const platform::PlatformError &error) {
        QCOMPARE(error.number, platform::error::ServerUnreachable);
    }
    QCOMPARE(entryCount(form), 0);
    // The walk ended where it stood: the boxes were not re-enabled by their lists.
    QVERIFY(form.Check3.enabled());
    QVERIFY(form.txtErr.text().isEmpty());
}

void TestMailboxEnumeration::showDisabledRefills()
{
    MailboxLab lab(mixedScenario());
    InstallForm &form = *lab.form;
    form.Check7.onClick = [&form] {
        form.Check7_Click();
    };
    const QString dave =
        QStringLiteral("Dave Dunn [***DISABLED***] / EXCH01 / ddunn@corp.example.local / ddunn");

    form.Check7.setValue(1);
    QVERIFY(form.MbxInstList.entries().contains(dave));
    QCOMPARE(lab.screen.waitCursorChanges, 2);
    QVERIFY(!lab.screen.waitCursor);

    form.Check3.setValue(1);
    form.Check4.setValue(1);
    form.MbxUninstList.setSelected(0, true);
    form.Check7.setValue(0);
    QVERIFY(!form.MbxInstList.entries().contains(dave));
    QCOMPARE(form.Check3.value(), 0);
    QCOMPARE(form.Check4.value(), 0);
    QCOMPARE(form.MbxUninstList.selectedCount(), 0);
    QCOMPARE(lab.screen.waitCursorChanges, 4);
    QVERIFY(!lab.screen.waitCursor);
}

void TestMailboxEnumeration::missingAttributesGiveEmptySegments()
{
    lab::Scenario scenario = baseScenario();
    lab::MailboxUser nameless = user(QString(), QString(), QString());
    nameless.hasMailbox = false;
    lab::addMailboxUser(scenario, nameless);
    MailboxLab lab(scenario);
    InstallForm &form = *lab.form;
    form.GetUsersWithMailboxes();
    QVERIFY2(form.MbxInstList.entries().contains(QStringLiteral(" / EXCH01 /  / ")),
             qPrintable(form.MbxInstList.entries().join(QLatin1Char('|'))));
    // Without alias and address no URL form can be tried, so nothing is logged.
    QVERIFY(form.txtErr.text().isEmpty());
}

void TestMailboxEnumeration::demoLab()
{
    MailboxLab lab(lab::demoScenario());
    InstallForm &form = *lab.form;
    form.GetUsersWithMailboxes();
    auto names = [](const ListBoxModel &list) {
        QStringList cns;
        for (const QString &entry : list.entries())
            cns.append(entry.section(MailboxEntry::Separator, 0, 0));
        return cns;
    };
    QCOMPARE(names(form.SysMbxUninstList),
             QStringList{QStringLiteral("SystemMailbox{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}")});
    QCOMPARE(names(form.SysMbxInstList),
             QStringList{QStringLiteral("SystemMailbox{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}")});
    QCOMPARE(names(form.MbxUninstList),
             (QStringList{"Alice Archer", "Bob Baker", "Hans Huber", "Jane Doe", "Liam Lee"}));
    QCOMPARE(names(form.MbxInstList), (QStringList{"Administrator", "Carol Chen", "Erik Eriksen",
                                                   "Ivan Ivanov", "Karen King", "Mia Moreau"}));
    QVERIFY(form.MbxUninstList.entries().contains(QStringLiteral("Jane Doe / EXCH01 /  / jdoe")));
    // Only Ivan, whom no URL form reaches, is logged, once, by his last form.
    const QString log = form.txtErr.text();
    QCOMPARE(int(log.count(QStringLiteral(" - ERROR: "))), 1);
    QVERIFY2(log.contains(QStringLiteral("/mbx/iivanov - ERROR: ")), qPrintable(log));
}

QTEST_GUILESS_MAIN(TestMailboxEnumeration)
#include "tst_mailboxenumeration.moc"

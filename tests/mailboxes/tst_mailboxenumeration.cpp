#include "mailboxlab.h"

#include <QtTest>

using namespace mailboxtest;
using namespace Qt::StringLiterals;

namespace {

// Answers its first queries from the lab's directory, then fails, or answers as if no
// mailbox had the home server asked for.
class ScriptedDirectory : public platform::DirectoryConnection
{
public:
    ScriptedDirectory(std::unique_ptr<platform::DirectoryConnection> inner, int answered, bool fail)
        : m_inner(std::move(inner)), m_answered(answered), m_fail(fail)
    {
    }

    void open(const QString &source, const QString &user, const QString &password) override
    {
        m_inner->open(source, user, password);
    }
    bool isOpen() const override { return m_inner->isOpen(); }
    void close() override { m_inner->close(); }
    std::unique_ptr<platform::DirectoryRowSet>
    execute(const QString &commandText, const platform::SearchProperties &properties) override
    {
        queries.append(commandText);
        if (queries.size() > m_answered && m_fail)
            throw platform::PlatformError(platform::error::ServerUnreachable, u"not operational"_s);
        if (queries.size() <= m_answered)
            return m_inner->execute(commandText, properties);
        return m_inner->execute(QString(commandText).replace(Exch01, u"/o=None"_s), properties);
    }

    QStringList queries;

private:
    std::unique_ptr<platform::DirectoryConnection> m_inner;
    int m_answered;
    bool m_fail;
};

ScriptedDirectory &scriptDirectory(InstallForm &form, int answered, bool fail)
{
    auto scripted = std::make_unique<ScriptedDirectory>(std::move(form.globals.directoryConnection),
                                                        answered, fail);
    ScriptedDirectory &directory = *scripted;
    form.globals.directoryConnection = std::move(scripted);
    return directory;
}

int entryCount(const InstallForm &form)
{
    return form.unboundStoreList.count() + form.boundStoreList.count() +
           form.unboundMailboxList.count() + form.boundMailboxList.count();
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
    void thisServerByName_data();
    void thisServerByName();
    void directoryAnswers_data();
    void directoryAnswers();
    void sizeLimit();
};

void TestMailboxEnumeration::userMailbox_data()
{
    // The row's one user is the one its entry describes: "cn / server / mail / alias".
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("traits"); // see person(); "shown": "Show disabled" ticked
    QTest::addColumn<QString>("list");
    // The mailbox URLs tried, in order: "H:" and "F:" for this server's http and file roots,
    // "http:" and "file:" for the address domain's forms; "!" marks the one logged.
    QTest::addColumn<QString>("attempts");

    const QString jane = u"Jane Doe / EXCH01 /  / jdoe"_s;
    const QString janeDisabled = u"Jane Doe [***DISABLED***] / EXCH01 /  / jdoe"_s;
    QTest::newRow("bound, no address")
        << jane << u"bound"_s << u"boundMailboxList"_s << u"H:jdoe"_s;
    QTest::newRow("disabled, hidden")
        << janeDisabled << u"bound disabled"_s << QString() << QString();
    QTest::newRow("disabled, shown unprobed")
        << janeDisabled << u"bound disabled shown"_s << u"unboundMailboxList"_s << QString();
    QTest::newRow("unbound, by the address's domain")
        << u"Carol Chen / EXCH01 / cchen@corp.example.local / cchen"_s << QString()
        << u"unboundMailboxList"_s << u"F:cchen"_s;
    QTest::newRow("reachable only by the local part")
        << u"John Smith / EXCH01 / john.smith@other.test / jsmith"_s << u"bound local-part"_s
        << u"boundMailboxList"_s
        << u"file:other.test/mbx/jsmith http:other.test/mbx/jsmith H:jsmith F:jsmith H:john.smith"_s;
    QTest::newRow("reachable only by the http form")
        << u"Karen King / EXCH01 / kking@corp.example.local / kking"_s << u"bound http-only"_s
        << u"boundMailboxList"_s << u"F:kking H:kking"_s;
    QTest::newRow("reachable by none: the last attempt logs")
        << u"Ivan Ivanov / EXCH01 / ivan@corp.example.local / iivanov"_s << u"unreachable"_s
        << u"unboundMailboxList"_s << u"F:iivanov H:iivanov H:iivanov F:iivanov H:ivan F:ivan!"_s;
    QTest::newRow("no address, reachable by none")
        << u"Gil Gray / EXCH01 /  / ggray"_s << u"unreachable"_s << u"unboundMailboxList"_s
        << u"H:ggray F:ggray!"_s;
    QTest::newRow("no alias: the local part's forms")
        << u"Lee Low / EXCH01 / lee@corp.example.local / "_s << u"unreachable"_s
        << u"unboundMailboxList"_s << u"H:lee F:lee!"_s;
    QTest::newRow("address without at sign")
        << u"Nat Bare / EXCH01 / nat / nbare"_s << u"unreachable"_s << u"unboundMailboxList"_s
        << u"file:nat/mbx/nbare http:nat/mbx/nbare H:nbare F:nbare H:nat F:nat!"_s;
    QTest::newRow("address with at sign first")
        << u"Fay First / EXCH01 / @d / ffirst"_s << u"unreachable"_s << u"unboundMailboxList"_s
        << u"file:@d/mbx/ffirst http:@d/mbx/ffirst H:ffirst F:ffirst H:@d F:@d!"_s;
    QTest::newRow("address with two at signs")
        << u"Al Two / EXCH01 / a@b@c / atwo"_s << u"unreachable"_s << u"unboundMailboxList"_s
        << u"file:b@c/mbx/atwo http:b@c/mbx/atwo H:atwo F:atwo H:a F:a!"_s;
    QTest::newRow("address with at sign last: no domain forms")
        << u"Ed Last / EXCH01 / ed@ / elast"_s << u"unreachable"_s << u"unboundMailboxList"_s
        << u"H:elast F:elast H:ed F:ed!"_s;
    QTest::newRow("missing attributes: empty segments")
        << u" / EXCH01 /  / "_s << u"unreachable"_s << u"unboundMailboxList"_s << QString();
}

void TestMailboxEnumeration::userMailbox()
{
    QFETCH(QString, entry);
    QFETCH(QString, traits);
    QFETCH(QString, list);
    QFETCH(QString, attempts);

    const QStringList parts = entry.split(u" / "_s);
    lab::Scenario scenario = baseScenario();
    lab::addMailboxUser(scenario, person(QString(parts[0]).remove(u" [***DISABLED***]"_s), parts[3],
                                         parts[2], traits));
    MailboxLab lab(scenario);
    InstallForm &form = lab.form;
    form.showDisabledCheck.setValue(traits.contains(u"shown"_s) ? 1 : 0);
    form.refreshMailboxLists();

    QCOMPARE(form.unboundMailboxList.entries(),
             list == u"unboundMailboxList"_s ? QStringList{entry} : QStringList());
    QCOMPARE(form.boundMailboxList.entries(),
             list == u"boundMailboxList"_s ? QStringList{entry} : QStringList());
    // Each box is enabled by its own list; this server's unbound store fills the first.
    QCOMPARE(form.registerMailboxesCheck.enabled(), list == u"unboundMailboxList"_s);
    QCOMPARE(form.unregisterMailboxesCheck.enabled(), list == u"boundMailboxList"_s);
    QVERIFY(form.registerStoresCheck.enabled() && !form.unregisterStoresCheck.enabled());

    const QString log = form.errorLogEdit.text();
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

void TestMailboxEnumeration::mixedLists()
{
    MailboxLab lab(mixedScenario());
    InstallForm &form = lab.form;
    const std::array boxes{&form.registerStoresCheck, &form.registerMailboxesCheck,
                           &form.unregisterMailboxesCheck, &form.unregisterStoresCheck};
    for (CheckBoxModel *box : boxes) {
        box->setEnabled(false);
        box->setValue(1);
    }
    form.refreshMailboxLists();

    const QString carol = QStringLiteral("Carol Chen / EXCH01 / cchen@corp.example.local / cchen");
    const QString longEntry =
        LongName + QStringLiteral(" / EXCH01 / mfeather@corp.example.local / mfeather");
    QCOMPARE(form.unboundStoreList.entries(),
             QStringList{StoreAlias + " / EXCH01 /  / " + StoreAlias});
    QCOMPARE(form.boundStoreList.entries(),
             QStringList{BoundStoreAlias + " / EXCH01 / " + BoundStoreAlias + "@nowhere.test / " +
                         BoundStoreAlias});
    QCOMPARE(form.unboundMailboxList.entries(), (QStringList{carol, longEntry}));
    QCOMPARE(form.boundMailboxList.entries(),
             (QStringList{"Hans Huber / EXCH01 /  / hhuber", "Jane Doe / EXCH01 /  / jdoe"}));
    QVERIFY2(form.errorLogEdit.text().isEmpty(), qPrintable(form.errorLogEdit.text()));
    for (CheckBoxModel *box : boxes) {
        QCOMPARE(box->value(), 0);
        QVERIFY2(box->enabled(), qPrintable(box->name()));
    }

    // The store-wide binding: the system mailbox's URL forms in the user order, then the
    // registration item below StoreEvents/GlobalEvents.
    QStringList tried = lab.store().opened;
    tried.removeIf([](const QString &url) { return !url.endsWith(BoundStoreAlias); });
    const QString mbx = QStringLiteral("nowhere.test/mbx/") + BoundStoreAlias;
    QCOMPARE(tried, (QStringList{"file://./backofficestorage/" + mbx,
                                 "http://exch01.corp.example.local/exadmin/" + mbx,
                                 HttpMailboxRoot + '/' + BoundStoreAlias}));
    QVERIFY(lab.store().records.contains(HttpMailboxRoot + '/' + BoundStoreAlias +
                                         "/StoreEvents/GlobalEvents/" + ItemName));

    // "Show disabled" refills under the wait cursor, sorted by name, boxes and selection reset.
    form.showDisabledCheck.onToggled = [&form] {
        form.onShowDisabledToggled();
    };
    form.registerMailboxesCheck.setValue(1);
    form.boundMailboxList.setSelected(0, true);
    form.showDisabledCheck.setValue(1);
    QCOMPARE(form.unboundMailboxList.entries(),
             (QStringList{carol,
                          "Dave Dunn [***DISABLED***] / EXCH01 / ddunn@corp.example.local / ddunn",
                          longEntry}));
    QCOMPARE(form.registerMailboxesCheck.value(), 0);
    QCOMPARE(form.boundMailboxList.selectedCount(), 0);
    QCOMPARE(lab.screen.waitCursorChanges, 2);
    QVERIFY(!lab.screen.waitCursor);
}

void TestMailboxEnumeration::thisServerByName_data()
{
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<bool>("clusterNode");
    QTest::addColumn<QString>("clusterName");
    QTest::addColumn<bool>("listed");

    QTest::newRow("own name on a cluster node") << u"EXCH01"_s << true << u"EXCH03"_s << true;
    QTest::newRow("cluster node, its virtual server") << u"node1"_s << true << u"exch01"_s << true;
    QTest::newRow("cluster name ignored off a cluster")
        << u"node1"_s << false << u"EXCH01"_s << false;
    QTest::newRow("cluster node, another server") << u"node1"_s << true << u"EXCH03"_s << false;
    QTest::newRow("name is only a prefix") << u"exch0"_s << false << u""_s << false;
}

void TestMailboxEnumeration::thisServerByName()
{
    QFETCH(QString, shortName);
    QFETCH(bool, clusterNode);
    QFETCH(QString, clusterName);
    QFETCH(bool, listed);

    MailboxLab lab(mixedScenario());
    InstallForm &form = lab.form;
    form.shortComputerName = shortName;
    form.runsOnClusterNode = clusterNode;
    form.clusterName = clusterName;
    ScriptedDirectory &directory = scriptDirectory(form, 2, true);
    form.refreshMailboxLists();
    QCOMPARE(int(directory.queries.size()), listed ? 2 : 1);
    QCOMPARE(entryCount(form) > 0, listed);
}

void TestMailboxEnumeration::directoryAnswers_data()
{
    QTest::addColumn<int>("answered"); // queries the lab answers before the script steps in
    QTest::addColumn<bool>("fails");   // or answers without rows
    QTest::newRow("query A fails") << 0 << true;
    QTest::newRow("query B fails") << 1 << true;
    QTest::newRow("query B without rows") << 1 << false;
}

void TestMailboxEnumeration::directoryAnswers()
{
    QFETCH(int, answered);
    QFETCH(bool, fails);
    MailboxLab lab(mixedScenario());
    InstallForm &form = lab.form;
    scriptDirectory(form, answered, fails);
    form.unboundMailboxList.addItem(QStringLiteral("left over"));
    const std::array boxes{&form.registerStoresCheck, &form.registerMailboxesCheck,
                           &form.unregisterMailboxesCheck, &form.unregisterStoresCheck};
    for (CheckBoxModel *box : boxes)
        box->setEnabled(true);
    const double scaleBefore = form.progressBox.scaleWidth();
    try {
        form.refreshMailboxLists();
        QVERIFY2(!fails, "the failure did not reach the caller");
    } catch (const platform::PlatformError &error) {
        QVERIFY(fails);
        QCOMPARE(error.number, platform::error::ServerUnreachable);
    }
    QCOMPARE(entryCount(form), 0);
    // A failure ends the walk where it stands; empty lists disable their boxes.
    for (CheckBoxModel *box : boxes)
        QCOMPARE(box->enabled(), fails);
    // No progress shown, no events let through, nothing logged.
    QVERIFY(!form.progressBox.visible());
    QCOMPARE(form.progressBox.scaleWidth(), scaleBefore);
    QCOMPARE(lab.screen.eventsLetThrough, 0);
    QVERIFY(form.errorLogEdit.text().isEmpty());
}

// A server with more mailboxes than the directory returns: the walk stops at the limit and
// says so once. Disabled users without a store mailbox keep the walk quick.
void TestMailboxEnumeration::sizeLimit()
{
    lab::Scenario scenario = baseScenario();
    for (int i = 0; i < 30000; ++i)
        lab::addMailboxUser(scenario,
                            person(u"User %1"_s.arg(i, 5, 10, QChar(u'0')), u"u%1"_s.arg(i),
                                   QString(), u"disabled unreachable"_s));
    MailboxLab lab(scenario);
    lab.form.refreshMailboxLists();
    QCOMPARE(lab.form.unboundStoreList.count(), 1);
    const QString log = lab.form.errorLogEdit.text();
    QCOMPARE(log.count(u" - ERROR: "_s), 1);
    QVERIFY2(log.contains(u"GC://dc01.corp.example.local - ERROR: -2147016669 The size limit"_s),
             qPrintable(log));
}

QTEST_GUILESS_MAIN(TestMailboxEnumeration)
#include "tst_mailboxenumeration.moc"

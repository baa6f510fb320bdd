#include "support/datarow.h"
#include "support/labfixture.h"

#include <QTest>

namespace {

const QString gc = QStringLiteral("dc01.corp.example.local");
const QString personDn =
    QStringLiteral("CN=Person,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=local");

// An object of the users container; category is the schema class's name, attributes are
// "name=value" texts, and an empty cn leaves the cn out.
lab::DirectoryObject object(const QString &cn, const QString &category, QStringList attributes)
{
    lab::DirectoryObject o;
    o.dn = QStringLiteral("CN=%1,CN=Users,DC=corp,DC=example,DC=local").arg(cn);
    if (!cn.isEmpty())
        attributes.prepend("cn=" + cn);
    if (!category.isEmpty())
        attributes.append("objectCategory=" + QString(personDn).replace("Person", category));
    for (const QString &a : attributes)
        o.attributes.append({a.section(u'=', 0, 0), a.section(u'=', 1)});
    return o;
}

// A small directory whose objects differ in exactly the ways the queries below test.
lab::Scenario directoryScenario()
{
    lab::Scenario s;
    s.directory = {
        object("carol", "Person",
               {"objectClass=top", "objectClass=user", "mail=carol@example.com",
                "mailNickName=SystemMailbox{1}"}),
        object(
            "Alice", "Person",
            {"objectClass=top", "objectClass=contact", "mail=alice@example.com", "title=It's me"}),
        object("bob", "Person", {"objectClass=user"}),
        object("Staff", "Group", {"mail=staff@example.com", "sAMAccountType=268435456"}),
        // Equal cn but for case: ordered by cn they keep this order, descending too.
        object("dave", "", {}),
        object("Dave", "", {}),
        object("", "", {"description=no cn"}),
    };
    return s;
}

// The cn column, "-" for an object without one; empty parts of expected lists are dropped.
QString cns(platform::DirectoryRowSet &rows)
{
    QStringList out;
    for (; !rows.atEnd(); rows.moveNext()) {
        const QVariant cn = rows.field(QStringLiteral("cn"));
        out.append(cn.isNull() ? QStringLiteral("-") : cn.toString());
    }
    return out.join(u' ');
}

} // namespace

class TestLabDirectory : public QObject
{
    Q_OBJECT

    std::unique_ptr<platform::DirectoryRowSet> select(const QString &rest,
                                                      const platform::SearchProperties &p = {})
    {
        return m_connection->execute(QStringLiteral("SELECT %1").arg(rest).arg(gc), p);
    }

private slots:
    void initTestCase()
    {
        m_lab = std::make_unique<TestLab>(directoryScenario());
        m_connection = m_lab->platform->createDirectoryConnection();
        m_connection->open(QStringLiteral("Active Directory Provider"), QString(), QString());
    }

    // Rows in the order they come: the directory's, or the ORDER BY's, ties in directory order.
    // The search properties the program passes change nothing but Size Limit.
    void queries_data()
    {
        QTest::addColumn<QString>("tail");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<platform::SearchProperties>("properties");
        const platform::SearchProperties none;
        row("presence", "WHERE mail='*'", "carol Alice Staff", none);
        row("prefix wildcard, ignoring case", "WHERE mail='A*'", "Alice", none);
        row("doubled quote", "WHERE title='It''s me'", "Alice", none);
        row("multi-valued any value", "WHERE objectClass='contact'", "Alice", none);
        row("category shortcut", "WHERE objectCategory='person'", "carol Alice bob", none);
        row("AND binds tighter", "WHERE cn='bob' OR cn='carol' AND mail='x'", "bob", none);
        row("parentheses", "WHERE (cn='bob' OR cn='carol') AND mail='*'", "carol", none);
        row("cn ignores case, paged", "WHERE cn='*' ORDER BY cn", "Alice bob carol dave Dave Staff",
            platform::SearchProperties{
                {"searchscope", 2}, {"cache results", true}, {"Page Size", 1}});
        row("DESC, no limit", "WHERE cn='*' ORDER BY cn DESC", "Staff dave Dave carol bob Alice",
            platform::SearchProperties{{"Size Limit", 0}});
        row("Size Limit 2", "WHERE cn='*' ORDER BY cn", "Alice bob",
            platform::SearchProperties{{"Size Limit", 2}});
        row("absent cn first", "WHERE description='*' OR mail='a*' ORDER BY cn", "- Alice", none);
        row("multi-valued by first value", "WHERE cn='*' ORDER BY objectClass",
            "Staff dave Dave carol Alice bob", none);
    }

    void queries()
    {
        QFETCH(QString, tail);
        QFETCH(QString, expected);
        QFETCH(platform::SearchProperties, properties);
        auto rows = select("cn FROM 'GC://%1' " + tail, properties);
        QCOMPARE(rows->rowCount(), int(expected.count(u' ') + 1));
        QCOMPARE(cns(*rows), expected);
    }

    void fieldValues()
    {
        auto rows =
            select("cn, mail,objectClass, distinguishedName, ADSPATH, pager, "
                   "objectCategory FROM 'GC://%1' WHERE cn='carol' AND objectCategory='Person'");
        QVERIFY(!rows->atEnd());
        QCOMPARE(rows->field("MAIL"), QVariant(QStringLiteral("carol@example.com")));
        QCOMPARE(rows->field("objectclass"), QVariant(QStringList{"top", "user"}));
        const QString dn = QStringLiteral("CN=carol,CN=Users,DC=corp,DC=example,DC=local");
        QCOMPARE(rows->field("adspath").toString(), QStringLiteral("GC://%1/%2").arg(gc, dn));
        QVERIFY(rows->field("pager").isNull());
        const platform::PlatformError outside = failureOf([&] { rows->field("title"); });
        QCOMPARE(outside.number, platform::error::ItemNotFound);
        QVERIFY(outside.description.contains("title"));
        rows->moveNext();
        QVERIFY(rows->atEnd());
        QCOMPARE(errorOf([&] { rows->field("cn"); }), platform::error::ItemNotFound);
        QCOMPARE(errorOf([&] { rows->moveNext(); }), platform::error::ItemNotFound);

        rows = select("cn FROM 'GC://%1' WHERE cn='*' ORDER BY cn");
        rows->moveLast();
        QCOMPARE(rows->field("cn").toString(), QStringLiteral("Staff"));
        rows->moveNext();
        QVERIFY(rows->atEnd());
    }

    void malformed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("what");
        const QString q = "SELECT cn FROM 'GC://" + gc + "'";
        row("unbalanced quote", q + " WHERE cn='bob", 56, "unbalanced quote");
        row("unclosed parenthesis", q + " WHERE (cn='bob'", 53, "unbalanced parenthesis");
        row("trailing garbage", q + " WHERE cn='bob' LIMIT 3", 62, "unexpected");
        row("other host", "SELECT cn FROM 'GC://dc09.corp.example.local'", 16,
            "dc09.corp.example.local");
    }

    void malformed()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, what);
        const platform::PlatformError e = failureOf([&] { m_connection->execute(text, {}); });
        QCOMPARE(e.number, platform::error::QuerySyntax);
        QVERIFY2(e.description.contains(QStringLiteral("character %1 ").arg(position)),
                 qPrintable(e.description));
        QVERIFY2(e.description.contains(what), qPrintable(e.description));
    }

    void refusals()
    {
        const platform::PlatformError e = failureOf([&] {
            select("cn FROM 'GC://%1'", {{"Sort On", "cn"}});
        });
        QCOMPARE(e.number, platform::error::ItemNotFound);
        QVERIFY(e.description.contains("Sort On"));

        auto connection = m_lab->platform->createDirectoryConnection();
        const QString query = "SELECT cn FROM 'GC://" + gc + "'";
        QCOMPARE(errorOf([&] { connection->execute(query, {}); }), platform::error::NotOpen);

        lab::Scenario scenario;
        scenario.machine.directoryProviderInstalled = false;
        TestLab withoutProvider(scenario);
        connection = withoutProvider.platform->createDirectoryConnection();
        QCOMPARE(errorOf([&] { connection->open(QString(), QString(), QString()); }),
                 platform::error::ProviderNotFound);
        QVERIFY(!connection->isOpen());
    }

private:
    std::unique_ptr<TestLab> m_lab;
    std::unique_ptr<platform::DirectoryConnection> m_connection;
};

QTEST_GUILESS_MAIN(TestLabDirectory)
#include "tst_labdirectory.moc"

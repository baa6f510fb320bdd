#include "labfixture.h"
#include "platform/platformerror.h"

#include <QTest>

namespace {

const QString gc = QStringLiteral("dc01.corp.example.local");

lab::DirectoryObject object(const QString &cn, QList<QPair<QString, QString>> attributes)
{
    lab::DirectoryObject o;
    o.dn = QStringLiteral("CN=%1,CN=Users,DC=corp,DC=example,DC=local").arg(cn);
    o.attributes.append({QStringLiteral("cn"), cn});
    o.attributes.append(attributes);
    return o;
}

// A small directory whose objects differ in exactly the ways the filters below test.
lab::Scenario directoryScenario()
{
    lab::Scenario s;
    const QString person =
        QStringLiteral("CN=Person,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=local");
    const QString group =
        QStringLiteral("CN=Group,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=local");
    s.directory = {
        object(QStringLiteral("carol"),
               {{QStringLiteral("objectCategory"), person},
                {QStringLiteral("objectClass"), QStringLiteral("top")},
                {QStringLiteral("objectClass"), QStringLiteral("user")},
                {QStringLiteral("mail"), QStringLiteral("carol@example.com")},
                {QStringLiteral("mailNickName"), QStringLiteral("SystemMailbox{1}")}}),
        object(QStringLiteral("Alice"),
               {{QStringLiteral("objectCategory"), person},
                {QStringLiteral("objectClass"), QStringLiteral("top")},
                {QStringLiteral("objectClass"), QStringLiteral("contact")},
                {QStringLiteral("mail"), QStringLiteral("alice@example.com")},
                {QStringLiteral("title"), QStringLiteral("It's me")}}),
        object(QStringLiteral("bob"), {{QStringLiteral("objectCategory"), person},
                                       {QStringLiteral("objectClass"), QStringLiteral("user")}}),
        object(QStringLiteral("Staff"),
               {{QStringLiteral("objectCategory"), group},
                {QStringLiteral("mail"), QStringLiteral("staff@example.com")},
                {QStringLiteral("sAMAccountType"), QStringLiteral("268435456")}}),
        // Equal cn but for case: ordered by cn they keep this order, descending too.
        object(QStringLiteral("dave"), {}),
        object(QStringLiteral("Dave"), {}),
    };
    lab::DirectoryObject nameless;
    nameless.dn = QStringLiteral("CN=Nameless,CN=Users,DC=corp,DC=example,DC=local");
    nameless.attributes.append({QStringLiteral("description"), QStringLiteral("no cn")});
    s.directory.append(nameless);
    return s;
}

QStringList cns(platform::DirectoryRowSet &rows)
{
    QStringList out;
    while (!rows.atEnd()) {
        out.append(rows.field(QStringLiteral("cn")).toString());
        rows.moveNext();
    }
    return out;
}

} // namespace

class TestLabDirectory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_lab = std::make_unique<LabFixture>(directoryScenario());
        m_connection = m_lab->platform->createDirectoryConnection();
        m_connection->open(QStringLiteral("Active Directory Provider"), QString(), QString());
    }

    void filters_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QStringList>("expected");
        const auto list = [](std::initializer_list<const char *> names) {
            QStringList out;
            for (const char *n : names)
                out.append(QString::fromLatin1(n));
            return out;
        };
        QTest::newRow("presence") << "mail='*'" << list({"carol", "Alice", "Staff"});
        QTest::newRow("presence of missing attribute") << "pager='*'" << QStringList();
        QTest::newRow("equality ignores case") << "cn='ALICE'" << list({"Alice"});
        QTest::newRow("attribute name ignores case") << "CN='bob'" << list({"bob"});
        QTest::newRow("prefix wildcard") << "mail='a*'" << list({"Alice"});
        QTest::newRow("prefix ignores case") << "mailNickName='systemmailbox{*'" << list({"carol"});
        QTest::newRow("star inside is a wildcard")
            << "mail='*@example.com'" << list({"carol", "Alice", "Staff"});
        QTest::newRow("doubled quote") << "title='It''s me'" << list({"Alice"});
        QTest::newRow("multi-valued any value") << "objectClass='contact'" << list({"Alice"});
        QTest::newRow("multi-valued shared value")
            << "objectClass='top'" << list({"carol", "Alice"});
        QTest::newRow("category shortcut")
            << "objectCategory='person'" << list({"carol", "Alice", "bob"});
        QTest::newRow("category full DN")
            << "objectCategory='CN=Group,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=local'"
            << list({"Staff"});
        QTest::newRow("category other word") << "objectCategory='Schema'" << QStringList();
        QTest::newRow("AND") << "objectCategory='person' AND mail='*'" << list({"carol", "Alice"});
        QTest::newRow("OR") << "cn='bob' OR cn='staff'" << list({"bob", "Staff"});
        QTest::newRow("AND binds tighter than OR")
            << "cn='bob' OR cn='carol' AND mail='x'" << list({"bob"});
        QTest::newRow("parentheses override")
            << "(cn='bob' OR cn='carol') AND mail='*'" << list({"carol"});
        QTest::newRow("nested parentheses")
            << "mail='*' AND ((objectcategory='group') OR (objectcategory='person' AND "
               "(objectclass='user' OR objectclass='contact')))"
            << list({"carol", "Alice", "Staff"});
        QTest::newRow("keywords in any case")
            << "cn='bob' or cn='Alice' AnD mail='*'" << list({"Alice", "bob"});
        QTest::newRow("bare number") << "sAMAccountType=268435456" << list({"Staff"});
    }

    void filters()
    {
        QFETCH(QString, where);
        QFETCH(QStringList, expected);
        auto rows = m_connection->execute(
            QStringLiteral("SELECT cn FROM 'GC://%1' WHERE %2").arg(gc, where), {});
        QStringList got = cns(*rows);
        got.sort(Qt::CaseInsensitive);
        expected.sort(Qt::CaseInsensitive);
        QCOMPARE(got, expected);
        QCOMPARE(rows->rowCount(), expected.size());
    }

    void orderBy_data()
    {
        QTest::addColumn<QString>("tail");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("cn ascending ignores case, ties in directory order")
            << "WHERE cn='*' ORDER BY cn"
            << QStringList{"Alice", "bob", "carol", "dave", "Dave", "Staff"};
        QTest::newRow("explicit ASC")
            << "WHERE cn='*' order by CN asc"
            << QStringList{"Alice", "bob", "carol", "dave", "Dave", "Staff"};
        QTest::newRow("DESC keeps ties in directory order")
            << "WHERE cn='*' ORDER BY cn DESC"
            << QStringList{"Staff", "dave", "Dave", "carol", "bob", "Alice"};
        QTest::newRow("absent cn first")
            << "ORDER BY cn" << QStringList{"", "Alice", "bob", "carol", "dave", "Dave", "Staff"};
        QTest::newRow("absent cn first, filtered")
            << "WHERE description='*' OR mail='a*' OR cn='Dave' ORDER BY cn"
            << QStringList{"", "Alice", "dave", "Dave"};
        QTest::newRow("absent cn last in DESC")
            << "WHERE description='*' OR cn='bob' ORDER BY cn DESC" << QStringList{"bob", ""};
        QTest::newRow("absent values first")
            << "WHERE cn='*' ORDER BY mail"
            << QStringList{"bob", "dave", "Dave", "Alice", "carol", "Staff"};
        QTest::newRow("multi-valued by first value")
            << "WHERE cn='*' ORDER BY objectClass"
            << QStringList{"Staff", "dave", "Dave", "carol", "Alice", "bob"};
        QTest::newRow("no ORDER BY: directory order")
            << "" << QStringList{"carol", "Alice", "bob", "Staff", "dave", "Dave", ""};
    }

    void orderBy()
    {
        QFETCH(QString, tail);
        QFETCH(QStringList, expected);
        auto rows =
            m_connection->execute(QStringLiteral("SELECT cn FROM 'GC://%1' %2").arg(gc, tail), {});
        QCOMPARE(cns(*rows), expected);
    }

    void fieldValues()
    {
        auto rows = m_connection->execute(
            QStringLiteral(
                "SELECT cn, mail,objectClass, distinguishedName, ADSPATH, pager FROM 'GC://%1' "
                "WHERE cn='carol'")
                .arg(gc),
            {});
        QVERIFY(!rows->atEnd());
        QCOMPARE(rows->field(QStringLiteral("MAIL")),
                 QVariant(QStringLiteral("carol@example.com")));
        QCOMPARE(rows->field(QStringLiteral("objectclass")).typeId(), QMetaType::QStringList);
        QCOMPARE(rows->field(QStringLiteral("objectClass")).toStringList(),
                 (QStringList{QStringLiteral("top"), QStringLiteral("user")}));
        QCOMPARE(rows->field(QStringLiteral("distinguishedName")).toString(),
                 QStringLiteral("CN=carol,CN=Users,DC=corp,DC=example,DC=local"));
        QCOMPARE(rows->field(QStringLiteral("adspath")).toString(),
                 QStringLiteral("GC://%1/CN=carol,CN=Users,DC=corp,DC=example,DC=local").arg(gc));
        QVERIFY(rows->field(QStringLiteral("pager")).isNull());
        try {
            rows->field(QStringLiteral("title"));
            QFAIL("an attribute outside the SELECT list was readable");
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, platform::error::ItemNotFound);
            QVERIFY(e.description.contains(QStringLiteral("title")));
        }
        rows->moveNext();
        QVERIFY(rows->atEnd());
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError, rows->field(QStringLiteral("cn")));
    }

    void categoryFieldIsFullDn()
    {
        auto rows = m_connection->execute(
            QStringLiteral(
                "SELECT objectCategory FROM 'GC://%1' WHERE cn='bob' AND objectCategory='Person'")
                .arg(gc),
            {});
        QCOMPARE(
            rows->field(QStringLiteral("objectCategory")).toString(),
            QStringLiteral("CN=Person,CN=Schema,CN=Configuration,DC=corp,DC=example,DC=local"));
    }

    void moveLast()
    {
        auto rows = m_connection->execute(
            QStringLiteral("SELECT cn FROM 'GC://%1' WHERE cn='*' ORDER BY cn").arg(gc), {});
        rows->moveLast();
        QCOMPARE(rows->field(QStringLiteral("cn")).toString(), QStringLiteral("Staff"));
        rows->moveNext();
        QVERIFY(rows->atEnd());
    }

    void searchProperties_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("rows");
        QTest::newRow("searchscope") << "searchscope" << QVariant(2) << 6;
        QTest::newRow("cache results") << "cache results" << QVariant(true) << 6;
        QTest::newRow("Chase Referrals any case") << "chase referrals" << QVariant(96) << 6;
        QTest::newRow("Page Size") << "Page Size" << QVariant(1) << 6;
        QTest::newRow("Timeout") << "TIMEOUT" << QVariant(120) << 6;
        QTest::newRow("Size Limit limits") << "Size Limit" << QVariant(2) << 2;
        QTest::newRow("Size Limit 0 is none") << "Size Limit" << QVariant(0) << 6;
    }

    void searchProperties()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(int, rows);
        auto result = m_connection->execute(
            QStringLiteral("SELECT cn FROM 'GC://%1' WHERE cn='*' ORDER BY cn").arg(gc),
            {{name, value}});
        QCOMPARE(result->rowCount(), rows);
        QCOMPARE(cns(*result).size(), rows);
    }

    void unknownSearchProperty()
    {
        try {
            m_connection->execute(QStringLiteral("SELECT cn FROM 'GC://%1'").arg(gc),
                                  {{QStringLiteral("Sort On"), QStringLiteral("cn")}});
            QFAIL("an unknown search property was accepted");
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, platform::error::ItemNotFound);
            QVERIFY(e.description.contains(QStringLiteral("Sort On")));
        }
    }

    void malformed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("what");
        const QString from = QStringLiteral("FROM 'GC://%1'").arg(gc);
        QTest::newRow("unbalanced quote")
            << QStringLiteral("SELECT cn %1 WHERE cn='bob").arg(from) << 56 << "unbalanced quote";
        QTest::newRow("unknown keyword")
            << QStringLiteral("SELEKT cn %1").arg(from) << 1 << "unknown keyword";
        QTest::newRow("missing FROM")
            << QStringLiteral("SELECT cn WHERE cn='bob'") << 11 << "missing FROM";
        QTest::newRow("bad operator")
            << QStringLiteral("SELECT cn %1 WHERE cn>='bob'").arg(from) << 55 << "operator '>='";
        QTest::newRow("unclosed parenthesis")
            << QStringLiteral("SELECT cn %1 WHERE (cn='bob'").arg(from) << 53
            << "unbalanced parenthesis";
        QTest::newRow("extra closing parenthesis")
            << QStringLiteral("SELECT cn %1 WHERE cn='bob')").arg(from) << 61
            << "unbalanced parenthesis";
        QTest::newRow("trailing garbage")
            << QStringLiteral("SELECT cn %1 WHERE cn='bob' LIMIT 3").arg(from) << 62
            << "unexpected";
        QTest::newRow("empty attribute list")
            << QStringLiteral("SELECT %1").arg(from) << 8 << "attribute name";
        QTest::newRow("missing value")
            << QStringLiteral("SELECT cn %1 WHERE cn=").arg(from) << 56 << "value";
        QTest::newRow("ORDER without BY")
            << QStringLiteral("SELECT cn %1 ORDER cn").arg(from) << 53 << "BY";
        QTest::newRow("dangling AND")
            << QStringLiteral("SELECT cn %1 WHERE cn='a' AND").arg(from) << 63 << "condition";
        QTest::newRow("other host")
            << QStringLiteral("SELECT cn FROM 'GC://dc09.corp.example.local'") << 16
            << "dc09.corp.example.local";
        QTest::newRow("not a GC path") << QStringLiteral("SELECT cn FROM 'corp'") << 16 << "GC://";
    }

    void malformed()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, what);
        try {
            m_connection->execute(text, {});
            QFAIL("a malformed query was accepted");
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, platform::error::QuerySyntax);
            QVERIFY2(e.description.contains(QStringLiteral("character %1 ").arg(position)),
                     qPrintable(e.description));
            QVERIFY2(e.description.contains(what), qPrintable(e.description));
        }
    }

    void closedConnection()
    {
        auto connection = m_lab->platform->createDirectoryConnection();
        QVERIFY(!connection->isOpen());
        try {
            connection->execute(QStringLiteral("SELECT cn FROM 'GC://%1'").arg(gc), {});
            QFAIL("a closed connection ran a query");
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, platform::error::NotOpen);
        }
        connection->open(QString(), QString(), QString());
        QVERIFY(connection->isOpen());
        connection->close();
        QVERIFY(!connection->isOpen());
    }

private:
    std::unique_ptr<LabFixture> m_lab;
    std::unique_ptr<platform::DirectoryConnection> m_connection;
};

QTEST_GUILESS_MAIN(TestLabDirectory)
#include "tst_labdirectory.moc"

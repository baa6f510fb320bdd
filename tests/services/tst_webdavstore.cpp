// The webdav store backend against a real Apache httpd with mod_dav, through the store
// interface the program uses.

#include "apacheserver.h"
#include "platform/webdav/webdavstore.h"
#include "support/datarow.h"
#include "support/labfixture.h"

#include <QTcpServer>
#include <QtTest>

namespace {

using platform::CreateOption;
using platform::RecordMode;
using Fields = QList<std::pair<QString, QVariant>>;

// The program's own form of a mailbox URL; the base URL puts it on the test server.
QString mailbox(const QString &name)
{
    return QStringLiteral("http://exch01.corp.example.local/exadmin/corp.example.local/mbx/") +
           name;
}

QString folderOnDisk(const ApacheServer &server, const QString &name)
{
    return server.documentRoot() + QStringLiteral("/exadmin/corp.example.local/mbx/") + name +
           QStringLiteral("/Inbox");
}

void write(platform::StoreConnection &store, const QString &url, const Fields &fields,
           CreateOption option = CreateOption::Overwrite)
{
    auto record = store.openRecord(url, RecordMode::ReadWrite, option, platform::DelayFetchFields);
    for (const auto &[name, value] : fields)
        record->setField(name, value);
    record->update();
    record->close();
}

std::unique_ptr<platform::StoreRecord> read(platform::StoreConnection &store, const QString &url)
{
    return store.openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists,
                            platform::OptionsUnspecified);
}

} // namespace

class TestWebDavStore : public QObject
{
    Q_OBJECT

    ApacheServer m_server;
    ApacheServer m_guarded; // asks every request to sign in
    ApacheServer m_tls;     // the same over https://
    QTcpServer m_silent;    // accepts connections and never answers

    std::unique_ptr<webdav::WebDavStoreConnection> connect(const QString &name,
                                                           webdav::WebDavSettings settings = {})
    {
        if (settings.baseUrl.isEmpty())
            settings.baseUrl = m_server.url();
        auto store = std::make_unique<webdav::WebDavStoreConnection>(settings);
        store->open(mailbox(name), {}, {});
        return store;
    }

    // A mailbox whose root names its (localised) inbox, as a served lab's do.
    void addMailbox(const QString &name)
    {
        QVERIFY2(m_server.addCollection(
                     QStringLiteral("exadmin/corp.example.local/mbx/%1/Inbox").arg(name)),
                 qPrintable(m_server.failure()));
        auto store = connect(name);
        write(*store, mailbox(name),
              {{QStringLiteral("urn:schemas:httpmail:inbox"), mailbox(name) + "/Inbox"}},
              CreateOption::FailIfNotExists);
    }

private slots:
    void initTestCase()
    {
        for (ApacheServer *guarded : {&m_guarded, &m_tls}) {
            guarded->requireAccount(QStringLiteral("svc-kestrelon"), QStringLiteral("s3cret&pw"));
            QVERIFY(guarded->addCollection(QStringLiteral("exadmin/corp.example.local/mbx/x")));
        }
        QVERIFY2(m_tls.enableTls(), qPrintable(m_tls.failure()));
        for (ApacheServer *server : {&m_server, &m_guarded, &m_tls})
            QVERIFY2(server->start(), qPrintable(server->failure()));
        QVERIFY(m_silent.listen(QHostAddress::LocalHost));
        addMailbox(QStringLiteral("writer"));
    }

    void openMailbox_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("base");
        QTest::addColumn<qint32>("error");
        QTest::addColumn<QString>("why"); // in the error's description
        const QString silent = QStringLiteral("http://127.0.0.1:%1").arg(m_silent.serverPort());
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        const QString nobody = QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort());
        closed.close();
        QTest::newRow("existing") << mailbox("writer") << QString() << 0 << QString();
        QTest::newRow("missing") << mailbox("nobody") << QString()
                                 << platform::error::ObjectNotFound << "404";
        QTest::newRow("no answer") << mailbox("writer") << silent
                                   << platform::error::ServerUnreachable << "no answer within 1 s";
        QTest::newRow("nobody listens")
            << mailbox("writer") << nobody << platform::error::ServerUnreachable << "onnect";
    }

    void openMailbox()
    {
        QFETCH(QString, url);
        QFETCH(QString, base);
        QFETCH(qint32, error);
        QFETCH(QString, why);
        webdav::WebDavSettings settings;
        settings.baseUrl = base.isEmpty() ? m_server.url() : base;
        settings.timeoutSeconds = 1;
        webdav::WebDavStoreConnection store(settings);
        const platform::PlatformError e = failureOf([&] { store.open(url, {}, {}); });
        QCOMPARE(e.number, error);
        QCOMPARE(store.isOpen(), error == 0);
        QVERIFY2(error == 0 ||
                     (e.description.contains(url.section(u'/', 3)) && e.description.contains(why)),
                 qPrintable(e.description));
    }

    // Names with characters a URL gives meaning to reach the item of exactly that name.
    void writeReadDelete_data()
    {
        QTest::addColumn<QString>("name");
        row("plain", "plain");
        row("space", "John Smith");
        row("hash, percent, question", "a#b%20c?d");
        row("non-ASCII", "Jürgen Ølstrøm");
    }

    void writeReadDelete()
    {
        QFETCH(QString, name);
        addMailbox(name);
        auto store = connect(name);
        const QString item = mailbox(name) + "/Inbox/Kestrelon.reg";
        const QString criteria = QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE & <x>");
        write(*store, item, {{"urn:k:old", "gone soon"}});
        // Fields by full name: one local name in two namespaces stays two fields.
        write(*store, item,
              {{"urn:k:criteria", criteria},
               {"DAV:ishidden", true},
               {"http://b.example/k/criteria", "b"}});

        auto record = read(*store, item);
        QCOMPARE(record->field("urn:k:criteria").toString(), criteria);
        QCOMPARE(record->field("DAV:ishidden").toString(), "1");
        QCOMPARE(record->field("http://b.example/k/criteria").toString(), "b");
        QCOMPARE(errorOf([&] { record->field("urn:k:old"); }), platform::error::ItemNotFound);
        QCOMPARE(QDir(folderOnDisk(m_server, name)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Kestrelon.reg"});

        auto doomed = store->openRecord(item, RecordMode::ReadWrite, CreateOption::FailIfNotExists,
                                        platform::OptionsUnspecified);
        doomed->deleteRecord();
        QCOMPARE(errorOf([&] { read(*store, item); }), platform::error::ObjectNotFound);
        QCOMPARE(errorOf([&] {
                     doomed = store->openRecord(item, RecordMode::ReadWrite,
                                                CreateOption::FailIfNotExists, -1);
                 }),
                 platform::error::ObjectNotFound);
    }

    // A write that fails, or a transaction that does not commit, leaves the folder as it was.
    void failedWrites_data()
    {
        QTest::addColumn<bool>("oldItem");
        QTest::addColumn<QString>("property");
        QTest::addColumn<int>("ending");   // 0 commit, 1 roll back, 2 close without commit
        QTest::addColumn<QString>("left"); // urn:k:mark of the item then; empty: no item
        const char *refused = "DAV:getcontentlength";
        const QString none;
        row("refused, new item", false, refused, 0, none);
        row("refused, old item stays", true, refused, 0, "old");
        row("rolled back", true, "urn:k:fine", 1, "old");
        row("closed uncommitted", false, "urn:k:fine", 2, none);
        row("committed", true, "urn:k:fine", 0, "new");
    }

    void failedWrites()
    {
        QFETCH(bool, oldItem);
        QFETCH(QString, property);
        QFETCH(int, ending);
        QFETCH(QString, left);
        const QString folder = folderOnDisk(m_server, "writer");
        const QString item = mailbox("writer") + "/Inbox/Kestrelon.reg";
        QFile::remove(folder + "/Kestrelon.reg");
        auto store = connect(QStringLiteral("writer"));
        if (oldItem)
            write(*store, item, {{"urn:k:mark", "old"}});

        store->beginTransaction();
        const platform::PlatformError e = failureOf([&] {
            write(*store, item, {{"urn:k:mark", "new"}, {property, "5"}});
        });
        QCOMPARE(e.number != 0, property != "urn:k:fine");
        QVERIFY2(e.number == 0 || e.description.contains("Kestrelon.reg"),
                 qPrintable(e.description));
        if (ending == 0)
            store->commitTransaction();
        else if (ending == 1)
            store->rollbackTransaction();
        else
            store->close();

        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 left.isEmpty() ? QStringList() : QStringList{"Kestrelon.reg"});
        if (!left.isEmpty())
            QCOMPARE(read(*connect("writer"), item)->field("urn:k:mark").toString(), left);
    }

    // A server that goes away fails the request at once; the same connection goes on once
    // the server is back.
    void serverGoneAndBack()
    {
        auto store = connect(QStringLiteral("writer"));
        m_server.kill();
        QCOMPARE(errorOf([&] { store->open(mailbox("writer"), {}, {}); }),
                 platform::error::ServerUnreachable);
        QVERIFY2(m_server.start(), qPrintable(m_server.failure()));
        store->open(mailbox("writer"), {}, {});
        QVERIFY(store->isOpen());
    }

    void signIn_data()
    {
        QTest::addColumn<QString>("server"); // http, https or https untrusted (no CA file)
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("plainHttp");
        QTest::addColumn<qint32>("error");
        const QString user = QStringLiteral("svc-kestrelon");
        const QString right = QStringLiteral("s3cret&pw");
        const qint32 denied = platform::error::AccessDenied;
        row("right password", "http", user, right, true, 0);
        row("wrong password", "http", user, "wrong&pw", true, denied);
        row("no account", "http", QString(), QString(), true, denied);
        row("plain http not allowed", "http", user, right, false, denied);
        row("TLS", "https", user, right, false, 0);
        row("TLS, wrong password", "https", user, "wrong&pw", false, denied);
        row("TLS, untrusted certificate", "https untrusted", user, right, false,
            platform::error::ServerUnreachable);
    }

    void signIn()
    {
        QFETCH(QString, server);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, plainHttp);
        QFETCH(qint32, error);
        webdav::WebDavSettings settings;
        settings.baseUrl = server == "http" ? m_guarded.url() : m_tls.url();
        settings.caFile = server == "https" ? m_tls.certificateFile() : QString();
        settings.user = user;
        settings.password = password;
        settings.allowPlainHttp = plainHttp;
        webdav::WebDavStoreConnection store(settings);
        const platform::PlatformError e = failureOf([&] { store.open(mailbox("x"), {}, {}); });
        QCOMPARE(e.number, error);
        QVERIFY2(!e.description.contains(password) || password.isEmpty(),
                 qPrintable(e.description));
        QVERIFY2(error == 0 || e.description.contains(error == platform::error::AccessDenied
                                                          ? user
                                                          : settings.baseUrl),
                 qPrintable(e.description));
    }
};

QTEST_GUILESS_MAIN(TestWebDavStore)
#include "tst_webdavstore.moc"

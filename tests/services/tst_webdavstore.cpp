// The webdav store backend against a real Apache httpd with mod_dav, through the store
// interface the program uses.

#include "apacheserver.h"
#include "platform/platformerror.h"
#include "platform/webdav/webdavstore.h"

#include <QDir>
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

qint32 errorOf(const std::function<void()> &step, QString *description = nullptr)
{
    try {
        step();
    } catch (const platform::PlatformError &error) {
        if (description)
            *description = error.description;
        return error.number;
    }
    return 0;
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
        QTest::newRow("file form")
            << QStringLiteral("file://./backofficestorage/corp.example.local/mbx/writer")
            << QString() << platform::error::ObjectNotFound << "file://";
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
        QString description;
        QCOMPARE(errorOf([&] { store.open(url, {}, {}); }, &description), error);
        QCOMPARE(store.isOpen(), error == 0);
        QVERIFY2(error == 0 ||
                     (description.contains(url.section(u'/', 3)) && description.contains(why)),
                 qPrintable(description));
    }

    // Fields by full name: the same local name in two namespaces stays two fields.
    void recordFields()
    {
        auto store = connect(QStringLiteral("writer"));
        const QString item = mailbox("writer") + "/Fields.reg";
        write(*store, item, {{"urn:a:x", "in a"}, {"http://b.example/ns/x", "in b"}});
        auto record = read(*store, item);
        QCOMPARE(record->field("urn:a:x").toString(), "in a");
        QCOMPARE(record->field("http://b.example/ns/x").toString(), "in b");
        QCOMPARE(errorOf([&] { record->field("urn:a:y"); }), platform::error::ItemNotFound);
        auto root = read(*store, mailbox("writer"));
        QCOMPARE(root->field("urn:schemas:httpmail:inbox").toString(),
                 mailbox("writer") + "/Inbox");
    }

    // Names with characters a URL gives meaning to reach the item of exactly that name.
    void writeReadDelete_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("plain");
        QTest::newRow("space") << QStringLiteral("John Smith");
        QTest::newRow("hash, percent, question") << QStringLiteral("a#b%20c?d");
        QTest::newRow("non-ASCII") << QStringLiteral("Jürgen Ølstrøm");
    }

    void writeReadDelete()
    {
        QFETCH(QString, name);
        addMailbox(name);
        auto store = connect(name);
        const QString item = mailbox(name) + "/Inbox/Kestrelon.reg";
        const QString criteria = QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE & <x>");
        write(*store, item,
              {{"urn:k:criteria", criteria}, {"DAV:ishidden", true}, {"urn:k:old", "gone soon"}});
        QVERIFY(QFile::exists(folderOnDisk(m_server, name) + "/Kestrelon.reg"));
        write(*store, item, {{"urn:k:criteria", criteria}, {"DAV:ishidden", true}});

        auto record = read(*store, item);
        QCOMPARE(record->field("urn:k:criteria").toString(), criteria);
        QCOMPARE(record->field("DAV:ishidden").toString(), "1");
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
        const QString refused = QStringLiteral("DAV:getcontentlength");
        const QString fine = QStringLiteral("urn:k:fine");
        QTest::newRow("refused, new item") << false << refused << 0 << QString();
        QTest::newRow("refused, old item stays") << true << refused << 0 << "old";
        QTest::newRow("rolled back") << true << fine << 1 << "old";
        QTest::newRow("closed uncommitted") << false << fine << 2 << QString();
        QTest::newRow("committed") << true << fine << 0 << "new";
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
        QString description;
        const qint32 error = errorOf(
            [&] {
                write(*store, item, {{"urn:k:mark", "new"}, {property, "5"}});
            },
            &description);
        QCOMPARE(error != 0, property != "urn:k:fine");
        QVERIFY2(error == 0 || description.contains("Kestrelon.reg"), qPrintable(description));
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
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("trusted"); // the server's certificate given as the CA file
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("plainHttp");
        QTest::addColumn<qint32>("error");
        const QString user = QStringLiteral("svc-kestrelon");
        const QString right = QStringLiteral("s3cret&pw");
        QTest::newRow("right password") << false << false << user << right << true << 0;
        QTest::newRow("wrong password")
            << false << false << user << "wrong&pw" << true << platform::error::AccessDenied;
        QTest::newRow("no account")
            << false << false << QString() << QString() << true << platform::error::AccessDenied;
        QTest::newRow("plain http not allowed")
            << false << false << user << right << false << platform::error::AccessDenied;
        QTest::newRow("TLS") << true << true << user << right << false << 0;
        QTest::newRow("TLS, wrong password")
            << true << true << user << "wrong&pw" << false << platform::error::AccessDenied;
        QTest::newRow("TLS, untrusted certificate")
            << true << false << user << right << false << platform::error::ServerUnreachable;
    }

    void signIn()
    {
        QFETCH(bool, tls);
        QFETCH(bool, trusted);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, plainHttp);
        QFETCH(qint32, error);
        webdav::WebDavSettings settings;
        settings.baseUrl = tls ? m_tls.url() : m_guarded.url();
        settings.caFile = trusted ? m_tls.certificateFile() : QString();
        settings.user = user;
        settings.password = password;
        settings.allowPlainHttp = plainHttp;
        webdav::WebDavStoreConnection store(settings);
        QString description;
        QCOMPARE(errorOf([&] { store.open(mailbox("x"), {}, {}); }, &description), error);
        QVERIFY2(!description.contains(password) || password.isEmpty(), qPrintable(description));
        QVERIFY2(error == 0 || description.contains(error == platform::error::AccessDenied
                                                        ? user
                                                        : settings.baseUrl),
                 qPrintable(description));
    }
};

QTEST_GUILESS_MAIN(TestWebDavStore)
#include "tst_webdavstore.moc"

// What the webdav backend sends and how it reads the server's answers, without a server.

#include "platform/platformerror.h"
#include "platform/webdav/davurl.h"
#include "platform/webdav/davxml.h"
#include "support/datarow.h"

#include <QtTest>

namespace {

QByteArray multistatus(const QByteArray &responses)
{
    return "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\">" + responses +
           "</D:multistatus>";
}

QByteArray response(const QByteArray &href, const QByteArray &propStats)
{
    return "<D:response><D:href>" + href + "</D:href>" + propStats + "</D:response>";
}

QByteArray propStat(const QByteArray &props, int status)
{
    return "<D:propstat><D:prop>" + props + "</D:prop><D:status>HTTP/1.1 " +
           QByteArray::number(status) + " (status)</D:status></D:propstat>";
}

} // namespace

class TestWebDavFormat : public QObject
{
    Q_OBJECT

private slots:
    void target_data()
    {
        QTest::addColumn<QString>("storeUrl");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("sent"); // or the error number
        const QString none;
        row("as given", "http://exch/exadmin/d/mbx/John Smith#1/", none,
            "http://exch/exadmin/d/mbx/John%20Smith%231");
        row("on the base", "http://exch/exadmin/d/mbx/50%off?", "https://h:8443/dav/",
            "https://h:8443/dav/exadmin/d/mbx/50%25off%3F");
        row("non-ASCII", "HTTP://exch/exadmin/Jürgen", none, "http://exch/exadmin/J%C3%BCrgen");
        row("file form", "file://./backofficestorage/d/mbx/a", none,
            QString::number(platform::error::ObjectNotFound));
        row("other scheme", "ldap://exch/x", none,
            QString::number(platform::error::InvalidArgument));
    }

    void target()
    {
        QFETCH(QString, storeUrl);
        QFETCH(QString, base);
        QFETCH(QString, sent);
        try {
            const webdav::DavTarget target = webdav::davTarget(storeUrl, base);
            QCOMPARE(QString::fromLatin1(target.url.toEncoded()), sent);
            // Answers name the resource by its path as the program wrote it.
            QVERIFY(target.path.endsWith(
                u'/' + storeUrl.section(u'/', -1, -1, QString::SectionSkipEmpty)));
        } catch (const platform::PlatformError &error) {
            QCOMPARE(QString::number(error.number), sent);
            QVERIFY(error.description.contains(storeUrl));
        }
    }

    void multiStatus_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("outcome"); // 1 success, 0 failure reported, -1 malformed
        QTest::addColumn<QString>("properties");
        const QByteArray ok = propStat("<a:p xmlns:a=\"urn:a:\">v &amp; w</a:p>", 200);
        QTest::newRow("namespaced")
            << multistatus(response("/m/a%20b/", ok)) << 1 << "urn:a:p=v & w";
        QTest::newRow("same name, two namespaces")
            << multistatus(response("http://h/m/a%20b",
                                    propStat("<x:p xmlns:x=\"urn:b:\">1</x:p><p xmlns=\"urn:a:\""
                                             ">2</p>",
                                             200)))
            << 1 << "urn:b:p=1;urn:a:p=2";
        QTest::newRow("one propstat failed")
            << multistatus(response("/m/a%20b", ok + propStat("<D:getcontentlength/>", 409))) << 0
            << "urn:a:p=v & w";
        QTest::newRow("others' answers ignored")
            << multistatus(response("/m/other", propStat("<D:x/>", 500)) +
                           response("/m/a%20b", ok) + response("/m/a%20b/c", propStat("", 500)))
            << 1 << "urn:a:p=v & w";
        QTest::newRow("response status")
            << multistatus("<D:response><D:href>/m/a%20b</D:href><D:status>HTTP/1.1 404 "
                           "Not Found</D:status></D:response>")
            << 0 << QString();
        QTest::newRow("nothing about us") << multistatus(response("/m/a", ok)) << -1 << QString();
        QTest::newRow("truncated")
            << multistatus(response("/m/a%20b", ok)).chopped(5) << -1 << QString();
        QTest::newRow("not multistatus") << QByteArray("<html>busy</html>") << -1 << QString();
        QTest::newRow("bad status line")
            << multistatus(response("/m/a%20b", "<D:propstat><D:prop/><D:status>OK</D:status>"
                                                "</D:propstat>"))
            << -1 << QString();
    }

    void multiStatus()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, outcome);
        QFETCH(QString, properties);
        const QString url = QStringLiteral("http://h/m/a%20b");
        try {
            const webdav::DavResponse answer = webdav::parseMultiStatus(body, "/m/a b", url);
            QStringList found;
            for (const webdav::DavProperty &property : answer.properties())
                found << property.name + u'=' + property.value;
            QCOMPARE(int(answer.succeeded()), outcome);
            QCOMPARE(found.join(u';'), properties);
        } catch (const platform::PlatformError &error) {
            QCOMPARE(outcome, -1);
            QCOMPARE(error.number, platform::error::MalformedAnswer);
            QVERIFY(error.description.contains(url));
        }
    }

    // What the server would refuse or misread is refused before anything is sent; what is
    // sent is read back through the server by the service tests.
    void propertyUpdateRefuses()
    {
        for (const QString &bad : {QStringLiteral("nonamespace"), QStringLiteral("urn:k:")})
            QVERIFY_THROWS_EXCEPTION(platform::PlatformError,
                                     webdav::propertyUpdate({{bad, QStringLiteral("v")}}));
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError,
                                 webdav::propertyUpdate({{"urn:k:v", QStringLiteral("a\x01")}}));
    }
};

QTEST_GUILESS_MAIN(TestWebDavFormat)
#include "tst_webdavformat.moc"

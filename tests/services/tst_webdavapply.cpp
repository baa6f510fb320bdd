// A lab's store served by Apache after `kestrelon-lab export-dav`, through the configured
// platform: every probe answers as on the lab itself; the window's model binds and unbinds
// mailboxes and stores over WebDAV and reads the bindings back; a batch run rewrites them.

#include "apacheserver.h"
#include "hosting/sinkhosting.h"
#include "mailboxes/mailboxlab.h"
#include "mailboxes/storefolders.h"
#include "platform/configuredplatform.h"
#include "platform/webdav/davclient.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QtTest>
#include <QXmlStreamReader>

using namespace mailboxtest;

namespace {

const QString Awkward = QStringLiteral("jürgen o#1 50%");
const QString Mbx = QStringLiteral("/exadmin/corp.example.local/mbx/");

// Properties Apache reports of every resource, beside those a client wrote.
const QSet<QString> ServerProperties{
    "DAV:creationdate",     "DAV:getlastmodified", "DAV:getetag",
    "DAV:getcontentlength", "DAV:getcontenttype",  "DAV:supportedlock",
    "DAV:lockdiscovery",    "DAV:resourcetype",    "http://apache.org/dav/props/executable"};

// The seven properties of a registration item, as "name=value", sorted.
QStringList registration(const QString &scope, const QString &priority)
{
    const QString events = QStringLiteral("http://schemas.microsoft.com/exchange/events/");
    QStringList properties{"DAV:contentclass=urn:content-class:storeeventreg",
                           "DAV:ishidden=1",
                           events + "EventMethod=onsyncsave",
                           events + "SinkClass=Kestrelon.KestrelonCls",
                           events + "MatchScope=" + scope,
                           events + "criteria= WHERE \"DAV:ishidden\" = FALSE",
                           events + "priority=" + priority};
    properties.sort();
    return properties;
}

} // namespace

class TestWebDavApply : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ApacheServer m_server;
    QString m_config;
    lab::Scenario m_scenario = baseScenario();
    std::unique_ptr<platform::Platform> m_platform; // the lab's directory, the served store
    std::unique_ptr<platform::Platform> m_lab;

    qint16 probe(platform::Platform &platform, QString &url, const QString &folder)
    {
        TextBoxModel logEdit;
        ErrorLog log(logEdit);
        auto store = platform.createStoreConnection();
        return StoreFolders::folderItemExists(url, folder, "Kestrelon.reg", true, *store, log);
    }

    // "name=value" of the item's properties but the server's own, sorted, as a PROPFIND of
    // the test's own reports them; the status alone when there is no 207.
    QStringList itemProperties(const QString &folder)
    {
        QByteArray path;
        for (const QString &segment : (Mbx + folder + "/Kestrelon.reg").split('/'))
            path += QUrl::toPercentEncoding(segment) + '/';
        path.chop(1);
        webdav::DavClient client({});
        const webdav::DavReply reply = client.send(
            "PROPFIND", QUrl::fromEncoded(m_server.url().toLatin1() + path, QUrl::StrictMode), {},
            {{"Depth", "0"}});
        if (reply.status != 207)
            return {QString::number(reply.status)};
        QStringList out;
        QXmlStreamReader xml(reply.body);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"prop")
                continue;
            while (xml.readNextStartElement()) {
                const QString name = xml.namespaceUri().toString() + xml.name().toString();
                const QString value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                if (!ServerProperties.contains(name))
                    out << name + '=' + value;
            }
        }
        out.sort();
        return out;
    }

private slots:
    void initTestCase()
    {
        lab::SystemMailboxSpec boundStore =
            systemMailbox("Second Mailbox Store (EXCH01)", BoundStoreAlias);
        boundStore.storeWideBound = true;
        lab::addSystemMailbox(m_scenario, boundStore);
        // A second name reaches Jane's inbox too; its URL is built from the first.
        lab::MailboxUser jane = person("Jane Doe", "jdoe", "", "bound");
        jane.storeNames = {"jdoe", "jane 50%"};
        for (const lab::MailboxUser &user :
             {jane, person("Carol Chen", "cchen", "cchen@" + Domain),
              person("Jürgen Ølstrøm", Awkward, "", "localised"),
              person("Refused Five", "refused500", ""), person("Refused Seven", "refused507", "")})
            lab::addMailboxUser(m_scenario, user);
        const QString labPath = m_dir.filePath("lab.sqlite");
        lab::createLab(labPath, m_scenario);
        QVERIFY(QFile::copy(qEnvironmentVariable("KESTRELON_SOURCE") + "/demo/Kestrelon.dll",
                            m_dir.filePath("Kestrelon.dll")));
        QVERIFY(QDir::setCurrent(m_dir.path()));

        // Properties of anything below these two mailboxes' roots are refused.
        m_server.addConfig({"LoadModule rewrite_module /usr/lib/apache2/modules/mod_rewrite.so",
                            "RewriteEngine On", "RewriteCond %{REQUEST_METHOD} =PROPPATCH",
                            "RewriteRule ^" + Mbx + "refused500/. - [R=500]",
                            "RewriteCond %{REQUEST_METHOD} =PROPPATCH",
                            "RewriteRule ^" + Mbx + "refused507/. - [R=507]"});
        QVERIFY2(m_server.start(), qPrintable(m_server.failure()));
        QVERIFY2(m_server.exportLab(labPath), qPrintable(m_server.failure()));
        m_config = m_server.writeStoreConfig(m_dir.path());
        QVERIFY(!m_config.isEmpty());
        QProcessEnvironment environment;
        environment.insert("KESTRELON_CONFIG", m_config);
        m_platform = platform::createConfiguredPlatform(environment);
        m_lab = lab::openLab(labPath);
    }

    // Every name of every mailbox, per mailbox and store-wide, bound or not, and a mailbox
    // that does not exist, before anything is written: the same answer as on the lab, and
    // the same URL but where the inbox is reached through another name.
    void probesAnswerAsTheLab_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("sameUrl");
        for (const lab::Mailbox &mailbox : m_scenario.mailboxes) {
            for (const QString &name : mailbox.names) {
                const bool system = name.startsWith(QLatin1String("SystemMailbox"));
                QTest::addRow("%s", qPrintable(name))
                    << HttpMailboxRoot + '/' + name
                    << (system ? "StoreEvents/GlobalEvents" : "Inbox")
                    << (system || name == mailbox.names.first());
            }
        }
        QTest::newRow("no such mailbox") << HttpMailboxRoot + "/nobody"
                                         << "inbox" << true;
    }

    void probesAnswerAsTheLab()
    {
        QFETCH(QString, url);
        QFETCH(QString, folder);
        QFETCH(bool, sameUrl);
        QString labUrl = url;
        const qint16 expected = probe(*m_lab, labUrl, folder);
        QCOMPARE(probe(*m_platform, url, folder), expected);
        QCOMPARE(url == labUrl, sameUrl);
    }

    // The export writes every property of a binding, booleans as "1"; the store check finds
    // the mailbox root on the server.
    void exportAndStoreCheck()
    {
        QCOMPARE(itemProperties("jdoe/Inbox"), registration("SHALLOW", "65535"));
        const QString report = platform::storeCheck(*m_platform);
        QVERIFY2(report.contains(Mbx.chopped(1) + " answers") && report.contains(m_server.url()),
                 qPrintable(report));
    }

    // Rows run in order on one served store, each on a window started afresh.
    void apply_data()
    {
        QTest::addColumn<QStringList>("ticked");   // check box names
        QTest::addColumn<QStringList>("selected"); // "list:alias"
        QTest::addColumn<QString>("lists");        // read back after the apply
        QTest::addColumn<QStringList>("bound");    // folders that carry the item now
        QTest::addColumn<QStringList>("unbound");  // folders that hold nothing now
        QTest::addColumn<QStringList>("log");      // in its one error-log entry; empty: none

        const QString posteingang = Awkward + "/Posteingang";
        const QString unbound = "cchen," + Awkward + ",refused500,refused507";
        QTest::newRow("bind mailboxes, one with a localised inbox and an awkward name")
            << QStringList{"registerMailboxesCheck"}
            << QStringList{"um:cchen", "um:" + Awkward, "bm:jdoe"}
            << "S7|S0|refused500,refused507|cchen,jdoe," + Awkward
            << QStringList{"cchen/Inbox", posteingang} << QStringList() << QStringList();
        QTest::newRow("unbind them")
            << QStringList{"unregisterMailboxesCheck"} << QStringList{"bm:cchen", "bm:" + Awkward}
            << "S7|S0|" + unbound + "|jdoe" << QStringList()
            << QStringList{"cchen/Inbox", posteingang} << QStringList();
        QTest::newRow("swap the stores")
            << QStringList{"registerStoresCheck", "unregisterStoresCheck"}
            << QStringList{"us:SystemMailbox{7", "bs:SystemMailbox{0"}
            << "S0|S7|" + unbound + "|jdoe" << QStringList{StoreAlias + "/StoreEvents/GlobalEvents"}
            << QStringList{BoundStoreAlias + "/StoreEvents/GlobalEvents"} << QStringList();
        for (const QString status : {"500", "507"}) {
            const QString alias = "refused" + status;
            QTest::addRow("properties refused with %s", qPrintable(status))
                << QStringList{"registerMailboxesCheck"} << QStringList{"um:" + alias}
                << "S0|S7|" + unbound + "|jdoe" << QStringList() << QStringList{alias + "/Inbox"}
                << QStringList{QString("] %1/%2 - ERROR: %3 ")
                                   .arg(HttpMailboxRoot, alias)
                                   .arg(webdav::HttpFailure),
                               alias + "/Inbox/Kestrelon.reg: PROPPATCH answered HTTP " + status};
        }
    }

    void apply()
    {
        QFETCH(QStringList, ticked);
        QFETCH(QStringList, selected);
        QFETCH(QString, lists);
        QFETCH(QStringList, bound);
        QFETCH(QStringList, unbound);
        QFETCH(QStringList, log);
        RecordingScreen screen;
        InstallForm form(*m_platform, screen);
        form.onLoad();
        form.refreshInstallState();
        const QHash<QString, ListBoxModel *> byName{{"us", &form.lists.unboundStoreList},
                                                    {"bs", &form.lists.boundStoreList},
                                                    {"um", &form.lists.unboundMailboxList},
                                                    {"bm", &form.lists.boundMailboxList}};
        for (const QString &choice : selected) {
            ListBoxModel &list = *byName[choice.left(2)];
            for (int i = 0; i < list.count(); ++i) {
                if (list.entry(i).section(" / ", -1).startsWith(choice.mid(3)))
                    list.setSelected(i, true);
            }
        }
        for (CheckBoxModel *check :
             {&form.lists.registerStoresCheck, &form.lists.registerMailboxesCheck,
              &form.lists.unregisterMailboxesCheck, &form.lists.unregisterStoresCheck})
            check->setValue(ticked.contains(check->name()) ? 1 : 0);
        form.sink.installSinkCheck.setValue(0);
        form.rule.priorityEdit.setText("7");
        form.bindings.onApplyClicked();

        QCOMPARE(mailboxtest::listAliases(form.lists), lists);
        const QString errors = form.errorLogEdit.text();
        QCOMPARE(errors.count(" - ERROR: "), log.isEmpty() ? 0 : 1);
        for (const QString &part : log)
            QVERIFY2(errors.contains(part), qPrintable(errors));
        for (const QString &folder : bound) {
            const QString scope = folder.endsWith("GlobalEvents") ? "ANY" : "SHALLOW";
            QCOMPARE(itemProperties(folder), registration(scope, "7"));
        }
        for (const QString &folder : unbound) {
            QCOMPARE(itemProperties(folder), QStringList{"404"});
            QCOMPARE(
                QDir(m_server.documentRoot() + Mbx + folder).entryList(QDir::Files | QDir::Hidden),
                QStringList());
        }
    }

    // kestrelon-setup -b without a display, on the served store: every binding, and only
    // those, carries the installed rule's priority afterwards.
    void batchRun()
    {
        TextBoxModel logEdit;
        ErrorLog log(logEdit);
        SinkHosting::installSinkApplication(ProgramEnvironment::ProductName, "CORP\\sink", "pw",
                                            "Junk\t\rX-Spam: yes\t\r42", *m_platform, log);
        QCOMPARE(logEdit.text(), QString());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KESTRELON_LAB"})
            environment.remove(name);
        environment.insert("KESTRELON_CONFIG", m_config);
        QProcess run;
        run.setProcessEnvironment(environment);
        run.setWorkingDirectory(m_dir.path());
        run.start(qEnvironmentVariable("KESTRELON_BIN") + "/kestrelon-setup", {"-b"});
        QVERIFY(run.waitForFinished(60000));
        QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
        QCOMPARE(itemProperties("jdoe/Inbox"), registration("SHALLOW", "42"));
        QCOMPARE(itemProperties(StoreAlias + "/StoreEvents/GlobalEvents"),
                 registration("ANY", "42"));
        QCOMPARE(itemProperties("cchen/Inbox"), QStringList{"404"});
    }
};

QTEST_GUILESS_MAIN(TestWebDavApply)
#include "tst_webdavapply.moc"

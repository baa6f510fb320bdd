// A lab's store served by Apache after `kestrelon-lab export-dav`, reached through the
// configured platform: every probe answers as it does on the lab itself.

#include "apacheserver.h"
#include "mailboxes/storefolders.h"
#include "platform/configuredplatform.h"
#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "platform/platformerror.h"
#include "shell/controls.h"
#include "shell/errorlog.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString itemName = QStringLiteral("Kestrelon.reg");

QString mailboxRoot(const QString &name)
{
    return QStringLiteral("http://exch01.corp.example.local/exadmin/corp.example.local/mbx/") +
           name;
}

} // namespace

class TestWebDavExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ApacheServer m_server;
    lab::Scenario m_scenario = lab::demoScenario();
    std::unique_ptr<platform::Platform> m_lab;
    std::unique_ptr<platform::Platform> m_served;

    qint16 probe(platform::Platform &platform, QString &url, const QString &folder)
    {
        TextBoxModel logEdit;
        ErrorLog log(logEdit);
        auto store = platform.createStoreConnection();
        return StoreFolders::folderItemExists(url, folder, itemName, true, *store, log);
    }

private slots:
    void initTestCase()
    {
        lab::MailboxUser awkward;
        awkward.cn = QStringLiteral("Jürgen Ølstrøm");
        awkward.alias = QStringLiteral("jürgen o#1");
        awkward.storeNames = {awkward.alias, QStringLiteral("j 50%")};
        awkward.inboxName = QStringLiteral("Posteingang");
        awkward.bound = true;
        awkward.homeServer = lab::homeServerValue(QStringLiteral("EXCH01"));
        lab::addMailboxUser(m_scenario, awkward);
        const QString labPath = m_dir.filePath(QStringLiteral("lab.sqlite"));
        lab::createLab(labPath, m_scenario);

        QVERIFY2(m_server.start(), qPrintable(m_server.failure()));
        QVERIFY2(m_server.exportLab(labPath), qPrintable(m_server.failure()));
        const QString config = m_server.writeStoreConfig(m_dir.path());
        QVERIFY(!config.isEmpty());
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("KESTRELON_CONFIG"), config);
        m_served = platform::createConfiguredPlatform(environment);
        m_lab = lab::openLab(labPath);
    }

    // Every name of every mailbox, per mailbox and store-wide, bound or not, and a mailbox
    // that does not exist: the same answer as on the lab, and the same URL but where the
    // inbox is reached through another name (the served inbox URL uses the first).
    void probesAnswerAsTheLab_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("sameUrl");
        for (const lab::Mailbox &mailbox : m_scenario.mailboxes) {
            for (const QString &name : mailbox.names) {
                const bool system = name.startsWith(QLatin1String("SystemMailbox"));
                QTest::addRow("%s", qPrintable(name))
                    << mailboxRoot(name)
                    << (system ? QStringLiteral("StoreEvents/GlobalEvents")
                               : QStringLiteral("Inbox"))
                    << (system || name == mailbox.names.first());
            }
        }
        QTest::newRow("no such mailbox")
            << mailboxRoot(QStringLiteral("nobody")) << "inbox" << true;
    }

    void probesAnswerAsTheLab()
    {
        QFETCH(QString, url);
        QFETCH(QString, folder);
        QFETCH(bool, sameUrl);
        QString labUrl = url;
        const qint16 expected = probe(*m_lab, labUrl, folder);
        QCOMPARE(probe(*m_served, url, folder), expected);
        QCOMPARE(url == labUrl, sameUrl);
    }

    // Item properties cross as text; booleans as "1" and "0".
    void itemProperties()
    {
        QString url = mailboxRoot(QStringLiteral("j 50%"));
        QCOMPARE(probe(*m_served, url, QStringLiteral("inbox")), 1);
        auto store = m_served->createStoreConnection();
        store->open(mailboxRoot(QStringLiteral("j 50%")), {}, {});
        auto record = store->openRecord(url, platform::RecordMode::Read,
                                        platform::CreateOption::FailIfNotExists, -1);
        for (const lab::Property &property :
             lab::registrationItem(QStringLiteral("SHALLOW")).properties) {
            const QVariant &value = property.value;
            QCOMPARE(record->field(property.name).toString(),
                     value.typeId() == QMetaType::Bool ? QString::number(int(value.toBool()))
                                                       : value.toString());
        }
    }

    void storeCheck()
    {
        const QString report = platform::storeCheck(*m_served);
        QVERIFY2(report.contains(QStringLiteral("/exadmin/corp.example.local/mbx answers")),
                 qPrintable(report));
        QVERIFY(report.contains(m_server.url()));
    }
};

QTEST_GUILESS_MAIN(TestWebDavExport)
#include "tst_webdavexport.moc"

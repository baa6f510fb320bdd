#include "labfixture.h"
#include "platform/platformerror.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QUuid>

namespace {

std::unique_ptr<platform::CatalogCollection> applications(platform::Platform &p)
{
    auto catalog = p.createCatalog();
    auto apps = catalog->getCollection(QStringLiteral("Applications"));
    apps->populate();
    return apps;
}

int indexOf(platform::CatalogCollection &collection, const QString &name)
{
    for (int i = 0; i < collection.count(); ++i) {
        if (collection.item(i)->name() == name)
            return i;
    }
    return -1;
}

QString standIn()
{
    // The shipped stand-in, found from the test data folder CTest passes in.
    return QDir::cleanPath(qEnvironmentVariable("KESTRELON_TEST_DATA") +
                           QStringLiteral("/../../demo/Kestrelon.dll"));
}

} // namespace

class TestLabCatalog : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_lab = std::make_unique<LabFixture>(lab::demoScenario()); }
    void cleanup() { m_lab.reset(); }

    void addSaveAndReadBack()
    {
        auto apps = applications(*m_lab->platform);
        const int before = apps->count();
        platform::CatalogObject *app = apps->add();
        app->setValue(QStringLiteral("Name"), QStringLiteral("Kestrelon"));
        app->setValue(QStringLiteral("ApplicationAccessChecksEnabled"), false);
        const QString id = app->key().toString();
        QVERIFY(QUuid::fromString(id).isNull() == false);
        QVERIFY(id.startsWith(u'{') && id.endsWith(u'}'));
        QCOMPARE(apps->saveChanges(), 1);
        QCOMPARE(apps->saveChanges(), 0);

        auto reread = applications(*m_lab->platform);
        QCOMPARE(reread->count(), before + 1);
        const int at = indexOf(*reread, QStringLiteral("Kestrelon"));
        QVERIFY(at >= 0);
        QCOMPARE(reread->item(at)->key().toString(), id);
        QCOMPARE(reread->item(at)->value(QStringLiteral("ID")).toString(), id);
        QCOMPARE(reread->item(at)->value(QStringLiteral("ApplicationAccessChecksEnabled")),
                 QVariant(false));
        QVERIFY(reread->item(at)->value(QStringLiteral("Identity")).isNull());
    }

    void freshIdsDiffer()
    {
        auto apps = applications(*m_lab->platform);
        QVERIFY(apps->add()->key() != apps->add()->key());
    }

    void unsavedChangesAreNotWritten()
    {
        auto apps = applications(*m_lab->platform);
        apps->add()->setValue(QStringLiteral("Name"), QStringLiteral("Never saved"));
        apps->item(0)->setValue(QStringLiteral("Identity"), QStringLiteral("changed"));
        apps.reset();
        auto reread = applications(*m_lab->platform);
        QCOMPARE(indexOf(*reread, QStringLiteral("Never saved")), -1);
        QCOMPARE(reread->item(0)->value(QStringLiteral("Identity")).toString(),
                 QStringLiteral("CORP\\archiver"));
    }

    void removeTakesComponentsAlong()
    {
        auto apps = applications(*m_lab->platform);
        const int at = indexOf(*apps, QStringLiteral("Mail Archiver"));
        QVERIFY(at >= 0);
        const QVariant key = apps->item(at)->key();
        apps->remove(at);
        QCOMPARE(indexOf(*apps, QStringLiteral("Mail Archiver")), -1);
        QCOMPARE(apps->saveChanges(), 1);
        auto reread = applications(*m_lab->platform);
        QCOMPARE(indexOf(*reread, QStringLiteral("Mail Archiver")), -1);
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError,
                                 reread->getCollection(QStringLiteral("Components"), key));
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError, reread->remove(reread->count()));
    }

    void passwordNeverReadable()
    {
        const QString secret = QStringLiteral("S3cret-Passw0rd");
        {
            auto apps = applications(*m_lab->platform);
            platform::CatalogObject *app = apps->add();
            app->setValue(QStringLiteral("Name"), QStringLiteral("Kestrelon"));
            app->setValue(QStringLiteral("Identity"), QStringLiteral("CORP\\svc"));
            app->setValue(QStringLiteral("Password"), secret);
            QVERIFY(app->value(QStringLiteral("Password")).toString() != secret);
            apps->saveChanges();
        }
        auto apps = applications(*m_lab->platform);
        platform::CatalogObject *app = apps->item(indexOf(*apps, QStringLiteral("Kestrelon")));
        QCOMPARE(app->value(QStringLiteral("Password")).toString(), QStringLiteral("********"));
        QCOMPARE(app->value(QStringLiteral("Identity")).toString(), QStringLiteral("CORP\\svc"));
        m_lab->platform.reset();
        QFile file(m_lab->path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.contains(secret.toUtf8()));
        QVERIFY(!bytes.contains(secret.toUtf8().toHex()));
        QVERIFY(!bytes.contains(QByteArrayLiteral("archiver-secret")));
    }

    void installComponentFromStandIn()
    {
        {
            auto apps = applications(*m_lab->platform);
            apps->add()->setValue(QStringLiteral("Name"), QStringLiteral("Kestrelon"));
            apps->saveChanges();
        }
        auto catalog = m_lab->platform->createCatalog();
        QString windowsStyle = standIn();
        windowsStyle.replace(u'/', u'\\');
        catalog->installComponent(QStringLiteral("kestrelon"), windowsStyle, QString(), QString());
        auto apps = applications(*m_lab->platform);
        auto components =
            apps->getCollection(QStringLiteral("Components"),
                                apps->item(indexOf(*apps, QStringLiteral("Kestrelon")))->key());
        components->populate();
        QCOMPARE(components->count(), 1);
        platform::CatalogObject *sink = components->item(0);
        QCOMPARE(sink->name(), QStringLiteral("Kestrelon.KestrelonCls"));
        sink->setValue(QStringLiteral("ConstructionEnabled"), true);
        sink->setValue(QStringLiteral("ConstructorString"),
                       QStringLiteral("Spam\t\rX-Spam-Flag: YES\t\r65535"));
        QCOMPARE(components->saveChanges(), 1);
        components->populate();
        QCOMPARE(components->item(0)->value(QStringLiteral("ConstructorString")).toString(),
                 QStringLiteral("Spam\t\rX-Spam-Flag: YES\t\r65535"));
        QCOMPARE(components->item(0)->value(QStringLiteral("ConstructionEnabled")), QVariant(true));
    }

    void installComponentFailures_data()
    {
        QTest::addColumn<QString>("application");
        QTest::addColumn<int>("file");
        QTest::addColumn<qint32>("number");
        QTest::newRow("missing file") << "Mail Archiver" << 0 << qint32(0x80070002u);
        QTest::newRow("not a stand-in") << "Mail Archiver" << 1 << qint32(0x800700C1u);
        QTest::newRow("unknown application") << "Nobody" << 2 << qint32(0x80110809u);
    }

    void installComponentFailures()
    {
        QFETCH(QString, application);
        QFETCH(int, file);
        QFETCH(qint32, number);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("Kestrelon.dll"));
        if (file == 1) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("MZ\x90\x00 a real library\n");
        } else if (file == 2) {
            path = standIn();
        }
        auto catalog = m_lab->platform->createCatalog();
        try {
            catalog->installComponent(application, path, QString(), QString());
            QFAIL("installComponent succeeded");
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, number);
            QVERIFY(e.number < 0);
            QVERIFY2(e.description.contains(file == 2 ? application : path),
                     qPrintable(e.description));
        }
        auto apps = applications(*m_lab->platform);
        auto components = apps->getCollection(QStringLiteral("Components"), apps->item(0)->key());
        components->populate();
        QCOMPARE(components->count(), 1);
    }

    void unknownCollections()
    {
        auto catalog = m_lab->platform->createCatalog();
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError,
                                 catalog->getCollection(QStringLiteral("Roles")));
        auto apps = applications(*m_lab->platform);
        QVERIFY_THROWS_EXCEPTION(
            platform::PlatformError,
            apps->getCollection(QStringLiteral("Roles"), apps->item(0)->key()));
        QVERIFY(apps->item(apps->count()) == nullptr);
    }

private:
    std::unique_ptr<LabFixture> m_lab;
};

QTEST_GUILESS_MAIN(TestLabCatalog)
#include "tst_labcatalog.moc"

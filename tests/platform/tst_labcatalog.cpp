#include "support/labfixture.h"

#include <QDir>
#include <QTest>

namespace {

std::unique_ptr<platform::CatalogCollection> applications(platform::Platform &p)
{
    auto apps = p.createCatalog()->getCollection(QStringLiteral("Applications"));
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

// The shipped stand-in, found from the test data folder CTest passes in.
QString standIn()
{
    return QDir::cleanPath(qEnvironmentVariable("KESTRELON_TEST_DATA") +
                           "/../../demo/Kestrelon.dll");
}

} // namespace

class TestLabCatalog : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_lab = std::make_unique<TestLab>(lab::demoScenario()); }
    void cleanup() { m_lab.reset(); }

    void passwordNeverReadable()
    {
        const QString secret = QStringLiteral("S3cret-Passw0rd");
        {
            auto apps = applications(*m_lab->platform);
            platform::CatalogObject *app = apps->add();
            app->setValue(QStringLiteral("Name"), QStringLiteral("Kestrelon"));
            app->setValue(QStringLiteral("Identity"), QStringLiteral("CORP\\svc"));
            app->setValue(QStringLiteral("Password"), secret);
            QVERIFY(app->value("Password").toString() != secret);
            apps->saveChanges();
        }
        auto apps = applications(*m_lab->platform);
        platform::CatalogObject *app = apps->item(indexOf(*apps, "Kestrelon"));
        QCOMPARE(app->value("Password").toString(), QStringLiteral("********"));
        QCOMPARE(app->value("Identity").toString(), QStringLiteral("CORP\\svc"));
        // Nowhere in clear, in the lab file or beside it.
        m_lab->platform.reset();
        QVERIFY(!readAll(m_lab->path()).isEmpty());
        for (const QFileInfo &file : QFileInfo(m_lab->path()).dir().entryInfoList(QDir::Files)) {
            const QByteArray bytes = readAll(file.filePath());
            QVERIFY(!bytes.contains(secret.toUtf8()));
            QVERIFY(!bytes.contains(secret.toUtf8().toHex()));
            QVERIFY(!bytes.contains(QByteArrayLiteral("archiver-secret")));
        }
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
        if (file == 1)
            QVERIFY(writeAll(path, QByteArray("MZ\x90\x00 a real library\n")));
        else if (file == 2)
            path = standIn();
        const platform::PlatformError e = failureOf([&] {
            m_lab->platform->createCatalog()->installComponent(application, path, QString(),
                                                               QString());
        });
        QCOMPARE(e.number, number);
        QVERIFY(e.number < 0);
        QVERIFY2(e.description.contains(file == 2 ? application : path), qPrintable(e.description));
        auto apps = applications(*m_lab->platform);
        auto components = apps->getCollection("Components", apps->item(0)->key());
        components->populate();
        QCOMPARE(components->count(), 1);
    }

private:
    std::unique_ptr<TestLab> m_lab;
};

QTEST_GUILESS_MAIN(TestLabCatalog)
#include "tst_labcatalog.moc"

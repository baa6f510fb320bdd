#include "mailboxes/mailboxentry.h"
#include "mailboxes/registrationprobe.h"

#include <QtTest>

// The texts a mailbox entry is built from and the URL forms its mailbox is tried by.
class TestMailboxEntry : public QObject
{
    Q_OBJECT
private slots:
    void entryText_data();
    void entryText();
    void serverName_data();
    void serverName();
    void splitAddress_data();
    void splitAddress();
    void systemMailboxAlias_data();
    void systemMailboxAlias();
    void disabledBit_data();
    void disabledBit();
    void attemptOrder_data();
    void attemptOrder();
};

void TestMailboxEntry::entryText_data()
{
    QTest::addColumn<QString>("cn");
    QTest::addColumn<bool>("disabled");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("mail");
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no address") << "Jane Doe" << false << "EXCH01"
                                << ""
                                << "jdoe"
                                << "Jane Doe / EXCH01 /  / jdoe";
    QTest::newRow("disabled") << "Jane Doe" << true << "EXCH01"
                              << ""
                              << "jdoe"
                              << "Jane Doe [***DISABLED***] / EXCH01 /  / jdoe";
    QTest::newRow("full") << "Alice Archer" << false << "exch01"
                          << "aarcher@example.com"
                          << "aarcher"
                          << "Alice Archer / exch01 / aarcher@example.com / aarcher";
    QTest::newRow("nothing known") << "" << false << ""
                                   << ""
                                   << ""
                                   << " /  /  / ";
    QTest::newRow("disabled without name") << "" << true << "S"
                                           << "m"
                                           << "a"
                                           << " [***DISABLED***] / S / m / a";
}

void TestMailboxEntry::entryText()
{
    QFETCH(QString, cn);
    QFETCH(bool, disabled);
    QFETCH(QString, server);
    QFETCH(QString, mail);
    QFETCH(QString, alias);
    QFETCH(QString, expected);
    QCOMPARE(MailboxEntry::text(cn, disabled, server, mail, alias), expected);
}

void TestMailboxEntry::serverName_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("server");

    QTest::newRow("home server value")
        << "/o=Corp/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=EXCH01"
        << "EXCH01";
    QTest::newRow("upper-case marker") << "/O=CORP/CN=SERVERS/CN=Evs1"
                                       << "Evs1";
    QTest::newRow("mixed-case marker") << "/cn=Servers/Cn=exch02"
                                       << "exch02";
    QTest::newRow("no marker") << "EXCH01"
                               << "";
    QTest::newRow("marker at the end") << "/cn=Servers/cn="
                                       << "";
    QTest::newRow("one character after it") << "/cn=X"
                                            << "X";
    QTest::newRow("marker first") << "cn=EXCH01"
                                  << "EXCH01";
    QTest::newRow("empty") << ""
                           << "";
}

void TestMailboxEntry::serverName()
{
    QFETCH(QString, value);
    QFETCH(QString, server);
    QCOMPARE(MailboxEntry::serverName(value), server);
}

void TestMailboxEntry::splitAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("localPart");
    QTest::addColumn<QString>("domain");

    QTest::newRow("ordinary") << "jdoe@example.com"
                              << "jdoe"
                              << "example.com";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("no at sign") << "jdoe"
                                << "jdoe"
                                << "jdoe";
    QTest::newRow("at sign first") << "@example.com"
                                   << "@example.com"
                                   << "@example.com";
    QTest::newRow("two at signs") << "a@b@c"
                                  << "a"
                                  << "b@c";
    QTest::newRow("at sign last") << "jdoe@"
                                  << "jdoe"
                                  << "";
    QTest::newRow("one character before") << "j@x"
                                          << "j"
                                          << "x";
}

void TestMailboxEntry::splitAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, localPart);
    QFETCH(QString, domain);
    const MailboxEntry::AddressParts parts = MailboxEntry::splitAddress(address);
    QCOMPARE(parts.localPart, localPart);
    QCOMPARE(parts.domain, domain);
}

void TestMailboxEntry::systemMailboxAlias_data()
{
    QTest::addColumn<QString>("alias");
    QTest::addColumn<bool>("system");

    QTest::newRow("exact") << "SystemMailbox{7A1C2E34-5B6D}" << true;
    QTest::newRow("other case") << "systemmailbox{7a1c}" << true;
    QTest::newRow("prefix only") << "SystemMailbox{" << true;
    QTest::newRow("no brace") << "SystemMailbox7A1C" << false;
    QTest::newRow("user") << "jdoe" << false;
    QTest::newRow("prefix later") << "xSystemMailbox{1}" << false;
    QTest::newRow("empty") << "" << false;
}

void TestMailboxEntry::systemMailboxAlias()
{
    QFETCH(QString, alias);
    QFETCH(bool, system);
    QCOMPARE(MailboxEntry::isSystemMailboxAlias(alias), system);
}

void TestMailboxEntry::disabledBit_data()
{
    QTest::addColumn<qint32>("control");
    QTest::addColumn<bool>("disabled");

    QTest::newRow("normal account") << 512 << false;
    QTest::newRow("disabled account") << 514 << true;
    QTest::newRow("bit alone") << 2 << true;
    QTest::newRow("other bits") << (512 | 1 | 65536) << false;
    QTest::newRow("all bits") << qint32(-1) << true;
    QTest::newRow("none") << 0 << false;
}

void TestMailboxEntry::disabledBit()
{
    QFETCH(qint32, control);
    QFETCH(bool, disabled);
    QCOMPARE(MailboxEntry::isAccountDisabled(control), disabled);
}

void TestMailboxEntry::attemptOrder_data()
{
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QString>("mail");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QList<bool>>("logs");

    const QString http = QStringLiteral("http://exch01.corp.example.local/exadmin/");
    const QString file = QStringLiteral("file://./backofficestorage/");
    const QString root = QStringLiteral("corp.example.local/mbx/");

    QTest::newRow("alias and address")
        << "jdoe"
        << "jane.doe@example.com"
        << QStringList{file + "example.com/mbx/jdoe", http + "example.com/mbx/jdoe",
                       http + root + "jdoe",          file + root + "jdoe",
                       http + root + "jane.doe",      file + root + "jane.doe"}
        << QList<bool>{false, false, false, false, false, true};
    QTest::newRow("no address: the alias forms, the last one logs")
        << "jdoe"
        << "" << QStringList{http + root + "jdoe", file + root + "jdoe"}
        << QList<bool>{false, true};
    QTest::newRow("no alias: the local part forms")
        << ""
        << "jane.doe@example.com" << QStringList{http + root + "jane.doe", file + root + "jane.doe"}
        << QList<bool>{false, true};
    QTest::newRow("neither") << ""
                             << "" << QStringList{} << QList<bool>{};
    QTest::newRow("address without at sign")
        << "jdoe"
        << "jane"
        << QStringList{file + "jane/mbx/jdoe", http + "jane/mbx/jdoe", http + root + "jdoe",
                       file + root + "jdoe",   http + root + "jane",   file + root + "jane"}
        << QList<bool>{false, false, false, false, false, true};
    QTest::newRow("at sign first")
        << "jdoe"
        << "@example.com"
        << QStringList{file + "@example.com/mbx/jdoe", http + "@example.com/mbx/jdoe",
                       http + root + "jdoe",           file + root + "jdoe",
                       http + root + "@example.com",   file + root + "@example.com"}
        << QList<bool>{false, false, false, false, false, true};
    QTest::newRow("empty domain skips the address forms")
        << "jdoe"
        << "jane@"
        << QStringList{http + root + "jdoe", file + root + "jdoe", http + root + "jane",
                       file + root + "jane"}
        << QList<bool>{false, false, false, true};
}

void TestMailboxEntry::attemptOrder()
{
    QFETCH(QString, alias);
    QFETCH(QString, mail);
    QFETCH(QStringList, urls);
    QFETCH(QList<bool>, logs);

    const RegistrationProbe::MailboxRoots roots{
        QStringLiteral("exch01.corp.example.local"),
        QStringLiteral("http://exch01.corp.example.local/exadmin/corp.example.local/mbx"),
        QStringLiteral("file://./backofficestorage/corp.example.local/mbx")};
    const MailboxEntry::AddressParts parts = MailboxEntry::splitAddress(mail);
    const QList<RegistrationProbe::Attempt> attempts =
        RegistrationProbe::attempts(roots, alias, parts.localPart, parts.domain);
    QStringList triedUrls;
    QList<bool> triedLogs;
    for (const RegistrationProbe::Attempt &attempt : attempts) {
        triedUrls.append(attempt.url);
        triedLogs.append(attempt.logFailure);
    }
    QCOMPARE(triedUrls, urls);
    QCOMPARE(triedLogs, logs);
}

QTEST_GUILESS_MAIN(TestMailboxEntry)
#include "tst_mailboxentry.moc"

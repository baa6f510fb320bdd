#include "mailboxes/listaids.h"
#include "mailboxes/mailboxentry.h"
#include "mailboxes/storefolders.h"
#include "mailboxlab.h"

#include <QtTest>

using namespace mailboxtest;
using namespace Qt::StringLiterals;

namespace {

const QString Root = u"http://h/exadmin/d/mbx/x"_s;

// Holds the mailbox Root, whose record has the fields a test chooses, and the records listed
// in `existing`; connecting to another mailbox fails, and so may closing a record.
class ScriptedStore : public platform::StoreConnection
{
public:
    class Record : public platform::StoreRecord
    {
    public:
        Record(const QVariantMap &fields, bool failClose) : m_fields(fields), m_failClose(failClose)
        {
        }
        QString url() const override { return QString(); }
        bool isOpen() const override { return m_open; }
        int fieldCount() const override { return int(m_fields.size()); }
        QVariant field(const QString &name) const override { return m_fields.value(name); }
        void setField(const QString &, const QVariant &) override {}
        void update() override {}
        void close() override
        {
            m_open = false;
            if (m_failClose)
                throw platform::PlatformError(platform::error::NotOpen, u"close"_s);
        }
        void deleteRecord() override {}

    private:
        QVariantMap m_fields;
        bool m_failClose;
        bool m_open = true;
    };

    QString connectionString() const override { return QString(); }
    void setConnectionString(const QString &) override {}
    void open(const QString &url, const QString &, const QString &) override
    {
        if (!existing.contains(url))
            throw platform::PlatformError(platform::error::ObjectNotFound, url);
        m_open = true;
    }
    bool isOpen() const override { return m_open; }
    void close() override { m_open = false; }
    std::unique_ptr<platform::StoreRecord> openRecord(const QString &url, platform::RecordMode,
                                                      platform::CreateOption, int) override
    {
        records.append(url);
        if (!existing.contains(url))
            throw platform::PlatformError(platform::error::ObjectNotFound, url);
        return std::make_unique<Record>(existing.value(url), failClose);
    }
    void beginTransaction() override {}
    void commitTransaction() override {}
    void rollbackTransaction() override {}

    bool failClose = false;
    QMap<QString, QVariantMap> existing; // url -> fields
    QStringList records;

private:
    bool m_open = false;
};

} // namespace

// The parts the mailbox lists are built from: what a directory row's attributes mean, the
// probe for an item in a mailbox, the select-all buttons and the horizontal extent.
class TestMailboxParts : public QObject
{
    Q_OBJECT
private slots:
    void serverName_data();
    void serverName();
    void classification();
    void probe_data();
    void probe();
    void toggle_data();
    void toggle();
    void extent_data();
    void extent();
};

void TestMailboxParts::serverName_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("server");
    // The last marker counts, in any letter case.
    QTest::newRow("upper-case markers") << u"/O=CORP/CN=SERVERS/CN=Evs1"_s << u"Evs1"_s;
    QTest::newRow("no marker") << u"EXCH01"_s << u""_s;
    QTest::newRow("marker at the end") << u"/cn=Servers/cn="_s << u""_s;
    QTest::newRow("marker first, one character after") << u"cn=X"_s << u"X"_s;
}

void TestMailboxParts::serverName()
{
    QFETCH(QString, value);
    QFETCH(QString, server);
    QCOMPARE(MailboxEntry::serverName(value), server);
}

void TestMailboxParts::classification()
{
    QVERIFY(MailboxEntry::isSystemMailboxAlias(QStringLiteral("systemmailbox{7a1c}")));
    QVERIFY(!MailboxEntry::isSystemMailboxAlias(QStringLiteral("SystemMailbox7A1C")));
    QVERIFY(!MailboxEntry::isSystemMailboxAlias(QStringLiteral("xSystemMailbox{1}")));
    // userAccountControl: only bit 2 disables.
    QVERIFY(MailboxEntry::isAccountDisabled(2));
    QVERIFY(!MailboxEntry::isAccountDisabled(512 | 1 | 65536));
}

void TestMailboxParts::toggle_data()
{
    QTest::addColumn<int>("button"); // selectAllUnboundStoresButton .. selectAllBoundStoresButton
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("newCaption"); // it names the next click's action

    QTest::newRow("selectAllUnboundStoresButton selects")
        << 4 << u"Select All"_s << 3 << 1 << u"Deselect All"_s;
    QTest::newRow("selectAllUnboundMailboxesButton deselects")
        << 5 << u"Deselect All"_s << 3 << 2 << u"Select All"_s;
    QTest::newRow("selectAllBoundMailboxesButton, caption in other case")
        << 6 << u"SELECT ALL"_s << 3 << 0 << u"Deselect All"_s;
    QTest::newRow("selectAllBoundStoresButton, any other caption deselects")
        << 7 << u"Select"_s << 2 << 0 << u"Select All"_s;
    QTest::newRow("empty list still toggles")
        << 5 << u"Select All"_s << 0 << -1 << u"Deselect All"_s;
}

void TestMailboxParts::toggle()
{
    QFETCH(int, button);
    QFETCH(QString, caption);
    QFETCH(int, entries);
    QFETCH(int, current);
    QFETCH(QString, newCaption);
    const bool selected = newCaption == u"Deselect All"_s;

    MailboxLab lab(baseScenario());
    InstallForm &form = lab.form;
    const std::array buttons{&form.selectAllUnboundStoresButton,
                             &form.selectAllUnboundMailboxesButton,
                             &form.selectAllBoundMailboxesButton, &form.selectAllBoundStoresButton};
    const std::array lists{&form.unboundStoreList, &form.unboundMailboxList, &form.boundMailboxList,
                           &form.boundStoreList};
    const std::array clicks{&InstallForm::onSelectAllUnboundStoresClicked,
                            &InstallForm::onSelectAllUnboundMailboxesClicked,
                            &InstallForm::onSelectAllBoundMailboxesClicked,
                            &InstallForm::onSelectAllBoundStoresClicked};
    ListBoxModel &list = *lists[size_t(button - 4)];
    for (int i = 0; i < entries; ++i) {
        list.addItem(QStringLiteral("Entry %1").arg(i));
        list.setSelected(i, i % 2 == 0 ? !selected : selected); // mixed before the click
    }
    list.setCurrentIndex(current);
    int listClicks = 0;
    list.onClicked = [&listClicks] {
        ++listClicks;
    };
    buttons[size_t(button - 4)]->setCaption(caption);

    (form.*clicks[size_t(button - 4)])();
    QCOMPARE(buttons[size_t(button - 4)]->caption(), newCaption);
    QCOMPARE(list.selectedCount(), selected ? entries : 0);
    QCOMPARE(list.currentIndex(), current);
    QCOMPARE(listClicks, 0);
}

void TestMailboxParts::extent_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("extent"); // 7 pixels a character, 17 for the scroll bar

    QTest::newRow("empty list") << QStringList{} << 0;
    QTest::newRow("long entry wins wherever it stands")
        << QStringList{"ab", QString(60, u'x'), "abcd"} << 60 * 7 + 17;
    QTest::newRow("empty entry counts the scroll bar") << QStringList{""} << 17;
}

void TestMailboxParts::extent()
{
    QFETCH(QStringList, entries);
    QFETCH(int, extent);

    // Measures in the list's own font only: another control's gives absurd widths.
    struct FontScreen : RecordingScreen
    {
        int textWidth(const QString &control, const QString &text) override
        {
            return int(text.size()) * (control == QLatin1String("boundStoreList") ? 7 : 1000);
        }
    } screen;
    ListBoxModel list(QStringLiteral("boundStoreList"));
    list.setHorizontalExtent(999);
    for (const QString &entry : entries)
        list.addItem(entry);
    ListAids::setHorizontalExtent(list, screen);
    QCOMPARE(list.horizontalExtent(), extent);
}

void TestMailboxParts::probe_data()
{
    QTest::addColumn<QVariantMap>("root"); // the root record's fields
    QTest::addColumn<QString>("folder");
    // "item": the item exists at the URL written back; "missing": no mailbox Root; "quiet":
    // logging not asked; "failing-close": closing any record fails.
    QTest::addColumn<QString>("traits");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("urlAfter"); // below Root
    QTest::addColumn<int>("logged");       // the error number logged once for urlAfter; 0: none

    const QString inbox = StoreFolders::InboxProperty;
    const QVariantMap plain{{inbox, Root + "/Inbox"}};
    const QString events = u"StoreEvents/GlobalEvents"_s;
    QTest::newRow("Inbox") << plain << u"Inbox"_s << u"item"_s << 1 << u"/Inbox/Kestrelon.reg"_s
                           << 0;
    QTest::newRow("INBOX") << plain << u"INBOX"_s << u"item quiet"_s << 1
                           << u"/Inbox/Kestrelon.reg"_s << 0;
    QTest::newRow("localised inbox") << QVariantMap{{inbox, Root + "/Posteingang"}} << u"inbox"_s
                                     << u"item"_s << 1 << u"/Posteingang/Kestrelon.reg"_s << 0;
    QTest::newRow("inbox without the item")
        << plain << u"inbox"_s << u""_s << 0 << u"/Inbox/Kestrelon.reg"_s << 0;
    QTest::newRow("missing mailbox, logging asked")
        << plain << u"inbox"_s << u"missing"_s << -1 << u""_s << platform::error::ObjectNotFound;
    QTest::newRow("missing mailbox, no logging")
        << plain << u"inbox"_s << u"missing quiet"_s << -1 << u""_s << 0;
    QTest::newRow("store-wide binding present")
        << plain << events << u"item"_s << 1 << u"/StoreEvents/GlobalEvents/Kestrelon.reg"_s << 0;
    QTest::newRow("store-wide binding absent")
        << plain << events << u""_s << 0 << u"/StoreEvents/GlobalEvents/Kestrelon.reg"_s << 0;
    QTest::newRow("null inbox") << QVariantMap{{inbox, QVariant()}, {"x", 1}} << u"inbox"_s << u""_s
                                << -1 << u""_s << 94;
    QTest::newRow("empty inbox") << QVariantMap{{inbox, QString()}, {"x", 1}} << u"inbox"_s << u""_s
                                 << -1 << u""_s << 94;
    // A failing close is inside the probe's trap: the mailbox counts as unopened.
    QTest::newRow("failing close") << plain << u"inbox"_s << u"failing-close"_s << -1 << u"/Inbox"_s
                                   << platform::error::NotOpen;
    QTest::newRow("root without fields is its own inbox")
        << QVariantMap() << u"inbox"_s << u""_s << 0 << u"/Kestrelon.reg"_s << 0;
}

void TestMailboxParts::probe()
{
    QFETCH(QVariantMap, root);
    QFETCH(QString, folder);
    QFETCH(QString, traits);
    QFETCH(int, result);
    QFETCH(QString, urlAfter);
    QFETCH(int, logged);

    ScriptedStore store;
    store.failClose = traits.contains(u"failing-close"_s);
    if (!traits.contains(u"missing"_s))
        store.existing.insert(Root, root);
    if (traits.contains(u"item"_s))
        store.existing.insert(Root + urlAfter, {});
    TextBoxModel errorLogEdit;
    ErrorLog log(errorLogEdit);
    QString url = Root;
    qint16 answer = 0;
    try {
        answer = StoreFolders::folderItemExists(url, folder, ItemName, !traits.contains(u"quiet"_s),
                                                store, log);
    } catch (...) {
        QFAIL("a store failure escaped");
    }
    QCOMPARE(int(answer), result);
    QCOMPARE(url, Root + urlAfter);
    QVERIFY(!store.isOpen());
    // The root's record is read for the inbox only; the item is opened where the URL says.
    QCOMPARE(store.records.contains(Root),
             !traits.contains(u"missing"_s) &&
                 folder.compare(u"inbox"_s, Qt::CaseInsensitive) == 0);
    if (result >= 0)
        QCOMPARE(store.records.last(), url);
    QCOMPARE(int(errorLogEdit.text().count(u" - ERROR: "_s)), logged ? 1 : 0);
    if (logged)
        QVERIFY2(
            errorLogEdit.text().contains("] " + url + " - ERROR: " + QString::number(logged) + ' '),
            qPrintable(errorLogEdit.text()));
}

QTEST_GUILESS_MAIN(TestMailboxParts)
#include "tst_mailboxparts.moc"

#include "mailboxes/listaids.h"
#include "mailboxes/mailboxentry.h"
#include "mailboxes/mailboxlists.h"
#include "support/labfixture.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// The parts the mailbox lists are built from: the server name of a home-server value, the
// select-all buttons and the horizontal extent.
class TestMailboxParts : public QObject
{
    Q_OBJECT
private slots:
    void serverName_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("server");
        // The last marker counts, in any letter case, with two characters or more after it.
        QTest::newRow("upper-case markers") << u"/O=CORP/CN=SERVERS/CN=Evs1"_s << u"Evs1"_s;
        QTest::newRow("no marker") << u"EXCH01"_s << u""_s;
        QTest::newRow("marker at the end") << u"/cn=Servers/cn="_s << u""_s;
        QTest::newRow("one character after the marker") << u"cn=X"_s << u""_s;
        QTest::newRow("two characters after the marker") << u"cn=XY"_s << u"XY"_s;
    }

    void serverName()
    {
        QFETCH(QString, value);
        QFETCH(QString, server);
        QCOMPARE(MailboxEntry::serverName(value), server);
    }

    // Each button drives its own list, keeping its current entry; the caption, in any case,
    // names what the next click does, and an empty list still flips it.
    void toggle()
    {
        EnvironmentLab<> lab;
        MailboxLists f(lab.environment, lab.screen, lab.errorLog);
        using Click = void (MailboxLists::*)();
        const struct
        {
            ButtonModel &button;
            ListBoxModel &list;
            Click click;
            const char *caption;
            int entries;
            bool selects;
        } cases[] = {{f.selectAllUnboundStoresButton, f.unboundStoreList,
                      &MailboxLists::onSelectAllUnboundStoresClicked, "SELECT ALL", 3, true},
                     {f.selectAllUnboundMailboxesButton, f.unboundMailboxList,
                      &MailboxLists::onSelectAllUnboundMailboxesClicked, "Deselect All", 3, false},
                     {f.selectAllBoundMailboxesButton, f.boundMailboxList,
                      &MailboxLists::onSelectAllBoundMailboxesClicked, "Select", 2, false},
                     {f.selectAllBoundStoresButton, f.boundStoreList,
                      &MailboxLists::onSelectAllBoundStoresClicked, "Select All", 0, true}};
        for (const auto &c : cases) {
            for (int i = 0; i < c.entries; ++i) {
                c.list.addItem(QString::number(i));
                c.list.setSelected(i, i % 2 == 0);
            }
            c.list.setCurrentIndex(c.entries - 1);
            c.button.setCaption(QString::fromLatin1(c.caption));
            (f.*c.click)();
            QCOMPARE(c.button.caption(), c.selects ? u"Deselect All"_s : u"Select All"_s);
            QCOMPARE(c.list.selectedCount(), c.selects ? c.entries : 0);
            QCOMPARE(c.list.currentIndex(), c.entries - 1);
        }
    }

    void extent_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("extent"); // 7 pixels a character, 17 for the scroll bar

        QTest::newRow("empty list") << QStringList{} << 0;
        QTest::newRow("long entry wins wherever it stands")
            << QStringList{"ab", QString(60, u'x'), "abcd"} << 60 * 7 + 17;
        QTest::newRow("empty entry counts the scroll bar") << QStringList{""} << 17;
    }

    void extent()
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
};

QTEST_GUILESS_MAIN(TestMailboxParts)
#include "tst_mailboxparts.moc"

#include "mailboxes/hscrolllistbox.h"
#include "mailboxlab.h"

#include <QtTest>

namespace {

// An InstallForm that never reaches a platform: the list aids need none.
class NoPlatform : public platform::Platform
{
public:
    QString description() const override { return QString(); }
    std::unique_ptr<platform::DirectoryConnection> createDirectoryConnection() override
    {
        return nullptr;
    }
    std::unique_ptr<platform::StoreConnection> createStoreConnection() override { return nullptr; }
    std::unique_ptr<platform::ComponentCatalog> createCatalog() override { return nullptr; }
    platform::MachineFacts &machine() override { std::abort(); }
};

void fill(ListBoxModel &list, int count)
{
    list.clear();
    for (int i = 0; i < count; ++i)
        list.addItem(QStringLiteral("Entry %1").arg(i));
}

QList<bool> selection(const ListBoxModel &list)
{
    QList<bool> selected;
    for (int i = 0; i < list.count(); ++i)
        selected.append(list.selected(i));
    return selected;
}

} // namespace

// Select-all buttons and the horizontal extent of the four mailbox lists.
class TestListAids : public QObject
{
    Q_OBJECT
private slots:
    void toggle_data();
    void toggle();
    void toggleTwiceRestores();
    void buttonsDriveTheirLists_data();
    void buttonsDriveTheirLists();
    void captionSurvivesRefill();
    void extent_data();
    void extent();
    void extentMeasuresInTheListsFont();

private:
    NoPlatform m_platform;
};

void TestListAids::toggle_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("newCaption");
    QTest::addColumn<bool>("selected");

    QTest::newRow("select three") << "Select All" << 3 << 1 << "Deselect All" << true;
    QTest::newRow("deselect three") << "Deselect All" << 3 << 2 << "Select All" << false;
    QTest::newRow("caption in other case") << "SELECT ALL" << 3 << 0 << "Deselect All" << true;
    QTest::newRow("no current entry") << "Select All" << 2 << -1 << "Deselect All" << true;
    QTest::newRow("empty list still toggles") << "Select All" << 0 << -1 << "Deselect All" << true;
    QTest::newRow("empty list back") << "Deselect All" << 0 << -1 << "Select All" << false;
    QTest::newRow("any other caption deselects") << "Select" << 2 << 0 << "Select All" << false;
}

void TestListAids::toggle()
{
    QFETCH(QString, caption);
    QFETCH(int, entries);
    QFETCH(int, current);
    QFETCH(QString, newCaption);
    QFETCH(bool, selected);

    RecordingScreen screen;
    InstallForm form(m_platform, screen);
    fill(form.MbxInstList, entries);
    for (int i = 0; i < entries; i += 2)
        form.MbxInstList.setSelected(i, !selected);
    form.MbxInstList.setListIndex(current);
    int clicks = 0;
    form.MbxInstList.onClick = [&clicks] {
        ++clicks;
    };
    form.Command5.setCaption(caption);

    form.ToggleSelectAll(form.Command5, form.MbxInstList);
    QCOMPARE(form.Command5.caption(), newCaption);
    QCOMPARE(selection(form.MbxInstList), QList<bool>(entries, selected));
    QCOMPARE(form.MbxInstList.listIndex(), current);
    QCOMPARE(clicks, 0);
}

void TestListAids::toggleTwiceRestores()
{
    RecordingScreen screen;
    InstallForm form(m_platform, screen);
    fill(form.MbxUninstList, 3);
    form.MbxUninstList.setListIndex(2);
    form.Command6_Click();
    QCOMPARE(form.MbxUninstList.selectedCount(), 3);
    QCOMPARE(form.Command6.caption(), QStringLiteral("Deselect All"));
    form.Command6_Click();
    QCOMPARE(form.MbxUninstList.selectedCount(), 0);
    QCOMPARE(form.Command6.caption(), QStringLiteral("Select All"));
    QCOMPARE(form.MbxUninstList.listIndex(), 2);
}

void TestListAids::buttonsDriveTheirLists_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("list");
    QTest::newRow("Command4") << 4 << "SysMbxInstList";
    QTest::newRow("Command5") << 5 << "MbxInstList";
    QTest::newRow("Command6") << 6 << "MbxUninstList";
    QTest::newRow("Command7") << 7 << "SysMbxUninstList";
}

void TestListAids::buttonsDriveTheirLists()
{
    QFETCH(int, button);
    QFETCH(QString, list);

    RecordingScreen screen;
    InstallForm form(m_platform, screen);
    const std::array<ListBoxModel *, 4> lists{&form.SysMbxInstList, &form.MbxInstList,
                                              &form.MbxUninstList, &form.SysMbxUninstList};
    for (ListBoxModel *each : lists)
        fill(*each, 2);
    const std::array<void (InstallForm::*)(), 4> clicks{
        &InstallForm::Command4_Click, &InstallForm::Command5_Click, &InstallForm::Command6_Click,
        &InstallForm::Command7_Click};
    const std::array<ButtonModel *, 4> buttons{&form.Command4, &form.Command5, &form.Command6,
                                               &form.Command7};
    (form.*clicks[size_t(button - 4)])();
    for (ListBoxModel *each : lists)
        QCOMPARE(each->selectedCount(), each->name() == list ? 2 : 0);
    for (ButtonModel *each : buttons)
        QCOMPARE(each->caption(), each == buttons[size_t(button - 4)]
                                      ? QStringLiteral("Deselect All")
                                      : QStringLiteral("Select All"));
}

void TestListAids::captionSurvivesRefill()
{
    RecordingScreen screen;
    InstallForm form(m_platform, screen);
    fill(form.SysMbxInstList, 2);
    form.Command4_Click();
    fill(form.SysMbxInstList, 2);
    QCOMPARE(form.Command4.caption(), QStringLiteral("Deselect All"));
    QCOMPARE(form.SysMbxInstList.selectedCount(), 0);
    form.Command4_Click();
    QCOMPARE(form.SysMbxInstList.selectedCount(), 0);
    QCOMPARE(form.Command4.caption(), QStringLiteral("Select All"));
}

void TestListAids::extent_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("charWidth");
    QTest::addColumn<int>("scrollBar");
    QTest::addColumn<int>("extent");

    QTest::newRow("empty list") << QStringList{} << 7 << 17 << 0;
    QTest::newRow("one entry") << QStringList{"abc"} << 7 << 17 << 3 * 7 + 17;
    QTest::newRow("widest wins, wherever it stands")
        << QStringList{"ab", QString(60, u'x'), "abcd"} << 7 << 17 << 60 * 7 + 17;
    QTest::newRow("long entry") << QStringList{"Jane Doe / EXCH01 /  / jdoe"} << 8 << 20
                                << 27 * 8 + 20;
    QTest::newRow("empty entry counts the scroll bar") << QStringList{""} << 7 << 17 << 17;
}

void TestListAids::extent()
{
    QFETCH(QStringList, entries);
    QFETCH(int, charWidth);
    QFETCH(int, scrollBar);
    QFETCH(int, extent);

    RecordingScreen screen;
    screen.charWidth = charWidth;
    screen.scrollBarWidth = scrollBar;
    ListBoxModel list(QStringLiteral("MbxInstList"));
    list.setHorizontalExtent(999);
    for (const QString &entry : entries)
        list.addItem(entry);
    HScrollListBox::SetHorizontalExtent(list, screen);
    QCOMPARE(list.horizontalExtent(), extent);
}

void TestListAids::extentMeasuresInTheListsFont()
{
    // A screen whose lists differ in font: the extent must be measured in the list's own.
    class FontScreen : public RecordingScreen
    {
    public:
        int textWidth(const QString &controlName, const QString &text) override
        {
            asked.append(controlName);
            return int(text.size()) * (controlName == QLatin1String("SysMbxUninstList") ? 10 : 5);
        }
        QStringList asked;
    } screen;
    ListBoxModel list(QStringLiteral("SysMbxUninstList"));
    list.addItem(QStringLiteral("abcd"));
    list.addItem(QStringLiteral("ab"));
    HScrollListBox::SetHorizontalExtent(list, screen);
    QCOMPARE(list.horizontalExtent(), 4 * 10 + screen.scrollBarWidth);
    QCOMPARE(screen.asked, (QStringList{"SysMbxUninstList", "SysMbxUninstList"}));
}

QTEST_GUILESS_MAIN(TestListAids)
#include "tst_listaids.moc"

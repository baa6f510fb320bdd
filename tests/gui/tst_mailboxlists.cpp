#include "mailboxes/mailboxlab.h"
#include "ui/installwindow.h"
#include "ui/qtscreen.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace mailboxtest;

namespace {

QStringList texts(const QListWidget &list)
{
    QStringList shown;
    for (int i = 0; i < list.count(); ++i)
        shown.append(list.item(i)->text());
    return shown;
}

} // namespace

// The four mailbox lists of the real window, offscreen.
class TestMailboxLists : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void walkFillsTheLists();
    void selectionRoundTrip();

private:
    QListWidget *list(const char *name) { return m_view->findChild<QListWidget *>(name); }

    std::unique_ptr<WindowLab<QtScreen>> m_lab;
    std::unique_ptr<InstallWindow> m_view;
};

void TestMailboxLists::init()
{
    lab::Scenario scenario = mixedScenario();
    lab::addMailboxUser(scenario, person(QString(80, u'W'), "wide", ""));
    m_lab = std::make_unique<WindowLab<QtScreen>>(scenario);
    m_lab->form.firstActivationDone = true;
    m_view = std::make_unique<InstallWindow>(m_lab->form);
    m_view->attachScreen(m_lab->screen);
    m_view->resize(700, 700);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestMailboxLists::cleanup()
{
    m_view.reset();
    m_lab.reset();
}

void TestMailboxLists::walkFillsTheLists()
{
    InstallForm &form = m_lab->form;
    QWidget *box = m_view->findChild<QWidget *>("progressBox");
    QStringList shownTexts;
    bool alwaysVisible = true;
    m_lab->screen.beforeEvents = [&] {
        m_view->sync();
        shownTexts.append(form.lists.progressBox.text());
        alwaysVisible = alwaysVisible && box->isVisible();
    };
    form.lists.refreshMailboxLists();
    m_view->sync();
    // Seven rows of this server (two stores, five users): each is a new percentage, so each
    // reaches the window at once.
    QCOMPARE(shownTexts, (QStringList{"14%", "29%", "43%", "57%", "71%", "86%", "100%"}));
    QVERIFY(alwaysVisible);
    QVERIFY(!box->isVisible());
    for (const ListBoxModel *model : {&form.lists.unboundStoreList, &form.lists.boundStoreList,
                                      &form.lists.unboundMailboxList, &form.lists.boundMailboxList})
        QCOMPARE(texts(*list(qPrintable(model->name()))), model->entries());

    // The wide entry scrolls exactly to the extent; a list whose entries fit does not.
    QListWidget *widget = list("unboundMailboxList");
    const int extent = form.lists.unboundMailboxList.horizontalExtent();
    QVERIFY(extent > widget->viewport()->width());
    QCOMPARE(widget->horizontalScrollBar()->maximum(), extent - widget->viewport()->width());
    QCOMPARE(list("boundMailboxList")->horizontalScrollBar()->maximum(), 0);

    // Ticking "Show disabled" in the window refills the lists, unticking it again.
    const QString dave = "Dave Dunn [***DISABLED***] / EXCH01 / ddunn@" + Domain + " / ddunn";
    QCheckBox *showDisabled = m_view->findChild<QCheckBox *>("showDisabledCheck");
    showDisabled->click();
    QVERIFY(texts(*widget).contains(dave));
    showDisabled->click();
    QVERIFY(!texts(*widget).contains(dave));
}

void TestMailboxLists::selectionRoundTrip()
{
    InstallForm &form = m_lab->form;
    form.lists.refreshMailboxLists();
    m_view->sync();
    QListWidget *widget = list("unboundMailboxList");
    QCOMPARE(widget->count(), 2);

    // The user's clicks reach the model.
    const QRect second = widget->visualItemRect(widget->item(1));
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QCOMPARE(form.lists.unboundMailboxList.currentIndex(), 1);
    QVERIFY(form.lists.unboundMailboxList.selected(1));
    const QRect first = widget->visualItemRect(widget->item(0));
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::ControlModifier, first.center());
    QCOMPARE(form.lists.unboundMailboxList.selectedCount(), 2);
    QCOMPARE(form.lists.unboundMailboxList.currentIndex(), 0);

    // Ctrl+arrow moves the focus without selecting; Select All and Deselect All keep it.
    QTest::keyClick(widget, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(form.lists.unboundMailboxList.currentIndex(), 1);
    QPushButton *button = m_view->findChild<QPushButton *>("selectAllUnboundMailboxesButton");
    for (const char *caption : {"Deselect All", "Select All"}) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(button->text(), QString::fromLatin1(caption));
        QCOMPARE(widget->currentRow(), 1);
    }
    QCOMPARE(widget->selectedItems().size(), 0);

    // The register box and CHANGE in the window bind what the user selected.
    const QString carol = form.lists.unboundMailboxList.entry(0);
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    m_view->findChild<QCheckBox *>("registerMailboxesCheck")->click();
    QTest::mouseClick(m_view->findChild<QPushButton *>("applyButton"), Qt::LeftButton);
    QVERIFY(texts(*list("boundMailboxList")).contains(carol));
    QVERIFY(!texts(*widget).contains(carol));
}

QTEST_MAIN(TestMailboxLists)
#include "tst_mailboxlists.moc"

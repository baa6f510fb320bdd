#include "mailboxes/mailboxlab.h"
#include "ui/installwindow.h"
#include "ui/qtscreen.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
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
    void growingListIsAppendedNotRefilled();

private:
    QListWidget *list(const char *name) { return m_view->findChild<QListWidget *>(name); }
    void walk()
    {
        m_lab->form.refreshMailboxLists();
        m_view->sync();
        QCoreApplication::processEvents();
    }

    std::unique_ptr<MailboxLab<QtScreen>> m_lab;
    std::unique_ptr<InstallWindow> m_view;
};

void TestMailboxLists::init()
{
    m_lab = std::make_unique<MailboxLab<QtScreen>>(mixedScenario());
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
        shownTexts.append(form.progressBox.text());
        alwaysVisible = alwaysVisible && box->isVisible();
    };
    walk();
    // Seven rows of this server (two stores, five users): each is a new percentage, so each
    // reaches the window at once.
    QCOMPARE(shownTexts, (QStringList{"14%", "29%", "43%", "57%", "71%", "86%", "100%"}));
    QVERIFY(alwaysVisible);
    QVERIFY(!box->isVisible());
    QVERIFY(form.progressBox.text().isEmpty());

    for (const ListBoxModel *model : {&form.unboundStoreList, &form.boundStoreList,
                                      &form.unboundMailboxList, &form.boundMailboxList}) {
        QListWidget *widget = list(qPrintable(model->name()));
        QVERIFY(widget);
        QVERIFY(!model->entries().isEmpty());
        QCOMPARE(texts(*widget), model->entries());
        QVERIFY(widget->selectionMode() == QAbstractItemView::ExtendedSelection ||
                widget->selectionMode() == QAbstractItemView::MultiSelection);
    }
    QCOMPARE(texts(*list("boundMailboxList")),
             (QStringList{"Hans Huber / EXCH01 /  / hhuber", "Jane Doe / EXCH01 /  / jdoe"}));

    // The long entry scrolls exactly to its width in the list's font plus a scroll bar's,
    // whatever the list's own width; short entries that fit do not scroll.
    QListWidget *widget = list("unboundMailboxList");
    const QString longest = LongName + " / EXCH01 / mfeather@corp.example.local / mfeather";
    QVERIFY(form.unboundMailboxList.entries().contains(longest));
    const int extent = QFontMetrics(widget->font()).horizontalAdvance(longest) +
                       QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QCOMPARE(form.unboundMailboxList.horizontalExtent(), extent);
    QVERIFY(extent > widget->viewport()->width());
    QCOMPARE(widget->horizontalScrollBar()->maximum(), extent - widget->viewport()->width());
    m_view->resize(900, 700);
    QCoreApplication::processEvents();
    QTRY_COMPARE(widget->horizontalScrollBar()->maximum(),
                 qMax(0, extent - widget->viewport()->width()));
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
    walk();
    InstallForm &form = m_lab->form;
    QListWidget *widget = list("unboundMailboxList");
    QVERIFY(widget->count() >= 2);

    // Select all in the model reaches the widget, the current entry kept.
    form.unboundMailboxList.setCurrentIndex(1);
    m_view->sync();
    QPushButton *button = m_view->findChild<QPushButton *>("selectAllUnboundMailboxesButton");
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->text(), QStringLiteral("Deselect All"));
    QCOMPARE(widget->selectedItems().size(), widget->count());
    QCOMPARE(widget->currentRow(), 1);

    // The user's clicks reach the model.
    const QRect second = widget->visualItemRect(widget->item(1));
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QCOMPARE(form.unboundMailboxList.currentIndex(), 1);
    QVERIFY(form.unboundMailboxList.selected(1));
    QVERIFY(!form.unboundMailboxList.selected(0));
    const QRect first = widget->visualItemRect(widget->item(0));
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::ControlModifier, first.center());
    QCOMPARE(form.unboundMailboxList.selectedCount(), 2);
    QCOMPARE(form.unboundMailboxList.currentIndex(), 0);
}

void TestMailboxLists::growingListIsAppendedNotRefilled()
{
    InstallForm &form = m_lab->form;
    QListWidget *widget = list("unboundMailboxList");
    form.unboundMailboxList.addItem(QStringLiteral("one"));
    m_view->sync();
    QListWidgetItem *first = widget->item(0);
    form.unboundMailboxList.setSelected(0, true);
    form.unboundMailboxList.addItem(QStringLiteral("two"));
    form.unboundMailboxList.addItem(QStringLiteral("three"));
    m_view->sync();
    QCOMPARE(texts(*widget), (QStringList{"one", "two", "three"}));
    QCOMPARE(widget->item(0), first);
    QVERIFY(widget->item(0)->isSelected());
    QVERIFY(!widget->item(2)->isSelected());

    // A clear in between refills, even when the list ends up longer than before.
    form.unboundMailboxList.clear();
    for (const char *text : {"a", "b", "c", "d"})
        form.unboundMailboxList.addItem(QString::fromLatin1(text));
    m_view->sync();
    QCOMPARE(texts(*widget), (QStringList{"a", "b", "c", "d"}));
    QCOMPARE(widget->selectedItems().size(), 0);
}

QTEST_MAIN(TestMailboxLists)
#include "tst_mailboxlists.moc"

#include "platform/platformerror.h"
#include "shell/installform.h"
#include "ui/actionlistwidget.h"
#include "ui/installformview.h"
#include "ui/qtscreen.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

// The rule area of the real main window, offscreen: typing, stepping the action lists,
// the SCL message, the priority filter and the condition test dialog.
class TestRuleArea : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void steppingARowThroughTheActions();
    void actionListShowsOneItemWithoutHighlight();
    void switchingARowOffAndOn();
    void sclMessageReturnsFocus_data();
    void sclMessageReturnsFocus();
    void priorityKeys_data();
    void priorityKeys();
    void testDialogShowsOutcome_data();
    void testDialogShowsOutcome();
    void testDialogReadsEachRowAfresh();

private:
    template<typename T> T *find(const QString &name)
    {
        T *widget = m_view->findChild<T *>(name);
        if (!widget)
            qFatal("no widget %s", qPrintable(name));
        return widget;
    }
    void stepAction(int row, int steps);

    std::unique_ptr<platform::Platform> m_platform;
    std::unique_ptr<QtScreen> m_screen;
    std::unique_ptr<InstallForm> m_form;
    std::unique_ptr<InstallFormView> m_view;
};

namespace {

// The rule area needs no platform service: every request fails.
class NoServicesPlatform : public platform::Platform
{
public:
    QString description() const override { return QStringLiteral("rule area test"); }
    std::unique_ptr<platform::DirectoryConnection> createDirectoryConnection() override
    {
        throw refusal();
    }
    std::unique_ptr<platform::StoreConnection> createStoreConnection() override { throw refusal(); }
    std::unique_ptr<platform::ComponentCatalog> createCatalog() override { throw refusal(); }
    platform::MachineFacts &machine() override { throw refusal(); }

private:
    static platform::PlatformError refusal()
    {
        return {platform::error::InvalidArgument, QStringLiteral("not available in this test")};
    }
};

// Runs answer on the next modal window as soon as it is up.
void whenModal(std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start(10);
}

} // namespace

void TestRuleArea::init()
{
    m_platform = std::make_unique<NoServicesPlatform>();
    m_screen = std::make_unique<QtScreen>();
    m_form = std::make_unique<InstallForm>(*m_platform, *m_screen);
    m_view = std::make_unique<InstallFormView>(*m_form);
    m_screen->setWindow(m_view.get());
    m_screen->beforeEvents = [this] {
        m_view->sync();
    };
    // The first activation loads the installed state from the platform, which hands the
    // editor over ready; this test starts there and leaves the platform alone.
    m_form->blnNotFirstTime = true;
    m_form->rule.editorReady = true;
    m_view->show();
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
}

void TestRuleArea::cleanup()
{
    m_view.reset();
    m_form.reset();
    m_screen.reset();
    m_platform.reset();
}

void TestRuleArea::stepAction(int row, int steps)
{
    QScrollBar *arrows =
        find<ActionListWidget>(QStringLiteral("List1_%1").arg(row))->verticalScrollBar();
    for (int k = 0; k < qAbs(steps); ++k)
        arrows->triggerAction(steps > 0 ? QAbstractSlider::SliderSingleStepAdd
                                        : QAbstractSlider::SliderSingleStepSub);
}

void TestRuleArea::steppingARowThroughTheActions()
{
    auto *condition = find<QLineEdit>(QStringLiteral("txtSpamTag_1"));
    auto *target = find<QLineEdit>(QStringLiteral("txtSpamFolder_1"));
    auto *browse = find<QPushButton>(QStringLiteral("cmdBrowse_1"));
    auto *list = find<ActionListWidget>(QStringLiteral("List1_1"));
    QVERIFY(!list->isEnabled());

    QTest::keyClicks(condition, QStringLiteral("Subject: [SPAM]"));
    QVERIFY(list->isEnabled());
    QVERIFY(!target->isReadOnly());
    QCOMPARE(m_form->rule.rows[1].txtSpamTag.text(), QStringLiteral("Subject: [SPAM]"));
    QTest::keyClicks(target, QStringLiteral("Junk"));
    QCOMPARE(m_form->rule.rows[1].txtSpamFolder.text(), QStringLiteral("Junk"));

    stepAction(1, 1);
    QCOMPARE(list->topIndex(), 1);
    QCOMPARE(target->text(), QStringLiteral("[NULL]"));
    QVERIFY(!browse->isEnabled());

    stepAction(1, 1);
    QCOMPARE(target->text(), QString());
    QVERIFY(target->isReadOnly());
    QVERIFY(browse->isEnabled());

    stepAction(1, 1);
    QCOMPARE(target->text(), QStringLiteral("9"));
    QVERIFY(!target->isReadOnly());
    QVERIFY(!browse->isEnabled());
    QCOMPARE(m_form->rule.action(1), int(RuleEditor::SetScl));

    stepAction(1, -3);
    QCOMPARE(m_form->rule.action(1), int(RuleEditor::MoveToFolder));
    QCOMPARE(target->text(), QString());
}

void TestRuleArea::actionListShowsOneItemWithoutHighlight()
{
    auto *list = find<ActionListWidget>(QStringLiteral("List1_0"));
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->item(3)->text(), QStringLiteral("set SCL to "));
    QCOMPARE(list->verticalScrollBar()->maximum(), 3);
    QVERIFY(list->height() < 2 * list->sizeHintForRow(0));

    stepAction(0, 2);
    QCOMPARE(m_form->rule.action(0), int(RuleEditor::ForwardTo));
    // A click on the item in view runs the action step again, which clears the target.
    m_form->rule.rows[0].txtSpamFolder.setText(QStringLiteral("left over"));
    m_view->sync();
    const QRect shown = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, shown.center());
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(m_form->rule.rows[0].List1.selectedCount(), 0);
    QCOMPARE(list->topIndex(), 2);
    QCOMPARE(find<QLineEdit>(QStringLiteral("txtSpamFolder_0"))->text(), QString());
    QVERIFY(find<QPushButton>(QStringLiteral("cmdBrowse_0"))->isEnabled());

    // The model moving the action moves the list.
    m_form->rule.rows[0].List1.setTopIndex(1);
    m_view->sync();
    QCOMPARE(list->topIndex(), 1);
}

void TestRuleArea::switchingARowOffAndOn()
{
    auto *condition = find<QLineEdit>(QStringLiteral("txtSpamTag_0"));
    auto *target = find<QLineEdit>(QStringLiteral("txtSpamFolder_0"));
    auto *list = find<ActionListWidget>(QStringLiteral("List1_0"));
    condition->selectAll();
    QTest::keyClick(condition, Qt::Key_Delete);
    QVERIFY(!list->isEnabled());
    QCOMPARE(target->text(), QString());
    QVERIFY(target->isReadOnly());
    QTest::keyClicks(condition, QStringLiteral("X-Junk: 1"));
    QVERIFY(list->isEnabled());
    QVERIFY(!target->isReadOnly());
}

void TestRuleArea::sclMessageReturnsFocus_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("complains");
    QTest::newRow("10") << "10" << true;
    QTest::newRow("abc") << "abc" << true;
    QTest::newRow("-1") << "-1" << false;
}

void TestRuleArea::sclMessageReturnsFocus()
{
    QFETCH(QString, typed);
    QFETCH(bool, complains);

    auto *target = find<QLineEdit>(QStringLiteral("txtSpamFolder_0"));
    auto *priority = find<QLineEdit>(QStringLiteral("txtPriority"));
    stepAction(0, 3);
    target->setFocus(Qt::MouseFocusReason);
    target->selectAll();
    QTest::keyClicks(target, typed);
    QCOMPARE(m_form->rule.rows[0].txtSpamFolder.text(), typed);

    QString text;
    QString title;
    if (complains) {
        whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            text = box->text();
            title = box->windowTitle();
            box->accept();
        });
    }
    priority->setFocus(Qt::TabFocusReason);
    if (complains) {
        QTRY_COMPARE(text, QStringLiteral("SCL should be from -1 To 9"));
        QCOMPARE(title, QStringLiteral("KestrelonSetup"));
        // The window gives the focus to the target as soon as it is active again.
        QTRY_COMPARE(m_view->focusWidget(), target);
    } else {
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(QApplication::focusWidget(), priority);
    }
    QCOMPARE(target->text(), typed);
    QCOMPARE(target->toolTip(), typed);
}

void TestRuleArea::priorityKeys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter discarded") << "a"
                                      << "65535";
    QTest::newRow("sixth digit reverts") << "1"
                                         << "65535";
    QTest::newRow("minus discarded") << "-"
                                     << "65535";
}

void TestRuleArea::priorityKeys()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    auto *priority = find<QLineEdit>(QStringLiteral("txtPriority"));
    m_form->rule.lastAcceptedPriority = QStringLiteral("65535");
    priority->setFocus();
    priority->end(false);
    QTest::keyClicks(priority, keys);
    QCOMPARE(priority->text(), shown);
    QCOMPARE(m_form->rule.txtPriority.text(), shown);

    QTest::keyClick(priority, Qt::Key_Backspace);
    QCOMPARE(priority->text(), QStringLiteral("6553"));
    QCOMPARE(m_form->rule.lastAcceptedPriority, QStringLiteral("6553"));
    priority->selectAll();
    QTest::keyClicks(priority, QStringLiteral("0"));
    QCOMPARE(priority->text(), QStringLiteral("0"));
}

void TestRuleArea::testDialogShowsOutcome_data()
{
    QTest::addColumn<QString>("rowCondition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shownCondition");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QColor>("color");

    QTest::newRow("plain match") << "X-Spam-Flag: YES"
                                 << "yes please"
                                 << "YES"
                                 << "Matches" << QColor(0, 255, 0);
    QTest::newRow("comparison fails") << "IMFSCL: {> 3}"
                                      << "3"
                                      << "{> 3}"
                                      << "DOESN'T match" << QColor(255, 0, 0);
}

void TestRuleArea::testDialogShowsOutcome()
{
    QFETCH(QString, rowCondition);
    QFETCH(QString, value);
    QFETCH(QString, shownCondition);
    QFETCH(QString, outcome);
    QFETCH(QColor, color);

    auto *condition = find<QLineEdit>(QStringLiteral("txtSpamTag_0"));
    condition->selectAll();
    QTest::keyClicks(condition, rowCondition);

    QString title;
    QString conditionBox;
    QString result;
    QColor resultColor;
    QString afterMove;
    whenModal([&](QWidget *dialog) {
        title = dialog->windowTitle();
        auto *text1 = dialog->findChild<QLineEdit *>(QStringLiteral("Text1"));
        auto *text2 = dialog->findChild<QLineEdit *>(QStringLiteral("Text2"));
        auto *label4 = dialog->findChild<QLabel *>(QStringLiteral("Label4"));
        conditionBox = text1->text();
        QTest::keyClicks(text2, value);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        result = label4->text();
        resultColor = label4->palette().color(QPalette::Window);
        // Through the window, as the pointer would travel, so tracking delivers the moves.
        QWindow *window = dialog->windowHandle();
        QTest::mouseMove(window, text2->mapTo(dialog, QPoint(5, 5)));
        QTest::mouseMove(window, text2->mapTo(dialog, QPoint(9, 6)));
        afterMove = label4->text();
        dialog->close();
    });
    QTest::mouseClick(find<QPushButton>(QStringLiteral("btnTest_0")), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("Test a condition"));
    QCOMPARE(conditionBox, shownCondition);
    QCOMPARE(result, outcome);
    QCOMPARE(resultColor, color);
    QCOMPARE(afterMove, QStringLiteral("???"));
    QCOMPARE(m_form->rule.rows[0].txtSpamTag.text(), rowCondition);
}

void TestRuleArea::testDialogReadsEachRowAfresh()
{
    QTest::keyClicks(find<QLineEdit>(QStringLiteral("txtSpamTag_2")),
                     QStringLiteral("Subject: Re: hi"));
    QStringList seen;
    auto look = [&](QWidget *dialog) {
        seen << dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->text() + QLatin1Char('|') +
                    dialog->findChild<QLineEdit *>(QStringLiteral("Text2"))->text();
        QTest::keyClicks(dialog->findChild<QLineEdit *>(QStringLiteral("Text2")),
                         QStringLiteral("typed"));
        dialog->close();
    };
    whenModal(look);
    QTest::mouseClick(find<QPushButton>(QStringLiteral("btnTest_0")), Qt::LeftButton);
    whenModal(look);
    QTest::mouseClick(find<QPushButton>(QStringLiteral("btnTest_2")), Qt::LeftButton);
    QCOMPARE(seen, (QStringList{"YES|", "Re: hi|"}));
}

QTEST_MAIN(TestRuleArea)
#include "tst_rulearea.moc"

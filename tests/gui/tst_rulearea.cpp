#include "support/labfixture.h"
#include "ui/actionlistwidget.h"
#include "ui/installwindow.h"
#include "ui/qtscreen.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

// One rule row of the real main window, offscreen: typing, stepping the action list, the
// SCL message, the priority filter, switching the row off and on, and the test dialog.
class TestRuleArea : public QObject
{
    Q_OBJECT
private slots:
    void drivingARuleRow();
};

namespace {

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

template<typename T> T *find(QWidget *parent, const QString &name)
{
    T *widget = parent->findChild<T *>(name);
    if (!widget)
        qFatal("no widget %s", qPrintable(name));
    return widget;
}

} // namespace

void TestRuleArea::drivingARuleRow()
{
    LabFixture<QtScreen> lab;
    InstallForm &form = lab.form;
    InstallWindow view(form);
    view.attachScreen(lab.screen);
    // Run beside the demo's sink library, the first activation offers the install and
    // hands the rule editor over ready.
    QVERIFY(QDir::setCurrent(qEnvironmentVariable("KESTRELON_TEST_DATA") + "/../../demo"));
    form.onLoad();
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.activateFirstTime();
    QVERIFY(form.installSinkCheck.value() == 1 && form.rule.editorReady);

    RuleRow &row = form.rule.rows[1];
    auto *condition = find<QLineEdit>(&view, QStringLiteral("conditionEdit1"));
    auto *target = find<QLineEdit>(&view, QStringLiteral("targetEdit1"));
    auto *browse = find<QPushButton>(&view, QStringLiteral("browseRecipientButton1"));
    auto *list = find<ActionListWidget>(&view, QStringLiteral("actionList1"));
    auto *priority = find<QLineEdit>(&view, QStringLiteral("priorityEdit"));
    auto step = [list](int steps) {
        for (int k = 0; k < qAbs(steps); ++k)
            list->verticalScrollBar()->triggerAction(steps > 0
                                                         ? QAbstractSlider::SliderSingleStepAdd
                                                         : QAbstractSlider::SliderSingleStepSub);
    };

    // The action list shows one item at a time.
    QCOMPARE(list->verticalScrollBar()->maximum(), 3);
    QVERIFY(list->height() < 2 * list->sizeHintForRow(0));

    // Typing a condition switches the row on; the arrows step through the actions.
    QVERIFY(!list->isEnabled());
    QTest::keyClicks(condition, QStringLiteral("Subject: [SPAM]"));
    QVERIFY(list->isEnabled());
    QVERIFY(!target->isReadOnly());
    QCOMPARE(row.conditionEdit.text(), QStringLiteral("Subject: [SPAM]"));
    QTest::keyClicks(target, QStringLiteral("Junk"));
    QCOMPARE(row.targetEdit.text(), QStringLiteral("Junk"));
    step(1);
    QCOMPARE(target->text(), QStringLiteral("[NULL]"));
    QVERIFY(!browse->isEnabled());
    step(1);
    QCOMPARE(form.rule.action(1), int(RuleEditor::ForwardTo));
    QCOMPARE(target->text(), QString());
    QVERIFY(target->isReadOnly());
    QVERIFY(browse->isEnabled());
    // A click on the item in view runs the action step again, without a highlight.
    row.targetEdit.setText(QStringLiteral("left over"));
    view.sync();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(list->topIndex(), 2);
    QCOMPARE(target->text(), QString());
    step(1);
    QCOMPARE(target->text(), QStringLiteral("9"));
    QVERIFY(!target->isReadOnly());
    QVERIFY(!browse->isEnabled());

    // An SCL out of range is reported when the focus leaves, and the focus comes back.
    target->setFocus(Qt::MouseFocusReason);
    target->selectAll();
    QTest::keyClicks(target, QStringLiteral("10"));
    QString message;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        message = box->windowTitle() + QLatin1Char('|') + box->text();
        box->accept();
    });
    priority->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(message, QStringLiteral("KestrelonSetup|SCL should be from -1 To 9"));
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QCOMPARE(target->toolTip(), QStringLiteral("10"));
    target->selectAll();
    QTest::keyClicks(target, QStringLiteral("-1"));
    priority->setFocus(Qt::TabFocusReason);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(QApplication::focusWidget(), priority);
    QCOMPARE(target->toolTip(), QStringLiteral("-1"));

    // The priority takes digits only, and no value above 65535.
    priority->end(false);
    QTest::keyClicks(priority, QStringLiteral("a-1"));
    QCOMPARE(priority->text(), QStringLiteral("65535"));
    QTest::keyClick(priority, Qt::Key_Backspace);
    QCOMPARE(form.rule.lastAcceptedPriority, QStringLiteral("6553"));

    // Emptying the condition switches the row off.
    condition->selectAll();
    QTest::keyClick(condition, Qt::Key_Delete);
    QVERIFY(!list->isEnabled());
    QCOMPARE(target->text(), QString());
    QVERIFY(target->isReadOnly());
    QTest::keyClicks(condition, QStringLiteral("X-Junk: 1"));
    QVERIFY(list->isEnabled());
    QVERIFY(!target->isReadOnly());

    // The test dialog shows the row's condition after its colon, the outcome in colour
    // and "???" again when the pointer moves over a box.
    QStringList seen;
    whenModal([&](QWidget *dialog) {
        auto *value = find<QLineEdit>(dialog, QStringLiteral("valueEdit"));
        auto *result = find<QLabel>(dialog, QStringLiteral("resultLabel"));
        seen << dialog->windowTitle()
             << find<QLineEdit>(dialog, QStringLiteral("conditionEdit"))->text();
        for (const QString &typed : {QStringLiteral("1 more"), QStringLiteral("2")}) {
            value->selectAll();
            QTest::keyClicks(value, typed);
            QTest::mouseClick(find<QPushButton>(dialog, QStringLiteral("testButton")),
                              Qt::LeftButton);
            seen << result->text() + QLatin1Char('|') +
                        result->palette().color(QPalette::Window).name();
        }
        // Through the window, as the pointer would travel, so tracking delivers the moves.
        QTest::mouseMove(dialog->windowHandle(), value->mapTo(dialog, QPoint(5, 5)));
        QTest::mouseMove(dialog->windowHandle(), value->mapTo(dialog, QPoint(9, 6)));
        seen << result->text();
        dialog->close();
    });
    QTest::mouseClick(find<QPushButton>(&view, QStringLiteral("testConditionButton1")),
                      Qt::LeftButton);
    QCOMPARE(seen, (QStringList{"Test a condition", "1", "Matches|#00ff00", "DOESN'T match|#ff0000",
                                "???"}));
    QCOMPARE(row.conditionEdit.text(), QStringLiteral("X-Junk: 1"));
}

QTEST_MAIN(TestRuleArea)
#include "tst_rulearea.moc"

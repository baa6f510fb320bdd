#include "guisupport.h"
#include "ui/actionlistwidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

// The rule rows of the real main window, offscreen: typing, stepping the action list, the
// SCL message, the priority filter, the layout and the test dialog.
class TestRuleArea : public QObject
{
    Q_OBJECT

    // A window whose editor is ready, as the first activation leaves it; `before` runs on
    // the model before the window is first shown.
    struct Window : guitest::MainWindow
    {
        explicit Window(const std::function<void(RuleEditor &)> &before = {})
        {
            form.firstActivationDone = true;
            form.rule.editorReady = true;
            form.rule.lastAcceptedPriority = QStringLiteral("65535");
            if (before)
                before(form.rule);
            view.sync();
            view.show();
            view.activateWindow();
        }
    };

private slots:
    void drivingARuleRow();
    void priorityBox();
    void layoutAndEarlyActions();
    void targetPaintsItsColour_data();
    void targetPaintsItsColour();
};

using guitest::whenModal;

void TestRuleArea::drivingARuleRow()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.view));
    RuleRow &row = w.form.rule.rows[1];
    auto *condition = w.find<QLineEdit>(QStringLiteral("conditionEdit1"));
    auto *target = w.find<QLineEdit>(QStringLiteral("targetEdit1"));
    auto *browse = w.find<QPushButton>(QStringLiteral("browseRecipientButton1"));
    auto *list = w.find<ActionListWidget>(QStringLiteral("actionList1"));
    auto *priority = w.find<QLineEdit>(QStringLiteral("priorityEdit"));
    const auto step = [list] {
        list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    };

    // Typing a condition switches the row on; the arrows step through the actions.
    QVERIFY(!list->isEnabled());
    QTest::keyClicks(condition, QStringLiteral("Subject: [SPAM]"));
    QVERIFY(list->isEnabled() && !target->isReadOnly());
    step();
    QCOMPARE(target->text(), QStringLiteral("[NULL]"));
    step();
    QCOMPARE(w.form.rule.action(1), int(RuleEditor::ForwardTo));
    QVERIFY(target->isReadOnly() && browse->isEnabled());
    // A click on the item in view runs the action step again.
    row.targetEdit.setText(QStringLiteral("left over"));
    w.view.sync();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    QCOMPARE(target->text(), QString());
    step();
    QCOMPARE(target->text(), QStringLiteral("9"));

    // An SCL out of range is reported when the focus leaves, and the focus comes back.
    target->setFocus(Qt::MouseFocusReason);
    target->selectAll();
    QTest::keyClicks(target, QStringLiteral("10"));
    QString message;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        message = box->windowTitle() + QLatin1Char('|') + box->text();
        box->accept();
    });
    priority->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(message, QStringLiteral("KestrelonSetup|SCL should be from -1 To 9"));
    w.view.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    target->selectAll();
    QTest::keyClicks(target, QStringLiteral("-1"));
    condition->setFocus(Qt::TabFocusReason);
    QVERIFY(!QApplication::activeModalWidget());

    condition->selectAll();
    QTest::keyClick(condition, Qt::Key_Delete);

    // The test dialog shows the row's condition after its colon and the outcome.
    QTest::keyClicks(condition, QStringLiteral("X-Junk: 1"));
    QStringList seen;
    whenModal([&](QWidget *dialog) {
        seen << dialog->windowTitle()
             << dialog->findChild<QLineEdit *>(QStringLiteral("conditionEdit"))->text();
        QTest::keyClicks(dialog->findChild<QLineEdit *>(QStringLiteral("valueEdit")), "1 more");
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("testButton")),
                          Qt::LeftButton);
        seen << dialog->findChild<QLabel *>(QStringLiteral("resultLabel"))->text();
        dialog->close();
    });
    QTest::mouseClick(w.find<QPushButton>(QStringLiteral("testConditionButton1")), Qt::LeftButton);
    QCOMPARE(seen, (QStringList{"Test a condition", "1", "Matches"}));
}

// Typed characters are filtered; Tab still moves on and Delete still deletes, also as the
// character U+007F that X11 sends with it.
void TestRuleArea::priorityBox()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.view));
    auto *priority = w.find<QLineEdit>(QStringLiteral("priorityEdit"));
    priority->setFocus(Qt::TabFocusReason);
    priority->end(false);
    QTest::keyClicks(priority, QStringLiteral("a-1"));
    QCOMPARE(priority->text(), QStringLiteral("65535"));
    QTest::keyClick(priority, Qt::Key_Backspace);
    QTest::keyClicks(priority, QStringLiteral(".")); // "6553." would be a number
    QCOMPARE(w.form.rule.lastAcceptedPriority, QStringLiteral("6553"));
    priority->home(false);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f)));
    QApplication::sendEvent(priority, &press);
    QCOMPARE(w.form.rule.priorityEdit.text(), QStringLiteral("553"));
    QTest::keyClick(priority, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != priority);
}

// Actions set before the window is first laid out show once it is; each Test button
// stands over the right-hand end of its condition box.
void TestRuleArea::layoutAndEarlyActions()
{
    Window w([](RuleEditor &rule) {
        for (int i = 0; i < RuleEditor::RowCount; ++i) {
            rule.rows[i].conditionEdit.setText(QStringLiteral("C"));
            rule.rows[i].actionList.setTopIndex(3 - i);
        }
    });
    QVERIFY(QTest::qWaitForWindowExposed(&w.view));
    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        const QString index = QString::number(i);
        QTRY_COMPARE(w.find<ActionListWidget>("actionList" + index)->topIndex(), 3 - i);
        QCOMPARE(w.form.rule.action(i), 3 - i);
        auto *edit = w.find<QLineEdit>("conditionEdit" + index);
        auto *test = w.find<QPushButton>("testConditionButton" + index);
        const QRect box(edit->mapTo(&w.view, QPoint()), edit->size());
        const QRect button(test->mapTo(&w.view, QPoint()), test->size());
        QVERIFY2(box.contains(button), qPrintable(index));
        QCOMPARE(button.right(), box.right());
        QVERIFY(button.width() < box.width() / 2);
    }
}

void TestRuleArea::targetPaintsItsColour_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("colours");
    QTest::newRow("installed after black") << 0 << QStringList{"move", "installed"} << "bg";
    QTest::newRow("forward, move, forward")
        << 1 << QStringList{"forward", "move", "forward"} << "gbg";
    QTest::newRow("SCL after forward") << 2 << QStringList{"forward", "scl"} << "gb";
}

// The colour a target's text is really painted in, after each step: b the window text
// (black), g grey. A target the step empties is given a text to paint.
void TestRuleArea::targetPaintsItsColour()
{
    QFETCH(int, row);
    QFETCH(QStringList, steps);
    QFETCH(QString, colours);
    Window w([](RuleEditor &rule) {
        for (int i = 1; i < RuleEditor::RowCount; ++i)
            rule.rows[i].conditionEdit.setText(QStringLiteral("X-Junk: yes"));
    });
    QVERIFY(QTest::qWaitForWindowExposed(&w.view));
    auto *target = w.find<QLineEdit>("targetEdit" + QString::number(row));
    const QPalette palette = QApplication::palette();
    const QHash<QChar, QColor> expected{{'b', palette.color(QPalette::Active, QPalette::Text)},
                                        {'g', palette.color(QPalette::Disabled, QPalette::Text)}};
    QVERIFY(qAbs(qGray(expected['b'].rgb()) - qGray(expected['g'].rgb())) > 64);
    const QHash<QString, int> actions{{"move", RuleEditor::MoveToFolder},
                                      {"forward", RuleEditor::ForwardTo},
                                      {"scl", RuleEditor::SetScl}};
    for (int i = 0; i < steps.size(); ++i) {
        if (steps[i] == QLatin1String("installed"))
            w.form.sink.showInstallState(InstallState::Installed);
        else {
            // As a step of the list's arrows does.
            w.form.rule.rows[row].actionList.setTopIndex(actions.value(steps[i]));
            w.form.rule.onActionScrolled(row);
        }
        if (w.form.rule.rows[row].targetEdit.text().isEmpty())
            w.form.rule.rows[row].targetEdit.setText(QStringLiteral("Junk Mail"));
        w.view.sync();
        const int painted = qGray(guitest::darkestPainted(*target));
        QVERIFY2(
            qAbs(painted - qGray(expected[colours[i]].rgb())) < 32,
            qPrintable(QStringLiteral("%1: painted grey level %2").arg(steps[i]).arg(painted)));
    }
}

QTEST_MAIN(TestRuleArea)
#include "tst_rulearea.moc"

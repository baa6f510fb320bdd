#include "condition/conditiontestform.h"
#include "ui/actionlistwidget.h"
#include "ui/conditiontestdialog.h"
#include "ui/installwindow.h"
#include "ui/recipientpickerdialog.h"
#include "ui_installwindow.h"

#include <QKeyEvent>

namespace {

// Hands one kind of event of a widget to a function; the function says whether the
// event is used up.
class EventHook : public QObject
{
public:
    EventHook(QWidget *widget, std::function<bool(QEvent *)> hook)
        : QObject(widget), m_hook(std::move(hook))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override { return m_hook(event); }

private:
    std::function<bool(QEvent *)> m_hook;
};

// The character a key press types, as the priority filter sees it; nothing for the
// navigation and editing keys, which always pass: Tab and Backtab move the focus, Delete
// (U+007F under X11), Return and Escape edit or act, arrows type nothing at all.
std::optional<QChar> typedCharacter(const QKeyEvent &key)
{
    switch (key.key()) {
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return std::nullopt;
    default:
        break;
    }
    if (key.text().size() == 1)
        return key.text().front();
    return std::nullopt;
}

// Focus that leaves for another control of the program, not for another window or a menu.
bool leavesForAnotherControl(const QFocusEvent &focus)
{
    switch (focus.reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return false;
    default:
        return true;
    }
}

} // namespace

void InstallWindow::bindRuleArea()
{
    Ui::InstallWindow &ui = *m_ui;
    RuleEditor &rule = m_form.rule;
    const std::array<QLineEdit *, 4> conditions{ui.conditionEdit0, ui.conditionEdit1,
                                                ui.conditionEdit2, ui.conditionEdit3};
    const std::array<QPushButton *, 4> tests{ui.testConditionButton0, ui.testConditionButton1,
                                             ui.testConditionButton2, ui.testConditionButton3};
    const std::array<ActionListWidget *, 4> actions{ui.actionList0, ui.actionList1, ui.actionList2,
                                                    ui.actionList3};
    const std::array<QLineEdit *, 4> targets{ui.targetEdit0, ui.targetEdit1, ui.targetEdit2,
                                             ui.targetEdit3};
    const std::array<QPushButton *, 4> browses{ui.browseRecipientButton0, ui.browseRecipientButton1,
                                               ui.browseRecipientButton2,
                                               ui.browseRecipientButton3};

    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        RuleRow &row = rule.rows[i];
        // The Test button stands over the right-hand end of its condition box, no taller
        // than the box; typed text stops short of it.
        tests[i]->setFixedHeight(conditions[i]->sizeHint().height());
        conditions[i]->setTextMargins(0, 0, tests[i]->sizeHint().width(), 0);
        m_binding.bind(conditions[i], row.conditionEdit);
        m_binding.bind(targets[i], row.targetEdit);
        m_binding.bind(tests[i], row.testConditionButton,
                       [&rule, i] { rule.onTestConditionClicked(i); });
        m_binding.bind(browses[i], row.browseRecipientButton,
                       [&rule, i] { rule.onBrowseRecipientClicked(i); });

        ActionListWidget *list = actions[i];
        m_binding.bindCustom(list, row.actionList, [list, &row] {
            QStringList shown;
            for (int k = 0; k < list->count(); ++k)
                shown << list->item(k)->text();
            if (shown != row.actionList.entries()) {
                list->clear();
                list->addItems(row.actionList.entries());
            }
            list->setTopIndex(row.actionList.topIndex());
        });
        QObject::connect(list, &ActionListWidget::scrolled, list, [this, &rule, i](int top) {
            m_binding.forward([&rule, i, top] {
                rule.rows[i].actionList.setTopIndex(top);
                rule.onActionScrolled(i);
            });
        });
        QObject::connect(list, &ActionListWidget::actionClicked, list, [this, &rule, i](int index) {
            m_binding.forward([&rule, i, index] { rule.setActionIndex(i, index); });
        });

        new EventHook(targets[i], [this, &rule, i](QEvent *event) {
            if (event->type() == QEvent::FocusOut &&
                leavesForAnotherControl(*static_cast<QFocusEvent *>(event)))
                m_binding.forward([&rule, i] { rule.onTargetFocusLost(i); });
            return false;
        });
    }

    m_binding.bind(ui.priorityEdit, rule.priorityEdit);
    new EventHook(ui.priorityEdit, [](QEvent *event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const std::optional<QChar> typed = typedCharacter(*static_cast<QKeyEvent *>(event));
        return typed && !RuleEditor::isPriorityKeyAllowed(*typed);
    });

    // Each Test click opens a fresh dialog that reads the row's condition anew.
    rule.testCondition = [this, &rule](int row) {
        ConditionTestForm form;
        form.onLoad(rule.rows[row].conditionEdit.text());
        ConditionTestDialog dialog(form, this);
        dialog.exec();
    };
    // Each "..." click opens a fresh picker that queries the directory anew and writes
    // into that row's target.
    rule.browseRecipient = [this](int row) {
        RecipientPickerForm picker(m_form.environment, m_form.screen(), m_form.rule, row);
        RecipientPickerDialog dialog(picker, m_screen, this);
        dialog.exec();
    };
}

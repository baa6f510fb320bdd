#include "condition/conditiontestform.h"
#include "ui/actionlistwidget.h"
#include "ui/frmtestview.h"
#include "ui/installformview.h"
#include "ui_installform.h"

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

// The character a key press types, as the priority filter sees it; nothing for keys
// that type none (arrows, Delete), which never reach the filter.
std::optional<QChar> typedCharacter(const QKeyEvent &key)
{
    if (key.key() == Qt::Key_Backspace)
        return QChar(8);
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

void InstallFormView::bindRuleArea()
{
    Ui::InstallForm &ui = *m_ui;
    RuleEditor &rule = m_form.rule;
    const std::array<QLineEdit *, 4> conditions{ui.txtSpamTag_0, ui.txtSpamTag_1, ui.txtSpamTag_2,
                                                ui.txtSpamTag_3};
    const std::array<QPushButton *, 4> tests{ui.btnTest_0, ui.btnTest_1, ui.btnTest_2,
                                             ui.btnTest_3};
    const std::array<ActionListWidget *, 4> actions{ui.List1_0, ui.List1_1, ui.List1_2, ui.List1_3};
    const std::array<QLineEdit *, 4> targets{ui.txtSpamFolder_0, ui.txtSpamFolder_1,
                                             ui.txtSpamFolder_2, ui.txtSpamFolder_3};
    const std::array<QPushButton *, 4> browses{ui.cmdBrowse_0, ui.cmdBrowse_1, ui.cmdBrowse_2,
                                               ui.cmdBrowse_3};

    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        RuleRow &row = rule.rows[i];
        m_binding.bind(conditions[i], row.txtSpamTag);
        m_binding.bind(targets[i], row.txtSpamFolder);
        m_binding.bind(tests[i], row.btnTest, [&rule, i] { rule.btnTest_Click(i); });
        m_binding.bind(browses[i], row.cmdBrowse, [&rule, i] { rule.cmdBrowse_Click(i); });

        ActionListWidget *list = actions[i];
        m_binding.bindCustom(list, row.List1, [list, &row] {
            QStringList shown;
            for (int k = 0; k < list->count(); ++k)
                shown << list->item(k)->text();
            if (shown != row.List1.entries()) {
                list->clear();
                list->addItems(row.List1.entries());
            }
            list->setTopIndex(row.List1.topIndex());
        });
        QObject::connect(list, &ActionListWidget::scrolled, list, [this, &rule, i](int top) {
            m_binding.forward([&rule, i, top] {
                rule.rows[i].List1.setTopIndex(top);
                rule.List1_Scroll(i);
            });
        });
        QObject::connect(list, &ActionListWidget::actionClicked, list, [this, &rule, i](int index) {
            m_binding.forward([&rule, i, index] { rule.setActionListIndex(i, index); });
        });

        new EventHook(targets[i], [this, &rule, i](QEvent *event) {
            if (event->type() == QEvent::FocusOut &&
                leavesForAnotherControl(*static_cast<QFocusEvent *>(event)))
                m_binding.forward([&rule, i] { rule.txtSpamFolder_LostFocus(i); });
            return false;
        });
    }

    m_binding.bind(ui.txtPriority, rule.txtPriority);
    new EventHook(ui.txtPriority, [](QEvent *event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const std::optional<QChar> typed = typedCharacter(*static_cast<QKeyEvent *>(event));
        return typed && !RuleEditor::txtPriority_KeyPress(*typed);
    });

    // Each Test click opens a fresh dialog that reads the row's condition anew.
    rule.testCondition = [this, &rule](int row) {
        ConditionTestForm form;
        form.Form_Load(rule.rows[row].txtSpamTag.text());
        FrmTestView dialog(form, this);
        dialog.exec();
    };
}

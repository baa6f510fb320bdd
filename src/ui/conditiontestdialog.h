#pragma once

#include "condition/conditiontestform.h"
#include "ui/controlbinding.h"

#include <memory>
#include <QDialog>

namespace Ui {
class ConditionTestDialog;
}

// The condition test dialog: its Designer layout bound to a ConditionTestForm.
class ConditionTestDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ConditionTestDialog(ConditionTestForm &form, QWidget *parent = nullptr);
    ~ConditionTestDialog() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ConditionTestForm &m_form;
    std::unique_ptr<Ui::ConditionTestDialog> m_ui;
    ControlBinding m_binding;
};

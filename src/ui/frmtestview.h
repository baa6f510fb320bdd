#pragma once

#include "condition/conditiontestform.h"
#include "ui/controlbinding.h"

#include <memory>
#include <QDialog>

namespace Ui {
class frmTest;
}

// The condition test dialog: the frmTest layout bound to a ConditionTestForm.
class FrmTestView : public QDialog
{
    Q_OBJECT
public:
    explicit FrmTestView(ConditionTestForm &form, QWidget *parent = nullptr);
    ~FrmTestView() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ConditionTestForm &m_form;
    std::unique_ptr<Ui::frmTest> m_ui;
    ControlBinding m_binding;
};

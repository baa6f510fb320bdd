#pragma once

#include "shell/disclaimerform.h"
#include "ui/controlbinding.h"

#include <memory>
#include <QDialog>

namespace Ui {
class DisclaimerDialog;
}

// The disclaimer: its Designer layout bound to a DisclaimerForm. "Yes" accepts the
// dialog once the main window is open; "No" and the close box reject it.
class DisclaimerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DisclaimerDialog(DisclaimerForm &form, QWidget *parent = nullptr);
    ~DisclaimerDialog() override;

private:
    DisclaimerForm &m_form;
    std::unique_ptr<Ui::DisclaimerDialog> m_ui;
    ControlBinding m_binding;
};

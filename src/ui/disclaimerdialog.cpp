#include "ui/disclaimerdialog.h"

#include "ui_disclaimerdialog.h"

DisclaimerDialog::DisclaimerDialog(DisclaimerForm &form, QWidget *parent)
    : QDialog(parent), m_form(form), m_ui(std::make_unique<Ui::DisclaimerDialog>())
{
    m_ui->setupUi(this);
    m_form.onLoad();
    setWindowTitle(m_form.caption);
    m_binding.bind(m_ui->liabilityLabel, m_form.liabilityLabel);
    m_binding.bind(m_ui->questionLabel, m_form.questionLabel);
    m_binding.bind(m_ui->acceptButton, m_form.acceptButton, [this] {
        m_form.onAcceptClicked();
        accept();
    });
    m_binding.bind(m_ui->declineButton, m_form.declineButton, [this] {
        m_form.onDeclineClicked();
        reject();
    });
    m_binding.sync();
}

DisclaimerDialog::~DisclaimerDialog() = default;

#include "ui/conditiontestdialog.h"

#include "ui_conditiontestdialog.h"

#include <QEvent>

namespace {

QColor backgroundOf(ColorRole role, const QPalette &palette)
{
    switch (role) {
    case ColorRole::Green:
        return QColor(0, 255, 0);
    case ColorRole::Red:
        return QColor(255, 0, 0);
    default:
        return palette.color(QPalette::Active, QPalette::Button);
    }
}

} // namespace

ConditionTestDialog::ConditionTestDialog(ConditionTestForm &form, QWidget *parent)
    : QDialog(parent), m_form(form), m_ui(std::make_unique<Ui::ConditionTestDialog>())
{
    m_ui->setupUi(this);
    setWindowTitle(ConditionTestForm::Caption);

    m_binding.bind(m_ui->conditionEdit, m_form.conditionEdit);
    m_binding.bind(m_ui->valueEdit, m_form.valueEdit);
    m_binding.bind(m_ui->testButton, m_form.testButton, [this] { m_form.onTestClicked(); });
    QLabel *result = m_ui->resultLabel;
    m_binding.bindCustom(result, m_form.resultLabel, [this, result] {
        result->setText(m_form.resultLabel.caption());
        QPalette palette = result->palette();
        palette.setColor(QPalette::Window, backgroundOf(m_form.resultLabel.backColor(), palette));
        result->setPalette(palette);
    });

    // The result resets when the pointer moves over a box, with or without a button held.
    for (QLineEdit *box : {m_ui->conditionEdit, m_ui->valueEdit}) {
        box->setMouseTracking(true);
        box->installEventFilter(this);
    }
    m_binding.sync();
}

ConditionTestDialog::~ConditionTestDialog() = default;

bool ConditionTestDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_ui->conditionEdit)
            m_binding.forward([this] { m_form.onConditionMouseMoved(); });
        else if (watched == m_ui->valueEdit)
            m_binding.forward([this] { m_form.onValueMouseMoved(); });
    }
    return QDialog::eventFilter(watched, event);
}

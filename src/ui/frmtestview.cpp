#include "ui/frmtestview.h"

#include "ui_frmtest.h"

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

FrmTestView::FrmTestView(ConditionTestForm &form, QWidget *parent)
    : QDialog(parent), m_form(form), m_ui(std::make_unique<Ui::frmTest>())
{
    m_ui->setupUi(this);
    setWindowTitle(ConditionTestForm::Caption);

    m_binding.bind(m_ui->Text1, m_form.Text1);
    m_binding.bind(m_ui->Text2, m_form.Text2);
    m_binding.bind(m_ui->Command1, m_form.Command1, [this] { m_form.Command1_Click(); });
    QLabel *result = m_ui->Label4;
    m_binding.bindCustom(result, m_form.Label4, [this, result] {
        result->setText(m_form.Label4.caption());
        QPalette palette = result->palette();
        palette.setColor(QPalette::Window, backgroundOf(m_form.Label4.backColor(), palette));
        result->setPalette(palette);
    });

    // The result resets when the pointer moves over a box, with or without a button held.
    for (QLineEdit *box : {m_ui->Text1, m_ui->Text2}) {
        box->setMouseTracking(true);
        box->installEventFilter(this);
    }
    m_binding.sync();
}

FrmTestView::~FrmTestView() = default;

bool FrmTestView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_ui->Text1)
            m_binding.forward([this] { m_form.Text1_MouseMove(); });
        else if (watched == m_ui->Text2)
            m_binding.forward([this] { m_form.Text2_MouseMove(); });
    }
    return QDialog::eventFilter(watched, event);
}

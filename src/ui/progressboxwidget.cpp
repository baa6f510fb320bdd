#include "ui/progressboxwidget.h"

#include <QPainter>

ProgressBoxWidget::ProgressBoxWidget(QWidget *parent) : QWidget(parent) {}

void ProgressBoxWidget::setModel(const ProgressBoxModel *model)
{
    m_model = model;
    update();
}

void ProgressBoxWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_model)
        return;
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::blue);
    painter.drawText(rect(), Qt::AlignCenter, m_model->text());
    const double scale = m_model->scaleWidth() > 0 ? width() / m_model->scaleWidth() : 0;
    const QRectF bar(0, 0, m_model->barWidth() * scale, height());
    // Not-xor of blue over white and over the blue text: the covered text shows white.
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.fillRect(bar, QColor(0, 0, 0xff));
}

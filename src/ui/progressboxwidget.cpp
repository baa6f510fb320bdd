#include "ui/progressboxwidget.h"

#include "shell/progress.h"

#include <QImage>
#include <QPainter>

ProgressBoxWidget::ProgressBoxWidget(QWidget *parent) : QWidget(parent) {}

void ProgressBoxWidget::setModel(const ProgressBoxModel *model)
{
    m_model = model;
    update();
}

QImage ProgressBoxWidget::render() const
{
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    if (!m_model || m_model->scaleWidth() <= 0)
        return image;

    QPainter painter(&image);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const QFontMetricsF metrics(bold);
    const QString &text = m_model->text();
    // The model counts in steps across the width, heights stay in pixels.
    const double pixelsPerStep = width() / m_model->scaleWidth();
    const QPointF origin =
        progressTextOrigin(m_model->scaleWidth(), height(),
                           metrics.horizontalAdvance(text) / pixelsPerStep, metrics.height());
    painter.setPen(barColor);
    painter.drawText(QPointF(origin.x() * pixelsPerStep, origin.y() + metrics.ascent()), text);

    // Not-xor of blue: white under the bar turns blue, the blue text under it turns white.
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.fillRect(QRectF(0, 0, m_model->barWidth() * pixelsPerStep, height()), barColor);
    return image;
}

void ProgressBoxWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), render());
}

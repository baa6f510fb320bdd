#pragma once

#include "shell/controls.h"

#include <QColor>
#include <QImage>
#include <QWidget>

// Draws a ProgressBoxModel: the percentage centred in bold, the bar inverting what it covers.
class ProgressBoxWidget : public QWidget
{
    Q_OBJECT
public:
    static inline const QColor barColor = QColor(0, 0, 0xff);

    explicit ProgressBoxWidget(QWidget *parent = nullptr);

    void setModel(const ProgressBoxModel *model);
    // The box as it is painted, for the window and for checking the drawing.
    QImage render() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const ProgressBoxModel *m_model = nullptr;
};

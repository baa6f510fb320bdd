#pragma once

#include "shell/controls.h"

#include <QWidget>

// Draws a ProgressBoxModel: the percentage centred, the bar inverting what it covers.
class ProgressBoxWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressBoxWidget(QWidget *parent = nullptr);

    void setModel(const ProgressBoxModel *model);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const ProgressBoxModel *m_model = nullptr;
};

#pragma once

#include "shell/controls.h"

#include <QPointF>

// Where the progress box prints its percentage, in the box's own scale units: the free
// width and height, each rounded and halved with the remainder dropped.
QPointF progressTextOrigin(double scaleWidth, double scaleHeight, double textWidth,
                           double textHeight);

// Moves a walk's count on by step and redraws the box with the new percentage. A walk that
// takes more steps than it announced never pushes the bar past 100%.
void advanceProgress(qint32 &count, qint32 step, ProgressBoxModel &box);

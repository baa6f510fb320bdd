#pragma once

#include <QPointF>

// Where the progress box prints its percentage, in the box's own scale units: the free
// width and height, each rounded and halved with the remainder dropped.
QPointF progressTextOrigin(double scaleWidth, double scaleHeight, double textWidth,
                           double textHeight);

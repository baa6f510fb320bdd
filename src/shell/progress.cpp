#include "shell/progress.h"

#include "shell/basicnumbers.h"

QPointF progressTextOrigin(double scaleWidth, double scaleHeight, double textWidth,
                           double textHeight)
{
    return QPointF(double(BasicNumbers::integerDivide(scaleWidth - textWidth, 2)),
                   double(BasicNumbers::integerDivide(scaleHeight - textHeight, 2)));
}

#include "shell/progress.h"

#include "shell/basicnumbers.h"

QPointF progressTextOrigin(double scaleWidth, double scaleHeight, double textWidth,
                           double textHeight)
{
    return QPointF(double(BasicNumbers::integerDivide(scaleWidth - textWidth, 2)),
                   double(BasicNumbers::integerDivide(scaleHeight - textHeight, 2)));
}

void advanceProgress(qint32 &count, qint32 step, ProgressBoxModel &box)
{
    count = BasicNumbers::addLong(count, step);
    if (box.scaleWidth() < count)
        count = BasicNumbers::toLong(box.scaleWidth());
    const double percent =
        BasicNumbers::roundHalfEven(BasicNumbers::divide(count, box.scaleWidth()) * 100);
    box.draw(count, QString::number(qint64(percent)) + QLatin1Char('%'));
}

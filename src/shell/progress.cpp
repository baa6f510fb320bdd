#include "shell/progress.h"

#include "shell/basicnumbers.h"
#include "shell/installform.h"

QPointF progressTextOrigin(double scaleWidth, double scaleHeight, double textWidth,
                           double textHeight)
{
    return QPointF(double(basic::integerDivide(scaleWidth - textWidth, 2)),
                   double(basic::integerDivide(scaleHeight - textHeight, 2)));
}

void InstallForm::UpdateStatus(qint32 &increment, ProgressBoxModel &box)
{
    globals.ProgressCount = basic::addLong(globals.ProgressCount, increment);
    // A caller that takes more steps than it announced never pushes the bar past 100%.
    if (box.scaleWidth() < globals.ProgressCount)
        globals.ProgressCount = basic::toLong(box.scaleWidth());
    const double percent =
        basic::roundHalfEven(basic::divide(globals.ProgressCount, box.scaleWidth()) * 100);
    box.draw(globals.ProgressCount, QString::number(qint64(percent)) + QLatin1Char('%'));
}

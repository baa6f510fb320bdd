#include "shell/batchswitch.h"

bool isBatchSwitch(const QString &argumentText)
{
    const QString start = argumentText.left(2);
    return start.compare(QLatin1String("-b"), Qt::CaseInsensitive) == 0 ||
           start.compare(QLatin1String("/b"), Qt::CaseInsensitive) == 0;
}

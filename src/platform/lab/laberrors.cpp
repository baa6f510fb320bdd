#include "platform/lab/laberrors.h"

namespace lab {

void fail(qint32 number, const QString &description)
{
    throw platform::PlatformError(number, description);
}

} // namespace lab

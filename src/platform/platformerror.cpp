#include "platform/platformerror.h"

namespace platform {

const char *PlatformError::what() const noexcept
{
    thread_local QByteArray text;
    text = QStringLiteral("%1 %2").arg(number).arg(description).toUtf8();
    return text.constData();
}

} // namespace platform

#pragma once

#include "platform/platformerror.h"

#include <QString>

namespace lab {

// Throws the PlatformError every lab failure becomes.
[[noreturn]] void fail(qint32 number, const QString &description);

} // namespace lab

#pragma once

#include <QString>

// Whether the argument text selects batch mode: its first two characters are "-b" or
// "/b" in any case; nothing else on the command line counts.
bool isBatchSwitch(const QString &argumentText);

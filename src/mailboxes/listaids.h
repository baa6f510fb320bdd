#pragma once

#include "shell/controls.h"
#include "shell/screen.h"

// Gives a list a horizontal scroll range wide enough for its longest entry.
namespace ListAids {

// The extent is the widest entry, measured in the list's own font, plus a vertical
// scroll bar's width; an empty list gets 0, which takes its horizontal scroll bar away.
void setHorizontalExtent(ListBoxModel &list, Screen &screen);

} // namespace ListAids

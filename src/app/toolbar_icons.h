// Toolbar icons: the picture of each of the 34 toolbar slots, drawn in code.
//
// Every icon is drawn on a 16-unit grid and rendered at 16x16 and 32x32, so
// the toolbar stays sharp on high-density screens.
#pragma once

#include <QIcon>

namespace kestrel {

// The icon of toolbar slot SLOT (0..33, see config/toolbar_slots.h); a null
// icon for the reserved slot and for numbers outside the range.
QIcon toolbarIcon(int slot);

}  // namespace kestrel

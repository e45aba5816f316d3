#pragma once
// The sizes of a registered icon: LoadIconResource gives the large one (the
// system's icon size); the window's small icon is the image of its own size.
#include "platform/window/window_defs.h"

namespace framework {

// The image of `icon` nearest to `size` pixels; `icon` itself when it is no
// registered icon.
HICON IconAtSize(HICON icon, int size);

}  // namespace framework

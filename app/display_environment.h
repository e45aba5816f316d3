#pragma once

// Whether a window can be shown: a display (X or Wayland) is named, or a Qt
// platform (offscreen, for example) is chosen.
bool HaveDisplay();

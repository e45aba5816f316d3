#pragma once
#include <string>

// Whether a window can be shown: a display (X or Wayland) is named, or a Qt
// platform (offscreen, for example) is chosen.
bool HaveDisplay();

// Why pictures of the dialog (--screenshot) cannot be made here; empty
// where they can.
std::string PicturesUnavailable();

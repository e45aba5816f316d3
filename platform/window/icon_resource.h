#pragma once
// Icon resources: each icon id holds images of several sizes, 8 bits per
// pixel with a palette, as the program's resource module draws them.
#include <functional>
#include <vector>

#include "platform/window/window_defs.h"

namespace framework {

struct IconImage {
  int width;
  int height;
  std::vector<DWORD> palette;  // 0xAARRGGBB per index (alpha 0: transparent)
  std::vector<BYTE> pixels;    // width * height palette indexes, rows top to bottom
};

// Draws the icon's picture at a given size, in pixels.
using IconDrawer = std::function<IconImage(int size)>;

// The images are the icon's own sizes. An icon that can be drawn at any
// size is drawn at each other size a scaled screen asks for, when it first
// asks, so that it is never an enlarged small image there.
void RegisterIconResource(UINT id, const std::vector<IconImage>& images, IconDrawer drawer = {});

// The icon for a resource id, or null when none is registered. The handle
// stays valid for the life of the process and is never destroyed.
HICON LoadIconResource(UINT id);

}  // namespace framework

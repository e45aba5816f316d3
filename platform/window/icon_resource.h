#pragma once
// Icon resources: each icon id holds images of several sizes, 8 bits per
// pixel with a palette, as the program's resource module draws them.
#include <vector>

#include "platform/window/window_defs.h"

namespace framework {

struct IconImage {
  int width;
  int height;
  std::vector<DWORD> palette;  // 0xAARRGGBB per index (alpha 0: transparent)
  std::vector<BYTE> pixels;    // width * height palette indexes, rows top to bottom
};

void RegisterIconResource(UINT id, const std::vector<IconImage>& images);

// The icon for a resource id, or null when none is registered. The handle
// stays valid for the life of the process and is never destroyed.
HICON LoadIconResource(UINT id);

}  // namespace framework

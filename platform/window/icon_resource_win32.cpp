#include "platform/window/icon_resource.h"

#include <cstdlib>
#include <map>

#include "platform/window/icon_handles.h"

namespace framework {
namespace {

struct IconEntry {
  std::vector<IconImage> images;
  std::map<int, HICON> handles;  // by width, built on first load
};

std::map<UINT, IconEntry>& icons() {
  static auto* table = new std::map<UINT, IconEntry>;
  return *table;
}

// A 32-bit colour image with its alpha, and the mask that older drawing uses.
HICON MakeIcon(const IconImage& image) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = image.width;
  header.bV5Height = -image.height;  // rows top to bottom
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  const HDC screen = ::GetDC(nullptr);
  const HBITMAP colour =
      ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  ::ReleaseDC(nullptr, screen);
  if (colour == nullptr) return nullptr;
  const std::size_t count = image.pixels.size();
  const int maskStride = ((image.width + 15) / 16) * 2;  // monochrome rows are WORD aligned
  std::vector<BYTE> mask(static_cast<std::size_t>(maskStride) * static_cast<std::size_t>(image.height), 0);
  auto* out = static_cast<DWORD*>(bits);
  for (std::size_t i = 0; i < count; ++i) {
    const DWORD argb = image.palette[image.pixels[i]];
    out[i] = argb;
    if ((argb >> 24) == 0) {
      const std::size_t x = i % static_cast<std::size_t>(image.width);
      const std::size_t y = i / static_cast<std::size_t>(image.width);
      mask[y * static_cast<std::size_t>(maskStride) + x / 8] |= static_cast<BYTE>(0x80u >> (x % 8));
    }
  }
  const HBITMAP maskBitmap = ::CreateBitmap(image.width, image.height, 1, 1, mask.data());
  ICONINFO info{TRUE, 0, 0, maskBitmap, colour};
  const HICON icon = ::CreateIconIndirect(&info);
  ::DeleteObject(maskBitmap);
  ::DeleteObject(colour);
  return icon;
}

const IconImage* Nearest(const std::vector<IconImage>& images, int size) {
  const IconImage* best = nullptr;
  for (const IconImage& image : images) {
    if (best == nullptr || std::abs(image.width - size) < std::abs(best->width - size)) best = &image;
  }
  return best;
}

HICON HandleAt(IconEntry& entry, int size) {
  const IconImage* image = Nearest(entry.images, size);
  if (image == nullptr) return nullptr;
  HICON& handle = entry.handles[image->width];
  if (handle == nullptr) handle = MakeIcon(*image);
  return handle;
}

}  // namespace

// The system draws the icons; the program's own drawing at other sizes is
// for the toolkit's scaled screens and not needed here.
void RegisterIconResource(UINT id, const std::vector<IconImage>& images, IconDrawer /*drawer*/) {
  IconEntry& entry = icons()[id];
  entry.images = images;
  entry.handles.clear();  // handles already given out stay valid
}

HICON LoadIconResource(UINT id) {
  auto it = icons().find(id);
  return it != icons().end() ? HandleAt(it->second, ::GetSystemMetrics(SM_CXICON)) : nullptr;
}

HICON IconAtSize(HICON icon, int size) {
  for (auto& [id, entry] : icons()) {
    for (const auto& [width, handle] : entry.handles) {
      if (handle == icon) return HandleAt(entry, size);
    }
  }
  return icon;
}

}  // namespace framework

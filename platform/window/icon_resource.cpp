#include "platform/window/icon_resource.h"

#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <map>
#include <memory>

#include "platform/window/icon_resource_qt.h"

namespace framework {
namespace {

struct IconEntry {
  std::vector<IconImage> images;
  IconDrawer drawer;
  std::unique_ptr<HICON__> handle;  // built on first load, when a GUI exists
  bool stale = true;                // images changed since the handle was built
};

std::map<UINT, IconEntry>& icons() {
  static auto* table = new std::map<UINT, IconEntry>;
  return *table;
}

QImage ToQImage(const IconImage& image) {
  QImage result(image.width, image.height, QImage::Format_Indexed8);
  QList<QRgb> colours(image.palette.begin(), image.palette.end());
  result.setColorTable(colours);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::size_t at =
          static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x);
      result.setPixel(x, y, at < image.pixels.size() ? image.pixels[at] : 0);
    }
  }
  return result;
}

// The screen scales that desktops offer, in quarters.
constexpr int kScaleQuarters[] = {5, 6, 8, 12, 16};

QIcon BuildIcon(const IconEntry& entry) {
  QIcon icon;
  std::vector<int> sizes;
  for (const IconImage& image : entry.images) {
    icon.addPixmap(QPixmap::fromImage(ToQImage(image)));
    sizes.push_back(image.width);
  }
  if (!entry.drawer) return icon;
  std::vector<int> drawn;
  for (const int size : sizes) {
    for (const int quarters : kScaleQuarters) {
      const int scaled = size * quarters / 4;
      if (std::find(sizes.begin(), sizes.end(), scaled) != sizes.end()) continue;
      if (std::find(drawn.begin(), drawn.end(), scaled) != drawn.end()) continue;
      icon.addPixmap(QPixmap::fromImage(ToQImage(entry.drawer(scaled))));
      drawn.push_back(scaled);
    }
  }
  return icon;
}

}  // namespace

void RegisterIconResource(UINT id, const std::vector<IconImage>& images, IconDrawer drawer) {
  IconEntry& entry = icons()[id];
  entry.images = images;
  entry.drawer = std::move(drawer);
  entry.stale = true;  // handles already given out stay valid and pick up the new images
}

HICON LoadIconResource(UINT id) {
  auto it = icons().find(id);
  if (it == icons().end()) return nullptr;
  IconEntry& entry = it->second;
  if (!entry.handle) entry.handle = std::make_unique<HICON__>();
  if (entry.stale) {
    entry.handle->icon = BuildIcon(entry);
    entry.stale = false;
  }
  return entry.handle.get();
}

QIcon ToQIcon(HICON icon) { return icon != nullptr ? icon->icon : QIcon(); }

}  // namespace framework

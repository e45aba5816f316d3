#include "platform/window/icon_resource.h"

#include <QImage>
#include <QPixmap>
#include <map>
#include <memory>

#include "platform/window/icon_resource_qt.h"

namespace framework {
namespace {

struct IconEntry {
  std::vector<IconImage> images;
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
      const std::size_t at = static_cast<std::size_t>(y * image.width + x);
      result.setPixel(x, y, at < image.pixels.size() ? image.pixels[at] : 0);
    }
  }
  return result;
}

}  // namespace

void RegisterIconResource(UINT id, const std::vector<IconImage>& images) {
  IconEntry& entry = icons()[id];
  entry.images = images;
  entry.stale = true;  // handles already given out stay valid and pick up the new images
}

HICON LoadIconResource(UINT id) {
  auto it = icons().find(id);
  if (it == icons().end()) return nullptr;
  IconEntry& entry = it->second;
  if (!entry.handle) entry.handle = std::make_unique<HICON__>();
  if (entry.stale) {
    entry.handle->icon = QIcon();
    for (const IconImage& image : entry.images) entry.handle->icon.addPixmap(QPixmap::fromImage(ToQImage(image)));
    entry.stale = false;
  }
  return entry.handle.get();
}

QIcon ToQIcon(HICON icon) { return icon != nullptr ? icon->icon : QIcon(); }

}  // namespace framework

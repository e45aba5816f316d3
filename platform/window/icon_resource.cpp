#include "platform/window/icon_resource.h"

#include <map>
#include <memory>

#include "platform/window/drawn_icon_engine.h"
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

QIcon BuildIcon(const IconEntry& entry) { return QIcon(new DrawnIconEngine(entry.images, entry.drawer)); }

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

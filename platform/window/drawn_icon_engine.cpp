#include "platform/window/drawn_icon_engine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cstring>

namespace framework {
namespace {

// The image as the toolkit's indexed image with the same palette.
QImage ToQImage(const IconImage& image) {
  QImage result(image.width, image.height, QImage::Format_Indexed8);
  result.setColorTable(QList<QRgb>(image.palette.begin(), image.palette.end()));
  const auto width = static_cast<std::size_t>(image.width);
  for (int y = 0; y < image.height; ++y) {
    uchar* line = result.scanLine(y);
    const std::size_t start = static_cast<std::size_t>(y) * width;
    const std::size_t have = image.pixels.size() > start ? std::min(width, image.pixels.size() - start) : 0;
    if (have > 0) std::memcpy(line, image.pixels.data() + start, have);
    std::memset(line + have, 0, width - have);  // a short image is clear below its end
  }
  return result;
}

}  // namespace

DrawnIconEngine::DrawnIconEngine(const std::vector<IconImage>& images, IconDrawer drawer)
    : m_drawer(std::move(drawer)) {
  for (const IconImage& image : images) {
    m_pixmaps[image.width] = QPixmap::fromImage(ToQImage(image));
    m_ownSizes.push_back(image.width);
  }
}

QPixmap DrawnIconEngine::pixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) {
  return AtSize(std::min(size.width(), size.height()));
}

void DrawnIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) {
  const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
  painter->drawPixmap(rect, pixmap(rect.size() * scale, mode, state));
}

// The icon's own sizes, and those of the screen's scale: what a window
// manager is offered for the title bar and the task bar.
QList<QSize> DrawnIconEngine::availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) {
  QList<QSize> sizes;
  for (const int size : m_ownSizes) sizes.append(QSize(size, size));
  const QScreen* screen = QGuiApplication::primaryScreen();
  const qreal scale = screen != nullptr ? screen->devicePixelRatio() : 1.0;
  if (m_drawer && scale > 1.0) {
    for (const int size : m_ownSizes) {
      const QSize scaled(qRound(size * scale), qRound(size * scale));
      if (!sizes.contains(scaled)) sizes.append(scaled);
    }
  }
  return sizes;
}

QIconEngine* DrawnIconEngine::clone() const { return new DrawnIconEngine(*this); }

QString DrawnIconEngine::key() const { return QStringLiteral("framework-drawn"); }

QPixmap DrawnIconEngine::AtSize(int size) {
  if (size <= 0) return {};
  const auto found = m_pixmaps.find(size);
  if (found != m_pixmaps.end()) return found->second;
  if (!m_drawer) return ScaledFromNearest(size);
  QPixmap drawn = QPixmap::fromImage(ToQImage(m_drawer(size)));
  m_pixmaps.emplace(size, drawn);
  return drawn;
}

// Without a drawer: the smallest own image at least as large, else the
// largest, scaled to the size.
QPixmap DrawnIconEngine::ScaledFromNearest(int size) const {
  if (m_pixmaps.empty()) return {};
  const auto larger = m_pixmaps.lower_bound(size);
  const QPixmap& source = larger != m_pixmaps.end() ? larger->second : m_pixmaps.rbegin()->second;
  return source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace framework

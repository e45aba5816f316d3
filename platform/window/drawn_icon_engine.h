#pragma once
// An icon whose images for scaled screens are drawn when a size is first
// asked for, not all at start: a dialog on an unscaled screen never needs
// the 128-pixel drawing, and drawing every size before the first paint
// costs the start-up milliseconds.
#include <QIconEngine>
#include <map>
#include <vector>

#include "platform/window/icon_resource.h"

namespace framework {

class DrawnIconEngine : public QIconEngine {
 public:
  DrawnIconEngine(const std::vector<IconImage>& images, IconDrawer drawer);

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
  QIconEngine* clone() const override;
  QString key() const override;

 private:
  QPixmap AtSize(int size);
  QPixmap ScaledFromNearest(int size) const;

  std::map<int, QPixmap> m_pixmaps;  // by width: the icon's own images, then those drawn
  std::vector<int> m_ownSizes;
  IconDrawer m_drawer;
};

}  // namespace framework

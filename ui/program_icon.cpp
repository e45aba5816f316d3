// The program icon, drawn in code: a chequered racing flag on a pole, with a
// red ping wave fanning out below the flag. The same drawing is made at 32
// and 16 pixels, and at the larger sizes of scaled screens, each on the
// pixel grid of its own size.
#include <algorithm>
#include <cmath>

#include "ui/resources.h"

namespace {

enum Colour : BYTE { kClear, kBlack, kWhite, kPoleLight, kPoleDark, kGold, kRed, kDarkRed, kColourCount };

// The icon's colours, as 0xAARRGGBB.
// NOLINTBEGIN(readability-magic-numbers)
std::vector<DWORD> Palette() {
  std::vector<DWORD> palette(256, 0xFF000000u);  // a full 256-colour table
  palette[kClear] = 0x00000000u;
  palette[kBlack] = 0xFF141414u;
  palette[kWhite] = 0xFFF8F8F8u;
  palette[kPoleLight] = 0xFFB8B8C0u;
  palette[kPoleDark] = 0xFF505058u;
  palette[kGold] = 0xFFE8B820u;
  palette[kRed] = 0xFFE02828u;
  palette[kDarkRed] = 0xFF901818u;
  return palette;
}
// NOLINTEND(readability-magic-numbers)

class Canvas {
 public:
  explicit Canvas(int size)
      : m_size(size), m_pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), kClear) {}

  void Set(int x, int y, Colour colour) {
    if (x >= 0 && y >= 0 && x < m_size && y < m_size) m_pixels[Index(x, y)] = colour;
  }
  Colour At(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_size || y >= m_size) return kClear;
    return static_cast<Colour>(m_pixels[Index(x, y)]);
  }
  int size() const { return m_size; }
  std::vector<BYTE> pixels() const { return m_pixels; }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_size) + static_cast<std::size_t>(x);
  }

  int m_size;
  std::vector<BYTE> m_pixels;
};

// Geometry in units of a 32-pixel icon; `s` scales it to the canvas. Strokes
// are whole pixels: one at 16 pixels, two at 32, and thicker in proportion.
int Stroke(double s, int at32) { return std::max(1, static_cast<int>(std::lround(at32 * s))); }

void DrawPole(Canvas& c, double s) {
  const int left = static_cast<int>(std::lround(4 * s));
  const int top = static_cast<int>(std::lround(3 * s));
  const int width = Stroke(s, 2);  // a dark edge, the rest light
  for (int y = top; y < c.size() - 1; ++y) {
    for (int dx = 0; dx < width; ++dx) c.Set(left + dx, y, dx < (width + 1) / 2 ? kPoleDark : kPoleLight);
  }
  const int knob = Stroke(s, 2);  // the gold knob on top
  for (int dy = 0; dy < knob; ++dy) {
    for (int dx = 0; dx < knob; ++dx) c.Set(left + dx, top - knob + dy, kGold);
  }
}

// Flag cells ripple: each column drops by a sine that grows toward the free end.
void DrawFlag(Canvas& c, double s) {
  const int left = static_cast<int>(std::lround(6 * s));
  const int top = static_cast<int>(std::lround(3 * s));
  const int width = static_cast<int>(std::lround(22 * s));
  const int height = static_cast<int>(std::lround(12 * s));
  const int cell = std::max(2, static_cast<int>(std::lround(4 * s)));
  const int outline = s >= 1 ? Stroke(s, 1) : 1;
  for (int x = 0; x < width; ++x) {
    const double along = static_cast<double>(x) / width;
    const int ripple = static_cast<int>(std::lround(2.2 * s * along * std::sin(along * 2 * 3.14159265)));
    for (int y = 0; y < height; ++y) {
      const bool dark = ((x / cell) + (y / cell)) % 2 == 0;
      c.Set(left + x, top + y + ripple, dark ? kBlack : kWhite);
    }
    for (int o = 1; o <= outline; ++o) {  // outline above and below
      c.Set(left + x, top + ripple - o, kBlack);
      c.Set(left + x, top + height + ripple + o - 1, kBlack);
    }
  }
  for (int y = -outline; y < height + outline; ++y) {  // outline at the free end
    const int ripple =
        static_cast<int>(std::lround(2.2 * s * std::sin(2 * 3.14159265 * (width - 1) / width) * (width - 1) / width));
    for (int o = 0; o < outline; ++o) c.Set(left + width + o, top + y + ripple, kBlack);
  }
}

// Arcs fanning out to the right from a dot below the flag: the echo going out.
void DrawPingWave(Canvas& c, double s) {
  const double cx = 8.5 * s;
  const double cy = 25.5 * s;
  const double dot = s >= 1 ? 1.8 * s : 1.0;
  const double radii[] = {5.5 * s, 10 * s, 14.5 * s};
  const double pen = s >= 1 ? 1.2 * s : 0.75;
  for (int y = 0; y < c.size(); ++y) {
    for (int x = 0; x < c.size(); ++x) {
      const double dx = x + 0.5 - cx;
      const double dy = y + 0.5 - cy;
      const double distance = std::sqrt(dx * dx + dy * dy);
      if (distance <= dot) {
        c.Set(x, y, kRed);
        continue;
      }
      if (dx <= 0 || std::fabs(dy) > dx * 0.85) continue;  // a fan of about 80 degrees
      for (std::size_t i = 0; i < 3; ++i) {
        if (std::fabs(distance - radii[i]) <= pen) c.Set(x, y, i == 0 ? kDarkRed : kRed);
      }
    }
  }
}

framework::IconImage Draw(int size) {
  Canvas canvas(size);
  const double scale = size / 32.0;
  DrawPingWave(canvas, scale);
  DrawPole(canvas, scale);
  DrawFlag(canvas, scale);
  return {size, size, Palette(), canvas.pixels()};
}

}  // namespace

std::vector<framework::IconImage> DrawProgramIcon() { return {Draw(32), Draw(16)}; }

framework::IconImage DrawProgramIconAt(int size) { return Draw(size); }

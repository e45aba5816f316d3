#include "app/terminal_text.h"

#include <cstdio>

#include "platform/framework/safe_text.h"
#include "platform/framework/text_encoding.h"

namespace {

using framework::ForEachUtf8Character;

bool InRange(char32_t code, char32_t first, char32_t last) { return code >= first && code <= last; }

// Tables of Unicode code points, written as the standard lists them.
// NOLINTBEGIN(readability-magic-numbers)
bool IsWide(char32_t c) {
  return InRange(c, 0x1100, 0x115F) || InRange(c, 0x2E80, 0x303E) || InRange(c, 0x3041, 0x33FF) ||
         InRange(c, 0x3400, 0x4DBF) || InRange(c, 0x4E00, 0x9FFF) || InRange(c, 0xA000, 0xA4CF) ||
         InRange(c, 0xAC00, 0xD7A3) || InRange(c, 0xF900, 0xFAFF) || InRange(c, 0xFE30, 0xFE4F) ||
         InRange(c, 0xFF00, 0xFF60) || InRange(c, 0xFFE0, 0xFFE6) || InRange(c, 0x1F300, 0x1F64F) ||
         InRange(c, 0x1F680, 0x1F6FF) || InRange(c, 0x1F900, 0x1F9FF) || InRange(c, 0x1FA70, 0x1FAFF) ||
         InRange(c, 0x20000, 0x3FFFD);
}

// Combining marks, and the variation selectors that pick the look of the
// character before them (an emoji's presentation): they take no column.
bool IsCombining(char32_t c) {
  return InRange(c, 0x0300, 0x036F) || InRange(c, 0x1AB0, 0x1AFF) || InRange(c, 0x1DC0, 0x1DFF) ||
         InRange(c, 0x20D0, 0x20FF) || InRange(c, 0xFE00, 0xFE0F) || InRange(c, 0xFE20, 0xFE2F) ||
         InRange(c, 0xE0100, 0xE01EF);
}
// NOLINTEND(readability-magic-numbers)

std::size_t ColumnsOf(char32_t code) { return IsCombining(code) ? 0 : IsWide(code) ? 2 : 1; }

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // "…", one column

}  // namespace

std::size_t DisplayWidth(std::string_view utf8) {
  std::size_t width = 0;
  ForEachUtf8Character(utf8, [&](char32_t code, std::string_view) { width += ColumnsOf(code); });
  return width;
}

std::string CutToWidth(std::string_view utf8, std::size_t columns) {
  if (DisplayWidth(utf8) <= columns) return std::string(utf8);
  if (columns == 0) return {};
  std::string cut;
  std::size_t width = 0;
  bool full = false;
  ForEachUtf8Character(utf8, [&](char32_t code, std::string_view character) {
    // A combining mark stays with the character it marks.
    full = full || width + ColumnsOf(code) > columns - 1;
    if (full) return;
    width += ColumnsOf(code);
    cut += character;
  });
  return cut + std::string(kEllipsis);
}

std::string AlignedLine(std::span<const std::string> cells, std::span<const std::size_t> widths) {
  std::string line;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    line += cells[c];
    if (c + 1 == cells.size()) break;
    const std::size_t width = DisplayWidth(cells[c]);
    line += std::string((widths[c] > width ? widths[c] - width : 0) + 2, ' ');
  }
  return line;
}

std::string JsonEscaped(std::string_view utf8) {
  std::string json;
  json.reserve(utf8.size());
  ForEachUtf8Character(utf8, [&](char32_t code, std::string_view bytes) {
    switch (code) {
      case '"': json += "\\\""; return;
      case '\\': json += "\\\\"; return;
      case '\b': json += "\\b"; return;
      case '\f': json += "\\f"; return;
      case '\n': json += "\\n"; return;
      case '\r': json += "\\r"; return;
      case '\t': json += "\\t"; return;
      default: break;
    }
    if (!framework::IsHiddenOrControl(code)) {
      json += bytes;
      return;
    }
    char escape[16];
    if (code < 0x10000) {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(code));
    } else {  // beyond the first plane JSON escapes a surrogate pair, ten bits in each half
      constexpr unsigned kHighSurrogate = 0xD800;
      constexpr unsigned kLowSurrogate = 0xDC00;
      constexpr unsigned kLowTenBits = (1u << 10) - 1;
      const unsigned offset = static_cast<unsigned>(code) - 0x10000;
      std::snprintf(escape, sizeof escape, "\\u%04x\\u%04x", kHighSurrogate + (offset >> 10),
                    kLowSurrogate + (offset & kLowTenBits));
    }
    json += escape;
  });
  return json;
}

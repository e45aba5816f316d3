#include "app/terminal_text.h"

#include <cstdio>

namespace {

struct CodePoint {
  char32_t code = 0;
  std::size_t length = 1;
};

// The character at the start of well-formed UTF-8.
CodePoint Decode(std::string_view utf8) {
  const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(utf8[i])); };
  const char32_t lead = byte(0);
  if (lead < 0x80 || utf8.size() < 2) return {lead, 1};
  if (lead < 0xE0) return {((lead & 0x1F) << 6) | (byte(1) & 0x3F), 2};
  if (lead < 0xF0 || utf8.size() < 4) {
    if (utf8.size() < 3) return {lead, 1};
    return {((lead & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F), 3};
  }
  return {((lead & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F), 4};
}

bool InRange(char32_t code, char32_t first, char32_t last) { return code >= first && code <= last; }

bool IsWide(char32_t c) {
  return InRange(c, 0x1100, 0x115F) || InRange(c, 0x2E80, 0x303E) || InRange(c, 0x3041, 0x33FF) ||
         InRange(c, 0x3400, 0x4DBF) || InRange(c, 0x4E00, 0x9FFF) || InRange(c, 0xA000, 0xA4CF) ||
         InRange(c, 0xAC00, 0xD7A3) || InRange(c, 0xF900, 0xFAFF) || InRange(c, 0xFE30, 0xFE4F) ||
         InRange(c, 0xFF00, 0xFF60) || InRange(c, 0xFFE0, 0xFFE6) || InRange(c, 0x1F300, 0x1F64F) ||
         InRange(c, 0x1F900, 0x1F9FF) || InRange(c, 0x20000, 0x3FFFD);
}

bool IsCombining(char32_t c) {
  return InRange(c, 0x0300, 0x036F) || InRange(c, 0x1AB0, 0x1AFF) || InRange(c, 0x1DC0, 0x1DFF) ||
         InRange(c, 0x20D0, 0x20FF) || InRange(c, 0xFE20, 0xFE2F);
}

template <typename Visit>
void ForEachCharacter(std::string_view utf8, Visit visit) {
  for (std::size_t i = 0; i < utf8.size();) {
    const CodePoint point = Decode(utf8.substr(i));
    visit(point.code, utf8.substr(i, point.length));
    i += point.length;
  }
}

}  // namespace

bool IsUnsafeOnTerminal(char32_t c) {
  return c < 0x20 || InRange(c, 0x7F, 0x9F) || c == 0x061C || InRange(c, 0x200B, 0x200F) ||
         InRange(c, 0x2028, 0x202E) || InRange(c, 0x2060, 0x206F) || c == 0xFEFF || InRange(c, 0xFFF9, 0xFFFB);
}

std::string OnOneLine(std::string_view utf8) {
  std::string line;
  line.reserve(utf8.size());
  ForEachCharacter(utf8, [&](char32_t code, std::string_view bytes) {
    if (IsUnsafeOnTerminal(code)) line += '?';
    else line += bytes;
  });
  return line;
}

std::size_t DisplayWidth(std::string_view utf8) {
  std::size_t width = 0;
  ForEachCharacter(utf8, [&](char32_t code, std::string_view) {
    width += IsCombining(code) ? 0 : IsWide(code) ? 2 : 1;
  });
  return width;
}

std::string JsonEscaped(std::string_view utf8) {
  std::string json;
  json.reserve(utf8.size());
  ForEachCharacter(utf8, [&](char32_t code, std::string_view bytes) {
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
    if (!IsUnsafeOnTerminal(code)) {
      json += bytes;
      return;
    }
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(code));
    json += escape;
  });
  return json;
}

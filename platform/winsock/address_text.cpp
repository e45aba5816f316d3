#include "platform/winsock/address_text.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdint>

namespace winsock {
namespace {

// One part of a dotted quad: decimal digits, leading zeros included, worth
// at most 255. Advances `text` past the digits; false when there are none or
// the value is too large.
bool ParseQuadPart(const char*& text, std::uint32_t* value) {
  const char* start = text;
  std::uint32_t result = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    result = result * 10 + static_cast<std::uint32_t>(*text - '0');
    if (result > 0xFF) return false;
  }
  *value = result;
  return text != start;
}

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Decimal or octal digits, or "0x" and hex digits (none counts as zero).
bool IsNumberPart(std::string_view part) {
  if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
    return std::all_of(part.begin() + 2, part.end(), IsHexDigit);
  }
  return !part.empty() && std::all_of(part.begin(), part.end(), IsDigit);
}

}  // namespace

std::uint32_t DottedQuadAddress(const char* text) {
  constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  if (text == nullptr) return kNone;
  std::uint32_t host = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && *text++ != '.') return kNone;
    std::uint32_t value = 0;
    if (!ParseQuadPart(text, &value)) return kNone;
    host = (host << 8) | value;
  }
  if (*text != '\0') return kNone;
  return std::endian::native == std::endian::little ? __builtin_bswap32(host) : host;
}

bool CannotBeDnsName(std::string_view name) {
  const auto nameCharacter = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == '.';
  };
  if (!std::all_of(name.begin(), name.end(), nameCharacter)) return true;
  if (name.ends_with('.')) name.remove_suffix(1);
  if (name.empty() || name.starts_with('.') || name.starts_with('-') || name.find("..") != std::string_view::npos) {
    return true;
  }
  const std::string_view last = name.substr(name.rfind('.') + 1);
  return std::all_of(last.begin(), last.end(), IsDigit);
}

bool IsNumberForm(std::string_view text) {
  if (text.ends_with('.')) text.remove_suffix(1);
  for (int parts = 1; parts <= 4; ++parts) {
    const std::size_t dot = text.find('.');
    if (!IsNumberPart(text.substr(0, dot))) return false;
    if (dot == std::string_view::npos) return true;
    text.remove_prefix(dot + 1);
  }
  return false;
}

}  // namespace winsock

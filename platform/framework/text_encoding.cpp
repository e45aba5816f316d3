#include "platform/framework/text_encoding.h"

#include <cstdint>

// The numbers below are UTF-8's and Windows-1252's own byte values and bit
// patterns, as RFC 3629 and the code page's table give them.
// NOLINTBEGIN(readability-magic-numbers)
namespace framework {
namespace {

// Windows-1252 for 0x80-0x9F; 0 where it has no character (Latin-1 then).
constexpr char16_t kWindows1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

char32_t Windows1252(std::uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0 && kWindows1252High[byte - 0x80] != 0) return kWindows1252High[byte - 0x80];
  return byte;
}

bool IsContinuation(std::uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 character at the start of `rest`
// (shortest form, no surrogates, at most U+10FFFF), or 0 when there is none.
std::size_t Utf8CharacterLength(std::string_view rest) {
  const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(rest[i]); };
  const std::uint8_t lead = at(0);
  std::size_t length = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (rest.size() < length || at(1) < low || at(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(at(i))) return 0;
  }
  return length;
}

}  // namespace

std::string DisplayTextToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<std::uint8_t>(bytes[i]);
    const std::size_t length = byte < 0x80 ? 1 : Utf8CharacterLength(bytes.substr(i));
    if (length == 0) {
      AppendUtf8(out, Windows1252(byte));
      ++i;
    } else {
      out.append(bytes.substr(i, length));
      i += length;
    }
  }
  return out;
}

Utf8Character FirstUtf8Character(std::string_view utf8) {
  const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<std::uint8_t>(utf8[i])); };
  const char32_t lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (utf8.size() < length) return {lead, 1};
  const char32_t leadBits = lead & (0x7F >> length);
  char32_t code = leadBits;
  for (std::size_t i = 1; i < length; ++i) code = (code << 6) | (byte(i) & 0x3F);
  return {code, length};
}

}  // namespace framework
// NOLINTEND(readability-magic-numbers)

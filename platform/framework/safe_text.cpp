#include "platform/framework/safe_text.h"

#include "platform/framework/text_encoding.h"

namespace framework {
namespace {

bool InRange(char32_t code, char32_t first, char32_t last) { return code >= first && code <= last; }

// The classes below are tables of Unicode code points, written as the
// standard lists them.
// NOLINTBEGIN(readability-magic-numbers)
bool IsControl(char32_t c) { return c < 0x20 || InRange(c, 0x7F, 0x9F); }

// Right-to-left and left-to-right marks, embeddings, overrides and isolates.
bool IsBidiControl(char32_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || InRange(c, 0x202A, 0x202E) || InRange(c, 0x2066, 0x2069);
}

// Characters that take no room of their own, so that text holding them looks
// like text without them. Variation selectors (U+180B-U+180D, U+180F,
// U+FE00-U+FE0F, U+E0100-U+E01EF) are left out on purpose.
bool IsInvisible(char32_t c) {
  return c == 0x00AD || c == 0x034F || c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5 || c == 0x180E ||
         InRange(c, 0x200B, 0x200D) || InRange(c, 0x2060, 0x2065) || InRange(c, 0x206A, 0x206F) || c == 0x3164 ||
         c == 0xFEFF || c == 0xFFA0 || InRange(c, 0xFFF0, 0xFFFB) || InRange(c, 0x1BCA0, 0x1BCA3) ||
         InRange(c, 0x1D173, 0x1D17A) || InRange(c, 0xE0000, 0xE00FF) || InRange(c, 0xE01F0, 0xE0FFF);
}

bool IsWhiteSpaceControl(char32_t c) { return InRange(c, 0x09, 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029; }

}  // namespace

bool IsHiddenOrControl(char32_t code) {
  return IsControl(code) || code == 0x2028 || code == 0x2029 || IsBidiControl(code) || IsInvisible(code);
}
// NOLINTEND(readability-magic-numbers)

std::string SafeDisplayText(std::string_view bytes, WhiteSpaceControls whiteSpace) {
  const std::string utf8 = DisplayTextToUtf8(bytes);
  std::string shown;
  shown.reserve(utf8.size());
  ForEachUtf8Character(utf8, [&](char32_t code, std::string_view character) {
    if (whiteSpace == WhiteSpaceControls::kAsSpaces && IsWhiteSpaceControl(code)) {
      shown += ' ';
    } else if (IsHiddenOrControl(code)) {
      shown += kReplacementCharacter;
    } else {
      shown += character;
    }
  });
  return shown;
}

}  // namespace framework

#pragma once
#include <string>

namespace vqtest {

// Bytes as lower-case hex digits, two per byte, as --reply-hex takes them.
inline std::string HexOf(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char byte : bytes) {
    hex += digits[byte >> 4];
    hex += digits[byte & 0x0F];
  }
  return hex;
}

}  // namespace vqtest

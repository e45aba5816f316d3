#pragma once
// Status replies as a server writes them, for tests that decode them.
#include <string>
#include <vector>

namespace vqtest {

// The fields joined by single 0x01 separators.
inline std::string StatusReply(const std::vector<std::string>& fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) text += (i == 0 ? "" : "\x01") + fields[i];
  return text;
}

}  // namespace vqtest

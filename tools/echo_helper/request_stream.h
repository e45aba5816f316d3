#pragma once
// Cuts the bytes read from the pipe into requests.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/icmpapi/echo_helper_protocol.h"

namespace echo_helper {

struct StreamItem {
  bool badFraming = false;  // the bytes are no request: nothing after them can be trusted
  icmpapi::helper::Request request;
};

class RequestStream {
 public:
  void Append(const std::uint8_t* bytes, std::size_t size);
  // The next whole request; nullopt while its bytes are still missing.
  std::optional<StreamItem> Next();
  // Part of a message has come and the rest has not.
  bool InsideMessage() const { return m_bytes.size() > m_start; }

 private:
  std::vector<std::uint8_t> m_bytes;
  std::size_t m_start = 0;  // where the next message begins
};

}  // namespace echo_helper

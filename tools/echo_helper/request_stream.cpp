#include "tools/echo_helper/request_stream.h"

namespace echo_helper {

namespace helper = icmpapi::helper;

void RequestStream::Append(const std::uint8_t* bytes, std::size_t size) {
  // Bytes already taken are dropped before the buffer grows.
  if (m_start > 0) {
    m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_start));
    m_start = 0;
  }
  m_bytes.insert(m_bytes.end(), bytes, bytes + size);
}

std::optional<StreamItem> RequestStream::Next() {
  const std::size_t available = m_bytes.size() - m_start;
  if (available < helper::kRequestHeaderSize) return std::nullopt;
  const std::optional<helper::RequestHeader> header =
      helper::DecodeRequestHeader(helper::Bytes(m_bytes.data() + m_start, helper::kRequestHeaderSize));
  if (!header) return StreamItem{true, {}};
  if (available < helper::kRequestHeaderSize + header->dataSize) return std::nullopt;
  StreamItem item;
  item.request = header->fields;
  const auto data = m_bytes.begin() + static_cast<std::ptrdiff_t>(m_start + helper::kRequestHeaderSize);
  item.request.data.assign(data, data + header->dataSize);
  m_start += helper::kRequestHeaderSize + header->dataSize;
  return item;
}

}  // namespace echo_helper

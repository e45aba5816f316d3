#include "platform/window/message_map.h"

namespace framework {

bool MessageMapEntry::Matches(const Message& msg) const {
  if (msg.message != message) return false;
  if (message != WM_COMMAND) return true;
  const UINT id = LOWORD(msg.wParam);
  return HIWORD(msg.wParam) == code && id >= firstId && id <= lastId;
}

MessageMap::MessageMap(const MessageMap* base, std::initializer_list<MessageMapEntry> entries)
    : m_base(base), m_entries(entries) {}

const MessageMapEntry* MessageMap::Find(const Message& msg) const {
  for (const MessageMapEntry& entry : m_entries) {
    if (entry.Matches(msg)) return &entry;
  }
  return nullptr;
}

}  // namespace framework

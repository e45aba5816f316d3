#include "platform/window/ccmdtarget.h"

const framework::MessageMap& CCmdTarget::GetThisMessageMap() {
  static const framework::MessageMap map(nullptr, {});
  return map;
}

bool CCmdTarget::DispatchFromMap(const framework::Message& msg, LRESULT* result) {
  for (const framework::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base()) {
    if (const framework::MessageMapEntry* entry = map->Find(msg)) {
      const LRESULT value = entry->handler(*this, msg);
      if (result != nullptr) *result = value;
      return true;
    }
  }
  return false;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode) {
  const framework::Message msg{WM_COMMAND, MAKEWPARAM(nID, nCode), 0};
  return DispatchFromMap(msg, nullptr) ? TRUE : FALSE;
}

#pragma once
// Message maps as typed tables. A class lists its entries in order; the
// dispatcher tries the most derived class's table first, entry by entry, then
// its base classes' tables, and sends what nobody handles to the default
// procedure. Small adapter templates turn member functions of any signature
// the platform uses into uniform table entries:
//
//   const framework::MessageMap& CMyDlg::GetThisMessageMap() {
//     using namespace framework::msgmap;
//     static const framework::MessageMap map(&CDialog::GetThisMessageMap(), {
//         WmPaint(&CMyDlg::OnPaint),
//         BnClicked(IDC_GO, &CMyDlg::OnGo),
//     });
//     return map;
//   }
#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/window/window_defs.h"

class CCmdTarget;

namespace framework {

struct Message {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct MessageMapEntry {
  UINT message;
  UINT code;     // WM_COMMAND entries: notification code (0 for commands and BN_CLICKED)
  UINT firstId;  // WM_COMMAND entries: control or command id range
  UINT lastId;
  std::function<LRESULT(CCmdTarget&, const Message&)> handler;

  bool Matches(const Message& msg) const;
};

class MessageMap {
 public:
  MessageMap(const MessageMap* base, std::initializer_list<MessageMapEntry> entries);

  const MessageMap* base() const { return m_base; }
  // The first entry of this table (not its bases) that takes the message.
  const MessageMapEntry* Find(const Message& msg) const;

 private:
  const MessageMap* m_base;
  std::vector<MessageMapEntry> m_entries;
};

namespace msgmap {

template <class T>
MessageMapEntry WmSysCommand(void (T::*fn)(UINT, LPARAM)) {
  return {WM_SYSCOMMAND, 0, 0, 0, [fn](CCmdTarget& t, const Message& m) -> LRESULT {
            (static_cast<T&>(t).*fn)(static_cast<UINT>(m.wParam), m.lParam);
            return 0;
          }};
}

template <class T>
MessageMapEntry WmPaint(void (T::*fn)()) {
  return {WM_PAINT, 0, 0, 0, [fn](CCmdTarget& t, const Message&) -> LRESULT {
            (static_cast<T&>(t).*fn)();
            return 0;
          }};
}

template <class T>
MessageMapEntry WmQueryDragIcon(HCURSOR (T::*fn)()) {
  return {WM_QUERYDRAGICON, 0, 0, 0, [fn](CCmdTarget& t, const Message&) -> LRESULT {
            return reinterpret_cast<LRESULT>((static_cast<T&>(t).*fn)());
          }};
}

// A notification `code` from control `id` (WM_COMMAND).
template <class T>
MessageMapEntry Notify(UINT code, UINT id, void (T::*fn)()) {
  return {WM_COMMAND, code, id, id, [fn](CCmdTarget& t, const Message&) -> LRESULT {
            (static_cast<T&>(t).*fn)();
            return 0;
          }};
}

// A menu or accelerator command; also takes BN_CLICKED from a button with the id.
template <class T>
MessageMapEntry Command(UINT id, void (T::*fn)()) {
  return Notify(0, id, fn);
}

template <class T>
MessageMapEntry BnClicked(UINT id, void (T::*fn)()) {
  return Notify(BN_CLICKED, id, fn);
}

template <class T>
MessageMapEntry EnChange(UINT id, void (T::*fn)()) {
  return Notify(EN_CHANGE, id, fn);
}

template <class T>
MessageMapEntry LbnSelChange(UINT id, void (T::*fn)()) {
  return Notify(LBN_SELCHANGE, id, fn);
}

template <class T>
MessageMapEntry LbnDblClk(UINT id, void (T::*fn)()) {
  return Notify(LBN_DBLCLK, id, fn);
}

}  // namespace msgmap
}  // namespace framework

// In a class body: declares the class's table and hooks it into dispatch.
#define DECLARE_MESSAGE_MAP()                                                                  \
 public:                                                                                       \
  static const framework::MessageMap& GetThisMessageMap();                                     \
                                                                                               \
 protected:                                                                                    \
  const framework::MessageMap* GetMessageMap() const override { return &GetThisMessageMap(); } \
                                                                                               \
 private:

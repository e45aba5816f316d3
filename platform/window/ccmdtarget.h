#pragma once
#include "platform/framework/cobject.h"
#include "platform/window/message_map.h"

// Base of everything that receives messages or commands: owns the hook to
// the class's message map.
class CCmdTarget : public CObject {
 public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;

  static const framework::MessageMap& GetThisMessageMap();

  // Runs the first map entry that takes the message; false when none does.
  bool DispatchFromMap(const framework::Message& msg, LRESULT* result);

  // Routes a command (WM_COMMAND with code 0) through the map.
  virtual BOOL OnCmdMsg(UINT nID, int nCode);

 protected:
  virtual const framework::MessageMap* GetMessageMap() const { return &GetThisMessageMap(); }
};

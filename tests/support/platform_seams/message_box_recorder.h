#pragma once
// Message boxes recorded instead of shown, through the framework's handler
// registration (framework::ScopedMessageBoxHandler).
#include <vector>

#include "platform/framework/message_box.h"

namespace vqtest {

// Records every message box while alive and answers each with `answer`.
class ScopedMessageBoxRecorder {
 public:
  explicit ScopedMessageBoxRecorder(int answer = IDOK);
  ScopedMessageBoxRecorder(const ScopedMessageBoxRecorder&) = delete;
  ScopedMessageBoxRecorder& operator=(const ScopedMessageBoxRecorder&) = delete;

  const std::vector<framework::MessageBoxRequest>& boxes() const { return m_boxes; }
  void clear() { m_boxes.clear(); }

 private:
  std::vector<framework::MessageBoxRequest> m_boxes;
  framework::ScopedMessageBoxHandler m_handler;
};

}  // namespace vqtest

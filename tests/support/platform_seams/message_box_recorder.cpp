#include "tests/support/platform_seams/message_box_recorder.h"

namespace vqtest {

ScopedMessageBoxRecorder::ScopedMessageBoxRecorder(int answer)
    : m_handler([this, answer](const framework::MessageBoxRequest& request) {
        m_boxes.push_back(request);
        return answer;
      }) {}

}  // namespace vqtest

#include "tests/support/platform_seams/echo_helper_path.h"

#include <utility>

#include "platform/icmpapi/echo_helper_stand_in.h"

namespace vqtest {

ScopedEchoHelperPath::ScopedEchoHelperPath(std::string path)
    : m_previous(icmpapi::SetEchoHelperStandIn(std::move(path))) {}

ScopedEchoHelperPath::~ScopedEchoHelperPath() { icmpapi::SetEchoHelperStandIn(std::move(m_previous)); }

}  // namespace vqtest

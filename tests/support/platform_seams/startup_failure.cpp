#include "tests/support/platform_seams/startup_failure.h"

#include "platform/winsock/startup_refusal.h"
#include "platform/winsock/winsock.h"

namespace vqtest {

ScopedStartupFailure::ScopedStartupFailure() : m_previous(winsock::SetStartupRefusal(WSASYSNOTREADY)) {}

ScopedStartupFailure::~ScopedStartupFailure() { winsock::SetStartupRefusal(m_previous); }

}  // namespace vqtest

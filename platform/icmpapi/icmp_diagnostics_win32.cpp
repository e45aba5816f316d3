#include "platform/icmpapi/icmp_diagnostics.h"

#include "platform/icmpapi/echo_failure_record_win32.h"
#include "platform/kernel/system_error_text.h"

namespace icmpapi {
namespace {

thread_local OpenFailureInfo t_lastOpenFailure;

}  // namespace

void RecordOpenFailure(const OpenFailureInfo& failure) { t_lastOpenFailure = failure; }

OpenFailureInfo LastOpenFailure() { return t_lastOpenFailure; }

std::string OpenFailureAdvice(const OpenFailureInfo& failure) {
  if (failure.reason == OpenFailure::None) return {};
  std::string text = "The system's ICMP library gave no echo handle (error " + std::to_string(failure.systemError);
  const std::string reason = kernel::SystemErrorText(failure.systemError);
  return text + (reason.empty() ? ")." : ": " + reason + ").");
}

std::int64_t LastEchoRoundTripMicroseconds() { return -1; }

void ForgetLastEchoRoundTrip() {}

}  // namespace icmpapi

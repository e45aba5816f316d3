#pragma once
// Why an echo handle could not be opened, for messages that tell the user,
// and the round trip of the last echo to the microsecond where the library
// measures one (the system's measures whole milliseconds).
#include <cstdint>
#include <string>

#include "platform/kernel/windef.h"

namespace icmpapi {

enum class OpenFailure {
  None,  // the last open succeeded
  Other,
};

struct OpenFailureInfo {
  OpenFailure reason = OpenFailure::None;
  DWORD systemError = 0;  // GetLastError() after IcmpCreateFile failed
};

// The outcome of the calling thread's last open of an echo batch.
OpenFailureInfo LastOpenFailure();
std::string OpenFailureAdvice(const OpenFailureInfo& failure);

// Always -1: the system's library reports whole milliseconds only.
std::int64_t LastEchoRoundTripMicroseconds();
void ForgetLastEchoRoundTrip();

}  // namespace icmpapi

#pragma once
#include <cstdint>

#include "platform/icmpapi/icmp_diagnostics.h"

namespace icmpapi {
// Keeps the outcome of an open for LastOpenFailure() on the calling thread.
void RecordOpenFailure(const OpenFailureInfo& failure);
// Keeps the round trip of the calling thread's echo for
// LastEchoRoundTripMicroseconds().
void RecordEchoRoundTrip(std::int64_t microseconds);
}  // namespace icmpapi

#pragma once
#include "platform/icmpapi/icmp_diagnostics.h"

namespace icmpapi {
// Kept for LastOpenFailure on the calling thread.
void RecordOpenFailure(const OpenFailureInfo& failure);
}  // namespace icmpapi

#pragma once
#include "platform/icmp/icmp_diagnostics.h"

namespace icmp {
// Keeps the outcome of an open for LastOpenFailure() on the calling thread.
void RecordOpenFailure(const OpenFailureInfo& failure);
}  // namespace icmp

#pragma once
// Dropping root for good, in a forked child (netns_child.h), for tests of
// what an ordinary user may do.
#include <sys/types.h>

namespace vqtest {

constexpr uid_t kNobody = 65534;

// Becomes the user and group nobody, with no supplementary groups: every
// capability goes with root, CAP_NET_RAW included. False when any step fails.
bool BecomeNobody();

}  // namespace vqtest

#pragma once
// Which echo helper the ICMP library runs: the place where tests inject a
// stand-in (tests/support/platform_seams), such as a copy of the helper, a
// program that answers wrongly, or no helper at all.
#include <optional>
#include <string>

namespace icmpapi {

// Makes the library try only `path` (empty: no helper at all) instead of
// searching for the helper; nullopt gives the search back. Returns the
// stand-in it replaces.
std::optional<std::string> SetEchoHelperStandIn(std::optional<std::string> path);

}  // namespace icmpapi

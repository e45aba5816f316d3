#pragma once
// Links between test namespaces, made with iproute2's `ip`.
#include <string>

#include "tests/support/netns_namespace.h"

namespace netns {

// Creates a veth pair: nameA in a, nameB in b. Both vanish with either
// namespace.
void AddVethPair(const Namespace& a, const std::string& nameA, const Namespace& b, const std::string& nameB);

// Gives an interface an address ("192.0.2.1/24") and brings it up.
void ConfigureInterface(const Namespace& ns, const std::string& name, const std::string& addressWithPrefix);

// True when `ip` can be run (it is needed for veth pairs and routes).
bool HaveIpTool();

}  // namespace netns

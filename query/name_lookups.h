#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/framework/cstring.h"
#include "platform/winsock/winsock.h"

// The IPv4 address of each host name, the names looked up side by side (a
// few at a time), so that a slow name service costs its wait once rather
// than once per name. Empty where a name gives no address. Each lookup asks
// the sockets library's resolver, as the echo probe's would.
std::vector<std::optional<u_long>> LookUpNames(const std::vector<CString>& names);

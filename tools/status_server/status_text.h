#pragma once
#include <cstddef>
#include <string>

#include "tools/status_server/server_options.h"

namespace status_server {

// Length of the --oversize answer; the client's receive buffer holds 1024.
constexpr std::size_t kOversizeLength = 1500;

// The status text in the server's layout: fields separated by 0x01, with
// the options in fields 2, 3, 5, 7, 9 and 11 and fillers elsewhere.
std::string BuildStatusText(const ServerOptions& options);

// True when a client, which reads only the first 150 characters, would see
// the time left of this text (field 11 closed at position 149 or earlier).
bool TimeLeftIsVisible(const std::string& statusText);

// What the server sends: the exact bytes or the status text, padded to
// kOversizeLength when asked for.
std::string BuildReply(const ServerOptions& options);

}  // namespace status_server

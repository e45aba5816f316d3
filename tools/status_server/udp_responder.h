#pragma once
#include <string>

#include "tools/status_server/server_options.h"

namespace status_server {

// Binds the UDP socket, prints the ready line and answers datagrams until
// SIGINT or SIGTERM. Returns the process exit status: 0 after a signal, 1
// when the socket cannot be set up. Its messages begin with PROGRAMNAME.
int RunResponder(const std::string& programName, const ServerOptions& options, const std::string& reply);

}  // namespace status_server

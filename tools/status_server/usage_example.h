#pragma once
#include <string>

namespace status_server {

// The end of the --help text: how to ask the server with this system's own
// tools. `name` is the program's name as its messages give it.
std::string UsageExample(const std::string& name);

}  // namespace status_server

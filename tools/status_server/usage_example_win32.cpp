#include "tools/status_server/usage_example.h"

namespace status_server {

// Windows has no socat: the program's own console client asks the server.
std::string UsageExample(const std::string& name) {
  return R"(Example: start the server, then ask it with quillmar.exe from a second
console (cmd or PowerShell):
  )" + name +
         R"( --port 6971 --host "My Server" --seconds-left 5400
  quillmar.exe --query 127.0.0.1
prints each field the client shows, its name and value separated by a tab:
  ADDRESS	127.0.0.1
  PING	0
  HOST	My Server
  TRACK	Harbour Loop
  PLAYERS	3/8
  TYPE	Intermediate
  SESSION	Race
  TIME_LEFT	90 Mins
)";
}

}  // namespace status_server
